// The announcement library page: creation, rows, the reserve and listen
// clicks, the modeless reservation dialog and its reports.
#include "anne_library_page.h"

#include <cwchar>
#include <memory>

#include "library_skin.h"
#include "reservation_list_service.h"
#include "library_page_listeners.h"
#include "window_messages.h"

namespace {

const int category_column = 0;
const int title_column = 1;
const int reserve_column = 2;  // with rights only
const int reserve_image = 26;
const int listen_image = 29;

std::wstring length_text(long seconds) {
    if (seconds < 0) seconds = 0;
    wchar_t text[32] = {};
    _snwprintf(text, 31, L"%02ld'%02ld", seconds / 60, seconds % 60);
    return text;
}

// The reservation list below the page, owned by the page as its companion.
class reservation_companion : public page_companion {
public:
    explicit reservation_companion(std::unique_ptr<reservation_list_control> list) : list_(std::move(list)) {}
    HWND get_hwnd() const override { return list_ ? list_->host_window() : nullptr; }
    reservation_list_control* list() const { return list_.get(); }

private:
    std::unique_ptr<reservation_list_control> list_;
};


}  // namespace

anne_library_list::anne_library_list(anne_library_services& services) : services_(services) {}

anne_library_list::~anne_library_list() {
    // The list's windows go without telling this object (list_view), so the
    // modeless dialog is closed here when the page ends before its window.
    if (get_container() && IsWindow(get_container())) close_new_reservation();
    library_.clear();
}

bool anne_library_list::rights_now() {
    return services_.logged_in() && usertype_may_reserve(services_.usertype());
}

int anne_library_list::row_height(int height) { return height * 14 / 10; }

void anne_library_list::set_widths(int title_width) {
    if (!get_list()) return;
    const int columns = rights_ ? 5 : 4;
    for (int c = 0; c < columns; ++c) {
        int width = 50;
        if (c == category_column) width = 70;
        if (c == title_column) width = title_width > 0 ? title_width : 0;
        set_column_width(c, width);
    }
}

bool anne_library_list::create(const stringx& key, HWND parent, const RECT& rect, library_skin* skin) {
    skin_ = skin;
    int vbar = 0;
    if (skin) {
        const library_scroll_images h = skin->hscroll_images();
        const library_scroll_images v = skin->vscroll_images();
        if (h.channel) set_hscroll_images(h.channel, h.thumb, h.minus, h.plus);
        if (v.channel) {
            set_vscroll_images(v.channel, v.thumb, v.minus, v.plus);
            vbar = v.channel->get_width();
        }
    }
    RECT r = rect;
    if (!list_view::create(parent, &r, false, 0, 0) || !get_list()) return false;
    SetWindowLongW(get_list(), GWL_STYLE, GetWindowLongW(get_list(), GWL_STYLE) | LVS_SINGLESEL);

    rights_ = rights_now();
    const int width = rect.right - rect.left;
    const int listen_column = rights_ ? 3 : 2;
    const int time_column = rights_ ? 4 : 3;
    insert_column(category_column, L"카테고리", LVCFMT_CENTER, 70);
    insert_column(title_column, L"제목", LVCFMT_LEFT, width - vbar - (rights_ ? 220 : 170));
    if (rights_) insert_column(reserve_column, L"예약", LVCFMT_CENTER, 50);
    insert_column(listen_column, L"듣기", LVCFMT_CENTER, 50);
    insert_column(time_column, L"시간", LVCFMT_CENTER, 50);
    for (int c = 0; c <= time_column; ++c) set_fixed_column(c, c != title_column);
    if (rights_) {
        column_images reserve;
        reserve.alignment = 1;
        if (dib* image = skin ? skin->image(reserve_image) : nullptr) reserve.images.push_back(image);
        set_column_images(reserve_column, reserve);
    }
    column_images listen;
    listen.alignment = 1;
    if (dib* image = skin ? skin->image(listen_image) : nullptr) listen.images.push_back(image);
    set_column_images(listen_column, listen);

    library_.clear();
    std::vector<anne_record> fetched;
    if (services_.load_library(key, fetched)) library_ = fetched;
    for (size_t i = 0; i < library_.size(); ++i) {
        const anne_record& a = library_[i];
        const int row = insert_item(static_cast<int>(i), a.category);
        if (row < 0) continue;
        set_item_text(row, title_column, a.title);
        set_item_text(row, time_column, length_text(a.length.total_seconds()).c_str());
    }

    if (rights_) {
        reservation_list_images images;
        if (skin) {
            images.listen = skin->image(listen_image);
            const library_scroll_images h = skin->hscroll_images();
            const library_scroll_images v = skin->vscroll_images();
            images.hscroll[0] = h.channel, images.hscroll[1] = h.thumb, images.hscroll[2] = h.minus,
            images.hscroll[3] = h.plus;
            images.vscroll[0] = v.channel, images.vscroll[1] = v.thumb, images.vscroll[2] = v.minus,
            images.vscroll[3] = v.plus;
        }
        const int height = rect.bottom - rect.top;
        const RECT below = {rect.left, rect.top + height, rect.right, rect.bottom + height};
        std::unique_ptr<reservation_list_control> list =
            create_reservation_list(parent, below, images, services_.reservations());
        if (list) companion = new reservation_companion(std::move(list));
    }
    return true;
}

HWND anne_library_list::reservation_window() const { return companion ? companion->get_hwnd() : nullptr; }

const std::vector<anne_schedule_record>* anne_library_list::reservations() const {
    auto* c = static_cast<reservation_companion*>(companion);
    return c && c->list() ? &c->list()->reservations() : nullptr;
}

LRESULT anne_library_list::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = list_view::window_proc(msg, wparam, lparam);
    if (msg == WM_SIZE) {
        RECT client = {};
        GetClientRect(hwnd_, &client);
        set_widths(client.right - (rights_ ? 220 : 170));
    }
    return result;
}

void anne_library_list::draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) {
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

stringx anne_library_list::get_cell_text(int row, int column) {
    bool tip = column == title_column;
    if (rights_) {
        const stringx type = services_.usertype();
        if (column == 3) tip = true;
        if (column == 4 && (type == L"T" || type == L"B")) tip = true;
    } else if (column == 2) {
        tip = true;
    }
    return tip ? get_item_text(row, title_column) : stringx(L"");
}

void anne_library_list::load_into_dialog(int row) {
    if (row < 0 || static_cast<size_t>(row) >= library_.size()) return;
    const anne_record& a = library_[static_cast<size_t>(row)];
    anne_schedule_record values;
    values.category_k = a.category;
    values.category_e = a.kind;
    values.title = a.title;
    values.playtime = a.length;
    values.apptime = timex_span(0L);
    values.weekdays = 127;
    values.volume = 100;
    show_new_reservation(get_container(), get_container(), a.code, values);
}

void anne_library_list::on_report(const wchar_t* code, const anne_schedule_record* record) {
    if (!record) return;
    std::vector<anne_schedule_record> result;
    if (services_.insert(stringx(code ? code : L""), *record, result)) {
        auto* c = static_cast<reservation_companion*>(companion);
        if (c && c->list()) c->list()->replace(result);
    }
}

LRESULT anne_library_list::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case msg_list_view_notify: {
        const int row = static_cast<int>(wparam);
        const int column = static_cast<int>(lparam);
        // Rights are checked on every click; the columns stay as made.
        const bool rights = rights_now();
        const int listen_column = rights_ ? 3 : 2;
        if (rights && rights_ && column == reserve_column) {
            load_into_dialog(row);
        } else if (column == listen_column && row >= 0 && static_cast<size_t>(row) < library_.size()) {
            if (!services_.live_anne_on())
                if (HWND info = services_.info_window())
                    SendMessageW(info, msg_anne_play_now, 0,
                                 reinterpret_cast<LPARAM>(&library_[static_cast<size_t>(row)]));
        }
        break;
    }
    case msg_reservation_edited:
        on_report(reinterpret_cast<const wchar_t*>(wparam), reinterpret_cast<const anne_schedule_record*>(lparam));
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header && header->hwndFrom == get_list() && header->code == LVN_ITEMCHANGED && new_reservation_window()) {
            const int row = get_next_item(-1, LVNI_SELECTED);
            if (row >= 0) load_into_dialog(row);
        }
        break;
    }
    case WM_DESTROY:
        close_new_reservation();
        break;
    default:
        break;
    }
    return page_view::on_message(msg, wparam, lparam);
}

void anne_library_list::window_state(int window_id, bool hidden) {
    if (window_id == 2 && hidden) close_new_reservation();
}

void library_page_state_listener::on_window_state(int window_id, bool hidden) {
    anne_library_list::window_state(window_id, hidden);
}
