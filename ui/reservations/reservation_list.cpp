// The reservation list: creation, rows, and what the user does with them.
#include "reservation_list.h"

#include <cwchar>

#include "anne_cells.h"
#include "reservation_detail_dialog.h"
#include "reservation_dialog.h"
#include "window_messages.h"

reservation_list* reservation_list::current_ = nullptr;

namespace {

const int fixed_width = 340;  // every column but the title

struct column_def {
    const wchar_t* heading;
    int format;
    int width;  // the title's is computed
};

const column_def columns[] = {
    {L"방송", LVCFMT_CENTER, 60}, {L"제목", LVCFMT_LEFT, 0},   {L"일", LVCFMT_CENTER, 20},
    {L"월", LVCFMT_CENTER, 15},   {L"화", LVCFMT_CENTER, 15},  {L"수", LVCFMT_CENTER, 15},
    {L"목", LVCFMT_CENTER, 15},   {L"금", LVCFMT_CENTER, 15},  {L"토", LVCFMT_CENTER, 20},
    {L"듣기", LVCFMT_CENTER, 50}, {L"시간", LVCFMT_CENTER, 50}, {L"자동MUTE", LVCFMT_CENTER, 65},
};

std::wstring start_text(long seconds) {
    wchar_t text[32] = {};
    _snwprintf(text, 31, L"%02ld:%02ld:%02ld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return text;
}

}  // namespace

bool usertype_may_reserve(const stringx& usertype) {
    for (const wchar_t* allowed : {L"T", L"B", L"A", L"D"})
        if (usertype == allowed) return true;
    return false;
}

std::wstring reservation_length_text(long seconds) {
    if (seconds < 0) seconds = 0;
    wchar_t text[32] = {};
    _snwprintf(text, 31, L"%02ld'%02ld", seconds / 60, seconds % 60);
    return text;
}

// One object for the run: the login manager keeps a single listener, and
// the list that exists when the code changes reloads.
namespace {
anneinfo_listener& the_code_listener() {
    static struct : anneinfo_listener {
        void on_anneinfo_code(const wchar_t*) override {
            if (reservation_list* list = reservation_list::current()) list->reload();
        }
    } listener;
    return listener;
}
}  // namespace

reservation_list::reservation_list(const reservation_list_images& images, reservation_services& services)
    : services_(services), images_(images) {
    current_ = this;
    services_.watch_anneinfo(&the_code_listener());
}


reservation_list::~reservation_list() {
    if (current_ == this) {
        current_ = nullptr;
        services_.watch_anneinfo(nullptr);
    }
    if (button_.get_hwnd() && IsWindow(button_.get_hwnd())) DestroyWindow(button_.get_hwnd());
    destroy_windows();
}

bool reservation_list::create_in(HWND parent, const RECT& rect) {
    draw_own_images();
    if (images_.hscroll[0]) set_hscroll_images(images_.hscroll[0], images_.hscroll[1], images_.hscroll[2],
                                               images_.hscroll[3]);
    if (images_.vscroll[0]) set_vscroll_images(images_.vscroll[0], images_.vscroll[1], images_.vscroll[2],
                                               images_.vscroll[3]);
    rights_ = services_.has_rights();
    RECT r = rect;
    if (!create(parent, &r, false, 0, rights_ ? 50 : 0) || !get_list()) return false;
    SetWindowLongW(get_list(), GWL_STYLE, GetWindowLongW(get_list(), GWL_STYLE) | LVS_SINGLESEL);
    for (int c = 0; c <= mute_column; ++c) {
        insert_column(c, columns[c].heading, columns[c].format, columns[c].width);
        day_header_.set_fixed_item(static_cast<unsigned>(c), c != title_column);
    }
    set_widths((rect.right - rect.left) - vbar_width() - fixed_width);
    make_volume_icons();
    column_images listen;
    listen.alignment = 1;
    listen.images.push_back(images_.listen);
    set_column_images(listen_column, listen);
    records_.clear();
    std::vector<anne_schedule_record> fetched;
    if (services_.list(fetched)) records_ = fetched;
    rebuild_rows();
    if (records_.empty()) services_.message(get_list(), L"예약된 안내방송이 없습니다", true);
    return true;
}

void reservation_list::make_volume_icons() {
    anne_cells::draw_volume_level_icons(volume_icons_, background_, grid_);
}

void reservation_list::set_widths(int title_width) {
    if (!get_list()) return;
    for (int c = 0; c <= mute_column; ++c)
        set_column_width(c, c == title_column ? (title_width > 0 ? title_width : 0) : columns[c].width);
}

void reservation_list::place_button() {
    if (!button_.get_hwnd() || !get_list()) return;
    RECT list = {};
    GetWindowRect(get_list(), &list);
    MapWindowPoints(nullptr, get_container(), reinterpret_cast<POINT*>(&list), 2);
    SetWindowPos(button_.get_hwnd(), nullptr, 10, list.bottom + 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void reservation_list::reload() {
    records_.clear();
    std::vector<anne_schedule_record> fetched;
    if (services_.list(fetched)) records_ = fetched;
    rebuild_rows();
}

void reservation_list::replace(const std::vector<anne_schedule_record>& records) {
    records_ = records;
    rebuild_rows();
}

void reservation_list::rebuild_rows() {
    if (!get_list()) return;
    delete_all_items();
    for (size_t i = 0; i < records_.size(); ++i) {
        const anne_schedule_record& r = records_[i];
        const int row = static_cast<int>(i);
        insert_item(row, start_text(static_cast<long>(r.apptime.total_seconds())).c_str());
        set_item_text(row, title_column, r.title.wvalue());
        set_item_text(row, length_column, reservation_length_text(static_cast<long>(r.playtime.total_seconds())).c_str());
        set_item_text(row, mute_column, r.auto_mute ? L"Y" : L"N");
    }
    InvalidateRect(get_list(), nullptr, TRUE);
}

unsigned reservation_list::volume_icon(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= records_.size()) return 0;
    return anne_cells::volume_level(records_[static_cast<size_t>(row)].volume);
}

bool reservation_list::day_shown(int row, int day) const {
    if (row < 0 || static_cast<size_t>(row) >= records_.size() || day < 0 || day > 6) return false;
    return (records_[static_cast<size_t>(row)].weekdays >> day) & 1;
}

int reservation_list::row_height(int) { return row_pixels; }

stringx reservation_list::get_cell_text(int row, int column) {
    if (column == title_column || column == listen_column) return get_item_text(row, title_column);
    return stringx(L"");
}

LRESULT reservation_list::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = list_view::window_proc(msg, wparam, lparam);
    if (msg == WM_SIZE) {
        RECT client = {};
        GetClientRect(hwnd_, &client);
        set_widths(client.right - client.left - fixed_width);
        place_button();
    }
    return result;
}

void reservation_list::on_listen(int row) {
    if (row < 0 || static_cast<size_t>(row) >= records_.size() || services_.live_anne_on()) return;
    const anne_schedule_record& r = records_[static_cast<size_t>(row)];
    if (r.url.length() > 0) {
        anne_record play;
        play.code = r.text_a;
        play.start = r.apptime;
        play.category = r.category_k;
        play.kind = r.category_e;
        play.title = r.title;
        play.volume = r.volume;
        play.enabled = 1;
        play.flag = 0;
        play.length = timex_span(0L);
        play.url = r.url.replace(L"http://", L"zel2://");
        HWND info = services_.info_window();
        if (info && IsWindow(info)) SendMessageW(info, msg_anne_play_now, 0, reinterpret_cast<LPARAM>(&play));
    } else if (r.file_number != 0) {
        reservation_detail_dialog detail(services_, r.listkey);
        detail.modal(reservation_detail_dialog::template_id, get_list());
    }
}

void reservation_list::edit(int row) {
    reservation_dialog dialog;
    dialog.record = records_[static_cast<size_t>(row)];
    if (dialog.run_modal(get_container()) != 1) return;
    std::vector<anne_schedule_record> result;
    if (services_.update(dialog.record, result)) replace(result);
}

void reservation_list::remove(int row) {
    std::vector<anne_schedule_record> result;
    if (services_.remove(records_[static_cast<size_t>(row)], result)) replace(result);
}

void reservation_list::on_right_click(const NMITEMACTIVATE* click) {
    const int row = click->iItem;
    POINT point = click->ptAction;
    ClientToScreen(get_list(), &point);
    const bool composite = records_[static_cast<size_t>(row)].file_number != 0;
    switch (services_.popup(get_container(), point, composite)) {
    case edit_command:
        edit(row);
        break;
    case delete_command:
        remove(row);
        break;
    default:
        break;
    }
}

void reservation_list::on_apply() {
    if (!services_.apply()) return;
    services_.message(get_list(), L"안내방송이 새로 편성되었습니다", false);
    services_.reload_day();
}

LRESULT reservation_list::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case msg_list_view_notify:
        if (static_cast<int>(lparam) == listen_column) on_listen(static_cast<int>(wparam));
        break;
    case WM_COMMAND:
        if (LOWORD(wparam) == apply_button && rights_) {
            on_apply();
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header && get_list() && header->hwndFrom == get_list() && header->code == NM_RCLICK && rights_) {
            auto* click = reinterpret_cast<NMITEMACTIVATE*>(lparam);
            if (click->iItem >= 0 && static_cast<size_t>(click->iItem) < records_.size()) {
                on_right_click(click);
                return 0;
            }
        }
        break;
    }
    default:
        break;
    }
    return list_view::on_message(msg, wparam, lparam);
}

std::unique_ptr<reservation_list_control> create_reservation_list(HWND parent, const RECT& rect,
                                                                  const reservation_list_images& images,
                                                                  reservation_services& services) {
    if (reservation_list::current()) return nullptr;
    std::unique_ptr<reservation_list> list(new reservation_list(images, services));
    if (!list->create_in(parent, rect)) return nullptr;
    return std::unique_ptr<reservation_list_control>(list.release());
}
