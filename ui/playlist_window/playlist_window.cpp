// The playlist window: its messages, tabs, pages and layout.
#include "playlist_window.h"

#include <cwchar>
#include <cwctype>

#include "window_messages.h"

namespace ids = playlist_skin_ids;

playlist_window* playlist_window::current_ = nullptr;

namespace {

RECT client_of(HWND hwnd) {
    RECT r = {};
    GetClientRect(hwnd, &r);
    return r;
}

// The child window's rectangle in the parent's client coordinates.
RECT rect_in_parent(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void resize(HWND window, int w, int h) {
    if (window) SetWindowPos(window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ends_with_cda(const std::wstring& path) {
    if (path.size() < 4) return false;
    std::wstring tail = path.substr(path.size() - 4);
    for (wchar_t& c : tail) c = static_cast<wchar_t>(std::towlower(c));
    return tail == L".cda";
}

}  // namespace

std::wstring anne_start_text(long seconds) {
    if (seconds < 0) seconds = 0;
    wchar_t text[32];
    std::swprintf(text, 32, L"%02ld:%02ld:%02ld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return text;
}

int details_command_for(const std::wstring& path, std::wstring& text, wchar_t& letter) {
    letter = 0;
    // A CD track's path carries the drive letter as its third "|" field.
    const size_t bar = path.find(L'|');
    std::wstring file = bar == std::wstring::npos ? path : path.substr(0, bar);
    if (ends_with_cda(file)) {
        std::vector<std::wstring> fields;
        size_t start = 0;
        for (;;) {
            const size_t end = path.find(L'|', start);
            fields.push_back(path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
            if (end == std::wstring::npos) break;
            start = end + 1;
        }
        if (fields.size() == 3 && !fields[2].empty() && fields[2][0] != L'\0') {
            letter = fields[2][0];
            return 1;
        }
        text = path;
        return 0;
    }
    const size_t slash = path.rfind(L'\\');
    text = slash == std::wstring::npos ? path : path.substr(0, slash);
    return 0;
}

playlist_window::playlist_window(playlist_window_services& services, now_playing_list& now_playing,
                                 app_link_services& links)
    : s_(services),
      now_playing_(now_playing),
      links_(links),
      now_playing_window_(nullptr),
      saved_corner_{},
      skin_(nullptr),
      last_client_{},
      saved_rect_{},
      remembered_visible_(true),
      ad_shrunk_(false) {
    today_sink_.on_before_navigate = [this](const std::wstring& url) { return run_app_link(url, links_); };
    ad_sink_.on_navigate_complete = [this] {
        if (current_ == this && ad_page_) ad_page_->hide_scroll_bars();
    };
    look_.set_ad_shown([this] { return s_.logged_in() && !s_.ad_address().empty(); });
}

playlist_window::~playlist_window() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (ad_page_) ad_page_->release();
    if (today_page_) today_page_->release();
    if (current_ == this) current_ = nullptr;
}

bool playlist_window::create_window(HWND main) { return create(template_id, main); }

bool playlist_window::tab_checked(unsigned id) const {
    if (!skin_) return false;
    auto* tab = dynamic_cast<skin_button*>(skin_->get_control(id));
    return tab && tab->checked;
}

bool playlist_window::music_tab_checked() const { return tab_checked(ids::music_tab); }
bool playlist_window::anne_tab_checked() const { return tab_checked(ids::anne_tab); }

LRESULT playlist_window::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        on_init_dialog();
        return TRUE;
    case WM_COMMAND: {
        const unsigned id = LOWORD(wparam);
        if (id > ids::details) return FALSE;
        on_command(id);
        return TRUE;
    }
    case WM_SHOWWINDOW:
        on_show(wparam != 0, lparam);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return TRUE;
    case WM_DESTROY:
        if (current_ == this) current_ = nullptr;
        return TRUE;
    case WM_NCDESTROY:
        look_.remove();
        skin_ = nullptr;
        return TRUE;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case msg_expanded_mode:
        on_expanded_mode(wparam != 0);
        return TRUE;
    case msg_schedule_changed:
        on_schedule_changed();
        return TRUE;
    case msg_list_view_notify:
        if (static_cast<int>(lparam) == anne_list::listen_column) on_anne_click(static_cast<int>(wparam));
        return TRUE;
    case msg_skin_resized:
        layout();
        return TRUE;
    default:
        return FALSE;
    }
}

void playlist_window::on_command(unsigned id) {
    switch (id) {
    case ids::close:
        hide();
        break;
    case ids::music_tab:
        show_music_tab();
        break;
    case ids::anne_tab:
        show_anne_tab();
        break;
    case ids::details:
        show_details();
        break;
    default:
        break;
    }
}

void playlist_window::on_init_dialog() {
    current_ = this;
    skin_ = look_.build(hwnd_, s_.skin_number());
    HWND ad = GetDlgItem(hwnd_, ad_control);
    if (ad) {
        ShowWindow(ad, SW_HIDE);
        resize(ad, 257, 62);
    }
    HWND today = GetDlgItem(hwnd_, today_control);
    if (today) {
        ShowWindow(today, SW_HIDE);
        resize(today, 0, 0);
    }
    s_.dock(hwnd_);
    if (skin_) {
        skin_->set_check(ids::music_tab, true);
        skin_->set_visible(ids::details, false);
    }
    const RECT lists = look_.list_rect();
    now_playing_window_ = now_playing_.create(hwnd_, lists, look_);
    anne_list_ = std::make_unique<anne_list>();
    anne_list_->build(hwnd_, lists, look_);
    if (anne_list_->get_container()) ShowWindow(anne_list_->get_container(), SW_HIDE);
    // The layout grows the lists by the change of the client area from here.
    last_client_ = client_of(hwnd_);
}

void playlist_window::on_login(bool success) {
    if (s_.logged_in()) {
        std::vector<anne_record> list;
        s_.load_anne_list(list, false);
        if (list.empty()) s_.load_anne_list(list, true);
        if (list.empty() && skin_) skin_->set_visible(ids::anne_tab, false);
    } else if (skin_) {
        skin_->set_visible(ids::anne_tab, false);
    }
    if (success && hwnd_ && IsWindow(hwnd_)) load_today_page();
}

void playlist_window::fill_anne_rows() {
    if (!anne_list_ || !anne_list_->get_list()) return;
    anne_list_->set_rows(today_);
}

void playlist_window::load_today_page() {
    today_.clear();
    s_.load_anne_list(today_, false);
    fill_anne_rows();

    const std::wstring ad = s_.ad_address();
    if (!ad_page_ && !ad.empty()) ad_page_ = s_.make_page();
    // Without a page to show it in (no browser) the address shows nothing,
    // and the lists keep their room.
    if (!ad.empty() && ad_page_) {
        HWND control = GetDlgItem(hwnd_, ad_control);
        if (control) ShowWindow(control, SW_SHOW);
        ad_page_->open(control, &ad_sink_, ad);
        // The lists make room for the page once, however often the page is
        // opened again.
        if (!ad_shrunk_) {
            ad_shrunk_ = true;
            for (HWND list : {now_playing_window_, anne_list_ ? anne_list_->get_container() : nullptr}) {
                if (!list) continue;
                const RECT r = rect_in_parent(list);
                resize(list, r.right - r.left, r.bottom - r.top - ad_height);
            }
        }
    }

    std::wstring address = L"http://" + s_.web_host() + L"/rux/today.php?userid=" + s_.user_id();
    if (!today_page_) today_page_ = s_.make_page();
    if (today_page_) today_page_->open(GetDlgItem(hwnd_, today_control), &today_sink_, address);
}

void playlist_window::check_tab(unsigned id) {
    if (!skin_) return;
    skin_->set_check(id, true);
    skin_->set_check(id == ids::music_tab ? ids::anne_tab : ids::music_tab, false);
}

void playlist_window::show_music_tab() {
    if (!skin_) return;
    if (music_tab_checked()) {
        skin_->set_check(ids::music_tab, true);
        return;
    }
    check_tab(ids::music_tab);
    skin_->set_visible(ids::details, false);
    if (anne_list_ && anne_list_->get_container()) ShowWindow(anne_list_->get_container(), SW_HIDE);
    if (now_playing_window_) ShowWindow(now_playing_window_, SW_SHOW);
    now_playing_.refresh_status();
}

void playlist_window::show_anne_tab() {
    if (!skin_) return;
    if (anne_tab_checked()) {
        skin_->set_check(ids::anne_tab, true);
        return;
    }
    check_tab(ids::anne_tab);
    skin_->set_visible(ids::details, false);
    if (now_playing_window_) ShowWindow(now_playing_window_, SW_HIDE);
    if (anne_list_ && anne_list_->get_container()) ShowWindow(anne_list_->get_container(), SW_SHOW);
    if (anne_list_) anne_list_->show_play_time();
}

void playlist_window::on_anne_click(int row) {
    if (row < 0 || static_cast<size_t>(row) >= today_.size() || s_.live_anne_on()) return;
    anne_record copy = today_[static_cast<size_t>(row)];
    HWND info = s_.info_window();
    if (info) SendMessageW(info, msg_anne_play_now, 0, reinterpret_cast<LPARAM>(&copy));
}

void playlist_window::on_anne_schedule_changed() { on_schedule_changed(); }

void playlist_window::on_schedule_changed() {
    std::vector<anne_record> list;
    s_.load_anne_list(list, false);
    today_.clear();
    for (const anne_record& r : list)
        if (r.enabled) today_.push_back(r);
    fill_anne_rows();
}

void playlist_window::library_command(WPARAM command, LPARAM data) {
    HWND library = s_.library_window();
    if (!library) return;
    if (!IsWindowVisible(library)) {
        HWND main = s_.main_window();
        if (main) SendMessageW(main, WM_COMMAND, 7, 0);
    }
    SendMessageW(library, msg_library_command, command, data);
}

void playlist_window::show_details() {
    if (music_tab_checked()) {
        const int count = s_.active_entry_count();
        if (count <= 0) return;
        if (!s_.active_is_default()) {
            library_command(2, 0);
            return;
        }
        std::wstring path;
        const std::vector<int> selected = now_playing_.selected_indices();
        if (!selected.empty()) path = s_.active_entry_path(selected.front());
        else path = s_.playing_path();
        if (path.empty()) path = s_.active_entry_path(0);
        std::wstring text;
        wchar_t letter = 0;
        if (details_command_for(path, text, letter) == 1)
            library_command(1, static_cast<LPARAM>(letter));
        else
            library_command(0, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (anne_tab_checked()) {
        library_command(3, 0);
    }
}

void playlist_window::hide() {
    s_.set_playlist_shown(false);
    ShowWindow(hwnd_, SW_HIDE);
}

void playlist_window::on_show(bool show, LPARAM status) {
    s_.tell_window_state(!show);
    if (!s_.expanded()) remembered_visible_ = show;
    if (status == SW_PARENTCLOSING) ShowWindow(hwnd_, SW_HIDE);
}

void playlist_window::on_expanded_mode(bool on) {
    if (!skin_) return;
    if (on) {
        GetWindowRect(hwnd_, &saved_rect_);
        RECT work = {};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        skin_->set_visible(ids::close, false);
        HWND info = s_.info_window();
        HWND reference = info && IsWindow(info) && IsWindowVisible(info) ? info : s_.main_window();
        RECT ref = {};
        if (reference) GetWindowRect(reference, &ref);
        SetWindowPos(hwnd_, nullptr, work.left, ref.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT area = {work.left, ref.bottom, work.left + (ref.right - ref.left), work.bottom};
        skin_->refresh_resize_skin(&area, 1);
        layout();
        if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOW);
    } else {
        skin_->set_visible(ids::close, true);
        if (!remembered_visible_) ShowWindow(hwnd_, SW_HIDE);
        SetWindowPos(hwnd_, nullptr, saved_corner_.x, saved_corner_.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT area = {saved_corner_.x, saved_corner_.y, saved_corner_.x + (saved_rect_.right - saved_rect_.left),
                     saved_corner_.y + (saved_rect_.bottom - saved_rect_.top)};
        skin_->refresh_resize_skin(&area, 1);
        layout();
    }
}

void playlist_window::refresh_layout() {
    if (!skin_) return;
    RECT client = client_of(hwnd_);
    skin_->refresh_resize_skin(&client, 1);
    layout();
}

void playlist_window::layout() {
    if (skin_) {
        if (music_tab_checked()) skin_->set_check(ids::music_tab, true);
        else if (anne_tab_checked()) skin_->set_check(ids::anne_tab, true);
    }
    const RECT client = client_of(hwnd_);
    const int dw = (client.right - client.left) - (last_client_.right - last_client_.left);
    const int dh = (client.bottom - client.top) - (last_client_.bottom - last_client_.top);
    const RECT lists = look_.list_rect();
    int w = lists.right - lists.left, h = lists.bottom - lists.top;
    if (now_playing_window_) {
        const RECT r = rect_in_parent(now_playing_window_);
        w = r.right - r.left;
        h = r.bottom - r.top;
    }
    w += dw;
    h += dh;
    for (HWND list : {now_playing_window_, anne_list_ ? anne_list_->get_container() : nullptr})
        if (list) MoveWindow(list, lists.left, lists.top, w, h, TRUE);
    HWND ad = GetDlgItem(hwnd_, ad_control);
    if (ad) {
        const RECT r = rect_in_parent(ad);
        const int aw = r.right - r.left, ah = r.bottom - r.top;
        SetWindowPos(ad, nullptr, (client.right - client.left - aw) / 2, client.bottom - 7 - ah, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    last_client_ = client;
}

void playlist_window::on_skin(int skin_number) {
    if (!hwnd_ || !IsWindow(hwnd_)) return;
    const bool anne_tab = anne_tab_checked();
    RECT old = {};
    GetWindowRect(hwnd_, &old);
    s_.undock(hwnd_);
    look_.remove();
    skin_ = look_.build(hwnd_, skin_number);
    if (!skin_) return;
    check_tab(anne_tab ? ids::anne_tab : ids::music_tab);
    skin_->set_visible(ids::details, false);
    if (s_.expanded()) skin_->set_visible(ids::close, false);
    if (s_.logged_in()) {
        std::vector<anne_record> list;
        s_.load_anne_list(list, false);
        if (list.empty()) skin_->set_enable(ids::anne_tab, false);
    } else {
        skin_->set_visible(ids::anne_tab, false);
    }
    skin_->refresh_resize_skin(&old, 1);
    layout();
    InvalidateRect(hwnd_, nullptr, FALSE);
    s_.dock(hwnd_);
}
