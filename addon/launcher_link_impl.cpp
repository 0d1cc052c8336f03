// The launcher link: starting the launcher, joining it, and the player's
// messages to it.
#include "launcher_link_impl.h"

#include <shellapi.h>

#include <cwchar>
#include <vector>

#include "copydata.h"
#include "core.h"
#include "launcher_fields.h"
#include "timex.h"

namespace {
constexpr unsigned report_period_ms = 100;
constexpr WPARAM close_command = 4;  // the main window's close button
}  // namespace

launcher_link_impl::launcher_link_impl()
    : launcher_link_impl(launcher_names(), registry_launcher_host(), module_sound_devices()) {}

launcher_link_impl::launcher_link_impl(const launcher_names& names, launcher_host& host,
                                       sound_device_table& devices)
    : names_(names),
      host_(host),
      devices_(devices),
      front_(&bring_to_front),
      client_(*this),
      report_timer_(*this) {}

launcher_link_impl::~launcher_link_impl() {
    // Windows and timers belong to the thread that made them; a link that
    // ends with the user-interface thread still running cleans up after
    // itself, at library unload the system has already done so.
    HWND hwnd = client_.get_hwnd();
    if (hwnd && IsWindow(hwnd) && GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId())
        DestroyWindow(hwnd);
    std::set<launcher_window_hook*> hooks;
    hooks.swap(windows_);
    for (launcher_window_hook* hook : hooks)
        delete hook;
}

std::wstring launcher_link_impl::pid_text() const {
    wchar_t text[16];
    _snwprintf(text, 15, L"%lu", GetCurrentProcessId());
    text[15] = 0;
    return text;
}

HWND launcher_link_impl::launcher_window() {
    HWND hwnd = FindWindowW(names_.launcher_class.c_str(), nullptr);
    return hwnd && IsWindow(hwnd) ? hwnd : nullptr;
}

LRESULT launcher_link_impl::send(ULONG_PTR code, const std::wstring& text) {
    HWND launcher = launcher_window();
    if (!launcher)
        return 0;
    return copydata::send(launcher, client_.get_hwnd(), code, text.c_str());
}

bool launcher_link_impl::start_launcher(const wchar_t* id, const wchar_t* password, const wchar_t* ids) {
    if (launcher_window())
        return false;  // a launcher runs already
    std::wstring folder = program_folder_;
    if (folder.empty()) {
        wchar_t path[MAX_PATH + 1] = {};
        const DWORD n = GetModuleFileNameW(core::get_instance(), path, MAX_PATH);
        folder.assign(path, n);
        const size_t slash = folder.find_last_of(L'\\');
        folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
    }
    const std::wstring program = folder + L"\\zel_mtplayer.exe";
    const DWORD attributes = GetFileAttributesW(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;

    const long offset = timex::get_normal_time_span().total_seconds();
    const stringx device_name = devices_.default_endpoint_name();
    const int device_index = devices_.find(device_name);
    const std::wstring parameters = launcher_fields::launcher_parameters(
        id ? id : L"", password ? password : L"", ids ? ids : L"", offset, GetCurrentProcessId(), device_index,
        static_cast<const wchar_t*>(device_name));
    if (parameters.empty())
        return false;  // a value would break the launcher's arguments

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOW;
    if (!ShellExecuteExW(&info))
        return false;
    launcher_started_ = true;
    return true;
}

bool launcher_link_impl::connect(const wchar_t** id, const wchar_t** password, int* device) {
    if (connected_ || !launcher_window())
        return false;
    if (!client_.get_hwnd()) {
        const HINSTANCE previous = core::get_instance();
        const HINSTANCE own = module_source_ ? module_source_() : nullptr;
        if (own)
            core::set_instance(own);
        const bool made = client_.create(0, names_.client_class.c_str(), nullptr, 0, 0, 0, 0, 0, nullptr, 0);
        if (own)
            core::set_instance(previous);
        if (!made)
            return false;
    }
    // The launcher answers with its own register message to the client window
    // before this send returns.
    const LRESULT sent = send(copydata::copydata_register, pid_text());
    if (!sent)
        return false;
    if (id)
        *id = id_.c_str();
    if (password)
        *password = password_.c_str();
    if (device)
        *device = device_;
    if (id_.empty() || password_.empty() || device_ < 0)
        return false;
    connected_ = true;
    report_timer_.set(report_period_ms);
    return true;
}

bool launcher_link_impl::report_message(const wchar_t* text) {
    if (!connected_ || !launcher_window())
        return false;
    if (!text || !*text)
        return true;
    return send(copydata::copydata_message, launcher_fields::join_fields({pid_text(), text})) != 0;
}

void launcher_link_impl::add_window(HWND window) {
    if (!connected_ || !window || !IsWindow(window))
        return;
    for (launcher_window_hook* hook : windows_)
        if (hook->get_hwnd() == window)
            return;
    launcher_window_hook* hook = new launcher_window_hook(*this, windows_, shown_);
    hook->init(window);
    if (!hook->is_attached())
        delete hook;
}

void launcher_link_impl::show_windows(bool show) {
    // A hook may go away while its window is hidden (its window destroyed),
    // so walk a copy of the set.
    const std::vector<launcher_window_hook*> hooks(windows_.begin(), windows_.end());
    for (launcher_window_hook* hook : hooks)
        if (windows_.count(hook) && hook->get_hwnd())
            ShowWindow(hook->get_hwnd(), show ? SW_SHOW : SW_HIDE);
}

void launcher_link_impl::hide_windows() {
    if (!connected_)
        return;
    shown_ = false;
    show_windows(false);
    if (launcher_window())
        send(copydata::copydata_show, launcher_fields::join_fields({pid_text(), L"0"}));
}

void launcher_link_impl::on_channel_changed(const wchar_t* title) {
    if (!connected_ || !launcher_window())
        return;
    send(copydata::copydata_channel, launcher_fields::join_fields({pid_text(), title ? title : L""}));
}

void launcher_link_impl::left() {
    id_.clear();
    password_.clear();
    device_ = -1;
    connected_ = false;
    playing_ = false;
    report_timer_.kill();
    if (HWND main = host_.main_window())
        PostMessageW(main, WM_CLOSE, 0, 0);
}

void launcher_link_impl::leave() {
    if (!connected_ || !launcher_window())
        return;
    if (send(copydata::copydata_quit, pid_text()))
        left();
}

void launcher_link_impl::on_ui_closing() {
    leave();
    if (HWND hwnd = client_.get_hwnd())
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
}

void launcher_link_impl::report_timer() {
    if (!connected_)
        return;
    const bool now = host_.is_playing(true) || host_.is_playing(false);
    if (now == playing_)
        return;
    playing_ = now;
    send(copydata::copydata_playing, launcher_fields::join_fields({pid_text(), now ? L"1" : L"0"}));
}

LRESULT launcher_link_impl::client_window_t::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    return link_.client_window_proc(msg, wparam, lparam);
}

LRESULT launcher_link_impl::client_window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        if (data)
            on_copydata(data->dwData, copydata::text_of(data));
        return 1;
    }
    if (msg == WM_USER) {
        if (front_)
            front_(host_.main_window());
        return client_.window::window_proc(msg, wparam, lparam);
    }
    return client_.window::window_proc(msg, wparam, lparam);
}

void launcher_link_impl::on_copydata(ULONG_PTR code, const std::wstring& text) {
    switch (code) {
    case copydata::copydata_register: {
        const std::vector<std::wstring> fields = launcher_fields::split_fields(text);
        if (fields.size() != 4)
            return;
        id_ = fields[0];
        password_ = fields[1];
        device_ = devices_.find(fields[2].c_str());
        name_ = fields[3];
        return;
    }
    case copydata::copydata_show: {
        shown_ = _wtoi(text.c_str()) != 0;
        show_windows(shown_);
        if (shown_) {
            if (HWND main = host_.main_window())
                SetWindowTextW(main, name_.c_str());
            if (!host_.is_playing(false))
                if (HWND info = host_.info_window())
                    ShowWindow(info, SW_HIDE);
            PostMessageW(client_.get_hwnd(), WM_USER, 0, 0);
        }
        return;
    }
    case copydata::copydata_quit:
        if (connected_ && send(copydata::copydata_quit, pid_text()))
            left();
        return;
    default:
        return;
    }
}

void launcher_window_hook::on_subclass() { windows_.insert(this); }

LRESULT launcher_window_hook::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_DESTROY: {
        const LRESULT result = subclass::window_proc(msg, wparam, lparam);
        windows_.erase(this);
        delete this;
        return result;
    }
    case WM_WINDOWPOSCHANGING:
        if (!shown_ && lparam)
            reinterpret_cast<WINDOWPOS*>(lparam)->flags &= ~SWP_SHOWWINDOW;
        break;
    case WM_COMMAND:
        if (LOWORD(wparam) == close_command) {
            HWND hwnd = get_hwnd();
            launcher_host& host = link_.host();
            if (hwnd == host.main_window() || (hwnd == host.library_window() && host.expanded())) {
                link_.hide_windows();
                return 0;
            }
        }
        break;
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == SC_CLOSE && get_hwnd() == link_.host().main_window()) {
            link_.hide_windows();
            return 0;
        }
        break;
    default:
        break;
    }
    return subclass::window_proc(msg, wparam, lparam);
}

void bring_to_front(HWND window) {
    if (!window || GetForegroundWindow() == window)
        return;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    const bool modern = (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5) ||
                        (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS &&
                         (version.dwMajorVersion > 4 || version.dwMinorVersion > 0));
    if (!modern) {
        BringWindowToTop(window);
        SetForegroundWindow(window);
        return;
    }
    const DWORD own_thread = GetWindowThreadProcessId(window, nullptr);
    const DWORD front_thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    bool attached = false;
    if (front_thread && front_thread != own_thread)
        attached = AttachThreadInput(own_thread, front_thread, TRUE) != 0;
    BringWindowToTop(window);
    SetForegroundWindow(window);
    if (attached)
        AttachThreadInput(own_thread, front_thread, FALSE);
    if (GetForegroundWindow() == window)
        return;
    DWORD timeout = 0;
    SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(timeout)),
                          SPIF_SENDCHANGE);
}
