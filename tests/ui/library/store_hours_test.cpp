// The store's hours and the announcement set on the library window: which
// controls show for which page and user, what a change sends, and that only
// a change the service took is kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_service_link.h"
#include "quiet_client_services.h"
#include "service_client.h"
#include "stand_in_server.h"
#include "store_hours.h"
#include "window_rig.h"

namespace {

// The service client's store-hours request over a link, and what the window
// would keep and redo.
class recording_hours : public store_hours_services {
public:
    explicit recording_hours(service_client& client) : client_(client) {}

    bool logged = true;
    std::wstring type = L"S";
    int open = 9 * 3600;
    int close = 22 * 3600;
    std::vector<schedule_set_item> sets = {{L"G001", L"기본", L"A세트"}, {L"G002", L"주말", L"B세트"}};
    std::wstring guide = L"G002";
    int sent = 0, kept = 0, reloads = 0, reopened = 0;
    std::vector<std::wstring> codes;

    bool logged_in() override { return logged; }
    std::wstring usertype() override { return type; }
    int open_time() override { return open; }
    int close_time() override { return close; }
    bool send_hours(const std::wstring& oh, const std::wstring& om, const std::wstring& ch,
                    const std::wstring& cm) override {
        ++sent;
        return client_.update_store_hours(oh.c_str(), om.c_str(), ch.c_str(), cm.c_str());
    }
    void keep_hours(int o, int c) override {
        ++kept;
        open = o;
        close = c;
    }
    void reload_scheduler() override { ++reloads; }
    void reopen_page() override { ++reopened; }
    std::vector<schedule_set_item> schedule_sets() override { return sets; }
    std::wstring guide_code() override { return guide; }
    void set_anneinfo_code(const std::wstring& code) override { codes.push_back(code); }

private:
    service_client& client_;
};

// The window's seven controls of the top edge.
struct hours_window {
    window_rig::host_window host{0, 0, 400, 200};
    hours_window() {
        for (unsigned id : {1028u, 1029u, 1030u, 1031u, 1050u})
            CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, 10,
                            10 + static_cast<int>(id - 1028) * 5, 60, 200, host.hwnd(),
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
        for (unsigned id : {1033u, 1034u})
            CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 100, 10, 60, 20, host.hwnd(),
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    }
    HWND hwnd() const { return host.hwnd(); }
    int selection(unsigned id) const {
        return static_cast<int>(SendDlgItemMessageW(hwnd(), id, CB_GETCURSEL, 0, 0));
    }
    void select(unsigned id, int index) { SendDlgItemMessageW(hwnd(), id, CB_SETCURSEL, index, 0); }
    bool shown(unsigned id) const { return (GetWindowLongW(GetDlgItem(hwnd(), id), GWL_STYLE) & WS_VISIBLE) != 0; }
};

struct store_hours_fixture : ::testing::Test {
    quiet_client_services client_services;
    fake_service_link link;
    std::unique_ptr<service_client> client;
    std::unique_ptr<recording_hours> s;
    hours_window window;
    void SetUp() override {
        client_services.the_link = &link;
        client.reset(new service_client(client_services));
        s.reset(new recording_hours(*client));
    }
};

}  // namespace

TEST_F(store_hours_fixture, shows_the_hours_for_a_store_user_on_todays_announcements) {
    store_hours hours(*s, window.hwnd());
    hours.fill();
    EXPECT_EQ(SendDlgItemMessageW(window.hwnd(), 1028, CB_GETCOUNT, 0, 0), 24);
    EXPECT_EQ(SendDlgItemMessageW(window.hwnd(), 1031, CB_GETCOUNT, 0, 0), 60);
    // The set of the guide code is the one selected.
    EXPECT_EQ(window.selection(1050), 1);

    struct {
        const wchar_t* type;
        int page;
        int open, close;
        bool hours_shown;
        bool sets_shown;
    } cases[] = {
        {L"S", 2, 9 * 3600 + 30 * 60, 22 * 3600, true, false},
        {L"A", 2, 9 * 3600, 22 * 3600, false, false},
        {L"T", 2, 9 * 3600, 22 * 3600, false, false},
        {L"B", 2, 9 * 3600, 22 * 3600, false, false},
        {L"S", 0, 9 * 3600, 22 * 3600, false, false},
        {L"S", 3, 9 * 3600, 22 * 3600, false, true},
        {L"S", 2, store_hours::unset_time, 22 * 3600, false, false},
        // Hours the login did not send: shown, nothing selected.
        {L"S", 2, -1, -1, true, false},
    };
    for (const auto& c : cases) {
        for (unsigned id : {1028u, 1029u, 1030u, 1031u}) window.select(id, -1);
        s->type = c.type;
        s->open = c.open;
        s->close = c.close;
        hours.on_page_opened(c.page);
        for (unsigned id : {1028u, 1029u, 1030u, 1031u, 1033u, 1034u})
            EXPECT_EQ(window.shown(id), c.hours_shown) << c.type << " " << c.page << " " << id;
        EXPECT_EQ(window.shown(1050), c.sets_shown) << c.type << " " << c.page;
        if (c.hours_shown && c.open >= 0) {
            EXPECT_EQ(window.selection(1028), c.open / 3600);
            EXPECT_EQ(window.selection(1029), c.open / 60 % 60);
            EXPECT_EQ(window.selection(1030), c.close / 3600);
            EXPECT_EQ(window.selection(1031), 0);
        }
        if (c.open < 0) {
            EXPECT_EQ(window.selection(1028), -1);
        }
    }
}

TEST_F(store_hours_fixture, a_change_posts_the_four_fields_and_is_kept_when_the_service_took_it) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario("{}", 60)) << server.error();
    link.host = server.host();
    store_hours hours(*s, window.hwnd());
    hours.fill();
    hours.on_page_opened(2);

    // The same hours again send nothing.
    window.select(1028, 9);
    EXPECT_TRUE(hours.on_selection_change(1028));
    EXPECT_EQ(s->sent, 0);

    window.select(1029, 30);
    hours.on_selection_change(1029);
    ASSERT_EQ(s->sent, 1);
    ASSERT_EQ(link.posted.size(), 1u);
    std::vector<std::pair<std::string, std::string>> tail;
    const auto fields = server.requests().back().decoded_fields();
    tail.assign(fields.end() - 5, fields.end());
    EXPECT_EQ(tail, (std::vector<std::pair<std::string, std::string>>{{"storeopen_hour", "9"},
                                                                       {"storeopen_minute", "30"},
                                                                       {"storeclose_hour", "22"},
                                                                       {"storeclose_minute", "0"},
                                                                       {"flag", "update"}}));
    EXPECT_EQ(server.state("hours"), (std::vector<std::vector<std::string>>{{"G001", "9:30", "22:0"}}));
    EXPECT_EQ(s->open, 9 * 3600 + 30 * 60);
    EXPECT_EQ(s->reloads, 1);
    EXPECT_EQ(s->reopened, 1);
}

TEST_F(store_hours_fixture, an_expired_login_shows_the_services_notice_and_keeps_the_hours) {
    link.canned = {"Login=False\r\nmessage=로그인 정보가 만료되었습니다.\r\nurl=\r\n", ""};
    store_hours hours(*s, window.hwnd());
    hours.fill();
    hours.on_page_opened(2);
    window.select(1030, 23);
    hours.on_selection_change(1030);
    EXPECT_EQ(s->sent, 1);
    EXPECT_EQ(link.notices, (std::vector<std::wstring>{L"로그인 정보가 만료되었습니다."}));
    // Neither an expired login nor a missing connection is a change.
    window.select(1030, 21);
    hours.on_selection_change(1030);
    EXPECT_EQ(s->sent, 2);
    EXPECT_EQ(s->kept, 0);
    EXPECT_EQ(s->close, 22 * 3600);
    EXPECT_EQ(s->reloads, 0);
    EXPECT_EQ(s->reopened, 0);
    // The combos stay as the user set them.
    EXPECT_EQ(window.selection(1030), 21);
}

TEST_F(store_hours_fixture, choosing_a_set_gives_its_code_and_nothing_without_login) {
    store_hours hours(*s, window.hwnd());
    hours.fill();
    window.select(1050, 0);
    EXPECT_TRUE(hours.on_selection_change(1050));
    EXPECT_EQ(s->codes, (std::vector<std::wstring>{L"G001"}));
    s->logged = false;
    window.select(1050, 1);
    hours.on_selection_change(1050);
    window.select(1028, 3);
    hours.on_selection_change(1028);
    EXPECT_EQ(s->codes.size(), 1u);
    EXPECT_EQ(s->sent, 0);
    EXPECT_FALSE(hours.on_selection_change(1001));
}
