// The notice line: rotation every 10 ticks, a fetch at the first tick and
// again every 7200, stepping by hand round the list, and which links open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_service_link.h"
#include "notice_line.h"
#include "stand_in_server.h"

namespace {

class fake_notices : public notice_line_services {
public:
    std::vector<notice_record> held;
    std::vector<notice_record> next_fetch;  // what a fetch brings
    int fetches = 0;
    std::vector<std::wstring> shown;
    std::vector<std::wstring> opened;

    std::vector<notice_record> notices(bool fetch) override {
        if (fetch) {
            ++fetches;
            held = next_fetch;
        }
        return held;
    }
    void show(const std::wstring& text) override { shown.push_back(text); }
    void open_in_browser(const std::wstring& url) override { opened.push_back(url); }
};

std::vector<notice_record> notices(std::vector<std::pair<const wchar_t*, const wchar_t*>> items) {
    std::vector<notice_record> out;
    for (const auto& i : items) {
        notice_record r;
        r.text = i.first;
        r.value = i.second;
        out.push_back(r);
    }
    return out;
}

const std::vector<notice_record> three = notices({{L"n0", L""}, {L"n1", L""}, {L"n2", L""}});

}  // namespace

TEST(notice_line, steps_round_the_list_by_hand) {
    // Commands 7 and 6: "next" from 0 three times shows 1, 2, 0; "previous"
    // from 0 shows the last.
    struct {
        const char* steps;  // '+' next, '-' previous
        std::vector<unsigned> shown;
    } cases[] = {
        {"+++", {1, 2, 0}},
        {"-", {2}},
        {"--+", {2, 1, 2}},
    };
    for (const auto& c : cases) {
        fake_notices s;
        s.next_fetch = three;
        notice_line line(s);
        line.tick();  // fetches and shows notice 0
        std::vector<unsigned> shown;
        for (const char* p = c.steps; *p; ++p) {
            if (*p == '+') line.next();
            else line.previous();
            shown.push_back(line.shown_notice());
            EXPECT_EQ(s.shown.back(), L"n" + std::to_wstring(line.shown_notice())) << c.steps;
        }
        EXPECT_EQ(shown, c.shown) << c.steps;
    }
}

TEST(notice_line, rotates_every_ten_ticks_and_fetches_again_every_hour) {
    fake_notices s;
    s.next_fetch = three;
    notice_line line(s);
    for (int t = 0; t < 31; ++t) line.tick();
    EXPECT_EQ(s.fetches, 1);
    EXPECT_EQ(s.shown, (std::vector<std::wstring>{L"n0", L"n1", L"n2", L"n0"}));

    // A step by hand: the next rotation shows the same notice once more.
    line.next();  // n1
    for (int t = 31; t < 41; ++t) line.tick();
    EXPECT_EQ(s.shown.back(), L"n1");

    // The hour's fetch comes at tick 7200; the list shrank to one notice,
    // and the rotation starts again at notice 0.
    s.next_fetch = notices({{L"m0", L""}});
    for (int t = 41; t < 7200; ++t) line.tick();
    EXPECT_EQ(s.fetches, 1);
    EXPECT_EQ(line.tick_count(), 0u);
    line.tick();
    EXPECT_EQ(s.fetches, 2);
    EXPECT_EQ(s.shown.back(), L"m0");
    EXPECT_EQ(line.shown_notice(), 0u);
}

TEST(notice_line, an_empty_list_leaves_the_text_and_opens_nothing) {
    fake_notices s;
    notice_line line(s);
    for (int t = 0; t < 25; ++t) line.tick();
    line.next();
    line.previous();
    line.open_shown();
    EXPECT_TRUE(s.shown.empty());
    EXPECT_TRUE(s.opened.empty());
}

TEST(notice_line, opens_only_web_links_of_the_shown_notice) {
    struct {
        const wchar_t* link;
        bool opened;
    } cases[] = {
        {L"http://127.0.0.1/n/1", true},
        {L"HTTPS://example.com/n", true},
        {L"", false},
        // A link is the service's text: nothing that would run a local file.
        {L"file:///c:/windows/system32/calc.exe", false},
        {L"c:\\windows\\notepad.exe", false},
        {L"http://", false},
    };
    for (const auto& c : cases) {
        fake_notices s;
        s.next_fetch = notices({{L"n0", c.link}});
        notice_line line(s);
        line.tick();
        line.open_shown();
        EXPECT_EQ(s.opened.size(), c.opened ? 1u : 0u) << c.link;
        if (c.opened && !s.opened.empty()) {
            EXPECT_EQ(s.opened[0], c.link);
        }
    }
}

TEST(notice_line, shows_the_services_notices_through_the_ticker) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario("{}", 60)) << server.error();
    fake_service_link link;
    link.host = server.host();
    news_ticker ticker(link);

    struct ticker_notices : fake_notices {
        news_ticker* ticker = nullptr;
        std::vector<notice_record> notices(bool fetch) override { return ticker->refresh(fetch); }
    } s;
    s.ticker = &ticker;
    notice_line line(s);
    for (int t = 0; t < 11; ++t) line.tick();
    EXPECT_EQ(s.shown, (std::vector<std::wstring>{L"공지1", L"공지2"}));
    line.previous();
    line.open_shown();
    EXPECT_EQ(s.opened, (std::vector<std::wstring>{L"http://127.0.0.1/n/1"}));
    int asked = 0;
    for (const recorded_request& r : server.requests())
        if (r.path() == "/rux/rux_noticelist.php") ++asked;
    EXPECT_EQ(asked, 1);
}
