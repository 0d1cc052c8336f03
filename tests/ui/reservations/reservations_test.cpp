// The reservation dialog and list on real windows: the dialog's combos and
// record (modal and modeless), the list's rows, weekday images and volume
// icons, the rights, and a round trip of insert, update, delete, detail and
// apply through the service client's requests to the stand-in.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "anne_cells.h"
#include "announcement_requests.h"
#include "core.h"
#include "fake_service_link.h"
#include "reservation_detail_dialog.h"
#include "reservation_dialog.h"
#include "reservation_list.h"
#include "reservation_list_service.h"
#include "reservation_requests.h"
#include "stand_in_server.h"
#include "window_capture.h"
#include "window_messages.h"
#include "window_rig.h"

namespace {

// A step run from a timer while a modal dialog (or anything else) runs
// its own loop: the dialog of that caption, once it shows.
std::function<bool(HWND)> g_step;
const wchar_t* g_caption = nullptr;
// This thread's window of that caption (other test programs show theirs on
// the same display).
HWND own_window(const wchar_t* caption) {
    struct search {
        const wchar_t* caption;
        HWND found;
        static BOOL CALLBACK visit(HWND h, LPARAM l) {
            auto* s = reinterpret_cast<search*>(l);
            wchar_t text[64] = {};
            GetWindowTextW(h, text, 64);
            if (std::wstring(text) != s->caption) return TRUE;
            s->found = h;
            return FALSE;
        }
    } s = {caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), search::visit, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

void CALLBACK step_timer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = own_window(g_caption);
    if (!dialog || !IsWindowVisible(dialog) || !g_step) return;
    // Taken first: the step may pump messages, and the timer must not run it
    // twice.
    KillTimer(nullptr, id);
    std::function<bool(HWND)> step = std::move(g_step);
    g_step = nullptr;
    step(dialog);
}
void when_shown(const wchar_t* caption, std::function<bool(HWND)> step) {
    g_caption = caption;
    g_step = std::move(step);
    SetTimer(nullptr, 0, 30, step_timer);
}

reservation_dialog* dialog_of(HWND window) {
    for (dialog* d : *core::get_dlglist())
        if (d->get_hwnd() == window) return static_cast<reservation_dialog*>(d);
    return nullptr;
}

int selection(HWND dialog, int combo) {
    return static_cast<int>(SendDlgItemMessageW(dialog, combo, CB_GETCURSEL, 0, 0));
}

anne_schedule_record reservation(const wchar_t* title, long apptime, int weekdays, int volume, bool mute) {
    anne_schedule_record r;
    r.text_a = L"R9";
    r.title = title;
    r.apptime = timex_span(apptime);
    r.weekdays = weekdays;
    r.volume = volume;
    r.auto_mute = mute ? 1 : 0;
    r.listkey = L"LK9";
    r.comkey = L"CK9";
    r.category_e = L"c9";
    r.playtime = timex_span(75L);
    r.url = L"http://127.0.0.1/anne/r9.mp3";
    return r;
}

// The list's services over the service client's requests and a link to the
// stand-in; the popup's choice, the message boxes and the scheduler's
// reloads are recorded.
class stand_in_services : public reservation_services {
public:
    fake_service_link link;
    std::vector<anne_record> kept;
    bool rights = true;
    bool live = false;
    int info_volume_option = 700;
    HWND info = nullptr;
    int popup_choice = 0;
    std::vector<bool> popups;  // view enabled, per popup
    std::vector<std::wstring> messages;
    anneinfo_listener* watcher = nullptr;
    int day_reloads = 0;

    bool list(std::vector<anne_schedule_record>& out) override { return list_anne_schedule(link, out); }
    bool update(const anne_schedule_record& r, std::vector<anne_schedule_record>& out) override {
        return update_anne_schedule(link, r.listkey.wvalue(), r.comkey.wvalue(), r.playtime, r.weekdays, r.apptime,
                                    r.volume, r.auto_mute != 0, out);
    }
    bool remove(const anne_schedule_record& r, std::vector<anne_schedule_record>& out) override {
        return delete_anne_schedule(link, r.listkey.wvalue(), r.comkey.wvalue(), r.category_e.wvalue(), out);
    }
    bool detail(const stringx& listkey, std::vector<anne_schedule_record>& out) override {
        return get_anne_schedule(link, listkey.wvalue(), out);
    }
    bool apply() override { return apply_anne_schedule(link); }
    void reload_day() override {
        ++day_reloads;
        std::vector<anne_record> day;
        load_anne_list(link, kept, day, true);
        reload_anne_records(link, kept, day);
    }
    bool has_rights() override { return rights; }
    bool live_anne_on() override { return live; }
    int info_volume() override { return info_volume_option; }
    HWND info_window() override { return info; }
    void watch_anneinfo(anneinfo_listener* l) override { watcher = l; }
    void message(HWND, const wchar_t* text, bool) override { messages.push_back(text); }
    int popup(HWND, POINT, bool view_enabled) override {
        popups.push_back(view_enabled);
        return popup_choice;
    }
};

// The announcement window: keeps copies of what it is asked to play.
class info_recorder : public subclass {
public:
    std::vector<anne_record> played;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == msg_anne_play_now && lparam) played.push_back(*reinterpret_cast<const anne_record*>(lparam));
        return subclass::window_proc(msg, wparam, lparam);
    }
};

// The owner of the modeless dialog: what each msg_reservation_edited said.
class owner_recorder : public subclass {
public:
    std::vector<std::pair<std::wstring, anne_schedule_record>> reported;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == msg_reservation_edited)
            reported.push_back({reinterpret_cast<const wchar_t*>(wparam),
                                *reinterpret_cast<const anne_schedule_record*>(lparam)});
        return subclass::window_proc(msg, wparam, lparam);
    }
};

std::vector<std::string> names(const recorded_request& r) {
    std::vector<std::string> out;
    for (const auto& f : r.decoded_fields()) out.push_back(f.first);
    return out;
}

std::string field(const recorded_request& r, const char* name) {
    std::string value;
    for (const auto& f : r.decoded_fields())
        if (f.first == name) value = f.second;
    return value;
}

// A right click on a row's title cell.
void right_click(reservation_list& list, int row) {
    RECT cell = {};
    list.get_cell_rect(row, reservation_list::title_column, cell);
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = list.get_list();
    click.hdr.idFrom = list_view::list_id;
    click.hdr.code = NM_RCLICK;
    click.iItem = row;
    click.ptAction = POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    SendMessageW(list.get_container(), WM_NOTIFY, list_view::list_id, reinterpret_cast<LPARAM>(&click));
}

struct reservations_test : ::testing::Test {
    std::unique_ptr<window_rig::host_window> host;
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        host = std::make_unique<window_rig::host_window>(20, 20, 640, 360);
    }
    void TearDown() override {
        close_new_reservation();
        window_rig::pump();
        host.reset();
    }
    void paint(HWND window) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        window_rig::pump();
    }
};

}  // namespace

TEST(reservation_dialog_minutes, five_minute_steps_first_then_every_minute) {
    struct {
        int minutes, index;
    } cases[] = {{0, 0}, {5, 1}, {35, 7}, {55, 11}, {1, 12}, {37, 48}, {59, 70}, {-1, -1}, {60, -1}};
    for (const auto& c : cases) EXPECT_EQ(reservation_dialog::minutes_index(c.minutes), c.index) << c.minutes;
    // Every minute has its entry, and the entry shows it.
    for (int m = 0; m < 60; ++m) EXPECT_EQ(reservation_dialog::minutes_at(reservation_dialog::minutes_index(m)), m);
    EXPECT_EQ(reservation_dialog::minutes_at(71), -1);
}

TEST(reservation_rights, store_types_that_may_reserve) {
    struct {
        const wchar_t* usertype;
        bool rights;
    } cases[] = {{L"T", true}, {L"B", true}, {L"A", true}, {L"D", true},
                 {L"X", false}, {L"t", false}, {L"", false}, {L"TB", false}};
    for (const auto& c : cases) EXPECT_EQ(usertype_may_reserve(stringx(c.usertype)), c.rights) << c.usertype;
}

// Modal: the combos show the start, the edited values come back with every
// key unchanged; closing returns 2 and keeps the record.
TEST_F(reservations_test, the_modal_dialog_edits_the_time_days_volume_and_mute) {
    reservation_dialog dialog;
    dialog.record = reservation(L"점심 할인 안내", 8 * 3600 + 35 * 60 + 20, 0b0101010, 60, false);
    std::vector<int> seen;
    when_shown(L"방송 예약", [&](HWND w) {
        seen = {selection(w, reservation_dialog::hours_combo), selection(w, reservation_dialog::minutes_combo),
                selection(w, reservation_dialog::seconds_combo),
                static_cast<int>(SendDlgItemMessageW(w, reservation_dialog::minutes_combo, CB_GETCOUNT, 0, 0))};
        reservation_dialog* d = dialog_of(w);
        if (d) {
            const pixel_image picture = capture_window(w);
            save_artifact(picture, L"modal");
            d->current_skin()->set_position(reservation_dialog::volume_slider, 45);
        }
        SendMessageW(w, WM_COMMAND, reservation_dialog::first_day + 1, 0);  // Monday off
        SendMessageW(w, WM_COMMAND, reservation_dialog::first_day, 0);      // Sunday on
        SendMessageW(w, WM_COMMAND, reservation_dialog::mute_check, 0);
        SendDlgItemMessageW(w, reservation_dialog::minutes_combo, CB_SETCURSEL, 48, 0);  // 37
        PostMessageW(w, WM_COMMAND, 1, 0);
        return true;
    });
    EXPECT_EQ(dialog.run_modal(host->hwnd()), 1);
    EXPECT_EQ(seen, (std::vector<int>{8, 7, 20, 71}));
    EXPECT_EQ(dialog.record.apptime.total_seconds(), 8 * 3600 + 37 * 60 + 20);
    EXPECT_EQ(dialog.record.weekdays, 0b0101001);
    EXPECT_EQ(dialog.record.volume, 45);
    EXPECT_EQ(dialog.record.auto_mute, 1);
    EXPECT_EQ(std::wstring(dialog.record.listkey.wvalue()), L"LK9");
    EXPECT_EQ(std::wstring(dialog.record.comkey.wvalue()), L"CK9");
    EXPECT_EQ(std::wstring(dialog.record.title.wvalue()), L"점심 할인 안내");

    // Unchanged values come back as they were; no day at all is a mask of 0.
    struct {
        long apptime;
        int weekdays;
    } cases[] = {{30920, 0}, {0, 127}, {23 * 3600 + 59 * 60 + 59, 1}};
    for (const auto& c : cases) {
        reservation_dialog again;
        again.record = reservation(L"t", c.apptime, c.weekdays, 100, true);
        when_shown(L"방송 예약", [](HWND w) {
            PostMessageW(w, WM_COMMAND, 1, 0);
            return true;
        });
        ASSERT_EQ(again.run_modal(host->hwnd()), 1);
        EXPECT_EQ(again.record.apptime.total_seconds(), c.apptime);
        EXPECT_EQ(again.record.weekdays, c.weekdays);
        EXPECT_EQ(again.record.volume, 100);
        EXPECT_EQ(again.record.auto_mute, 1);
    }

    reservation_dialog closed;
    closed.record = reservation(L"t", 3600, 3, 10, false);
    when_shown(L"방송 예약", [](HWND w) {
        SendMessageW(w, WM_COMMAND, reservation_dialog::first_day + 5, 0);
        PostMessageW(w, WM_CLOSE, 0, 0);
        return true;
    });
    EXPECT_EQ(closed.run_modal(host->hwnd()), 2);
    EXPECT_EQ(closed.record.weekdays, 3);
}

// Modeless: "보내기" reports and stays, OK reports and closes; the owner
// reads the code and the record during the call. One dialog at a time.
TEST_F(reservations_test, the_modeless_dialog_sends_each_reservation_to_its_owner) {
    owner_recorder owner;
    owner.init(host->hwnd());
    anne_schedule_record row = reservation(L"오픈 멘트", 10 * 60, 0b1111100, 30, false);
    ASSERT_TRUE(show_new_reservation(host->hwnd(), host->hwnd(), stringx(L"L01"), row));
    HWND window = new_reservation_window();
    ASSERT_TRUE(window);
    reservation_dialog* dialog = reservation_dialog::open_dialog();
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(dialog->is_modal());
    EXPECT_EQ(selection(window, reservation_dialog::hours_combo), 0);
    EXPECT_EQ(selection(window, reservation_dialog::minutes_combo), 2);  // 10
    EXPECT_EQ(dialog->current_skin()->get_position(reservation_dialog::volume_slider), 100);
    paint(window);
    save_artifact(capture_window(window), L"modeless");

    SendMessageW(window, WM_COMMAND, reservation_dialog::send_button, 0);
    ASSERT_EQ(owner.reported.size(), 1u);
    EXPECT_EQ(owner.reported[0].first, L"L01");
    EXPECT_EQ(owner.reported[0].second.apptime.total_seconds(), 10 * 60);
    EXPECT_EQ(owner.reported[0].second.weekdays, 0b1111100);
    EXPECT_EQ(owner.reported[0].second.volume, 100);
    EXPECT_TRUE(IsWindow(window)) << "sending leaves the dialog open";

    // Another row shown in the open dialog: the same window.
    ASSERT_TRUE(show_new_reservation(host->hwnd(), host->hwnd(), stringx(L"L02"), reservation(L"마감", 25 * 60, 1, 50, false)));
    EXPECT_EQ(new_reservation_window(), window);
    SendMessageW(window, WM_COMMAND, reservation_dialog::first_day + 6, 0);
    SendMessageW(window, WM_COMMAND, 1, 0);
    ASSERT_EQ(owner.reported.size(), 2u);
    EXPECT_EQ(owner.reported[1].first, L"L02");
    EXPECT_EQ(owner.reported[1].second.weekdays, 1 | 64);
    EXPECT_EQ(owner.reported[1].second.apptime.total_seconds(), 25 * 60);
    EXPECT_FALSE(IsWindow(window)) << "OK closes";
    EXPECT_EQ(reservation_dialog::open_dialog(), nullptr);
    EXPECT_EQ(new_reservation_window(), nullptr);

    // Closing the host's way destroys it as well.
    ASSERT_TRUE(show_new_reservation(host->hwnd(), host->hwnd(), stringx(L"L03"), row));
    close_new_reservation();
    EXPECT_EQ(reservation_dialog::open_dialog(), nullptr);
    EXPECT_EQ(owner.reported.size(), 2u);
    owner.deinit();
}

// The rows, the weekday images of mask 0b0101010, the volume icons and a
// picture; the list follows a change of the announcement-info code.
TEST_F(reservations_test, the_list_shows_days_volumes_and_follows_the_code) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario()) << server.error();
    stand_in_services services;
    services.link.host = server.host();
    reservation_list_images images;
    RECT rect = {10, 10, 630, 300};
    std::unique_ptr<reservation_list_control> control = create_reservation_list(host->hwnd(), rect, images, services);
    ASSERT_TRUE(control);
    EXPECT_EQ(create_reservation_list(host->hwnd(), rect, images, services), nullptr) << "one list at a time";
    auto* list = reservation_list::current();
    ASSERT_TRUE(list);
    ASSERT_EQ(list->get_item_count(), 1);
    EXPECT_EQ(std::wstring(list->get_item_text(0, 0).wvalue()), L"09:05:00");
    EXPECT_EQ(std::wstring(list->get_item_text(0, reservation_list::length_column).wvalue()), L"00'30");
    EXPECT_TRUE(services.messages.empty());
    ASSERT_TRUE(services.watcher);

    std::vector<anne_schedule_record> rows = {reservation(L"월수금 안내", 9 * 3600, 0b0101010, 37, false),
                                              reservation(L"점심", 12 * 3600, 127, 38, true),
                                              reservation(L"조용히", 13 * 3600, 0, 0, false),
                                              reservation(L"안내 볼륨", 14 * 3600, 1, 250, false)};
    rows[1].number_a = 1;
    rows[1].url = L"";
    rows[1].file_number = 3;
    rows[2].number_a = 2;
    rows[3].playtime = timex_span(3600L + 5);
    control->replace(rows);
    ASSERT_EQ(list->get_item_count(), 4);
    EXPECT_EQ(std::wstring(list->get_item_text(1, reservation_list::mute_column).wvalue()), L"Y");
    EXPECT_EQ(std::wstring(list->get_item_text(3, reservation_list::length_column).wvalue()), L"60'05");
    for (int day = 0; day < 7; ++day) EXPECT_EQ(list->day_shown(0, day), day == 1 || day == 3 || day == 5) << day;
    paint(host->hwnd());
    const pixel_image picture = capture_window(host->hwnd());
    save_artifact(picture, L"list");
    // The own image of a reserved day is a blue square: under 월, 수, 금 only.
    POINT origin = {0, 0};
    MapWindowPoints(list->get_list(), host->hwnd(), &origin, 1);
    for (int day = 0; day < 7; ++day) {
        RECT cell = {};
        ASSERT_TRUE(list->get_cell_rect(0, reservation_list::first_day_column + day, cell));
        const int blue = picture.count(0xC8781E, origin.x + cell.left, origin.y + cell.top, cell.right - cell.left,
                                       cell.bottom - cell.top);
        EXPECT_EQ(blue > 0, day == 1 || day == 3 || day == 5) << day;
    }
    EXPECT_EQ(list->volume_icon(0), 1u);
    EXPECT_EQ(list->volume_icon(1), 2u);
    EXPECT_EQ(list->volume_icon(2), 0u);
    EXPECT_EQ(control->reservations()[3].volume, 70) << "the player's announcement volume / 10 at the first paint";
    EXPECT_EQ(list->volume_icon(3), 3u);

    // The code changes: the list asks again, without a word.
    services.watcher->on_anneinfo_code(L"G002");
    EXPECT_EQ(list->get_item_count(), 1);
    services.link.anneinfo = L"G404";
    services.watcher->on_anneinfo_code(L"G404");
    EXPECT_EQ(list->get_item_count(), 0);
    EXPECT_TRUE(services.messages.empty());

    control.reset();
    EXPECT_EQ(services.watcher, nullptr);
    EXPECT_EQ(reservation_list::current(), nullptr);
}

// Without rights: no button, no popup; an empty list says so at creation.
TEST_F(reservations_test, without_rights_the_list_offers_no_changes) {
    stand_in_services services;
    services.rights = false;
    services.link.canned = {"Result=Success\r\n"};
    reservation_list_images images;
    RECT rect = {10, 10, 630, 300};
    auto control = create_reservation_list(host->hwnd(), rect, images, services);
    ASSERT_TRUE(control);
    auto* list = reservation_list::current();
    EXPECT_EQ(list->apply_button_window(), nullptr);
    EXPECT_EQ(services.messages, std::vector<std::wstring>{L"예약된 안내방송이 없습니다"});
    control->replace({reservation(L"t", 3600, 1, 50, false)});
    right_click(*list, 0);
    EXPECT_TRUE(services.popups.empty());
    RECT client = {}, list_rect = {};
    GetClientRect(list->get_container(), &client);
    GetWindowRect(list->get_list(), &list_rect);
    EXPECT_EQ(list_rect.bottom - list_rect.top, client.bottom - client.top) << "no room kept for the button";
}

// The round trip: a reservation inserted (as the library page sends it),
// edited through the popup and the modal dialog, looked into, deleted, and
// the reservations put into effect, after which the scheduler reloads.
TEST_F(reservations_test, insert_edit_view_delete_and_apply_through_the_stand_in) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario()) << server.error();
    stand_in_services services;
    services.link.host = server.host();
    info_recorder info;
    auto info_window = std::make_unique<window_rig::host_window>(700, 20, 100, 60);
    info.init(info_window->hwnd());
    services.info = info_window->hwnd();
    reservation_list_images images;
    RECT rect = {10, 10, 630, 300};
    auto control = create_reservation_list(host->hwnd(), rect, images, services);
    ASSERT_TRUE(control);
    auto* list = reservation_list::current();
    ASSERT_TRUE(list->apply_button_window());

    // Insert: the ten fields after the common head, as the page sends them.
    std::vector<anne_schedule_record> after;
    ASSERT_TRUE(insert_anne_schedule(services.link, L"L01", L"점심 안내", L"안내", L"c1", timex_span(30L), 0b0101010,
                                     timex_span(0, 12, 5, 0), 90, true, after));
    const recorded_request inserted = server.requests().back();
    EXPECT_EQ(names(inserted), (std::vector<std::string>{"storetop", "storemother", "storecode", "userid", "userpw",
                                                         "anneinfo_code", "flag", "anne_code", "anneinfo_title",
                                                         "category_k", "category_e", "anne_playtime",
                                                         "anne_weekdata", "anne_apptime", "anne_volume",
                                                         "anne_mute"}));
    EXPECT_EQ(field(inserted, "anne_weekdata"), "0101010");
    EXPECT_EQ(field(inserted, "anne_apptime"), "12:05:00");
    control->replace(after);
    ASSERT_EQ(list->get_item_count(), 2);
    EXPECT_EQ(std::wstring(list->get_item_text(1, reservation_list::title_column).wvalue()), L"점심 안내");

    // Edit row 1: the popup's first item, the modal dialog, an update.
    services.popup_choice = reservation_list::edit_command;
    when_shown(L"방송 예약", [](HWND w) {
        SendDlgItemMessageW(w, reservation_dialog::hours_combo, CB_SETCURSEL, 18, 0);
        SendMessageW(w, WM_COMMAND, reservation_dialog::first_day + 6, 0);
        PostMessageW(w, WM_COMMAND, 1, 0);
        return true;
    });
    right_click(*list, 1);
    ASSERT_EQ(services.popups.size(), 1u);
    EXPECT_FALSE(services.popups[0]) << "a single reservation: 항목 보기 greyed";
    const recorded_request updated = server.requests().back();
    EXPECT_EQ(field(updated, "flag"), "update");
    EXPECT_EQ(field(updated, "anne_apptime"), "18:05:00");
    EXPECT_EQ(field(updated, "anne_weekdata"), "0101011");
    EXPECT_EQ(field(updated, "anne_mute"), "1");
    EXPECT_EQ(field(updated, "listkey"), std::string(utf::utf16_to_utf8(after[1].listkey.wvalue()).value()));
    EXPECT_EQ(std::wstring(list->get_item_text(1, 0).wvalue()), L"18:05:00");

    // An edit closed without OK sends nothing.
    const size_t sent = server.requests().size();
    when_shown(L"방송 예약", [](HWND w) {
        PostMessageW(w, WM_CLOSE, 0, 0);
        return true;
    });
    right_click(*list, 1);
    EXPECT_EQ(server.requests().size(), sent);

    // Listen: a single reservation plays at once.
    SendMessageW(list->get_container(), msg_list_view_notify, 0, reservation_list::listen_column);
    ASSERT_EQ(info.played.size(), 1u);
    EXPECT_EQ(std::wstring(info.played[0].url.wvalue()).compare(0, 7, L"zel2://"), 0);
    EXPECT_EQ(std::wstring(info.played[0].title.wvalue()), L"오픈");
    services.live = true;
    SendMessageW(list->get_container(), msg_list_view_notify, 0, reservation_list::listen_column);
    EXPECT_EQ(info.played.size(), 1u) << "not while a live announcement is on air";
    services.live = false;

    // A composite one shows its announcements (select_com by its list key).
    std::vector<anne_schedule_record> composite = control->reservations();
    composite[0].url = L"";
    composite[0].file_number = 3;
    control->replace(composite);
    std::vector<std::wstring> detail_titles;
    when_shown(L"예약 상세 보기", [&](HWND w) {
        HWND items = GetDlgItem(w, reservation_detail_dialog::list_control);
        const int count = static_cast<int>(SendMessageW(items, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            LVITEMW item = {};
            item.iSubItem = 0;
            item.pszText = text;
            item.cchTextMax = 64;
            SendMessageW(items, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
            detail_titles.push_back(text);
            item.iSubItem = 1;
            SendMessageW(items, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
            detail_titles.push_back(text);
        }
        save_artifact(capture_window(w), L"detail");
        PostMessageW(w, WM_CLOSE, 0, 0);
        return true;
    });
    SendMessageW(list->get_container(), msg_list_view_notify, 0, reservation_list::listen_column);
    EXPECT_EQ(field(server.requests().back(), "flag"), "select_com");
    EXPECT_EQ(field(server.requests().back(), "listkey"), "LK1");
    EXPECT_EQ(detail_titles, (std::vector<std::wstring>{L"오픈", L"00'30"}));
    EXPECT_EQ(info.played.size(), 1u);
    services.popup_choice = 0;
    right_click(*list, 0);
    EXPECT_TRUE(services.popups.back()) << "a composite reservation: 항목 보기 enabled";

    // Delete row 0, no question asked.
    services.popup_choice = reservation_list::delete_command;
    right_click(*list, 0);
    EXPECT_EQ(field(server.requests().back(), "flag"), "delete");
    EXPECT_EQ(field(server.requests().back(), "listkey"), "LK1");
    ASSERT_EQ(list->get_item_count(), 1);
    EXPECT_EQ(std::wstring(list->get_item_text(0, reservation_list::title_column).wvalue()), L"점심 안내");
    EXPECT_TRUE(services.messages.empty());

    // Apply: the service's success, the message, the day afresh to the
    // scheduler.
    SendMessageW(list->get_container(), WM_COMMAND, reservation_list::apply_button, 0);
    EXPECT_EQ(server.requests().back().path(), "/rux/rux_anne_check.php");
    EXPECT_EQ(services.messages, std::vector<std::wstring>{L"안내방송이 새로 편성되었습니다"});
    EXPECT_EQ(services.day_reloads, 1);
    EXPECT_EQ(services.link.reloads, 1);
    EXPECT_EQ(server.state("applied"), (std::vector<std::vector<std::string>>{{"G001"}}));
    info.deinit();
}

// An expired login (or any reply without the service's success) is no
// apply: nothing said, nothing reloaded.
TEST_F(reservations_test, an_expired_login_is_no_apply) {
    stand_in_services services;
    services.link.canned = {"Result=Success\r\nR1^x^k^e^09:05:00^t^0^1111100^80^30^http://h/a^LK1^CK1^0\r\n"};
    reservation_list_images images;
    RECT rect = {10, 10, 630, 300};
    auto control = create_reservation_list(host->hwnd(), rect, images, services);
    ASSERT_TRUE(control);
    auto* list = reservation_list::current();
    for (const char* reply : {"Login=False\r\nmessage=만료\r\nurl=\r\n", "OK\r\n", ""}) {
        services.link.canned = {reply};
        SendMessageW(list->get_container(), WM_COMMAND, reservation_list::apply_button, 0);
        EXPECT_TRUE(services.messages.empty()) << reply;
        EXPECT_EQ(services.day_reloads, 0) << reply;
    }
    // A failed update or delete leaves the rows as they were.
    services.popup_choice = reservation_list::delete_command;
    services.link.canned = {"Login=False\r\nmessage=만료\r\nurl=\r\n"};
    right_click(*list, 0);
    EXPECT_EQ(list->get_item_count(), 1);
}
