#include "store_view_page.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "library_skin.h"
#include "store_rows.h"
#include "store_view_services.h"
#include "window_messages.h"

namespace {

store_view_services* services_ = nullptr;
store_view* current_ = nullptr;

const UINT_PTR refresh_timer_id = 51;
const wchar_t* const waiting_text = L"\uB300\uAE30\uC911";        // 대기중
const wchar_t* const offline_text = L"\uBBF8\uC811\uC18D";        // 미접속

// Tab moves between the search controls; Enter in the edit searches.
class search_keys : public subclass {
public:
    search_keys(HWND next, HWND container, HWND button, bool enter_searches)
        : next_(next), container_(container), button_(button), enter_(enter_searches) {}
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_DESTROY) {
            const LRESULT r = subclass::window_proc(msg, wparam, lparam);
            deinit();
            delete this;
            return r;
        }
        const LRESULT r = subclass::window_proc(msg, wparam, lparam);
        if (msg == WM_KEYDOWN) {
            if (wparam == VK_TAB) SetFocus(next_);
            if (wparam == VK_RETURN && enter_)
                PostMessageW(container_, WM_COMMAND, 102, reinterpret_cast<LPARAM>(button_));
        }
        return r;
    }

private:
    HWND next_, container_, button_;
    bool enter_;
};

HWND make_control(const wchar_t* cls, const wchar_t* text, DWORD style, int w, int h, HWND parent, int id) {
    HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, w, h, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return hwnd;
}

void add_items(HWND combo, std::initializer_list<const wchar_t*> items) {
    for (const wchar_t* item : items) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

// A 40 x 16 text image: dark grey frame, white inside, the text centred.
void text_image(dib& image, const wchar_t* text) {
    if (!image.create(40, 16, 24)) return;
    HDC dc = image.get_memdc();
    RECT all = {0, 0, 40, 16};
    dib::fill_solid_rect(dc, &all, RGB(46, 46, 46));
    RECT inner = {1, 1, 39, 15};
    dib::fill_solid_rect(dc, &inner, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(46, 46, 46));
    DrawTextW(dc, text, -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
}

void check_image(dib& image, bool ticked) {
    if (!image.create(14, 14, 24)) return;
    HDC dc = image.get_memdc();
    RECT all = {0, 0, 14, 14};
    dib::fill_solid_rect(dc, &all, RGB(255, 0, 255));
    DrawFrameControl(dc, &all, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (ticked ? DFCS_CHECKED : 0));
}

RECT inset_item(HWND header, int item) {
    RECT r = {0, 0, 0, 0};
    SendMessageW(header, HDM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
    InflateRect(&r, -3, -3);
    return r;
}

}  // namespace

void set_store_view_services(store_view_services* services) { services_ = services; }
store_view_services* get_store_view_services() { return services_; }

store_view* store_view::current() { return current_; }

void store_view_channel_listener::on_channel_changed(const wchar_t*) {
    if (current_) current_->on_channel_changed();
}

store_view::store_view()
    : search_field_(0),
      sort_column_(-1),
      scroll_width_(0),
      state_combo_(nullptr),
      field_combo_(nullptr),
      search_edit_(nullptr),
      search_button_(nullptr),
      note_button_(nullptr),
      header_box_(nullptr),
      saved_text_(0) {}

store_view::~store_view() {
    if (current_ == this) current_ = nullptr;
    if (header_box_) {
        header_box_->deinit();
        delete header_box_;
        header_box_ = nullptr;
    }
}

page_view* make_store_view(const stringx& text, HWND parent, const RECT& rect, library_skin* skin) {
    store_view* page = new store_view();
    if (!page->build(text, parent, rect, skin)) {
        delete page;
        return nullptr;
    }
    return page;
}

bool store_view::build(const stringx& key, HWND parent, const RECT& rect, library_skin* skin) {
    key_ = key;
    if (skin) {
        library_scroll_images h = skin->hscroll_images();
        library_scroll_images v = skin->vscroll_images();
        if (h.channel) set_hscroll_images(h.channel, h.thumb, h.plus, h.minus);
        if (v.channel) {
            set_vscroll_images(v.channel, v.thumb, v.plus, v.minus);
            scroll_width_ = v.channel->get_width();
        }
    }
    if (!create(parent, &rect, false, 0, 50)) return false;

    struct column { const wchar_t* heading; int alignment; };
    const column columns[10] = {{L"", 0},
                                {L"No", 2},
                                {L"\uC544\uC774\uB514", 0},                        // 아이디
                                {L"\uB9E4\uC7A5\uBA85", 0},                        // 매장명
                                {L"\uCCAD\uCDE8\uCC44\uB110", 0},                  // 청취채널
                                {L"", 2},
                                {L"\uC804\uD654\uBC88\uD638", 2},                  // 전화번호
                                {L"\uC811\uC18D / \uC885\uB8CC\uC2DC\uAC04", 2},  // 접속 / 종료시간
                                {L"\uCABD\uC9C0", 0},                              // 쪽지
                                {L"\uC815\uBCF4", 0}};                             // 정보
    for (int c = 0; c < 10; ++c) insert_column(c, columns[c].heading, columns[c].alignment, 0, c);
    set_widths(rect.right - rect.left - scroll_width_);
    for (int c : {0, 1, 8, 9}) set_fixed_column(c, true);

    check_image(check_images_[0], false);
    check_image(check_images_[1], true);
    column_images checks;
    checks.images = {&check_images_[0], &check_images_[1]};
    set_column_images(0, checks);
    text_image(send_image_, L"\uC804\uC1A1");     // 전송
    text_image(detail_image_, L"\uC790\uC138\uD788");  // 자세히
    column_images send;
    send.images = {&send_image_};
    set_column_images(8, send);
    column_images info;
    info.images = {&detail_image_};
    set_column_images(9, info);

    if (services_) {
        const std::wstring me = services_->user_id();
        for (auto& r : services_->records()) {
            if (me == r.userid.wvalue()) r.channel_title = services_->current_channel_title().c_str();
            if (key_.wvalue() == std::wstring(r.storemother.wvalue())) shown_.push_back(r);
        }
    }
    store_rows::sort_by_time(shown_);
    full_ = shown_;
    fill_rows();
    current_ = this;
    SetTimer(get_container(), refresh_timer_id, refresh_ms, nullptr);
    return true;
}

void store_view::set_widths(int width) {
    const bool wide = services_ && services_->expanded();
    int channel = wide ? width - 560 : width - 330;
    if (wide && channel < 100) channel = 100;
    const int normal[10] = {0, 30, 90, 130, channel, 80, 0, 0, 0, 0};
    const int expanded[10] = {20, 30, 90, 130, channel, 80, 90, 120, 0, 0};
    for (int c = 0; c < 10; ++c) set_column_width(c, wide ? expanded[c] : normal[c]);
}

std::wstring store_view::status_of(const store_record& r) {
    SYSTEMTIME now;
    if (services_)
        now = services_->now();
    else
        GetLocalTime(&now);
    return store_rows::status_text(r, now);
}

void store_view::fill_row(int row, int count) {
    const store_record& r = shown_[row];
    set_item_text(row, 1, std::to_wstring(count - row).c_str());
    set_item_text(row, 2, store_rows::id_text(r).c_str());
    set_item_text(row, 3, r.storename.wvalue());
    set_item_text(row, 4, r.channel_title.wvalue());
    set_item_text(row, 5, status_of(r).c_str());
    set_item_text(row, 6, r.phone.wvalue());
    set_item_text(row, 7, store_rows::access_text(r.access_time.wvalue()).c_str());
}

void store_view::fill_rows() {
    const int n = static_cast<int>(shown_.size());
    while (get_item_count() > n) delete_item(0);
    while (get_item_count() < n) insert_item(get_item_count(), L"");
    for (int k = 0; k < n; ++k) fill_row(k, n);
}

void store_view::refilter() {
    const int state = state_combo_ ? static_cast<int>(SendMessageW(state_combo_, CB_GETCURSEL, 0, 0)) : 0;
    shown_ = store_rows::filter_state(store_rows::filter_search(full_, search_field_, search_text_), state);
    fill_rows();
}

void store_view::search() {
    search_field_ = static_cast<int>(SendMessageW(field_combo_, CB_GETCURSEL, 0, 0));
    if (search_field_ < 0) search_field_ = 0;
    wchar_t text[1024] = L"";
    GetWindowTextW(search_edit_, text, 1024);
    search_text_ = text;
    refilter();
    sort_column_ = -1;
}

void store_view::sort(int column) {
    if (column != 2 && column != 3 && column != 4 && column != 7) return;
    if (column == sort_column_) {
        std::reverse(shown_.begin(), shown_.end());
        sort_column_ = -1;
    } else {
        store_rows::sort_by(shown_, column);
        sort_column_ = column;
    }
    fill_rows();
}

void store_view::on_timer() {
    const int state = state_combo_ ? static_cast<int>(SendMessageW(state_combo_, CB_GETCURSEL, 0, 0)) : 0;
    if (state > 0) shown_ = store_rows::filter_state(shown_, state);
    fill_rows();
}

void store_view::reload() {
    full_.clear();
    if (services_)
        for (const auto& r : services_->records())
            if (key_.wvalue() == std::wstring(r.storemother.wvalue())) full_.push_back(r);
    store_rows::sort_by_time(full_);
    refilter();
}

void store_view::record_changed(store_record* record) {
    if (!record) return;
    const std::wstring id = record->userid.wvalue();
    const int n = static_cast<int>(shown_.size());
    for (int k = 0; k < n; ++k) {
        if (id == shown_[k].userid.wvalue()) {
            shown_[k] = *record;
            fill_row(k, n);
            break;
        }
    }
    for (auto& r : full_) {
        if (id == r.userid.wvalue()) {
            r = *record;
            break;
        }
    }
    delete record;
}

void store_view::on_channel_changed() {
    if (!services_) return;
    const std::wstring me = services_->user_id();
    const stringx title(services_->current_channel_title().c_str());
    for (auto& r : full_)
        if (me == r.userid.wvalue()) {
            r.channel_title = title;
            break;
        }
    for (size_t k = 0; k < shown_.size(); ++k)
        if (me == shown_[k].userid.wvalue()) {
            shown_[k].channel_title = title;
            set_item_text(static_cast<int>(k), 4, title.wvalue());
            break;
        }
}

void store_view::check_all(bool on) {
    column_images* checks = find_column_images(0);
    const int n = get_item_count();
    for (int k = 0; k < n; ++k) {
        if (checks && k < static_cast<int>(checks->rows.size())) checks->rows[k] = on ? 1 : 0;
        set_item_state(k, on ? (LVIS_SELECTED | LVIS_FOCUSED) : 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    InvalidateRect(get_list(), nullptr, TRUE);
}

void store_view::on_subclass() {
    list_view::on_subclass();
    state_combo_ = make_control(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 100, 100,
                                GetParent(get_list()), 105);
    add_items(state_combo_, {L"\uC804\uCCB4", L"\uC811\uC18D\uC911", waiting_text, offline_text});
    header_box_ = new store_header(state_combo_);
    header_box_->init(reinterpret_cast<HWND>(SendMessageW(get_list(), LVM_GETHEADER, 0, 0)));
}

void store_view::create_list() {
    list_view::create_list();
    HWND c = get_container();
    field_combo_ = make_control(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 80, 100, c, 104);
    add_items(field_combo_, {L"\uC544\uC774\uB514", L"\uB9E4\uC7A5\uBA85", L"\uCCAD\uCDE8\uCC44\uB110"});
    search_edit_ = make_control(L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 120, 18, c, 103);
    search_button_ = make_control(L"BUTTON", L"\uAC80\uC0C9", BS_DEFPUSHBUTTON | WS_TABSTOP, 50, 20, c, 102);
    note_button_ = make_control(L"BUTTON", L"\uCABD\uC9C0 \uBCF4\uB0B4\uAE30", BS_PUSHBUTTON, 80, 20, c, 101);
    ShowWindow(note_button_, SW_HIDE);
    (new search_keys(search_button_, c, search_button_, true))->init(search_edit_);
    (new search_keys(field_combo_, c, search_button_, false))->init(search_button_);
    (new search_keys(search_edit_, c, search_button_, false))->init(field_combo_);
    layout_bar();
}

void store_view::layout_bar() {
    HWND c = get_container();
    HWND list = get_list();
    if (!c || !list || !field_combo_) return;
    RECT cr, lr;
    GetWindowRect(c, &cr);
    GetWindowRect(list, &lr);
    const int right = lr.right - cr.left, bottom = lr.bottom - cr.top;
    const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(search_button_, nullptr, right - 60, bottom + 10, 0, 0, flags);
    SetWindowPos(search_edit_, nullptr, right - 190, bottom + 10, 0, 0, flags);
    SetWindowPos(field_combo_, nullptr, right - 280, bottom + 10, 0, 0, flags);
    SetWindowPos(note_button_, nullptr, 10, bottom + 10, 0, 0, flags);
    ShowWindow(note_button_, services_ && services_->expanded() ? SW_SHOW : SW_HIDE);
}

LRESULT store_view::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = list_view::window_proc(msg, wparam, lparam);
    switch (msg) {
    case WM_SIZE: {
        RECT r;
        GetClientRect(get_list(), &r);
        set_widths(r.right - r.left);
        layout_bar();
        break;
    }
    case msg_check_all:
        check_all(wparam != 0);
        break;
    case msg_store_sort_column:
        sort(static_cast<int>(wparam));
        break;
    default:
        break;
    }
    return result;
}

int store_view::row_height(int height) { return static_cast<int>(height * 1.5); }

void store_view::draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) {
    HPEN pen = CreatePen(PS_SOLID, 1, grid_);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, 0, rect->bottom - 1, nullptr);
    LineTo(dc, rect->right, rect->bottom - 1);
    SelectObject(dc, old);
    DeleteObject(pen);
    rect->top += 1;
    list_view::draw_cell(row, column, dc, rect, flags);
}

stringx store_view::get_cell_text(int row, int column) {
    if (column < 2 || column > 7) return stringx(L"");
    return list_view::get_cell_text(row, column);
}

std::vector<std::wstring> store_view::popup_items() const {
    std::vector<std::wstring> items = {L"\uCABD\uC9C0 \uBCF4\uB0B4\uAE30", L"\uB9E4\uC7A5 \uC0C1\uC138 \uC815\uBCF4"};
    if (services_ && services_->usertype() == L"A") items.push_back(L"\uAC15\uC81C \uC811\uC18D \uC885\uB8CC");
    return items;
}

void store_view::popup(const NMITEMACTIVATE* item) {
    for (int k = get_next_item(-1, LVNI_SELECTED); k >= 0; k = get_next_item(k, LVNI_SELECTED))
        set_item_state(k, 0, LVIS_SELECTED | LVIS_FOCUSED);
    LVHITTESTINFO hit = {};
    hit.pt = item->ptAction;
    const int row = static_cast<int>(SendMessageW(get_list(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0) return;
    set_item_state(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    POINT pt = item->ptAction;
    ClientToScreen(get_list(), &pt);
    HMENU menu = CreatePopupMenu();
    const std::vector<std::wstring> items = popup_items();
    for (size_t i = 0; i < items.size(); ++i) AppendMenuW(menu, MF_STRING, 10001 + i, items[i].c_str());
    const int command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, pt.x, pt.y, 0,
                                       get_container(), nullptr);
    DestroyMenu(menu);
    if (command) run_command(command, row);
}

void store_view::run_command(int command, int row) {
    if (command == 10001) note_to(row);
    if (command == 10002) detail(row);
    if (command == 10003) disconnect(row);
}

void store_view::note_to(int row) {
    if (!services_ || row < 0 || row >= static_cast<int>(shown_.size())) return;
    const store_record r = shown_[row];
    if (r.connections == 0 && r.waiting == 0) {
        services_->message_box(get_list(), L"\uCABD\uC9C0\uB97C \uBCF4\uB0BC \uB9E4\uC7A5\uC774 "
                                           L"\uBBF8\uC811\uC18D \uC911\uC785\uB2C8\uB2E4");
        return;
    }
    if (static_cast<unsigned>(services_->user_level()) <= 1)
        services_->run_note_dialog(get_list(), false, r.storename.wvalue());
}

void store_view::group_note() {
    if (!services_) return;
    std::vector<store_record> chosen;
    for (int k = get_next_item(-1, LVNI_SELECTED); k >= 0; k = get_next_item(k, LVNI_SELECTED))
        if (k < static_cast<int>(shown_.size())) chosen.push_back(shown_[k]);
    if (chosen.empty()) {
        services_->message_box(get_list(), L"\uCABD\uC9C0\uB97C \uBCF4\uB0BC \uB9E4\uC7A5\uC744 "
                                           L"\uC120\uD0DD\uD558\uC2ED\uC2DC\uC624");
        return;
    }
    if (static_cast<unsigned>(services_->user_level()) <= 1) services_->run_note_dialog(get_list(), true, L"");
}

void store_view::detail(int row) {
    if (!services_ || row < 0 || row >= static_cast<int>(shown_.size())) return;
    services_->shell_open(store_rows::detail_address(services_->web_server(), shown_[row]));
}

void store_view::disconnect(int row) {
    if (!services_ || row < 0 || row >= static_cast<int>(shown_.size())) return;
    if (shown_[row].connections <= 0) {
        services_->message_box(get_list(), L"\uC885\uB8CC\uD560 \uB9E4\uC7A5\uC774 \uBBF8\uC811\uC18D "
                                           L"\uC911\uC774\uAC70\uB098 \uB300\uAE30\uC911 \uC0C1\uD0DC\uC785\uB2C8\uB2E4");
        return;
    }
    services_->user_level();
}

LRESULT store_view::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_DESTROY:
        if (current_ == this) current_ = nullptr;
        KillTimer(get_container(), refresh_timer_id);
        for (HWND* w : {&field_combo_, &search_edit_, &search_button_})
            if (*w && IsWindow(*w)) DestroyWindow(*w);
        break;
    case WM_TIMER:
        if (wparam == refresh_timer_id) {
            on_timer();
            return 0;
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wparam) == 102) search();
        if (LOWORD(wparam) == 105 && HIWORD(wparam) == CBN_SELCHANGE) {
            refilter();
            sort_column_ = -1;
        }
        if (LOWORD(wparam) == 101) group_note();
        break;
    case WM_NOTIFY: {
        const NMHDR* h = reinterpret_cast<const NMHDR*>(lparam);
        if (h && h->hwndFrom == get_list()) {
            if (h->code == LVN_ITEMCHANGED) {
                const NMLISTVIEW* item = reinterpret_cast<const NMLISTVIEW*>(lparam);
                column_images* checks = find_column_images(0);
                if ((item->uChanged & LVIF_STATE) && checks && item->iItem >= 0 &&
                    item->iItem < static_cast<int>(checks->rows.size()))
                    checks->rows[item->iItem] = (item->uNewState & LVIS_SELECTED) ? 1 : 0;
            } else if (h->code == NM_RCLICK) {
                popup(reinterpret_cast<const NMITEMACTIVATE*>(lparam));
            }
        }
        break;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        const std::wstring status = get_item_text(static_cast<int>(item->itemID), 5).wvalue();
        const COLORREF old_background = background_;
        COLORREF old_text;
        if (status == waiting_text || status == offline_text) {
            old_text = set_text_colors(RGB(144, 144, 144), selected_text_);
        } else {
            old_text = set_text_colors(RGB(0, 0, 0), selected_text_);
            background_ = RGB(245, 245, 245);
        }
        const LRESULT r = list_view::on_message(msg, wparam, lparam);
        set_text_colors(old_text, selected_text_);
        background_ = old_background;
        return r;
    }
    case msg_store_list_changed:
        reload();
        break;
    case msg_store_record_changed:
        record_changed(reinterpret_cast<store_record*>(lparam));
        break;
    case msg_list_view_notify: {
        const int row = static_cast<int>(wparam);
        const int column = static_cast<int>(lparam);
        if (column == 0) {
            column_images* checks = find_column_images(0);
            const bool on = checks && row < static_cast<int>(checks->rows.size()) && checks->rows[row] == 1;
            set_item_state(row, on ? (LVIS_SELECTED | LVIS_FOCUSED) : 0, LVIS_SELECTED | LVIS_FOCUSED);
        } else if (column == 8) {
            note_to(row);
        } else if (column == 9) {
            detail(row);
        }
        break;
    }
    default:
        break;
    }
    return page_view::on_message(msg, wparam, lparam);
}

// --- the header ---

void store_header::on_subclass() { SetParent(combo, get_hwnd()); }

void store_header::place_combo() {
    RECT r = {0, 0, 0, 0};
    SendMessageW(get_hwnd(), HDM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&r));
    if (r.right - r.left < 30) {
        ShowWindow(combo, SW_HIDE);
        return;
    }
    InflateRect(&r, -3, -3);
    RECT own;
    GetWindowRect(combo, &own);
    SetWindowPos(combo, nullptr, r.left, r.top, r.right - r.left, own.bottom - own.top,
                 SWP_NOSENDCHANGING | SWP_NOREDRAW | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(combo, SW_SHOW);
}

LRESULT store_header::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    HWND hwnd = get_hwnd();
    switch (msg) {
    case WM_DESTROY: {
        if (IsWindow(combo)) DestroyWindow(combo);
        const LRESULT r = subclass::window_proc(msg, wparam, lparam);
        deinit();
        return r;
    }
    case WM_PAINT: {
        const LRESULT r = subclass::window_proc(msg, wparam, lparam);
        RECT box = inset_item(hwnd, 0);
        if (box.right > box.left) {
            HDC dc = GetDC(hwnd);
            DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
            ReleaseDC(hwnd, dc);
        }
        place_combo();
        return r;
    }
    case HDM_LAYOUT: {
        // The header row is as tall as the combo plus 4 pixels.
        const LRESULT r = subclass::window_proc(msg, wparam, lparam);
        HDLAYOUT* layout = reinterpret_cast<HDLAYOUT*>(lparam);
        if (layout && layout->pwpos && layout->prc && IsWindow(combo)) {
            RECT own;
            GetWindowRect(combo, &own);
            layout->pwpos->cy = own.bottom - own.top + 4;
            layout->prc->top = layout->pwpos->cy;
        }
        return r;
    }
    case WM_NCHITTEST: {
        POINT pt = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        ScreenToClient(hwnd, &pt);
        HDHITTESTINFO hit = {};
        hit.pt = pt;
        hit_item = static_cast<int>(SendMessageW(hwnd, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        break;
    }
    case WM_COMMAND:
        PostMessageW(GetParent(GetParent(hwnd)), WM_COMMAND, wparam, lparam);
        break;
    case WM_LBUTTONUP: {
        POINT pt = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        if (hit_item >= 0) {
            RECT r = inset_item(hwnd, hit_item);
            if (PtInRect(&r, pt)) {
                if (hit_item == 0) {
                    SetCursor(LoadCursor(nullptr, IDC_HAND));
                    checked = !checked;
                    InvalidateRect(hwnd, &r, TRUE);
                    PostMessageW(GetParent(hwnd), store_view::msg_check_all, checked ? 1 : 0, 0);
                } else {
                    PostMessageW(GetParent(hwnd), store_view::msg_store_sort_column, hit_item, 0);
                }
            }
        }
        break;
    }
    case WM_LBUTTONDBLCLK:
        return 0;
    default:
        break;
    }
    return subclass::window_proc(msg, wparam, lparam);
}

// --- the note dialog ---

LRESULT send_note_dialog::dialog_proc(UINT msg, WPARAM wparam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        const std::wstring title =
            group_ ? L"[\uADF8\uB8F9]\uCABD\uC9C0 \uBCF4\uB0B4\uAE30" : store_name_ + L"\uC5D0\uAC8C \uCABD\uC9C0 \uBCF4\uB0B4\uAE30";
        SetWindowTextW(hwnd_, title.c_str());
        return 1;
    }
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            std::vector<wchar_t> text(65536, L'\0');
            GetDlgItemTextW(hwnd_, 1006, text.data(), 65536);
            if (!text[0]) {
                if (services_)
                    services_->message_box(hwnd_, L"\uBA54\uC2DC\uC9C0\uB97C \uC785\uB825\uD558\uC2ED\uC2DC\uC624");
                return 0;
            }
            message = text.data();
            EndDialog(hwnd_, 1);
            return 1;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(hwnd_, 2);
            return 1;
        }
        break;
    case WM_CLOSE:
        EndDialog(hwnd_, 2);
        return 1;
    default:
        break;
    }
    return 0;
}
