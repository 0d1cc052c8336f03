// The announcement library page on a real window with fake services: the
// columns by store type, the reservation list below it, the one modeless
// reservation dialog that the reserve column opens and reloads, the insert
// of its report, and the dialog's end with the page or the hidden library
// window.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "anne_library_page.h"
#include "core.h"
#include "fake_info_window.h"
#include "library_skin.h"
#include "reservation_dialog.h"
#include "reservation_list_service.h"
#include "window_capture.h"
#include "window_messages.h"
#include "window_rig.h"

namespace {

anne_record library_item(const wchar_t* code, const wchar_t* title, long length) {
    anne_record r;
    r.code = stringx(code);
    r.category = stringx(L"안내");
    r.kind = stringx(L"T");
    r.title = stringx(title);
    r.length = length;
    return r;
}

anne_schedule_record reservation(const wchar_t* title, long at) {
    anne_schedule_record r;
    r.title = stringx(title);
    r.apptime = at;
    r.weekdays = 127;
    r.volume = 80;
    r.playtime = 30L;
    r.listkey = stringx(L"K1");
    return r;
}

class fake_reservations : public reservation_services {
public:
    bool list(std::vector<anne_schedule_record>& out) override {
        out = stored;
        return true;
    }
    bool update(const anne_schedule_record&, std::vector<anne_schedule_record>&) override { return false; }
    bool remove(const anne_schedule_record&, std::vector<anne_schedule_record>&) override { return false; }
    bool detail(const stringx&, std::vector<anne_schedule_record>&) override { return false; }
    bool apply() override { return false; }
    void reload_day() override {}
    bool has_rights() override { return rights; }
    bool live_anne_on() override { return false; }
    int info_volume() override { return 1000; }
    HWND info_window() override { return nullptr; }
    void watch_anneinfo(anneinfo_listener*) override {}
    void message(HWND, const wchar_t*, bool) override {}
    int popup(HWND, POINT, bool) override { return 0; }

    std::vector<anne_schedule_record> stored = {reservation(L"오픈 멘트", 9 * 3600)};
    bool rights = true;
};

class fake_library_services : public anne_library_services {
public:
    bool load_library(const stringx& key, std::vector<anne_record>& out) override {
        keys.push_back(std::wstring(key));
        out = library;
        return true;
    }
    bool insert(const stringx& code, const anne_schedule_record& record,
                std::vector<anne_schedule_record>& out) override {
        inserted.emplace_back(std::wstring(code), record);
        if (!insert_ok) return false;
        out = fake_list.stored;
        out.push_back(record);
        return true;
    }
    bool logged_in() override { return login; }
    stringx usertype() override { return stringx(type.c_str()); }
    bool live_anne_on() override { return live; }
    HWND info_window() override { return info; }
    reservation_services& reservations() override { return fake_list; }

    std::vector<anne_record> library = {library_item(L"L01", L"오픈 멘트", 30),
                                        library_item(L"L02", L"마감 안내", 125),
                                        library_item(L"L03", L"주차 안내", 61)};
    std::vector<std::wstring> keys;
    std::vector<std::pair<std::wstring, anne_schedule_record>> inserted;
    fake_reservations fake_list;
    bool login = true;
    std::wstring type = L"T";
    bool live = false;
    bool insert_ok = true;
    HWND info = nullptr;
};

struct anne_library_page_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        fake_info::played.clear();
    }
    void TearDown() override {
        close_new_reservation();
        page.reset();
        host.reset();
        window_rig::pump();
    }
    void open(const wchar_t* key = L"T") {
        host = std::make_unique<window_rig::host_window>(0, 0, 480, 540);
        skin.build(host->hwnd(), 1, nullptr, nullptr);
        page = std::make_unique<anne_library_list>(services);
        const RECT r = {5, 5, 475, 255};
        ASSERT_TRUE(page->create(stringx(key), host->hwnd(), r, &skin));
        window_rig::pump();
    }
    int column_count() {
        HWND header = reinterpret_cast<HWND>(SendMessageW(page->get_list(), LVM_GETHEADER, 0, 0));
        return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    }
    RECT cell(int row, int column) {
        RECT r = {};
        r.top = column;
        r.left = LVIR_BOUNDS;
        SendMessageW(page->get_list(), LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    void click_image(int row, int column) {
        const RECT c = cell(row, column);
        RECT image = {};
        const int y = (c.top + c.bottom) / 2;
        for (int x = c.left; x < c.right; ++x) {
            if (page->image_at(x, y, &image)) {
                const int cx = (image.left + image.right) / 2, cy = (image.top + image.bottom) / 2;
                window_rig::left_down(page->get_list(), cx, cy);
                window_rig::left_up(page->get_list(), cx, cy);
                window_rig::pump();
                return;
            }
        }
        ADD_FAILURE() << "no image in row " << row << " column " << column;
    }
    void select(int row) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(page->get_list(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        window_rig::pump();
    }

    fake_library_services services;
    library_skin skin;
    std::unique_ptr<window_rig::host_window> host;
    std::unique_ptr<anne_library_list> page;
};

}  // namespace

TEST_F(anne_library_page_test, the_store_type_chooses_columns_tips_and_the_reservation_list) {
    struct {
        bool login;
        const wchar_t* type;
        int columns;
        bool list;
        std::vector<int> tips;
    } cases[] = {
        {true, L"T", 5, true, {1, 3, 4}}, {true, L"B", 5, true, {1, 3, 4}}, {true, L"A", 5, true, {1, 3}},
        {true, L"D", 5, true, {1, 3}},    {true, L"t", 4, false, {1, 2}},   {true, L"", 4, false, {1, 2}},
        {true, L"TB", 4, false, {1, 2}},  {false, L"T", 4, false, {1, 2}},
    };
    for (const auto& c : cases) {
        services.login = c.login;
        services.type = c.type;
        open();
        EXPECT_EQ(column_count(), c.columns) << c.type;
        EXPECT_EQ(page->reservation_window() != nullptr, c.list) << c.type;
        for (int column = 0; column < c.columns; ++column) {
            const bool tip = std::find(c.tips.begin(), c.tips.end(), column) != c.tips.end();
            EXPECT_EQ(std::wstring(page->get_cell_text(1, column)), tip ? L"마감 안내" : L"") << c.type << column;
        }
        page.reset();
        host.reset();
    }
}

TEST_F(anne_library_page_test, lists_the_library_of_the_key_with_the_reservations_below) {
    open(L"T");
    ASSERT_EQ(services.keys.size(), 1u);
    EXPECT_EQ(services.keys[0], L"T");
    ASSERT_EQ(page->get_item_count(), 3);
    EXPECT_EQ(std::wstring(page->get_item_text(0, 0)), L"안내");
    EXPECT_EQ(std::wstring(page->get_item_text(1, 1)), L"마감 안내");
    EXPECT_EQ(std::wstring(page->get_item_text(1, 4)), L"02'05");
    EXPECT_EQ(std::wstring(page->get_item_text(2, 4)), L"01'01");
    EXPECT_EQ(page->get_column_width(0), 70);
    EXPECT_EQ(page->get_column_width(2), 50);
    HWND below = page->reservation_window();
    ASSERT_NE(below, nullptr);
    RECT list = {}, mine = {};
    GetWindowRect(below, &list);
    GetWindowRect(page->get_hwnd(), &mine);
    EXPECT_EQ(list.top, mine.bottom);
    ASSERT_NE(page->reservations(), nullptr);
    EXPECT_EQ(page->reservations()->size(), 1u);
    save_artifact(capture_window(host->hwnd()), L"page");
    // The page's window goes, and the reservation list with it.
    DestroyWindow(page->get_hwnd());
    EXPECT_FALSE(IsWindow(below));
}

TEST_F(anne_library_page_test, the_reserve_column_opens_one_dialog_and_rows_reload_it) {
    open();
    EXPECT_EQ(new_reservation_window(), nullptr);
    click_image(1, 2);
    HWND dialog = new_reservation_window();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    reservation_dialog* d = reservation_dialog::open_dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->code, stringx(L"L02"));
    EXPECT_EQ(d->owner, page->get_hwnd());
    EXPECT_EQ(d->record.title, stringx(L"마감 안내"));
    EXPECT_EQ(d->record.weekdays, 127);
    EXPECT_EQ(d->record.volume, 100);
    EXPECT_EQ(d->record.apptime.total_seconds(), 0);
    EXPECT_EQ(d->record.playtime.total_seconds(), 125);
    save_artifact(capture_window(dialog), L"dialog");

    // Another row's reserve icon reloads the same dialog.
    d->record.volume = 40;
    click_image(2, 2);
    EXPECT_EQ(new_reservation_window(), dialog);
    EXPECT_EQ(reservation_dialog::open_dialog()->code, stringx(L"L03"));
    EXPECT_EQ(reservation_dialog::open_dialog()->record.volume, 100);
    // So does selecting a row while it is open.
    select(0);
    EXPECT_EQ(new_reservation_window(), dialog);
    EXPECT_EQ(reservation_dialog::open_dialog()->record.title, stringx(L"오픈 멘트"));
    EXPECT_EQ(reservation_dialog::open_dialog()->code, stringx(L"L01"));
}

TEST_F(anne_library_page_test, a_report_is_inserted_and_its_answer_replaces_the_reservations) {
    open();
    click_image(1, 2);
    HWND dialog = new_reservation_window();
    ASSERT_NE(dialog, nullptr);
    SendMessageW(dialog, WM_COMMAND, reservation_dialog::send_button, 0);
    ASSERT_EQ(services.inserted.size(), 1u);
    EXPECT_EQ(services.inserted[0].first, L"L02");
    EXPECT_EQ(services.inserted[0].second.title, stringx(L"마감 안내"));
    EXPECT_EQ(services.inserted[0].second.category_k, stringx(L"안내"));
    EXPECT_EQ(services.inserted[0].second.category_e, stringx(L"T"));
    EXPECT_EQ(services.inserted[0].second.playtime.total_seconds(), 125);
    ASSERT_NE(page->reservations(), nullptr);
    EXPECT_EQ(page->reservations()->size(), 2u);
    // A refused insert leaves the list as it was.
    services.insert_ok = false;
    SendMessageW(dialog, WM_COMMAND, reservation_dialog::send_button, 0);
    EXPECT_EQ(services.inserted.size(), 2u);
    EXPECT_EQ(page->reservations()->size(), 2u);
}

TEST_F(anne_library_page_test, the_dialog_ends_with_the_page_or_the_hidden_library_window) {
    open();
    click_image(0, 2);
    HWND dialog = new_reservation_window();
    ASSERT_NE(dialog, nullptr);
    // Other windows, and the library window shown, change nothing.
    anne_library_list::window_state(1, true);
    anne_library_list::window_state(2, false);
    EXPECT_TRUE(IsWindow(dialog));
    anne_library_list::window_state(2, true);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(new_reservation_window(), nullptr);
    // Shown again, the library window does not bring it back.
    anne_library_list::window_state(2, false);
    EXPECT_EQ(new_reservation_window(), nullptr);

    click_image(0, 2);
    dialog = new_reservation_window();
    ASSERT_NE(dialog, nullptr);
    page.reset();
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(new_reservation_window(), nullptr);
}

TEST_F(anne_library_page_test, the_listen_column_plays_unless_a_live_announcement_is_on) {
    HWND info = fake_info::make_window();
    services.info = info;
    struct {
        const wchar_t* type;
        int listen_column;
    } cases[] = {{L"T", 3}, {L"", 2}};
    for (const auto& c : cases) {
        fake_info::played.clear();
        services.type = c.type;
        services.live = false;
        open();
        click_image(2, c.listen_column);
        ASSERT_EQ(fake_info::played.size(), 1u) << c.type;
        EXPECT_EQ(fake_info::played[0], L"주차 안내");
        EXPECT_EQ(new_reservation_window(), nullptr);
        services.live = true;
        click_image(2, c.listen_column);
        EXPECT_EQ(fake_info::played.size(), 1u) << c.type;
        page.reset();
        host.reset();
    }
    DestroyWindow(info);
}
