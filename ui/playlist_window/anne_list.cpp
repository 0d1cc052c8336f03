// The playlist window's announcement list.
#include "anne_list.h"

#include <cwchar>

#include "playlist_window.h"
#include "window_messages.h"

bool anne_list::build(HWND parent, const RECT& rect, playlist_window_skin& skin) {
    parent_ = parent;
    const playlist_scroll_images h = skin.hscroll_images(), v = skin.vscroll_images();
    set_hscroll_images(h.track, h.thumb, h.minus, h.plus);
    set_vscroll_images(v.track, v.thumb, v.minus, v.plus);
    RECT r = rect;
    if (!create(parent, &r, false, 0, 0)) return false;
    insert_column(0, L"방송시간", 0, 70);
    insert_column(1, L"제목", 0, 180);
    insert_column(2, L"듣기", 0, 36);
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
        set_item_text(row, 0, anne_start_text(static_cast<long>(r.start.total_seconds())).c_str());
        set_item_text(row, 1, r.title.wvalue());
        set_item_data(row, reinterpret_cast<DWORD_PTR>(&r));
    }
    // Every row shows the listen icon.
    if (column_images* set = find_column_images(listen_column)) set->rows.assign(static_cast<size_t>(wanted), 0);
    InvalidateRect(get_list(), nullptr, FALSE);
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

void anne_list::show_play_time(playlist_window_skin& skin) {
    int row = -1;
    for (int i = get_next_item(-1, LVNI_SELECTED); i >= 0; i = get_next_item(i, LVNI_SELECTED)) row = i;
    std::wstring text = L" ";
    if (row >= 0) {
        const auto* record = reinterpret_cast<const anne_record*>(get_item_data(row));
        if (record) {
            const long seconds = static_cast<long>(record->length.total_seconds());
            wchar_t buffer[64];
            std::swprintf(buffer, 64, L"재생 시간 : %02ld'%02ld", seconds / 60, seconds % 60);
            text = buffer;
        }
    }
    skin.draw_status_text(status_rect(get_container(), skin), text.c_str(), nullptr);
}

LRESULT anne_list::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == msg_list_view_notify && static_cast<int>(lparam) == listen_column && parent_ && IsWindow(parent_))
        SendMessageW(parent_, msg_list_view_notify, wparam, lparam);
    return list_view::on_message(msg, wparam, lparam);
}
