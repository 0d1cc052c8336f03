// Today's schedule page: creation, rows, clicks, the header box, the time
// colouring and the highlight of the next announcement.
#include "today_schedule_page.h"

#include <cwchar>

#include "anne_cells.h"
#include "anne_progress_listener.h"
#include "library_skin.h"
#include "library_page_listeners.h"
#include "window_messages.h"

today_schedule_list* today_schedule_list::current_ = nullptr;
int today_schedule_list::highlighted_ = -1;

namespace {

const int fixed_width = 220;  // every column but the title
const COLORREF transparent = 0xFF00FF;

struct column_def {
    const wchar_t* heading;
    int format;
    int width;  // the title's is computed
};

const column_def columns[] = {
    {L"", LVCFMT_LEFT, 20},          {L"볼륨", LVCFMT_CENTER, 50}, {L"방송시간", LVCFMT_CENTER, 60},
    {L"제목", LVCFMT_LEFT, 0},       {L"듣기", LVCFMT_LEFT, 30},   {L"재생시간", LVCFMT_CENTER, 60},
};

std::wstring start_text(long seconds) {
    wchar_t text[32] = {};
    _snwprintf(text, 31, L"%02ld:%02ld:%02ld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return text;
}

std::wstring length_text(long seconds) {
    if (seconds < 0) seconds = 0;
    wchar_t text[32] = {};
    _snwprintf(text, 31, L"%02ld'%02ld", seconds / 60, seconds % 60);
    return text;
}

unsigned volume_icon(int volume) { return volume > 100 ? 0u : anne_cells::volume_level(volume); }

// The first record that denotes the same announcement (start and address).
int find_record(const std::vector<anne_record>& records, const anne_record& wanted) {
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].denotes_same(wanted)) return static_cast<int>(i);
    return -1;
}


}  // namespace

today_schedule_list::today_schedule_list(today_page_services& services) : services_(services) {}

today_schedule_list::~today_schedule_list() {
    if (current_ == this) current_ = nullptr;
    destroy_windows();
}

void today_schedule_list::set_widths(int title_width) {
    if (!get_list()) return;
    for (int c = 0; c <= length_column; ++c)
        set_column_width(c, c == title_column ? (title_width > 0 ? title_width : 0) : columns[c].width);
}

bool today_schedule_list::create(const stringx& key, HWND parent, const RECT& rect, library_skin* skin) {
    current_ = this;
    highlighted_ = -1;
    if (skin) {
        const library_scroll_images h = skin->hscroll_images();
        const library_scroll_images v = skin->vscroll_images();
        if (h.channel) set_hscroll_images(h.channel, h.thumb, h.minus, h.plus);
        if (v.channel) set_vscroll_images(v.channel, v.thumb, v.minus, v.plus);
    }
    RECT r = rect;
    if (!create_list_in(parent, r)) return false;
    for (int c = 0; c <= length_column; ++c) {
        insert_column(c, columns[c].heading, columns[c].format, columns[c].width);
        set_fixed_column(c, c != title_column);
        check_header_.set_fixed_item(static_cast<unsigned>(c), c != title_column);
    }
    set_widths((rect.right - rect.left) - vbar_width() - fixed_width);

    // The check images: the system's flat check box on the cells'
    // transparent colour, in the list's text colour.
    for (int i = 0; i < 2; ++i) {
        if (!checks_[i].get_memdc() && !checks_[i].create(14, 14, 24)) continue;
        HDC dc = checks_[i].get_memdc();
        RECT box = {0, 0, 14, 14};
        dib::fill_solid_rect(dc, &box, transparent);
        SetTextColor(dc, text_);
        DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (i ? DFCS_CHECKED : 0));
    }
    column_images check;
    check.images = {&checks_[0], &checks_[1]};
    set_column_images(check_column, check);
    anne_cells::draw_volume_level_icons(volume_icons_, transparent, grid_);
    column_images volume;
    volume.alignment = 1;
    for (dib& icon : volume_icons_) volume.images.push_back(&icon);
    set_column_images(volume_column, volume);
    column_images listen;
    if (dib* image = skin ? skin->image(29) : nullptr) listen.images.push_back(image);
    set_column_images(listen_column, listen);

    // A node of another store code switches the store's code first.
    records_.clear();
    const stringx current = services_.store_code();
    if (key.length() > 0 && !key.equals_ignore_case(current)) {
        services_.set_store_code(key);
        if (services_.post_store_code()) services_.scheduler_reload();
    }
    std::vector<anne_record> cached;
    if (services_.load_anne_list(cached, false)) records_ = cached;

    for (size_t i = 0; i < records_.size(); ++i) {
        const anne_record& a = records_[i];
        const int row = insert_item(static_cast<int>(i), L"");
        if (row < 0) continue;
        set_item_text(row, start_column, start_text(a.start.total_seconds()).c_str());
        set_item_text(row, title_column, a.title);
        set_item_text(row, length_column, length_text(a.length.total_seconds()).c_str());
        if (column_images* set = find_column_images(check_column))
            if (static_cast<size_t>(row) < set->rows.size()) set->rows[row] = a.enabled ? 1u : 0u;
        if (column_images* set = find_column_images(volume_column))
            if (static_cast<size_t>(row) < set->rows.size()) set->rows[row] = volume_icon(a.volume);
    }
    return true;
}

bool today_schedule_list::create_list_in(HWND parent, RECT& rect) {
    return list_view::create(parent, &rect, false, 0, 0) && get_list();
}

void today_schedule_list::on_subclass() {
    list_view::on_subclass();
    if (HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0))) {
        header_.deinit();
        check_header_.set_checked(true);
        check_header_.set_target(hwnd_);
        check_header_.init(header);
    }
}

LRESULT today_schedule_list::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = list_view::window_proc(msg, wparam, lparam);
    switch (msg) {
    case WM_SIZE: {
        RECT client = {};
        GetClientRect(hwnd_, &client);
        set_widths(client.right - fixed_width);
        break;
    }
    case msg_header_check_all: {
        column_images* set = find_column_images(check_column);
        if (!set || set->images.empty()) break;
        const bool on = wparam != 0;
        anne_cells::switch_day(records_, on);
        for (unsigned& index : set->rows) index = on ? 1u : 0u;
        InvalidateRect(hwnd_, nullptr, FALSE);
        services_.reload_anne_records(records_);
        break;
    }
    case WM_DESTROY:
        if (current_ == this) current_ = nullptr;
        break;
    default:
        break;
    }
    return result;
}

int today_schedule_list::row_height(int height) { return height * 16 / 10; }

void today_schedule_list::draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) {
    // A line in the grid colour along the bottom, then the cell above it.
    HPEN pen = CreatePen(PS_SOLID, 1, grid_);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, 0, rect->bottom - 1, nullptr);
    LineTo(dc, rect->right, rect->bottom - 1);
    SelectObject(dc, old);
    DeleteObject(pen);
    RECT cell = *rect;
    cell.top += 1;
    list_view::draw_cell(row, column, dc, &cell, flags);
}

stringx today_schedule_list::get_cell_text(int row, int column) {
    if (column == title_column || column == listen_column) return get_item_text(row, title_column);
    return stringx(L"");
}

bool today_schedule_list::row_ahead(int row, int now) {
    const long t = anne_cells::parse_time_of_day(get_item_text(row, start_column));
    const long first = anne_cells::parse_time_of_day(get_item_text(0, start_column));
    return anne_cells::row_is_ahead(now, t, first);
}

LRESULT today_schedule_list::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == msg_list_view_notify) {
        const int row = static_cast<int>(wparam);
        const int column = static_cast<int>(lparam);
        if (row >= 0 && static_cast<size_t>(row) < records_.size()) {
            anne_record& record = records_[static_cast<size_t>(row)];
            if (column == check_column) {
                column_images* set = find_column_images(check_column);
                record.enabled = (set && static_cast<size_t>(row) < set->rows.size() && set->rows[row] != 0) ? 1 : 0;
                services_.update_anne_record(record);
            } else if (column == volume_column) {
                column_images* set = find_column_images(volume_column);
                const unsigned level =
                    (set && static_cast<size_t>(row) < set->rows.size()) ? set->rows[row] : 0u;
                int volume = record.volume;
                if (anne_cells::volume_after_click(record.volume, level, volume)) {
                    record.volume = volume;
                    services_.update_anne_record(record);
                } else if (set && static_cast<size_t>(row) < set->rows.size()) {
                    set->rows[row] = 0;
                    repaint_row(row);
                }
            } else if (column == listen_column) {
                if (!services_.live_anne_on()) {
                    if (HWND info = services_.info_window())
                        SendMessageW(info, msg_anne_play_now, 0, reinterpret_cast<LPARAM>(&record));
                }
            }
        }
        return page_view::on_message(msg, wparam, lparam);
    }
    if (msg == WM_DRAWITEM) {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        const COLORREF background = background_;
        const COLORREF text = text_;
        if (item && item->CtlType == ODT_LISTVIEW) {
            if (row_ahead(static_cast<int>(item->itemID), services_.seconds_of_day()))
                background_ = anne_cells::ahead_background;
            else
                text_ = anne_cells::past_text;
        }
        const LRESULT result = list_view::on_message(msg, wparam, lparam);
        background_ = background;
        text_ = text;
        return result;
    }
    return page_view::on_message(msg, wparam, lparam);
}

void today_schedule_list::repaint_row(int row) {
    if (!get_list() || row < 0) return;
    RECT r = {};
    r.left = LVIR_BOUNDS;
    if (SendMessageW(get_list(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)))
        InvalidateRect(get_list(), &r, FALSE);
}

void today_schedule_list::show_row(int row) {
    if (!get_list() || row < 0) return;
    const int top = get_top_index();
    const int per_page = get_count_per_page();
    const int height = measured_row_height() > 0 ? measured_row_height() : 1;
    int lines = 0;
    if (row < top) lines = row - top;
    else if (per_page > 0 && row >= top + per_page) lines = row - (top + per_page - 1);
    if (lines != 0) {
        SendMessageW(get_list(), LVM_SCROLL, 0, static_cast<LPARAM>(lines * height));
        sync_vscroll(-1);
    }
    repaint_row(row);
}

void today_schedule_list::next_changed(const anne_record* record, today_page_services& services) {
    if (!record) return;
    if (today_schedule_list* page = current_) {
        if (!page->get_list()) return;
        highlighted_ = find_record(page->records_, *record);
        if (highlighted_ >= 0) page->show_row(highlighted_);
        return;
    }
    std::vector<anne_record> cached;
    services.load_anne_list(cached, false);
    highlighted_ = find_record(cached, *record);
}

void today_schedule_list::air(const anne_record*, today_page_services& services) { services.clear_info_title(); }

void today_schedule_list::finished() {
    if (current_) current_->repaint_row(highlighted_);
    highlighted_ = -1;
}

void today_anne_listener::on_next_changed(const anne_record* record) {
    today_schedule_list::next_changed(record, player_today_services());
}
void today_anne_listener::on_preparing(const anne_record* record) {
    today_schedule_list::next_changed(record, player_today_services());
}
void today_anne_listener::on_air(const anne_record* record) { today_schedule_list::air(record, player_today_services()); }
void today_anne_listener::on_finished() { today_schedule_list::finished(); }

// ---------------------------------------------------------------------------
// The check-all header.

bool today_schedule_list::check_header::box_rect(RECT& out) {
    RECT item = {};
    if (!hwnd_ || !SendMessageW(hwnd_, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item))) return false;
    const int top = item.top + ((item.bottom - item.top) - 14) / 2;
    out = {item.left + 3, top, item.left + 3 + 14, top + 14};
    return true;
}

void today_schedule_list::check_header::draw_item(unsigned int index, HDC dc, RECT& rect, const wchar_t* text) {
    header_ctrl2::draw_item(index, dc, rect, text);
    if (index != 0) return;
    RECT box = {};
    if (!box_rect(box)) return;
    SetTextColor(dc, get_text_color());
    DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked_ ? DFCS_CHECKED : 0));
}

LRESULT today_schedule_list::check_header::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_LBUTTONDOWN) {
        const POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        RECT box = {};
        if (box_rect(box) && PtInRect(&box, p)) {
            checked_ = !checked_;
            InvalidateRect(hwnd_, nullptr, FALSE);
            if (target_) PostMessageW(target_, msg_header_check_all, checked_ ? 1 : 0, 0);
            return 0;
        }
    }
    return header_ctrl2::window_proc(msg, wparam, lparam);
}
