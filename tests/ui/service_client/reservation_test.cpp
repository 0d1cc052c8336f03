// The service client's announcement reservations: the reservation line, the
// values on the wire, the round trip through the stand-in and every
// failure's log line.
// The case tables give only the fields a row checks; a refused line leaves
// the rest of its expected record at the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "fake_service_link.h"
#include "reservation_lines.h"
#include "reservation_requests.h"
#include "stand_in_server.h"

namespace {

std::wstring w(const stringx& s) { return s.wvalue(); }

// The decoded value of the last field of that name of a recorded request.
std::string field(const recorded_request& r, const char* name) {
    std::string value;
    for (const auto& f : r.decoded_fields())
        if (f.first == name) value = f.second;
    return value;
}

std::vector<std::string> names(const recorded_request& r) {
    std::vector<std::string> out;
    for (const auto& f : r.decoded_fields()) out.push_back(f.first);
    return out;
}

const std::vector<std::string> head = {"storetop", "storemother", "storecode", "userid", "userpw", "anneinfo_code"};

std::vector<std::string> with_head(std::vector<std::string> rest) {
    std::vector<std::string> all = head;
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
}

}  // namespace

TEST(reservation_lines, fourteen_fields_give_a_reservation) {
    anne_schedule_record r;
    ASSERT_TRUE(read_reservation_line(
        stringx(L"R1^x^안내^c1^09:05:00^오픈^7^0101010^80^75.5^HTTP://h/anne/l01.mp3^LK1^CK1^2"), r));
    EXPECT_EQ(w(r.text_a), L"R1");
    EXPECT_EQ(w(r.text_b), L"x");
    EXPECT_EQ(w(r.category_k), L"안내");
    EXPECT_EQ(w(r.category_e), L"c1");
    EXPECT_EQ(r.apptime.total_seconds(), 9 * 3600 + 5 * 60);
    EXPECT_EQ(w(r.title), L"오픈");
    EXPECT_EQ(r.number_a, 7);
    EXPECT_EQ(r.weekdays, 2 + 8 + 32);
    EXPECT_EQ(r.volume, 80);
    EXPECT_EQ(r.playtime.total_seconds(), 76);
    EXPECT_EQ(w(r.url), L"HTTP://h/anne/l01.mp3");  // kept in its own form
    EXPECT_EQ(r.file_number, 0);
    EXPECT_EQ(w(r.listkey), L"LK1");
    EXPECT_EQ(w(r.comkey), L"CK1");
    EXPECT_EQ(r.auto_mute, 1);

    struct {
        const wchar_t* line;
        bool read;
        long apptime;
        int weekdays;
        const wchar_t* url;
        int file_number;
        int mute;
    } cases[] = {
        {L" a ^b^k^e^9:5^t^0^1000000^1^30^123^L^C^0", true, 9 * 3600 + 5 * 60, 1, L"", 123, 0},
        {L"a^b^k^e^^t^0^1111111^1^30^http://h/x^L^C^1", true, 0, 127, L"http://h/x", 0, 1},
        {L"a^b^k^e^junk^t^0^0000000^1^30^http://h/x^L^C^0", true, 0, 0, L"http://h/x", 0, 0},
        // A weekday text longer than a week counts its first seven days; no
        // character beyond them can reach the sign bit of the mask.
        {L"a^b^k^e^1:0:0^t^0^1111111111111111111111111111111111111111^1^30^7^L^C^0", true, 3600, 127, L"", 7, 0},
        {L"a^b^k^e^1:0:0^t^0^00000001^1^30^7^L^C^0", true, 3600, 0, L"", 7, 0},
        {L"a^b^k^e^1:0:0^t^0^11^1^30^7^L^C^0", true, 3600, 3, L"", 7, 0},
        {L"a^b^k^e^1:0:0^t^0^1111111^1^30^7^L^C", false},        // thirteen
        {L"a^b^k^e^1:0:0^t^0^1111111^1^30^7^L^C^0^x", false},    // fifteen
        {L"", false},
    };
    for (const auto& c : cases) {
        anne_schedule_record rec;
        rec.title = L"untouched";
        ASSERT_EQ(read_reservation_line(stringx(c.line), rec), c.read) << w(stringx(c.line));
        if (!c.read) {
            EXPECT_EQ(w(rec.title), L"untouched");
            continue;
        }
        EXPECT_EQ(rec.apptime.total_seconds(), c.apptime) << w(stringx(c.line));
        EXPECT_EQ(rec.weekdays, c.weekdays) << w(stringx(c.line));
        EXPECT_EQ(w(rec.url), c.url) << w(stringx(c.line));
        EXPECT_EQ(rec.file_number, c.file_number) << w(stringx(c.line));
        EXPECT_EQ(rec.auto_mute, c.mute) << w(stringx(c.line));
    }
    anne_schedule_record first;
    ASSERT_TRUE(read_reservation_line(stringx(cases[0].line), first));
    EXPECT_EQ(w(first.text_a), L" a ");  // texts as they are
}

// Insert, update, delete, detail and apply against the stand-in, which keeps
// the reservations for the run: the exact values on the wire and the
// reservations the replies give back.
TEST(reservation_requests, round_trip_through_the_stand_in) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario()) << server.error();
    fake_service_link link;
    link.host = server.host();

    std::vector<anne_schedule_record> list;
    ASSERT_TRUE(list_anne_schedule(link, list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(w(list[0].listkey), L"LK1");
    EXPECT_EQ(list[0].weekdays, 31);  // "1111100"
    EXPECT_EQ(list[0].apptime.total_seconds(), 9 * 3600 + 5 * 60);
    EXPECT_EQ(names(server.requests().back()), head);
    EXPECT_EQ(link.log.back(), L"안내방송 예약 리스트 성공");

    struct {
        int mask;
        timex_span apptime;
        timex_span playtime;
        bool mute;
        const char* weekdata;
        const char* apptime_text;
        const char* playtime_text;
    } inserts[] = {
        {1, timex_span(0, 9, 5, 0), timex_span(75), false, "1000000", "09:05:00", "75"},
        {127, timex_span(0, 23, 59, 59), timex_span(30), true, "1111111", "23:59:59", "30"},
        {42, timex_span(0, 0, 0, 7), timex_span(3600), false, "0101010", "00:00:07", "3600"},
    };
    for (const auto& c : inserts) {
        std::vector<anne_schedule_record> out;
        ASSERT_TRUE(insert_anne_schedule(link, L"L01", L"점심 안내", L"안내", L"c1", c.playtime, c.mask, c.apptime, 90,
                                         c.mute, out));
        const recorded_request sent = server.requests().back();
        EXPECT_EQ(names(sent), with_head({"flag", "anne_code", "anneinfo_title", "category_k", "category_e",
                                          "anne_playtime", "anne_weekdata", "anne_apptime", "anne_volume",
                                          "anne_mute"}));
        EXPECT_EQ(field(sent, "flag"), "insert");
        EXPECT_EQ(field(sent, "anneinfo_code"), "G001");
        EXPECT_EQ(field(sent, "anne_weekdata"), c.weekdata);
        EXPECT_EQ(field(sent, "anne_apptime"), c.apptime_text);
        EXPECT_EQ(field(sent, "anne_playtime"), c.playtime_text);
        EXPECT_EQ(field(sent, "anne_volume"), "90");
        EXPECT_EQ(field(sent, "anne_mute"), c.mute ? "1" : "0");
        // The reply lists the store's reservations with the new one last,
        // read back to the values that were sent.
        ASSERT_GE(out.size(), 2u);
        const anne_schedule_record& added = out.back();
        EXPECT_EQ(added.weekdays, c.mask);
        EXPECT_EQ(added.apptime, c.apptime);
        EXPECT_EQ(added.playtime, c.playtime);
        EXPECT_EQ(added.auto_mute, c.mute ? 1 : 0);
        EXPECT_EQ(w(added.title), L"점심 안내");
        EXPECT_EQ(link.log.back(), L"안내방송 예약 입력 성공");
    }
    auto stored = server.state("reservation");
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[3][3], "점심 안내");
    EXPECT_EQ(stored[3][5], "0101010");

    // Update the first inserted one: its keys from the list.
    std::vector<anne_schedule_record> all;
    ASSERT_TRUE(list_anne_schedule(link, all));
    ASSERT_EQ(all.size(), 4u);
    const stringx listkey = all[1].listkey, comkey = all[1].comkey;
    std::vector<anne_schedule_record> after;
    ASSERT_TRUE(update_anne_schedule(link, listkey.wvalue(), comkey.wvalue(), timex_span(45), 96,
                                     timex_span(0, 18, 0, 30), 40, true, after));
    const recorded_request update = server.requests().back();
    EXPECT_EQ(names(update), with_head({"flag", "listkey", "comkey", "anne_playtime", "anne_weekdata",
                                        "anne_apptime", "anne_volume", "anne_mute"}));
    EXPECT_EQ(field(update, "flag"), "update");
    EXPECT_EQ(field(update, "anne_weekdata"), "0000011");
    EXPECT_EQ(field(update, "anne_apptime"), "18:00:30");
    EXPECT_EQ(field(update, "anne_playtime"), "45");
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[1].weekdays, 96);
    EXPECT_EQ(after[1].volume, 40);
    EXPECT_EQ(after[1].apptime.total_seconds(), 18 * 3600 + 30);
    EXPECT_EQ(link.log.back(), L"안내방송 예약 수정 성공");

    std::vector<anne_schedule_record> detail;
    ASSERT_TRUE(get_anne_schedule(link, listkey.wvalue(), detail));
    EXPECT_EQ(names(server.requests().back()), with_head({"flag", "listkey"}));
    EXPECT_EQ(field(server.requests().back(), "flag"), "select_com");
    ASSERT_EQ(detail.size(), 1u);
    EXPECT_EQ(w(detail[0].comkey), w(comkey));
    EXPECT_EQ(link.log.back(), L"안내방송 예약 상세 성공");

    std::vector<anne_schedule_record> left;
    ASSERT_TRUE(delete_anne_schedule(link, listkey.wvalue(), comkey.wvalue(), L"c1", left));
    EXPECT_EQ(names(server.requests().back()), with_head({"flag", "listkey", "comkey", "category_e"}));
    EXPECT_EQ(field(server.requests().back(), "flag"), "delete");
    EXPECT_EQ(left.size(), 3u);
    EXPECT_EQ(server.state("reservation").size(), 3u);
    EXPECT_EQ(link.log.back(), L"안내방송 예약 삭제 성공");

    ASSERT_TRUE(apply_anne_schedule(link));
    EXPECT_EQ(server.requests().back().path(), "/rux/schedule_save_ok.php");
    EXPECT_EQ(names(server.requests().back()), std::vector<std::string>{"anneinfo_code"});
    EXPECT_EQ(server.state("applied"), (std::vector<std::vector<std::string>>{{"G001"}}));
    EXPECT_EQ(link.log.back(), L"안내방송 예약 즉시 편성 성공");
}

// Each reservation request and its failures: the log line, the notice of an
// expired login, and the caller's list untouched. Putting the reservations
// into effect is no success on an expired login or a refusal either.
TEST(reservation_requests, every_failure_logs_its_line_and_keeps_the_list) {
    const std::string expired = "Login=False\r\nmessage=만료\r\nurl=\r\n";
    const std::string no_success = "OK\r\nR1^x^k^e^09:05:00^t^0^1111100^80^30^http://h/a^LK1^CK1^0\r\n";
    typedef bool (*operation)(service_link&, std::vector<anne_schedule_record>&);
    struct {
        const char* name;
        operation run;
        const wchar_t* no_connection;
        const wchar_t* failed;
    } operations[] = {
        {"list", [](service_link& l, std::vector<anne_schedule_record>& o) { return list_anne_schedule(l, o); },
         L"안내방송 예약 리스트, 서버 접속 실패", L"안내방송 예약 리스트 실패"},
        {"insert",
         [](service_link& l, std::vector<anne_schedule_record>& o) {
             return insert_anne_schedule(l, L"L01", L"t", L"k", L"e", timex_span(30), 1, timex_span(60), 1, false, o);
         },
         L"안내방송 예약 입력, 서버 접속 실패", L"안내방송 예약 입력 실패"},
        {"update",
         [](service_link& l, std::vector<anne_schedule_record>& o) {
             return update_anne_schedule(l, L"LK1", L"CK1", timex_span(30), 1, timex_span(60), 1, false, o);
         },
         L"안내방송 예약 수정, 서버 접속 실패", L"안내방송 예약 수정 실패"},
        {"delete",
         [](service_link& l, std::vector<anne_schedule_record>& o) {
             return delete_anne_schedule(l, L"LK1", L"CK1", L"e", o);
         },
         L"안내방송 예약 삭제, 서버 접속 실패", L"안내방송 예약 삭제 실패"},
        {"detail",
         [](service_link& l, std::vector<anne_schedule_record>& o) { return get_anne_schedule(l, L"LK1", o); },
         L"안내방송 예약 상세, 서버 접속 실패", L"안내방송 예약 상세 실패"},
        {"apply", [](service_link& l, std::vector<anne_schedule_record>&) { return apply_anne_schedule(l); },
         L"안내방송 예약 즉시 편성, 서버 접속 실패", L"안내방송 예약 즉시 편성 실패"},
    };
    for (const auto& op : operations) {
        const bool apply = std::string(op.name) == "apply";
        struct {
            std::string reply;
            const wchar_t* log;
            bool notice;
        } replies[] = {
            {"", op.no_connection, false},
            {expired, op.failed, true},
            {no_success, apply ? L"schedule_save_ok.php, Result=Success 실패" : L"rux_anne_schedule.php, Result=Success 실패",
             false},
        };
        for (const auto& r : replies) {
            fake_service_link link;
            link.canned = {r.reply};
            std::vector<anne_schedule_record> out(1);
            out[0].title = L"caller";
            EXPECT_FALSE(op.run(link, out)) << op.name << ": " << r.reply;
            EXPECT_EQ(link.log, std::vector<std::wstring>{r.log}) << op.name << ": " << r.reply;
            EXPECT_EQ(link.notices, r.notice ? std::vector<std::wstring>{L"만료"} : std::vector<std::wstring>())
                << op.name;
            ASSERT_EQ(out.size(), 1u) << op.name;
            EXPECT_EQ(w(out[0].title), L"caller") << op.name;
        }
    }
}

// A successful reply appends its reservation lines behind what the caller
// holds; lines of another field count are skipped without a word.
TEST(reservation_requests, a_reply_appends_its_lines_of_fourteen_fields) {
    fake_service_link link;
    link.canned = {"Result=Success\r\n"
                   "R1^x^k^e^09:05:00^첫째^0^1111100^80^30^http://h/a^LK1^CK1^0\r\n"
                   "R2^x^k^e^09:05:00^thirteen^0^1111100^80^30^http://h/a^LK2^CK2\r\n"
                   "\r\n"
                   "R3^x^k^e^10:00:00^셋째^0^0000011^80^30^55^LK3^CK3^1\r\n"};
    std::vector<anne_schedule_record> out(1);
    ASSERT_TRUE(list_anne_schedule(link, out));
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(w(out[1].title), L"첫째");
    EXPECT_EQ(w(out[2].title), L"셋째");
    EXPECT_EQ(out[2].file_number, 55);
    EXPECT_EQ(link.log, std::vector<std::wstring>{L"안내방송 예약 리스트 성공"});
}
