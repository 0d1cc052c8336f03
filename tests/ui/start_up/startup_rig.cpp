#include "startup_rig.h"
#include <string>
#include "credentials.h"
#include "pc_identity.h"
#include "system_registry.h"

namespace {
const wchar_t k_main_class[] = L"zel_test_stand_in_main";

LRESULT CALLBACK main_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<stand_in_main_window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_CLOSE) {
        if (self) self->closed = true;
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY && self) {
        self->main_ = nullptr;
        if (self->info_) DestroyWindow(self->info_);
        self->info_ = nullptr;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

HWND make_window(const wchar_t* title, int x, int y, int w, int h) {
    return CreateWindowExW(0, k_main_class, title, WS_POPUP, x, y, w, h, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

thread_local scripted_user* t_user = nullptr;

struct thread_windows {
    std::vector<HWND> list;
};
BOOL CALLBACK collect(HWND hwnd, LPARAM context) {
    reinterpret_cast<thread_windows*>(context)->list.push_back(hwnd);
    return TRUE;
}
std::vector<HWND> windows_of_thread() {
    thread_windows w;
    EnumThreadWindows(GetCurrentThreadId(), &collect, reinterpret_cast<LPARAM>(&w));
    return w.list;
}
bool is_dialog(HWND hwnd) {
    wchar_t name[32] = L"";
    GetClassNameW(hwnd, name, 32);
    return wcscmp(name, L"#32770") == 0;
}
}  // namespace

// --- the main window ---

stand_in_main_window::~stand_in_main_window() {
    if (main_ && IsWindow(main_)) DestroyWindow(main_);
}

HWND stand_in_main_window::create(HINSTANCE) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &main_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = k_main_class;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClassW(&wc);
    ++creations;
    main_ = make_window(L"VOLQUIN 플레이어", 40, 40, 320, 150);
    info_ = make_window(L"안내방송", 40, 200, 320, 100);
    SetWindowLongPtrW(main_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(info_, GWLP_USERDATA, 0);
    ShowWindow(info_, SW_SHOWNOACTIVATE);
    return main_;
}

bool rig_login_services::start_launcher(const wchar_t*, const wchar_t*, const wchar_t* stores) {
    launcher_was_started = true;
    launcher_stores = stores ? stores : L"";
    return true;
}

// --- the services ---

rig_services::rig_services() : registry_startup_services(nullptr) {
    const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount());
    key_path = L"Software\\zel_startup_test_" + tag;
    ini_name = L"zel_startup_test_" + tag + L".ini";
    ini_.reset(new ini_home(ini_name.c_str()));
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (key_path + L"\\Run").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

rig_services::~rig_services() {
    RegDeleteTreeW(HKEY_CURRENT_USER, key_path.c_str());
    ini_.reset();
    std::wstring ini_file = std::wstring(registry_startup_services::app_data_folder().wvalue()) + L"\\" + ini_name;
    DeleteFileW(ini_file.c_str());
}

credential_key rig_services::credentials() {
    static std::wstring path;
    path = key_path + L"\\ZEL Player";
    credential_key key;
    key.path = path.c_str();
    return key;
}

run_keys rig_services::run_value_keys() {
    static std::wstring run, player;
    run = key_path + L"\\Run";
    player = key_path + L"\\ZEL Player";
    run_keys keys;
    keys.run_root = keys.player_root = HKEY_CURRENT_USER;
    keys.run_path = run.c_str();
    keys.player_path = player.c_str();
    return keys;
}

int rig_services::message_box(HWND owner, const wchar_t* text, UINT type) {
    boxes.push_back({owner, text, type});
    return registry_startup_services::message_box(owner, text, type);
}

pc_identity rig_services::collect_pc_identity(HINSTANCE) {
    pc_identity pc;
    pc.usermac = L"001A2B3C4D5E";
    pc.pc_ostime = L"20090102_080509";
    pc.pc_pgtime = L"20100304_101112";
    pc.hddidx = L"S3R1AL";
    return pc;
}

bool rig_services::launcher_connect(stringx& id, stringx& password, int& device) {
    id = launcher_id.c_str();
    password = launcher_password.c_str();
    device = launcher_device;
    return launcher_connected;
}

bool rig_services::equalizer_bands(double (&values)[11]) {
    if (!has_equalizer) return false;
    for (int i = 0; i < 11; ++i) values[i] = bands[i];
    return true;
}

void rig_services::set_equalizer_bands(const double (&values)[11]) {
    events.push_back(L"equalizer_set");
    for (int i = 0; i < 11; ++i) bands[i] = values[i];
}

void rig_services::tell_login_listeners() {
    ++listener_calls;
    events.push_back(L"listeners");
}

void rig_services::store_credentials(const wchar_t* id, const wchar_t* password) {
    if (id) write_credential(true, id, credentials());
    if (password) write_credential(false, password, credentials());
}

std::wstring rig_services::ini_value(const wchar_t* key) { return ini_->read(L"app", key).wvalue(); }
void rig_services::set_ini(const wchar_t* key, const wchar_t* value) { ini_->write(L"app", key, value); }

std::wstring rig_services::run_value(bool* exists) {
    const run_keys keys = run_value_keys();
    wchar_t text[600] = L"";
    DWORD size = sizeof(text) - sizeof(wchar_t);
    const LONG r = RegGetValueW(keys.run_root, keys.run_path, k_run_value_name, RRF_RT_REG_SZ, nullptr, text, &size);
    if (exists) *exists = r == ERROR_SUCCESS;
    return r == ERROR_SUCCESS ? std::wstring(text) : std::wstring();
}

void rig_services::put_player_value(const wchar_t* name, const wchar_t* text) {
    set_string_value(HKEY_CURRENT_USER, credentials().path, name, text);
}

bool rig_services::player_value_exists(const wchar_t* name) {
    return RegGetValueW(HKEY_CURRENT_USER, credentials().path, name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

// --- the user ---

scripted_user::scripted_user(std::vector<step> steps) : steps_(std::move(steps)) {
    t_user = this;
    timer_ = SetTimer(nullptr, 0, 20, &scripted_user::tick);
}

scripted_user::~scripted_user() {
    KillTimer(nullptr, timer_);
    t_user = nullptr;
}

void CALLBACK scripted_user::tick(HWND, UINT, UINT_PTR, DWORD) {
    if (t_user) t_user->run();
}

void scripted_user::run() {
    if (next_ >= steps_.size()) {
        // A window that the script did not expect is closed, so that the
        // test fails on what it sees instead of waiting for a user.
        if (HWND box = message_box()) {
            ++unexpected_;
            SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
        } else if (HWND dialog = login_window()) {
            ++unexpected_;
            SendMessageW(dialog, WM_CLOSE, 0, 0);
        }
        return;
    }
    action act = steps_[next_]();
    if (!act) return;
    ++next_;
    act();
}

HWND scripted_user::message_box() {
    for (HWND hwnd : windows_of_thread())
        if (is_dialog(hwnd) && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && GetDlgItem(hwnd, 0xFFFF))
            return hwnd;
    return nullptr;
}

std::wstring scripted_user::box_text(HWND box) {
    wchar_t text[1024] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    return text;
}

HWND scripted_user::login_window() {
    for (HWND hwnd : windows_of_thread())
        if (is_dialog(hwnd) && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && GetDlgItem(hwnd, 1000)) return hwnd;
    return nullptr;
}

scripted_user::step scripted_user::answer_box(int button) {
    return [button]() -> action {
        HWND box = message_box();
        if (!box) return nullptr;
        return [box, button]() { SendMessageW(box, WM_COMMAND, button, 0); };
    };
}

scripted_user::step scripted_user::with_dialog(std::function<void(HWND)> fn) {
    return [fn]() -> action {
        if (message_box()) return nullptr;
        HWND dialog = login_window();
        if (!dialog) return nullptr;
        return [fn, dialog]() { fn(dialog); };
    };
}

dialog_fields read_dialog(HWND dialog) {
    dialog_fields f;
    wchar_t text[1025] = L"";
    GetDlgItemTextW(dialog, 1000, text, 1025);
    f.id = text;
    GetDlgItemTextW(dialog, 1001, text, 1025);
    f.password = text;
    f.password_visible = IsWindowVisible(GetDlgItem(dialog, 1001)) != FALSE;
    f.masked_visible = IsWindowVisible(GetDlgItem(dialog, 1057)) != FALSE;
    return f;
}
