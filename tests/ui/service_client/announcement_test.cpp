// The service client's announcements: the list and library lines, the
// success test of the list, the merge of the user's choices, the store hours
// and every failure's log line.
// The case tables give only the fields a row checks; a refused line leaves
// the rest of its expected record at the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "announcement_lines.h"
#include "announcement_requests.h"
#include "fake_service_link.h"
#include "stand_in_server.h"

namespace {

std::wstring w(const stringx& s) { return s.wvalue(); }

std::vector<stringx> split_reply(const std::string& text) { return service_reply(text.data(), text.size()).lines(); }

// A list reply of the service: status line, the lines, "Result=Success".
std::string list_reply(const std::vector<std::string>& lines) {
    std::string text = "OK\r\n";
    for (const auto& l : lines) text += l + "\r\n";
    return text + "Result=Success\r\n";
}

}  // namespace

TEST(announcement_lines, list_lines_give_records_or_are_skipped_whole) {
    struct {
        const wchar_t* line;
        bool read;
        const wchar_t* code;
        long start;
        const wchar_t* start_text;
        long length;
        int flag;
        const wchar_t* title;
        int volume;
        const wchar_t* url;
    } cases[] = {
        {L"A01^09:00:00^30^0^오픈 안내^100^http://h/anne/a01.mp3", true, L"A01", 9 * 3600, L"09", 30, 0,
         L"오픈 안내", 100, L"zel2://h/anne/a01.mp3"},
        {L"A02^13:05:30^90^2^점심^80^http://h/a.mp3", true, L"A02", 13 * 3600 + 5 * 60 + 30, L"13", 90, 1, L"점심", 80,
         L"zel2://h/a.mp3"},
        {L"A03^7:0:0^1:30^0^t^0^http://h/b.mp3", true, L"A03", 7 * 3600, L"7", 90, 0, L"t", 0, L"zel2://h/b.mp3"},
        {L"A04^0:0:1^0:1:30^0^t^1^http://h/c.mp3", true, L"A04", 1, L"0", 90, 0, L"t", 1, L"zel2://h/c.mp3"},
        {L"A05^0:0:0^90.5^0^t^1^http://h/d.mp3", true, L"A05", 0, L"0", 91, 0, L"t", 1, L"zel2://h/d.mp3"},
        {L"A06^0:0:0^^0^t^1^http://h/e.mp3", true, L"A06", 0, L"0", 0, 0, L"t", 1, L"zel2://h/e.mp3"},
        {L"A07^0:0:0^1:0:0:5^0^t^1^http://h/f.mp3", true, L"A07", 0, L"0", 3600, 0, L"t", 1, L"zel2://h/f.mp3"},
        {L"A08^0:0:0^5^0^t^1^http://h/g\r.mp3", true, L"A08", 0, L"0", 5, 0, L"t", 1, L"zel2://h/g.mp3"},
        // A start time beyond any day does not overflow into a negative one.
        {L"A09^99999999:0:0^5^0^t^1^http://h/i.mp3", true, L"A09", 2147483647L, L"99999999", 5, 0, L"t", 1,
         L"zel2://h/i.mp3"},
        {L"A10^09:00^30^0^t^1^http://h/x.mp3", false},        // start of two pieces
        {L"A11^09:00:00:00^30^0^t^1^http://h/x.mp3", false},  // start of four pieces
        {L"A12^09:00:00^30^0^t^1", false},                     // six fields
        {L"A13^09:00:00^30^0^t^^1^http://h/x.mp3", false},    // eight: a "^" in the title
        {L"", false},
        {L"Result=Success", false},
    };
    for (const auto& c : cases) {
        anne_record r;
        r.code = L"untouched";
        ASSERT_EQ(read_anne_list_line(stringx(c.line), r), c.read) << w(stringx(c.line));
        if (!c.read) {
            EXPECT_EQ(w(r.code), L"untouched");
            continue;
        }
        EXPECT_EQ(w(r.code), c.code);
        EXPECT_EQ(r.start.total_seconds(), c.start) << c.code;
        EXPECT_EQ(w(r.start_text), c.start_text) << c.code;
        EXPECT_EQ(r.length.total_seconds(), c.length) << c.code;
        EXPECT_EQ(r.flag, c.flag) << c.code;
        EXPECT_EQ(w(r.title), c.title) << c.code;
        EXPECT_EQ(r.volume, c.volume) << c.code;
        EXPECT_EQ(w(r.url), c.url) << c.code;
        EXPECT_EQ(r.enabled, 1) << c.code;
        EXPECT_EQ(w(r.category), L"") << c.code;
        EXPECT_EQ(w(r.kind), L"") << c.code;
    }
}

TEST(announcement_lines, library_lines_need_six_fields_and_minutes_and_seconds) {
    struct {
        const wchar_t* line;
        bool read;
        long length;
    } cases[] = {
        {L"안내^T^오픈 멘트^L01^0:30^http://h/anne/l01.mp3", true, 30},
        {L"안내^T^오픈 멘트^L01^2:30.6^http://h/anne/l01.mp3", true, 151},
        {L"안내^T^오픈 멘트^L01^30^http://h/anne/l01.mp3", false},      // one piece
        {L"안내^T^오픈 멘트^L01^0:0:30^http://h/anne/l01.mp3", false},  // three pieces
        {L"안내^T^오픈 멘트^L01^0:30", false},
        {L"안내^T^오픈^멘트^L01^0:30^http://h/anne/l01.mp3", false},
    };
    for (const auto& c : cases) {
        anne_record r;
        ASSERT_EQ(read_anne_library_line(stringx(c.line), r), c.read) << w(stringx(c.line));
        if (!c.read) continue;
        EXPECT_EQ(r.length.total_seconds(), c.length);
        EXPECT_EQ(w(r.category), L"안내");
        EXPECT_EQ(w(r.kind), L"T");
        EXPECT_EQ(w(r.title), L"오픈 멘트");
        EXPECT_EQ(w(r.code), L"L01");
        EXPECT_EQ(w(r.url), L"zel2://h/anne/l01.mp3");
        EXPECT_EQ(r.start.total_seconds(), 0);
        EXPECT_EQ(r.volume, 200);
        EXPECT_EQ(r.flag, 0);
        EXPECT_EQ(w(r.start_text), L"");
    }
}

// The list's success test looks at the last line left after cleaning, the
// whole line, in any case. Lines of blanks go; a line after the first keeps
// the blanks at its start (the line break before it shields them), so a
// last line with blanks before "Result=Success" fails.
TEST(announcement_lines, the_list_succeeds_on_its_last_cleaned_line) {
    struct {
        const char* name;
        std::string reply;
        bool success;
        size_t lines;  // cleaned lines
    } cases[] = {
        {"plain", "OK\r\nA^1:0:0^5^0^t^1^http://h/a\r\nResult=Success\r\n", true, 3},
        {"lower case", "OK\r\nresult=success", true, 2},
        {"blank and empty lines anywhere", "OK\r\n\r\n   \r\n\t\r\nA^1:0:0^5^0^t^1^http://h/a\r\n \r\nResult=Success\r\n\r\n",
         true, 3},
        {"blanks after it", "OK\r\nResult=Success  \t", true, 2},
        {"blanks before it", "OK\r\n  Result=Success", false, 2},
        {"a tab before it", "OK\r\n\tResult=Success\r\n", false, 2},
        {"alone, blanks before it", "  Result=Success  ", true, 1},
        {"on the first line only", "Result=Success\r\nA^1:0:0^5^0^t^1^http://h/a", false, 2},
        {"more on the line", "OK\r\nResult=Successful", false, 2},
        {"only empty lines", "\r\n\r\n  \r\n", false, 0},
    };
    for (const auto& c : cases) {
        std::vector<stringx> cleaned = clean_anne_list_lines(split_reply(c.reply));
        EXPECT_EQ(cleaned.size(), c.lines) << c.name;
        EXPECT_EQ(anne_list_succeeded(cleaned), c.success) << c.name;
    }
}

TEST(announcement_list, a_reload_keeps_the_users_choices_of_the_same_announcement) {
    fake_service_link link;
    std::vector<anne_record> kept, out;
    link.canned = {list_reply({"A01^09:00:00^30^0^오픈^100^http://h/anne/A01.mp3",
                               "A02^10:00:00^30^0^점심^100^http://h/anne/A02.mp3",
                               "A03^11:00:00^30^0^마감^100^http://h/anne/A03.mp3"})};
    ASSERT_TRUE(load_anne_list(link, kept, out, true));
    ASSERT_EQ(kept.size(), 3u);

    // The user turns A01 up and A02 off, one through the scheduler's path and
    // one through the list of the announcement page.
    anne_record louder = kept[0];
    louder.volume = 150;
    update_anne_record(link, kept, louder);
    EXPECT_EQ(kept[0].volume, 150);
    ASSERT_EQ(link.updates.size(), 1u);
    std::vector<anne_record> page = kept;
    page[1].enabled = 0;
    reload_anne_records(link, kept, page);
    EXPECT_EQ(kept[1].enabled, 0);
    EXPECT_EQ(link.reloads, 1);

    // The service sends its values again: the same address in another case
    // and the same start keep the choices; a moved start time and a new
    // announcement come with the service's values.
    link.canned = {list_reply({"A01^09:00:00^30^0^오픈^100^http://h/ANNE/a01.MP3",
                               "A02^10:30:00^30^0^점심^100^http://h/anne/A02.mp3",
                               "A04^12:00:00^30^0^새것^90^http://h/anne/A04.mp3"})};
    ASSERT_TRUE(load_anne_list(link, kept, out, true));
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].volume, 150);
    EXPECT_EQ(kept[0].enabled, 1);
    EXPECT_EQ(kept[1].volume, 100);
    EXPECT_EQ(kept[1].enabled, 1);  // moved: on again
    EXPECT_EQ(kept[2].volume, 90);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].volume, 150);

    // Without refresh the kept list is handed out without a request.
    size_t posts = link.posted.size();
    std::vector<anne_record> again;
    ASSERT_TRUE(load_anne_list(link, kept, again, false));
    EXPECT_EQ(link.posted.size(), posts);
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again[0].volume, 150);

    // A record the list does not hold changes nothing and tells nobody, and
    // still logs.
    anne_record stranger = kept[0];
    stranger.start = timex_span(1);
    stranger.volume = 5;
    update_anne_record(link, kept, stranger);
    EXPECT_EQ(kept[0].volume, 150);
    EXPECT_EQ(link.updates.size(), 1u);
    EXPECT_EQ(link.log.back(), L"안내방송리스트 업데이트");
}

// Each announcement request and its failures: the log line, the notice of an
// expired login, and the kept and caller's lists untouched.
TEST(announcement_list, every_failure_logs_its_line_and_keeps_the_lists) {
    const std::string expired = "Login=False\r\nmessage=만료\r\nurl=\r\n";
    struct {
        const char* name;
        int operation;  // 0 list, 1 library, 2 store hours
        std::string reply;
        const wchar_t* log;
        bool notice;
    } cases[] = {
        {"list, no connection", 0, "", L"안내방송 목록, 서버 접속 실패", false},
        {"list, expired", 0, expired + "Result=Success\r\n", L"안내방송 정보 가져오기 실패", true},
        {"list, no success line", 0, "OK\r\nA^1:0:0^5^0^t^1^http://h/a\r\n", L"모든 안내방송 정보 가져오기 실패", false},
        {"list, only empty lines", 0, "\r\n \r\n", L"모든 안내방송 정보 가져오기 실패", false},
        {"library, no connection", 1, "", L"안내방송 목록, 서버 접속 실패", false},
        {"library, expired", 1, expired, L"안내방송 정보 가져오기 실패", true},
        {"library, no success", 1, "OK\r\n안내^T^t^L01^0:30^http://h/a\r\n", L"info_library_page, Result=Success 실패",
         false},
        {"hours, no connection", 2, "", L"안내방송 개폐점 시간 수정, 서버 접속 실패", false},
        {"hours, expired", 2, expired, L"안내방송 개폐점 시간 수정 실패", true},
        // An error page is not a saved change.
        {"hours, error page", 2, "<html><body>500 Error</body></html>", L"rux_anne_check.php, Result=Success 실패",
         false},
    };
    for (const auto& c : cases) {
        fake_service_link link;
        std::vector<anne_record> kept(1), out(2);
        kept[0].title = L"kept";
        out[0].title = L"caller";
        link.canned = {c.reply};
        bool result = true;
        if (c.operation == 0) result = load_anne_list(link, kept, out, true);
        if (c.operation == 1) result = load_anne_library(link, L"T", out);
        if (c.operation == 2) result = update_store_hours(link, L"9", L"00", L"22", L"00");
        EXPECT_FALSE(result) << c.name;
        EXPECT_EQ(link.log, std::vector<std::wstring>{c.log}) << c.name;
        EXPECT_EQ(link.notices, c.notice ? std::vector<std::wstring>{L"만료"} : std::vector<std::wstring>()) << c.name;
        ASSERT_EQ(kept.size(), 1u) << c.name;
        EXPECT_EQ(w(kept[0].title), L"kept") << c.name;
        ASSERT_EQ(out.size(), 2u) << c.name;
        EXPECT_EQ(w(out[0].title), L"caller") << c.name;
    }
}

// Through the stand-in: the fields on the wire, the list read back, the
// library appended, the new hours kept by the service.
TEST(announcement_list, the_stand_in_serves_the_list_the_library_and_the_hours) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(R"({"announcements": [
        {"code": "A01", "start": "09:00:00", "length": "30", "flag": "0", "title": "오픈 안내", "volume": "100",
         "file": "a01.mp3"},
        "A02^09:30^30^0^two pieces^100^http://127.0.0.1/anne/x.mp3",
        "A03^10:00:00^30^0^six fields^100",
        {"code": "A04", "start": "21:30:00", "length": "1:15", "flag": "1", "title": "마감", "volume": "70",
         "file": "a04.mp3"}]})"))
        << server.error();
    fake_service_link link;
    link.host = server.host();
    std::vector<anne_record> kept, out;
    ASSERT_TRUE(load_anne_list(link, kept, out, true)) << (link.log.empty() ? L"" : link.log.back());
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(w(out[0].code), L"A01");
    const std::string address = server.url("/anne/a01.mp3");  // "http://..."
    EXPECT_EQ(w(out[0].url), L"zel2" + std::wstring(address.begin() + 4, address.end()));
    EXPECT_EQ(w(out[1].title), L"마감");
    EXPECT_EQ(out[1].length.total_seconds(), 75);
    EXPECT_EQ(out[1].flag, 1);
    EXPECT_EQ(link.log.back(), L"안내방송리스트 수신");
    std::vector<recorded_request> sent = server.requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].path(), "/rux/rux_anne_check.php");
    std::vector<std::string> names;
    for (const auto& f : sent[0].decoded_fields()) names.push_back(f.first);
    EXPECT_EQ(names, (std::vector<std::string>{"storeguideno", "storetop", "storemother", "storecode", "userid",
                                               "userpw", "music_volume", "anne_volume", "music_volume_mute",
                                               "anne_volume_mute"}));
    EXPECT_EQ(sent[0].decoded_fields()[0].second, "G001");

    std::vector<anne_record> library(1);
    ASSERT_TRUE(load_anne_library(link, L"T", library));
    ASSERT_EQ(library.size(), 2u);  // appended behind what the caller held
    EXPECT_EQ(w(library[1].title), L"오픈 멘트");
    EXPECT_EQ(link.log.back(), L"T 안내방송 리스트 수신");
    EXPECT_EQ(server.requests().back().decoded_fields().back(), (std::pair<std::string, std::string>("flag", "T")));

    // An empty closing minute is not sent; the service keeps the other three.
    ASSERT_TRUE(update_store_hours(link, L"08", L"30", L"23", L""));
    EXPECT_EQ(link.log.back(), L"안내방송 개폐점 시간 수정");
    names.clear();
    for (const auto& f : server.requests().back().decoded_fields()) names.push_back(f.first);
    EXPECT_EQ(names, (std::vector<std::string>{"storeguideno", "storetop", "storemother", "storecode", "userid",
                                               "userpw", "storeopen_hour", "storeopen_minute", "storeclose_hour",
                                               "flag"}));
    EXPECT_EQ(server.state("hours"), (std::vector<std::vector<std::string>>{{"G001", "08:30", "23:00"}}));
}
