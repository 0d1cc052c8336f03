// Today's schedule page on a real window with fake services: rows and
// columns, the time colouring, the check and volume clicks, the header box
// that switches the day, listening, and the highlight of the next
// announcement.
#include <gtest/gtest.h>

#include "anne_cells.h"
#include "core.h"
#include "fake_info_window.h"
#include "library_skin.h"
#include "page_view.h"
#include "today_schedule_page.h"
#include "window_capture.h"
#include "window_messages.h"
#include "window_rig.h"

namespace {

anne_record make(long start, const wchar_t* title, int volume, unsigned char enabled = 1, long length = 125) {
    anne_record r;
    r.start = start;
    r.length = length;
    r.title = stringx(title);
    r.volume = volume;
    r.enabled = enabled;
    wchar_t url[64] = {};
    _snwprintf(url, 63, L"zel2://anne/%ld.mp3", start);
    r.url = stringx(url);
    return r;
}

class fake_services : public today_page_services {
public:
    bool load_anne_list(std::vector<anne_record>& out, bool refresh) override {
        ++loads;
        out = cached;
        return true;
    }
    void reload_anne_records(const std::vector<anne_record>& list) override { reloads.push_back(list); }
    void update_anne_record(const anne_record& record) override { updates.push_back(record); }
    stringx store_code() override { return code; }
    void set_store_code(const stringx& c) override { code = c; }
    bool post_store_code() override {
        ++posts;
        return post_answer;
    }
    void scheduler_reload() override { ++scheduler_reloads; }
    bool live_anne_on() override { return live; }
    HWND info_window() override { return info; }
    void clear_info_title() override { ++title_clears; }
    int seconds_of_day() override { return now; }

    std::vector<anne_record> cached;
    std::vector<std::vector<anne_record>> reloads;
    std::vector<anne_record> updates;
    stringx code = stringx(L"G100");
    int loads = 0, posts = 0, scheduler_reloads = 0, title_clears = 0;
    bool post_answer = true;
    bool live = false;
    HWND info = nullptr;
    int now = 12 * 3600;
};

struct today_page_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        fake_info::played.clear();
        services.cached = {make(9 * 3600, L"개점 안내", 50), make(12 * 3600 + 5, L"점심 할인", 100),
                           make(15 * 3600, L"주차 안내", 150, 0)};
    }
    void TearDown() override {
        page.reset();
        host.reset();
    }
    void open(const wchar_t* key = L"") {
        host = std::make_unique<window_rig::host_window>(0, 0, 480, 360);
        skin.build(host->hwnd(), 1, nullptr, nullptr);
        page = std::make_unique<today_schedule_list>(services);
        const RECT r = {5, 5, 475, 330};
        ASSERT_TRUE(page->create(stringx(key), host->hwnd(), r, &skin));
        window_rig::pump();
    }
    RECT cell(int row, int column) {
        RECT r = {};
        r.top = column;
        r.left = LVIR_BOUNDS;
        SendMessageW(page->get_list(), LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    // A click on the cell's image, as the user makes it.
    void click_image(int row, int column) {
        const RECT c = cell(row, column);
        RECT image = {};
        for (int x = c.left; x < c.right; ++x) {
            const int y = (c.top + c.bottom) / 2;
            if (page->image_at(x, y, &image)) {
                window_rig::left_down(page->get_list(), (image.left + image.right) / 2,
                                      (image.top + image.bottom) / 2);
                window_rig::left_up(page->get_list(), (image.left + image.right) / 2,
                                    (image.top + image.bottom) / 2);
                window_rig::pump();
                return;
            }
        }
        ADD_FAILURE() << "no image in row " << row << " column " << column;
    }
    unsigned index(int row, int column) { return page->find_column_images(column)->rows.at(row); }

    fake_services services;
    library_skin skin;
    std::unique_ptr<window_rig::host_window> host;
    std::unique_ptr<today_schedule_list> page;
};

}  // namespace

TEST_F(today_page_test, lists_the_cached_day_with_its_six_columns) {
    open();
    EXPECT_EQ(today_schedule_list::current(), page.get());
    EXPECT_EQ(services.loads, 1);
    EXPECT_EQ(services.posts, 0);
    ASSERT_EQ(page->get_item_count(), 3);
    EXPECT_EQ(std::wstring(page->get_item_text(0, 2)), L"09:00:00");
    EXPECT_EQ(std::wstring(page->get_item_text(1, 3)), L"점심 할인");
    EXPECT_EQ(std::wstring(page->get_item_text(2, 5)), L"02'05");
    // Checks from the switch, volume icons from the volume (above 100: 0).
    EXPECT_EQ(index(0, 0), 1u);
    EXPECT_EQ(index(2, 0), 0u);
    EXPECT_EQ(index(0, 1), 2u);
    EXPECT_EQ(index(1, 1), 4u);
    EXPECT_EQ(index(2, 1), 0u);
    const int widths[] = {20, 50, 60, -1, 30, 60};
    for (int c = 0; c < 6; ++c) {
        if (widths[c] > 0) {
            EXPECT_EQ(page->get_column_width(c), widths[c]) << c;
        }
    }
    EXPECT_EQ(std::wstring(page->get_cell_text(1, 4)), L"점심 할인");
    EXPECT_EQ(std::wstring(page->get_cell_text(1, 2)), L"");
    save_artifact(capture_window(host->hwnd()), L"page");
    page.reset();
    EXPECT_EQ(today_schedule_list::current(), nullptr);
}

TEST_F(today_page_test, rows_are_coloured_by_their_time_of_day) {
    struct { int now; std::vector<long> starts; std::vector<bool> ahead; } cases[] = {
        {12 * 3600, {9 * 3600, 12 * 3600 + 5, 15 * 3600}, {false, false, true}},
        {12 * 3600, {9 * 3600, 12 * 3600 + 7}, {false, true}},
        // Before the first announcement the clock counts as the next day.
        {2 * 3600, {6 * 3600, 9 * 3600, 23 * 3600}, {false, false, false}},
        // A row after midnight belongs to the list's day that began earlier.
        {23 * 3600, {22 * 3600, 1 * 3600}, {false, true}},
    };
    for (const auto& c : cases) {
        services.cached.clear();
        for (long s : c.starts) services.cached.push_back(make(s, L"안내", 50));
        open();
        for (size_t r = 0; r < c.starts.size(); ++r)
            EXPECT_EQ(page->row_ahead(static_cast<int>(r), c.now), c.ahead[r]) << c.now << " row " << r;
        page.reset();
        host.reset();
    }
    // On the screen: the row ahead on the grey background.
    services.cached = {make(9 * 3600, L"지난 안내", 50), make(15 * 3600, L"다가올 안내", 50)};
    open();
    const pixel_image shot = capture_window(page->get_list());
    const RECT past = cell(0, 3), ahead = cell(1, 3);
    EXPECT_NE(shot.at(past.right - 8, (past.top + past.bottom) / 2), anne_cells::ahead_background);
    EXPECT_EQ(shot.at(ahead.right - 8, (ahead.top + ahead.bottom) / 2), anne_cells::ahead_background);
}

TEST_F(today_page_test, volume_clicks_step_through_the_levels) {
    open();
    const int expected[] = {75, 100, 0, 25, 50};
    for (int volume : expected) {
        click_image(0, 1);
        ASSERT_FALSE(services.updates.empty());
        EXPECT_EQ(services.updates.back().volume, volume);
        EXPECT_EQ(page->records()[0].volume, volume);
    }
    EXPECT_EQ(services.updates.size(), 5u);
    // A volume above 100 (the player's option) stays, its icon goes back.
    click_image(2, 1);
    EXPECT_EQ(services.updates.size(), 5u);
    EXPECT_EQ(page->records()[2].volume, 150);
    EXPECT_EQ(index(2, 1), 0u);
}

TEST_F(today_page_test, a_check_click_switches_one_announcement) {
    open();
    click_image(0, 0);
    ASSERT_EQ(services.updates.size(), 1u);
    EXPECT_EQ(services.updates[0].enabled, 0);
    EXPECT_EQ(services.updates[0].title, stringx(L"개점 안내"));
    click_image(2, 0);
    ASSERT_EQ(services.updates.size(), 2u);
    EXPECT_EQ(services.updates[1].enabled, 1);
}

TEST_F(today_page_test, the_header_box_switches_the_whole_day_in_one_reload) {
    open();
    EXPECT_TRUE(page->header_checked());
    HWND header = reinterpret_cast<HWND>(SendMessageW(page->get_list(), LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    RECT item = {};
    SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const int y = (item.top + item.bottom) / 2;
    window_rig::left_down(header, item.left + 10, y);
    window_rig::left_up(header, item.left + 10, y);
    window_rig::pump();
    EXPECT_FALSE(page->header_checked());
    ASSERT_EQ(services.reloads.size(), 1u);
    for (const anne_record& r : services.reloads[0]) EXPECT_EQ(r.enabled, 0);
    EXPECT_EQ(services.reloads[0].size(), 3u);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(index(row, 0), 0u);
    EXPECT_TRUE(services.updates.empty());
    save_artifact(capture_window(host->hwnd()), L"day_off");

    window_rig::left_down(header, item.left + 10, y);
    window_rig::left_up(header, item.left + 10, y);
    window_rig::pump();
    ASSERT_EQ(services.reloads.size(), 2u);
    for (const anne_record& r : services.reloads[1]) EXPECT_EQ(r.enabled, 1);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(index(row, 0), 1u);
}

TEST_F(today_page_test, listening_sends_the_record_unless_a_live_announcement_is_on) {
    HWND info = fake_info::make_window();
    services.info = info;
    open();
    click_image(1, 4);
    ASSERT_EQ(fake_info::played.size(), 1u);
    EXPECT_EQ(fake_info::played[0], L"점심 할인");
    services.live = true;
    click_image(1, 4);
    EXPECT_EQ(fake_info::played.size(), 1u);
    DestroyWindow(info);
}

TEST_F(today_page_test, a_node_of_another_store_code_switches_the_code) {
    struct { const wchar_t* key; bool answer; int posts; int reloads; const wchar_t* code; } cases[] = {
        {L"", true, 0, 0, L"G100"},
        {L"g100", true, 0, 0, L"G100"},  // the same code but for letter case
        {L"G200", true, 1, 1, L"G200"},
        {L"G300", false, 1, 0, L"G300"},  // refused: the code is overwritten all the same
    };
    for (const auto& c : cases) {
        services.code = stringx(L"G100");
        services.posts = services.scheduler_reloads = 0;
        services.post_answer = c.answer;
        open(c.key);
        EXPECT_EQ(services.posts, c.posts) << c.key;
        EXPECT_EQ(services.scheduler_reloads, c.reloads) << c.key;
        EXPECT_EQ(services.code, stringx(c.code)) << c.key;
        page.reset();
        host.reset();
    }
}

TEST_F(today_page_test, the_highlight_follows_the_next_announcement) {
    for (int i = 0; i < 30; ++i) services.cached.push_back(make(16 * 3600 + i * 60, L"추가 안내", 50));
    open();
    const anne_record far_row = services.cached[25];
    today_schedule_list::next_changed(&far_row, services);
    EXPECT_EQ(today_schedule_list::highlighted(), 25);
    const int top = page->get_top_index();
    EXPECT_LE(top, 25);
    EXPECT_GT(top + page->get_count_per_page(), 25);
    const anne_record first = services.cached[0];
    today_schedule_list::next_changed(&first, services);
    EXPECT_EQ(today_schedule_list::highlighted(), 0);
    EXPECT_EQ(page->get_top_index(), 0);
    // Null changes nothing; an unknown record clears the highlight.
    today_schedule_list::next_changed(nullptr, services);
    EXPECT_EQ(today_schedule_list::highlighted(), 0);
    anne_record unknown = make(5, L"없는 안내", 50);
    today_schedule_list::next_changed(&unknown, services);
    EXPECT_EQ(today_schedule_list::highlighted(), -1);
    today_schedule_list::next_changed(&first, services);
    today_schedule_list::finished();
    EXPECT_EQ(today_schedule_list::highlighted(), -1);
    today_schedule_list::air(&first, services);
    EXPECT_EQ(services.title_clears, 1);

    // Without a page the index comes from the cached list.
    page.reset();
    const int loads = services.loads;
    const anne_record second = services.cached[1];
    today_schedule_list::next_changed(&second, services);
    EXPECT_EQ(today_schedule_list::highlighted(), 1);
    EXPECT_EQ(services.loads, loads + 1);
    today_schedule_list::finished();
    EXPECT_EQ(today_schedule_list::highlighted(), -1);
}
