// The now-playing list: its own header, and rows reordered by dragging.
#include <algorithm>

#include "header_ctrl.h"
#include "play_manager.h"
#include "playlist.h"
#include "playlist_view.h"
#include "playlist_view_services.h"

namespace {

// The list's header: a flat header of its own height on which only the
// title and artist columns can be resized. Deletes itself with the window.
class playlist_header : public header_ctrl {
public:
    unsigned int item_height(unsigned int) override { return playlist_view::header_height; }

    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == msg_header_notify && lparam) {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->code == HDN_BEGINTRACKW) {
                const int column = reinterpret_cast<const NMHEADERW*>(lparam)->iItem;
                return column == playlist_view::column_title || column == playlist_view::column_artist ? 0 : 1;
            }
        }
        if (msg == WM_DESTROY) {
            const LRESULT result = header_ctrl::window_proc(msg, wparam, lparam);
            delete this;  // detaches; nothing of the object is used after this
            return result;
        }
        return header_ctrl::window_proc(msg, wparam, lparam);
    }
};

}  // namespace

void playlist_view::on_subclass() {
    list_view::on_subclass();
    HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
    if (!header) return;
    // Newest in the header's chain: its height and its column rule come
    // first; the list lays the header out when the container sizes it.
    (new playlist_header)->init(header);
}

// ---------------------------------------------------------------------------
// The reorder thread

void playlist_view::drag_worker::run() {
    HWND list = owner_.window;
    while (owner_.dragging_) {
        Sleep(drag_step_ms);
        if (!owner_.dragging_) break;
        // Bounded: the user-interface thread may be waiting for this thread
        // to end, and then does not answer.
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(list, msg_drag_step, 0, 0, SMTO_NORMAL, 200, &answer);
    }
}

void playlist_view::drag_worker::finish() {
    if (!handle_) return;
    // A step the thread is sending meanwhile is answered (and finds the drag
    // over), so that the thread is not left waiting for its time-out.
    while (MsgWaitForMultipleObjects(1, &handle_, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(handle_);
    handle_ = nullptr;
}

void playlist_view::begin_drag(const NMLISTVIEW* notice) {
    if (channel_mode_ || !window) return;
    end_drag();
    dragging_ = true;
    SetCapture(window);
    POINT cursor = {};
    if (services_.cursor_position(cursor)) {
        ScreenToClient(window, &cursor);
        drag_row_ = hittest(cursor, nullptr);
    } else {
        drag_row_ = notice ? notice->iItem : -1;
    }
    if (!drag_worker_.create()) dragging_ = false;
}

void playlist_view::end_drag() {
    dragging_ = false;
    drag_worker_.finish();
}

int playlist_view::drag_target_row(POINT cursor) {
    int row = hittest(cursor, nullptr);
    RECT client;
    GetClientRect(window, &client);
    const int first = get_top_index();
    const int count = get_item_count();
    if (count <= 0 || cursor.x < client.left || cursor.x >= client.right) return row;
    RECT top_row = {LVIR_BOUNDS, 0, 0, 0};
    if (!SendMessageW(window, LVM_GETITEMRECT, static_cast<WPARAM>(first), reinterpret_cast<LPARAM>(&top_row)))
        return row;
    const int height = top_row.bottom - top_row.top;
    int edge = -2;  // no edge zone
    if (cursor.y >= top_row.top - 5 && cursor.y < top_row.top + height / 2) {
        edge = first - 1;
    } else if (cursor.y >= client.bottom - height / 2 && cursor.y <= client.bottom + 5) {
        edge = first + get_count_per_page();
    }
    if (edge == -2) return row;
    if (edge < 0) return -1;
    row = std::min(edge, count - 1);
    ensure_visible(row, TRUE);
    sync_vscroll(-1);
    return row;
}

void playlist_view::drag_step() {
    if (!dragging_ || channel_mode_ || !window) return;
    POINT cursor = {};
    if (!services_.cursor_position(cursor)) return;
    ScreenToClient(window, &cursor);
    const int row = drag_target_row(cursor);
    if (row < 0 || row == drag_row_) return;
    if (drag_row_ < 0) {
        drag_row_ = row;
        return;
    }
    if (drag_selected_) {
        move_selection(row - drag_row_);
    } else {
        // The drag widens the selection to every row it passed over.
        const int from = std::min(drag_row_, row), to = std::max(drag_row_, row);
        for (int r = from; r <= to; ++r)
            if (!(get_item_state(r, LVIS_SELECTED) & LVIS_SELECTED)) set_item_state(r, LVIS_SELECTED, LVIS_SELECTED);
    }
    drag_row_ = row;
}

// ---------------------------------------------------------------------------
// Moving the selected rows

void playlist_view::move_selection(int delta) {
    if (channel_mode_ || delta == 0 || !window) return;
    play_manager* music = services_.music_player();
    playlist* current = music ? music->current_playlist() : nullptr;
    std::vector<int> sel = selected_rows();
    if (!current || sel.empty()) return;
    const std::vector<int> orig = sel;
    const int count = get_item_count();
    const int n = static_cast<int>(sel.size());
    if (delta > 0) {
        // Rows go down one at a time; a row stops where the rows selected
        // below it fill the end of the list.
        delta = std::min(delta, count - 1 - sel.back());
        for (int step = 0; step < delta; ++step)
            for (int i = 0; i < n; ++i)
                if (sel[i] < count - 1 && sel[i] + (n - i) < count) ++sel[i];
        for (int i = n - 1; i >= 0; --i) current->move(orig[i], sel[i]);
    } else {
        delta = std::max(delta, -sel.front());
        for (int step = 0; step < -delta; ++step)
            for (int i = 0; i < n; ++i)
                if (sel[i] > 0 && sel[i] > i) --sel[i];
        for (int i = 0; i < n; ++i) current->move(orig[i], sel[i]);
    }
    // The rows between the old and the new places show other entries now.
    const int first_changed = std::min(orig.front(), sel.front());
    const int last_changed = std::max(orig.back(), sel.back());
    for (int r = first_changed; r <= last_changed; ++r) repaint_row(r);
    for (int r = 0; r < count; ++r) {
        const bool wanted = std::binary_search(sel.begin(), sel.end(), r);
        const bool selected = (get_item_state(r, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        if (wanted) {
            invalidate_playing_row(r);
            if (!selected) set_item_state(r, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        } else if (selected) {
            set_item_state(r, 0, LVIS_SELECTED | LVIS_FOCUSED);
        }
    }
}
