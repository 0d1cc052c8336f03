// The store rows: what they hold, the players they start, stop and show, the
// process watch and the indicator pattern, the mouse and the device menu.
#include "device_row_list.h"

#include <shellapi.h>

#include "copydata.h"
#include "launcher_skin.h"
#include "sound_device_list.h"
#include "timed_message_box.h"

namespace {
const unsigned kTickMs = 200;
const DWORD kQuitWaitMs = 6000;
// How long a player may take to answer a message before it counts as hung.
const unsigned kAnswerMs = 5000;
// What a player that had to be ended reports as its exit code.
const UINT kEndedExitCode = 1;

std::wstring own_folder() {
    wchar_t path[MAX_PATH] = L"";
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n < MAX_PATH ? n : 0);
    const size_t slash = folder.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}
}  // namespace

const COLORREF device_row_list::row_colours[3] = {0xFEF2DB, 0xF0F0F0, 0xFFFFFF};
const int device_row_list::pattern[11][3] = {{1, 5, 2}, {4, 2, 1}, {3, 1, 2}, {2, 5, 3}, {1, 3, 4}, {3, 1, 5},
                                             {2, 4, 3}, {5, 1, 4}, {2, 4, 1}, {5, 2, 4}, {2, 4, 1}};
int device_row_list::poll_counter = 0;
int device_row_list::pattern_counter = 0;

device_row_list::device_row_list()
    : tick_(this),
      images_(nullptr),
      player_path_(own_folder() + L"\\zel_player.exe"),
      uxtheme_(nullptr),
      themes_{nullptr, nullptr, nullptr},
      font_(nullptr),
      bold_font_(nullptr) {}

device_row_list::~device_row_list() {
    tick_.kill();
    for (auto& entry : started_) CloseHandle(entry.second);
    started_.clear();
    close_themes();
    if (font_) DeleteObject(font_);
    if (bold_font_) DeleteObject(bold_font_);
}

bool device_row_list::init(HWND parent, const RECT& rect, launcher_skin* images) {
    images_ = images;
    if (images_) {
        launcher_skin::scroll_images bar = images_->vscroll();
        set_vscroll_images(bar.channel, bar.thumb, bar.minus, bar.plus);
    }
    if (!create(parent, &rect, false, 0, 0)) return false;
    // One column of whole rows: no header above them.
    if (HWND list = get_list())
        SetWindowLongW(list, GWL_STYLE, GetWindowLongW(list, GWL_STYLE) | LVS_NOCOLUMNHEADER);
    if (themes_usable()) open_themes();
    RECT client = {};
    GetClientRect(get_list(), &client);
    insert_column(0, L"", 0, client.right - client.left);
    tick_.set(kTickMs);
    return true;
}

void device_row_list::rebuild_items() {
    if (!get_list()) return;
    delete_all_items();
    for (size_t i = 0; i < rows_.size(); ++i) insert_item(static_cast<int>(i), rows_[i].id.c_str());
}

void device_row_list::set_rows(const std::vector<player_row>& rows) {
    rows_ = rows;
    rebuild_items();
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].autostart && !rows_[i].device.empty()) start_row(static_cast<int>(i));
}

player_row* device_row_list::row_at(int index) {
    return index >= 0 && index < row_count() ? &rows_[static_cast<size_t>(index)] : nullptr;
}

player_row* device_row_list::find_by_pid(DWORD pid) {
    if (!pid) return nullptr;  // idle rows hold 0
    for (player_row& r : rows_)
        if (r.pid == pid) return &r;
    return nullptr;
}

void device_row_list::repaint_row(int index) {
    RECT cell;
    if (get_list() && index >= 0 && get_cell_rect(index, 0, cell)) InvalidateRect(get_list(), &cell, FALSE);
}

void device_row_list::repaint_pid(DWORD pid) {
    if (!pid) return;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].pid == pid) repaint_row(static_cast<int>(i));
}

void device_row_list::clear_row(DWORD pid) {
    if (!pid) return;
    for (size_t i = 0; i < rows_.size(); ++i) {
        player_row& r = rows_[i];
        if (r.pid != pid) continue;
        r.pid = 0;
        r.running = r.visible = r.playing = r.expanded = false;
        r.levels[0] = r.levels[1] = r.levels[2] = 0;
        r.status.clear();
        forget(pid);
        repaint_row(static_cast<int>(i));
        return;
    }
}

void device_row_list::tell(const std::wstring& text) { show_timed_message_box(get_list(), text.c_str()); }

void device_row_list::start_row(int index) {
    player_row* r = row_at(index);
    if (!r || r->running) return;
    if (r->device.empty()) {
        tell(L"사운드 장치를 선택하십시오");
        return;
    }
    bool listed = false;
    for (const std::wstring& d : sound_device_list::devices()) listed = listed || d == r->device;
    if (!listed) {
        tell(L"[" + r->name + L"]의 선택된 사운드 장치가 존재하지 않습니다\r\n다시 장치를 선택하십시오");
        return;
    }
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = player_path_.c_str();
    info.lpParameters = L"multi";
    info.nShow = SW_SHOW;
    if (!ShellExecuteExW(&info) || !info.hProcess) return;
    const DWORD pid = GetProcessId(info.hProcess);
    r = row_at(index);  // the rows may have been replaced meanwhile
    if (!pid || !r) {
        CloseHandle(info.hProcess);
        return;
    }
    forget(pid);
    started_[pid] = info.hProcess;
    r->pid = pid;
    r->running = true;
    r->expanded = false;
    repaint_row(index);
}

HWND device_row_list::launcher_window() const {
    HWND list = get_container();
    HWND root = list ? GetAncestor(list, GA_ROOT) : nullptr;
    return root ? root : list;
}

HANDLE device_row_list::started(DWORD pid) const {
    auto it = started_.find(pid);
    return it == started_.end() ? nullptr : it->second;
}

void device_row_list::forget(DWORD pid) {
    auto it = started_.find(pid);
    if (it == started_.end()) return;
    CloseHandle(it->second);
    started_.erase(it);
}

bool device_row_list::alive(DWORD pid) const {
    if (HANDLE own = started(pid)) return WaitForSingleObject(own, 0) == WAIT_TIMEOUT;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    const bool running = process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    if (process) CloseHandle(process);
    return running;
}

void device_row_list::end_process(DWORD pid) {
    HANDLE own = started(pid);
    HANDLE process = own ? own : OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
    if (!process) return;
    if (WaitForSingleObject(process, kQuitWaitMs) == WAIT_TIMEOUT) TerminateProcess(process, kEndedExitCode);
    if (!own) CloseHandle(process);
}

void device_row_list::stop_row(int index) {
    player_row* r = row_at(index);
    if (!r || !r->running) return;
    // The process id is taken before the player is asked: its answer clears
    // the row, and a player that then hangs must still be ended.
    const DWORD pid = r->pid;
    const HWND client = r->client_window;
    if (client && IsWindow(client)) {
        // A refusal keeps the player; one that does not answer at all (hung)
        // is waited for and ended like one that hangs after its answer, so
        // that the launcher never hangs with it.
        LRESULT result = 0;
        const bool answered = copydata::send_within(client, launcher_window(), copydata::copydata_quit, nullptr,
                                                    kAnswerMs, &result);
        if (answered && !result) return;
        end_process(pid);
    } else if (HANDLE own = started(pid)) {
        // A player this list started that never registered cannot be asked:
        // it holds no store yet, so it is ended at once.
        TerminateProcess(own, kEndedExitCode);
    } else {
        return;
    }
    clear_row(pid);
    repaint_pid(pid);
}

bool device_row_list::show(HWND client, HWND from, bool shown) {
    LRESULT result = 0;
    return copydata::send_within(client, from, copydata::copydata_show, shown ? L"1" : L"0", kAnswerMs, &result) &&
           result != 0;
}

void device_row_list::toggle_show(int index) {
    player_row* r = row_at(index);
    if (!r || !r->running) return;
    r->visible = !r->visible;
    const HWND from = launcher_window();
    if (r->visible) {
        for (size_t i = 0; i < rows_.size(); ++i) {
            player_row& other = rows_[i];
            if (static_cast<int>(i) == index || !other.running || !other.visible) continue;
            other.visible = false;
            if (show(other.client_window, from, false)) repaint_row(static_cast<int>(i));
        }
    }
    r = row_at(index);
    if (r && show(r->client_window, from, r->visible)) repaint_row(index);
}

void device_row_list::on_tick() {
    if (poll_counter == 0) {
        std::vector<DWORD> ended;
        for (const player_row& r : rows_)
            if (r.running && !alive(r.pid)) ended.push_back(r.pid);
        for (DWORD pid : ended) clear_row(pid);
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
        player_row& r = rows_[i];
        if (!r.running || !r.playing) continue;
        const int* levels = pattern[pattern_counter % 11];
        for (int c = 0; c < 3; ++c) r.levels[c] = levels[c];
        ++pattern_counter;
        const row_geometry g = geometry(static_cast<int>(i));
        if (get_list()) InvalidateRect(get_list(), &g.indicator, FALSE);
    }
    pattern_counter %= 11;
    poll_counter = (poll_counter + 1) % 5;
}

UINT_PTR device_row_list::track_menu(HMENU menu, POINT screen) {
    return static_cast<UINT_PTR>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, screen.x,
                                                screen.y, 0, get_list(), nullptr));
}

void device_row_list::open_device_menu(int index, const RECT& zone) {
    player_row* r = row_at(index);
    if (!r) return;
    const std::vector<std::wstring>& devices = sound_device_list::devices();
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuW(menu, MF_STRING, menu_none, L"선택하지 않음");
    UINT_PTR checked = menu_none;
    for (size_t n = 1; n <= devices.size(); ++n) {
        const std::wstring text = std::to_wstring(n) + L". " + devices[n - 1];
        AppendMenuW(menu, MF_STRING, menu_none + n, text.c_str());
        if (devices[n - 1] == r->device) checked = menu_none + n;
    }
    CheckMenuRadioItem(menu, menu_none, static_cast<UINT>(menu_none + devices.size()), static_cast<UINT>(checked),
                       MF_BYCOMMAND);
    POINT at = {zone.left, zone.bottom};
    ClientToScreen(get_list(), &at);
    const UINT_PTR chosen = track_menu(menu, at);
    DestroyMenu(menu);
    r = row_at(index);
    if (!r || chosen < menu_none || chosen > menu_none + devices.size()) return;
    r->device = chosen == menu_none ? std::wstring() : devices[chosen - menu_none - 1];
    repaint_row(index);
}

LRESULT device_row_list::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_SETCURSOR: {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        const int zone = hit_test(p, nullptr, nullptr);
        if (zone >= zone_check && zone <= zone_device) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case WM_MOUSEMOVE: {
        POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        int row = -1;
        const int zone = hit_test(p, &row, nullptr);
        const player_row* r = row_at(row);
        set_tip_text(!r ? L"" : zone == zone_name ? r->name : zone == zone_status ? r->status : L"");
        return subclass::window_proc(msg, wparam, lparam);
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        int row = -1;
        RECT area = {};
        const int zone = hit_test(p, &row, &area);
        player_row* r = row_at(row);
        if (!r) break;
        // The native list takes no click on a row: the rows have no selection.
        if (msg == WM_LBUTTONDBLCLK) {
            if ((zone < zone_check || zone > zone_device) && !r->visible) toggle_show(row);
            return 0;
        }
        switch (zone) {
        case zone_check:
            r->autostart = !r->autostart;
            break;
        case zone_start:
            if (r->running)
                stop_row(row);
            else
                start_row(row);
            break;
        case zone_show:
            if (r->running)
                toggle_show(row);
            else
                r->expanded = !r->expanded;
            break;
        case zone_device:
            open_device_menu(row, area);
            break;
        default:
            break;
        }
        repaint_row(row);
        return 0;
    }
    case WM_DESTROY:
        tick_.kill();
        for (int i = 0; i < row_count(); ++i) stop_row(i);
        close_themes();
        break;
    default:
        break;
    }
    return list_view::window_proc(msg, wparam, lparam);
}

int device_row_list::row_height(int) { return 80; }

stringx device_row_list::get_cell_text(int, int) { return stringx(L""); }
