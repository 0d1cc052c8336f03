// The playlist window's announcement list.
#include "anne_list.h"

#include <cwchar>

#include "anne_cells.h"
#include "playlist_window.h"
#include "timex.h"
#include "window_messages.h"

anne_list::anne_list() {
    now_seconds = [] { return static_cast<long>(timex().get_seconds_of_day()); };
}

bool anne_list::build(HWND parent, const RECT& rect, playlist_window_skin& skin) {
    parent_ = parent;
    skin_ = &skin;
    const playlist_scroll_images h = skin.hscroll_images(), v = skin.vscroll_images();
    set_hscroll_images(h.track, h.thumb, h.minus, h.plus);
    set_vscroll_images(v.track, v.thumb, v.minus, v.plus);
    RECT r = rect;
    if (!create(parent, &r, false, 0, 0)) return false;
    // The title takes what the fixed columns and the own scroll bar leave.
    const int title = (rect.right - rect.left) - vbar_width() - 95;
    insert_column(time_column, L"방송시간", LVCFMT_CENTER, 55);
    insert_column(title_column, L"제목", LVCFMT_LEFT, title > 0 ? title : 0);
    insert_column(listen_column, L"듣기", LVCFMT_LEFT, 40);
    header_22_.set_fixed_item(time_column, true);
    header_22_.set_fixed_item(listen_column, true);
    column_images listen;
    listen.alignment = 1;
    if (dib* icon = skin.image(playlist_skin_images::anne_icon)) listen.images.push_back(icon);
    set_column_images(listen_column, listen);
    return true;
}

void anne_list::set_rows(const std::vector<anne_record>& records) {
    if (!get_list()) return;
    const int wanted = static_cast<int>(records.size());
    while (get_item_count() > wanted) delete_item(0);
    while (get_item_count() < wanted) insert_item(get_item_count(), L"");
    for (int row = 0; row < wanted; ++row) {
        const anne_record& r = records[static_cast<size_t>(row)];
        set_item_text(row, time_column, anne_start_text(static_cast<long>(r.start.total_seconds())).c_str());
        set_item_text(row, title_column, r.title.wvalue());
        set_item_data(row, reinterpret_cast<DWORD_PTR>(&r));
    }
    // Every row shows the listen icon.
    if (column_images* set = find_column_images(listen_column)) set->rows.assign(static_cast<size_t>(wanted), 0);
    // The rows are other records now: a highlight would name the wrong one.
    highlighted_ = -1;
    InvalidateRect(get_list(), nullptr, FALSE);
}

const anne_record* anne_list::record_at(int row) {
    if (!get_list() || row < 0 || row >= get_item_count()) return nullptr;
    return reinterpret_cast<const anne_record*>(get_item_data(row));
}

RECT anne_list::status_rect(HWND list_window, playlist_window_skin& skin) {
    RECT r = {};
    if (!list_window) return r;
    GetWindowRect(list_window, &r);
    MapWindowPoints(nullptr, GetParent(list_window), reinterpret_cast<POINT*>(&r), 2);
    dib* strip = skin.image(playlist_skin_images::status_strip);
    const int h = strip ? strip->get_height() : 14;
    return RECT{r.left + 5, r.bottom + 2, r.right, r.bottom + 2 + h};
}

void anne_list::show_play_time() {
    if (!skin_ || !get_container() || !IsWindowVisible(get_container())) return;
    if (!skin_->image(playlist_skin_images::status_strip)) return;
    int row = -1;
    for (int i = get_next_item(-1, LVNI_SELECTED); i >= 0; i = get_next_item(i, LVNI_SELECTED)) row = i;
    std::wstring text = L" ";
    if (row >= 0) {
        const anne_record* record = record_at(row);
        if (!record) return;
        const long seconds = static_cast<long>(record->length.total_seconds());
        wchar_t buffer[64] = {};
        _snwprintf(buffer, 63, L"재생 시간 : %02ld'%02ld", seconds / 60, seconds % 60);
        text = buffer;
    }
    skin_->draw_status_text(status_rect(get_container(), *skin_), text.c_str(), nullptr);
}

void anne_list::on_subclass() {
    list_view::on_subclass();
    // The own header in place of the base's.
    if (HWND h = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0))) {
        header_.deinit();
        header_22_.init(h);
    }
}

stringx anne_list::get_cell_text(int row, int column) {
    if (column == title_column || column == listen_column) return get_item_text(row, title_column);
    return stringx(L"");
}

// The time column is narrow for "hh:mm:ss": its text may use the cell's
// margins.
void anne_list::draw_cell_text(int row, int column, HDC dc, RECT* rect, unsigned flags, int alignment,
                               const wchar_t* text) {
    RECT area = *rect;
    if (column == time_column) InflateRect(&area, 4, 0);
    list_view::draw_cell_text(row, column, dc, &area, flags, alignment, text);
}

void anne_list::highlight(int row) {
    highlighted_ = row;
    if (row < 0) return;
    const int top = get_top_index();
    const int page = get_count_per_page();
    if (row < top) sync_vscroll(row);
    else if (page > 0 && row >= top + page) sync_vscroll(row - page + 1);
    RECT r = {LVIR_BOUNDS, 0, 0, 0};
    if (SendMessageW(get_list(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)))
        InvalidateRect(get_list(), &r, FALSE);
}

void anne_list::on_next_changed(const anne_record* record) {
    if (!get_list()) return;
    int found = -1;
    if (record) {
        for (int row = 0; row < get_item_count() && found < 0; ++row) {
            const anne_record* r = record_at(row);
            if (r && r->url.equals_ignore_case(record->url) && r->start == record->start) found = row;
        }
    }
    highlight(found);
}

void anne_list::on_preparing(const anne_record* record) {
    if (!get_list()) return;
    int found = -1;
    if (record) {
        for (int row = 0; row < get_item_count() && found < 0; ++row) {
            const anne_record* r = record_at(row);
            if (r && r->start_text.equals_ignore_case(record->start_text) && r->url.equals_ignore_case(record->url))
                found = row;
        }
    }
    highlight(found);
}

void anne_list::on_finished() {
    if (!get_list()) return;
    if (highlighted_ >= 0) {
        RECT r = {LVIR_BOUNDS, 0, 0, 0};
        if (SendMessageW(get_list(), LVM_GETITEMRECT, static_cast<WPARAM>(highlighted_),
                         reinterpret_cast<LPARAM>(&r)))
            InvalidateRect(get_list(), &r, FALSE);
    }
    highlighted_ = -1;
}

void anne_list::draw_item(const DRAWITEMSTRUCT* item) {
    const int row = static_cast<int>(item->itemID);
    const long t = anne_cells::parse_time_of_day(get_item_text(row, time_column).wvalue());
    const long first = anne_cells::parse_time_of_day(get_item_text(0, time_column).wvalue());
    const COLORREF background = background_, text = text_;
    if (anne_cells::row_is_ahead(now_seconds ? now_seconds() : 0, t < 0 ? 0 : t, first < 0 ? 0 : first))
        background_ = anne_cells::ahead_background;
    else
        text_ = anne_cells::past_text;
    list_view::on_message(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(item));
    background_ = background;
    text_ = text;
}

LRESULT anne_list::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        if (item && item->CtlType == ODT_LISTVIEW) {
            draw_item(item);
            return TRUE;
        }
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header && get_list() && header->hwndFrom == get_list() && header->code == LVN_ITEMCHANGED)
            show_play_time();
        break;
    }
    case msg_list_view_notify:
        // The playlist window plays the announcement of a listen click.
        if (parent_ && IsWindow(parent_)) PostMessageW(parent_, msg_list_view_notify, wparam, lparam);
        break;
    default:
        break;
    }
    return list_view::on_message(msg, wparam, lparam);
}
