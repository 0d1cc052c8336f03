// The store manager's branch-store list and detail, and the news ticker's
// notices.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "fake_service_link.h"
#include "stand_in_server.h"
#include "store_manager.h"

namespace {
std::wstring w(const stringx& s) { return s.wvalue(); }
}  // namespace

TEST(store_manager, the_list_takes_lines_of_eleven_fields) {
    fake_service_link link;
    store_manager manager(link);
    manager.set_list(L"T1^M1^S1^store01^역삼점^02-1^2^0^20240102093000^테스트 채널^x\r\n"
                     L"T1^M1^S2^store02^ten fields^02-2^1^0^20240102093000^ch\r\n"
                     L"T1^M1^S3^store03^twelve^02-3^1^0^20240102093000^ch^x^y\r\n"
                     L"\r\n"
                     L"T1^M2^S4^store04^강남\r점^02-4^0^1^20231231235959^^");
    const std::vector<store_record>& list = manager.get_list();
    ASSERT_EQ(list.size(), 2u);
    const store_record& a = list[0];
    EXPECT_EQ(w(a.storetop), L"T1");
    EXPECT_EQ(w(a.storemother), L"M1");
    EXPECT_EQ(w(a.storecode), L"S1");
    EXPECT_EQ(w(a.userid), L"store01");
    EXPECT_EQ(w(a.storename), L"역삼점");
    EXPECT_EQ(w(a.phone), L"02-1");
    EXPECT_EQ(a.connections, 2);
    EXPECT_EQ(a.waiting, 0);
    EXPECT_EQ(w(a.access_time), L"20240102093000");
    EXPECT_EQ(w(a.channel_title), L"테스트 채널");
    EXPECT_EQ(w(a.extra_text), L"x");
    const store_record& b = list[1];
    EXPECT_EQ(w(b.storename), L"강남점");
    EXPECT_EQ(b.connections, 0);
    EXPECT_EQ(b.waiting, 1);
    EXPECT_EQ(w(b.channel_title), L"");
    EXPECT_EQ(link.log, std::vector<std::wstring>{L"지점 관리 리스트 정보 업데이트"});

    // A text of lines with 10 or 12 fields leaves an empty list, and logs.
    manager.set_list(L"a^b^c^d^e^f^1^0^20240102093000^ch\r\na^b^c^d^e^f^1^0^20240102093000^ch^x^y");
    EXPECT_TRUE(manager.get_list().empty());
    manager.set_list(nullptr);
    EXPECT_TRUE(manager.get_list().empty());
    EXPECT_EQ(link.log.size(), 3u);
    EXPECT_TRUE(link.posted.empty());
}

TEST(store_manager, the_detail_of_one_store) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario()) << server.error();
    fake_service_link link;
    link.host = server.host();
    store_manager manager(link);
    store_detail detail;
    ASSERT_TRUE(manager.get_detail(L"T001", L"M001", L"S002", L"A", detail));
    EXPECT_EQ(w(detail.texts[3]), L"store02");
    EXPECT_EQ(w(detail.texts[4]), L"역삼점");
    EXPECT_EQ(detail.numbers[0], 1);
    EXPECT_EQ(detail.numbers[1], 0);
    EXPECT_EQ(w(detail.more_texts[0]), L"20240102093000");
    EXPECT_EQ(w(detail.more_texts[1]), L"테스트 채널");
    const recorded_request sent = server.requests().back();
    EXPECT_EQ(sent.path(), "/rux/rux_mana_view.php");
    EXPECT_EQ(sent.decoded_fields(), (std::vector<std::pair<std::string, std::string>>{
                                         {"storetop", "T001"}, {"storemother", "M001"}, {"storecode", "S002"},
                                         {"storelevel", "A"}}));
    EXPECT_TRUE(link.log.empty());

    struct {
        const char* name;
        std::string reply;
        bool result;
        const wchar_t* log;  // null: none
    } cases[] = {
        {"no connection", "", false, L"서버 연결 실패로 지점 관리 세부 정보 가져오기 실패"},
        {"expired, no notice", "Login=False\r\nmessage=만료\r\n", false, L"지점 관리 세부 정보 가져오기 실패"},
        // No success test: a second line of another count gives empty fields.
        {"twelve fields", "OK\r\na^b^c^d^e^f^1^2^g^h^i^j\r\n", true, nullptr},
        // A reply of one line has no second line to read.
        {"one line", "<html>error</html>", true, nullptr},
    };
    for (const auto& c : cases) {
        fake_service_link canned;
        canned.canned = {c.reply};
        store_manager m(canned);
        store_detail d;
        d.texts[0] = L"before";
        d.numbers[0] = 9;
        EXPECT_EQ(m.get_detail(L"T", L"M", L"S", L"A", d), c.result) << c.name;
        EXPECT_EQ(canned.log, c.log ? std::vector<std::wstring>{c.log} : std::vector<std::wstring>()) << c.name;
        EXPECT_TRUE(canned.notices.empty()) << c.name;
        EXPECT_EQ(w(d.texts[0]), c.result ? L"" : L"before") << c.name;
        EXPECT_EQ(d.numbers[0], c.result ? 0 : 9) << c.name;
    }
}

TEST(news_ticker, notices_are_replaced_only_by_a_successful_fetch) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(R"({"notices": [{"text": "공지1", "value": "http://127.0.0.1/n/1"},
        "one field", "three^fields^here", {"text": "공지2", "value": ""}]})"))
        << server.error();
    fake_service_link link;
    link.host = server.host();
    news_ticker ticker(link);

    // Before a login nothing is asked.
    link.logged = false;
    EXPECT_TRUE(ticker.refresh(true).empty());
    EXPECT_TRUE(server.requests().empty());
    link.logged = true;
    EXPECT_TRUE(ticker.refresh(false).empty());
    EXPECT_TRUE(server.requests().empty());

    std::vector<notice_record>& notices = ticker.refresh(true);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(w(notices[0].text), L"공지1");
    EXPECT_EQ(w(notices[0].value), L"http://127.0.0.1/n/1");
    EXPECT_EQ(w(notices[1].text), L"공지2");
    EXPECT_EQ(w(notices[1].value), L"");
    EXPECT_EQ(link.log.back(), L"뉴스티커 리스트 정보 가져오기 성공");
    std::vector<std::string> names;
    for (const auto& f : server.requests().back().decoded_fields()) names.push_back(f.first);
    EXPECT_EQ(names, (std::vector<std::string>{"storetop", "storemother", "storecode", "storelevel", "music_volume",
                                               "anne_volume", "music_volume_mute", "anne_volume_mute"}));
    EXPECT_EQ(ticker.refresh(false).size(), 2u);

    // Failures keep the notices of the last success.
    struct {
        const char* name;
        stand_in_fault fault;
        const wchar_t* log;
        bool notice;
    } failures[] = {
        {"no connection", stand_in_fault::of("rux_noticelist.php", "empty"),
         L"서버 연결 실패로 뉴스티커 리스트 정보 가져오기 실패", false},
        {"expired", stand_in_fault::of("rux_noticelist.php", "login_false"), L"뉴스티커 리스트 정보 가져오기 실패",
         true},
        {"no success", stand_in_fault::of("rux_noticelist.php", "no_result"), L"rux_noticelist.php, Result=Success 실패",
         false},
    };
    for (const auto& f : failures) {
        ASSERT_TRUE(server.set_faults({f.fault}));
        link.notices.clear();
        EXPECT_EQ(ticker.refresh(true).size(), 2u) << f.name;
        EXPECT_EQ(link.log.back(), f.log) << f.name;
        EXPECT_EQ(link.notices.size(), f.notice ? 1u : 0u) << f.name;
    }

    // A success without notice lines leaves none.
    stand_in_fault none = stand_in_fault::of("rux_noticelist.php", "text");
    none.body = "Result=Success\r\n";
    ASSERT_TRUE(server.set_faults({none}));
    EXPECT_TRUE(ticker.refresh(true).empty());
}
