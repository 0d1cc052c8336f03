// The stand-in of the service in its scenario mode, as the client sees it
// through its own requests: the store's replies, the state it keeps for the
// run, the tracks it serves and the faults it is told to answer with.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>
#include <string>
#include <vector>
#include "service_requests.h"
#include "service_test_identity.h"
#include "stand_in_server.h"

namespace {

std::wstring text(const stringx& s) { return s.wvalue(); }

// The data lines of a reply split at "^", empty lines left out.
std::vector<std::vector<std::wstring>> records(const service_reply& reply) {
    std::vector<std::vector<std::wstring>> out;
    for (const stringx& line : reply.data_lines()) {
        std::vector<stringx> fields = split_fields(clean_line(line));
        if (fields.empty()) continue;
        out.emplace_back();
        for (const stringx& f : fields) out.back().push_back(f.wvalue());
    }
    return out;
}

struct http_result {
    DWORD status = 0;
    std::string body;
    std::string content_range;
};

http_result http_get(const std::string& url, const char* headers = nullptr) {
    http_result result;
    HINTERNET root = InternetOpenA("ZEL test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!root) return result;
    HINTERNET request = InternetOpenUrlA(root, url.c_str(), headers, headers ? static_cast<DWORD>(-1) : 0,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (request) {
        DWORD size = sizeof(result.status);
        HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &result.status, &size, nullptr);
        char range[128] = "";
        size = sizeof(range) - 1;
        if (HttpQueryInfoA(request, HTTP_QUERY_CONTENT_RANGE, range, &size, nullptr)) result.content_range = range;
        char piece[8192];
        DWORD read = 0;
        while (InternetReadFile(request, piece, sizeof(piece), &read) && read > 0) result.body.append(piece, read);
        InternetCloseHandle(request);
    }
    InternetCloseHandle(root);
    return result;
}

service_reply login(const stand_in_server& server, const wchar_t* userid, const wchar_t* userpw) {
    request_identity id = test_identity();
    return login_request(userid, userpw, L"", id.pc, id.volumes, L"", false, 0).send_to(server.host().c_str());
}

}  // namespace

TEST(service_stand_in, answers_a_store_from_its_scenario) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario()) << server.error();
    const std::wstring host = server.host();
    request_identity id = test_identity();

    service_reply reply = login(server, L"store01", L"pw01");
    ASSERT_EQ(reply.status(), reply_status::success) << reply.raw();
    reply_map keys;
    keys.read(reply.lines(), 1);
    EXPECT_EQ(text(keys.get(L"storeinfo")), L"A^T001^M001^S001^store01^테스트매장");
    EXPECT_EQ(text(keys.get(L"servertime")).size(), 14u);
    EXPECT_EQ(text(keys.get(L"bcode")), L"G001^09:00^22:00");
    EXPECT_EQ(split_fields(keys.get(L"playtype"), L"|").size(), 6u);

    auto channels = records(channel_list_request(id, L"음악방송").send_to(host.c_str()));
    ASSERT_EQ(channels.size(), 2u);
    EXPECT_EQ(channels[0], (std::vector<std::wstring>{L"1052", L"x", L"nomal", L"테스트 채널", L"설명", L"가요", L"매장"}));

    auto tracks = records(track_request(id, track_request_kind::select, 1052, L"테스트 채널").send_to(host.c_str()));
    ASSERT_EQ(tracks.size(), 2u);
    ASSERT_EQ(tracks[1].size(), 10u);
    EXPECT_EQ(tracks[1][3], L"3'20");
    EXPECT_EQ(tracks[1][4], L"50");
    std::string address = server.url("/music/102.mp3");
    EXPECT_EQ(tracks[1][7], std::wstring(address.begin(), address.end()));

    // The track itself, whole and from an offset, from the same port.
    http_result whole = http_get(address);
    EXPECT_EQ(whole.status, 200u);
    ASSERT_GT(whole.body.size(), 50000u);  // five seconds at 128 kbit/s
    EXPECT_EQ(whole.body.substr(0, 2), "\xff\xfb");
    http_result rest = http_get(address, "Range: bytes=1000-\r\n");
    EXPECT_EQ(rest.status, 206u);
    EXPECT_EQ(rest.body, whole.body.substr(1000));
    EXPECT_EQ(rest.content_range, "bytes 1000-" + std::to_string(whole.body.size() - 1) + "/" +
                                      std::to_string(whole.body.size()));
    EXPECT_EQ(http_get(server.url("/music/none.mp3")).status, 404u);

    service_reply announcements = anne_list_request(id, L"G001").send_to(host.c_str());
    ASSERT_GE(announcements.lines().size(), 3u);
    EXPECT_EQ(text(announcements.lines()[0]), L"OK");
    auto anne = records(announcements);
    ASSERT_EQ(anne.size(), 2u);
    EXPECT_EQ(anne[0].size(), 7u);
    EXPECT_EQ(anne[1], std::vector<std::wstring>{L"Result=Success"});  // the last line

    EXPECT_EQ(records(anne_library_request(id, L"T").send_to(host.c_str()))[0].size(), 6u);
    EXPECT_EQ(records(anne_schedule_list_request(id, L"G001").send_to(host.c_str()))[0].size(), 14u);
    EXPECT_EQ(records(notice_request(id).send_to(host.c_str())).size(), 2u);
    EXPECT_EQ(records(store_detail_request(L"T001", L"M001", L"S002", L"A").send_to(host.c_str()))[0].size(), 13u);
    auto radio = records(radio_list_request(id, L"24hradio", true).send_to(host.c_str()));
    ASSERT_EQ(radio.size(), 1u);
    EXPECT_EQ(radio[0].size(), 7u);
    auto timetable = records(timetable_request(id, L"L1").send_to(host.c_str()));
    ASSERT_EQ(timetable.size(), 2u);
    EXPECT_EQ(timetable[0][0].substr(0, 11), L"servertime=");
    EXPECT_EQ(timetable[1].size(), 5u);
}

TEST(service_stand_in, keeps_what_the_client_changes_for_the_run) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario()) << server.error();
    const std::wstring host = server.host();
    request_identity id = test_identity();

    favourite_request(id, true, L"1052", L"테스트 채널", true).send_to(host.c_str());
    favourite_request(id, true, L"1053", L"아침 가요", true).send_to(host.c_str());
    favourite_request(id, false, L"1052", L"테스트 채널", true).send_to(host.c_str());
    EXPECT_EQ(server.state("favourite"), (std::vector<std::vector<std::string>>{{"1053", "아침 가요"}}));

    anne_schedule_values values;
    values.playtime = timex_span(75);
    values.weekday_mask = 1;
    values.apptime = timex_span(0, 12, 0, 0);
    values.volume = 90;
    auto inserted = records(
        anne_schedule_insert_request(id, L"G001", L"L01", L"점심", L"안내", L"c1", values).send_to(host.c_str()));
    ASSERT_EQ(inserted.size(), 2u);
    EXPECT_EQ(inserted[1][4], L"12:00:00");
    EXPECT_EQ(inserted[1][7], L"1000000");
    std::wstring listkey = inserted[1][11], comkey = inserted[1][12];
    values.volume = 40;
    auto updated = records(anne_schedule_update_request(id, L"G001", listkey.c_str(), comkey.c_str(), values)
                               .send_to(host.c_str()));
    ASSERT_EQ(updated.size(), 2u);
    EXPECT_EQ(updated[1][8], L"40");
    auto left = records(anne_schedule_delete_request(id, L"G001", L"LK1", L"CK1", L"c1").send_to(host.c_str()));
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0][11], listkey);
    auto detail = records(anne_schedule_detail_request(id, L"G001", listkey.c_str()).send_to(host.c_str()));
    EXPECT_EQ(detail, left);
    auto reservations = server.state("reservation");
    ASSERT_EQ(reservations.size(), 1u);
    EXPECT_EQ(reservations[0][3], "점심");
    schedule_apply_request(L"G001").send_to(host.c_str());
    EXPECT_EQ(server.state("applied"), (std::vector<std::vector<std::string>>{{"G001"}}));

    // New closing hours show in the next login.
    store_hours_request(id, L"G001", L"", L"", L"23", L"30").send_to(host.c_str());
    reply_map keys;
    keys.read(login(server, L"store01", L"pw01").lines(), 1);
    EXPECT_EQ(text(keys.get(L"bcode")), L"G001^09:00^23:30");

    id.volumes.music = 550;
    volume_report_request(id, false, false).send_to(host.c_str());
    play_state_request(id.store, player_state::player_exit).send_to(host.c_str());
    EXPECT_EQ(server.state("report"), (std::vector<std::vector<std::string>>{{"music_volume", "55"}, {"player_exit"}}));

    log_upload_request(id, L"2024-01-02 09:00:00 곡1\r\n").send_to(host.c_str());
    EXPECT_EQ(server.upload(1), "2024-01-02 09:00:00 \xb0\xee" "1\r\n[DATA_END]");
}

TEST(service_stand_in, refuses_what_the_service_refuses) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(
        R"({"known_pcs": [{"usermac": "001A2B3C4D5E", "userid": "store01", "userpw": "pw01"}]})"))
        << server.error();
    const std::wstring host = server.host();

    // A refused login carries "Result=Success" as well, so that the client
    // gets as far as the notice.
    service_reply refused = login(server, L"store01", L"wrong");
    EXPECT_TRUE(refused.has_success());
    EXPECT_TRUE(refused.login_expired());
    stringx message, url;
    parse_reply(refused.lines(), message, url);
    EXPECT_EQ(text(message), L"아이디 또는 비밀번호가 일치하지 않습니다.");

    // A request with a password that is no user's: the login has expired.
    request_identity stranger = test_identity();
    stranger.userpw = L"old";
    service_reply expired = track_request(stranger, track_request_kind::select, 1052, L"x").send_to(host.c_str());
    EXPECT_EQ(expired.status(), reply_status::login_expired);
    parse_reply(expired.lines(), message, url);
    EXPECT_EQ(text(message), L"로그인 정보가 만료되었습니다.\n다시 로그인하여 주시기 바랍니다.");

    // The automatic login of a known PC reads every line as a pair.
    request_identity id = test_identity();
    reply_map known;
    known.read(pc_login_request(id.pc).send_to(host.c_str()).lines(), 0);
    EXPECT_EQ(text(known.get(L"login")), L"true");
    EXPECT_EQ(text(known.get(L"userid")), L"store01");
    EXPECT_EQ(text(known.get(L"userpw")), L"pw01");
    id.pc.usermac = L"NON_MAC";
    reply_map unknown;
    unknown.read(pc_login_request(id.pc).send_to(host.c_str()).lines(), 0);
    EXPECT_EQ(text(unknown.get(L"login")), L"false");
}

TEST(service_stand_in, answers_with_the_faults_it_is_given) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario()) << server.error();
    const std::wstring host = server.host();
    request_identity id = test_identity();
    const std::string normal = notice_request(id).send_to(host.c_str()).raw();
    ASSERT_NE(normal.find("Result=Success"), std::string::npos);

    stand_in_fault expired = stand_in_fault::of("rux_noticelist.php", "login_false");
    expired.message = "점검 중\x11잠시 후";
    expired.url = "http://127.0.0.1/notice";
    stand_in_fault text_reply = stand_in_fault::of("*", "text");
    text_reply.body = "OK\r\n공지^\r\nResult=Success";
    stand_in_fault slow = stand_in_fault::of("rux_noticelist.php", "slow");
    slow.wait_ms = 100;
    slow.chunk = 7;
    slow.delay_ms = 20;
    stand_in_fault cut = stand_in_fault::of("rux_noticelist.php", "cut");
    cut.cut_at = 10;
    stand_in_fault silent = stand_in_fault::of("rux_noticelist.php", "silent");
    silent.hold_ms = 300;
    struct {
        const char* name;
        stand_in_fault fault;
        reply_status status;
    } cases[] = {
        {"empty", stand_in_fault::of("rux_noticelist.php", "empty"), reply_status::no_connection},
        {"error page", stand_in_fault::of("rux_noticelist.php", "error"), reply_status::failed},
        {"expired login", expired, reply_status::login_expired},
        {"no result", stand_in_fault::of("rux_noticelist.php", "no_result"), reply_status::failed},
        {"text", text_reply, reply_status::success},
        {"slow", slow, reply_status::success},
        {"silent", silent, reply_status::no_connection},
        {"closed", stand_in_fault::of("rux_noticelist.php", "close"), reply_status::no_connection},
        {"another script", stand_in_fault::of("rux_song_check.php", "empty"), reply_status::success},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(server.set_faults({c.fault}));
        service_reply reply = notice_request(id).send_to(host.c_str());
        EXPECT_EQ(reply.status(), c.status) << c.name << ": " << reply.raw();
        const std::string name = c.name;
        if (name == "error page") {
            EXPECT_NE(reply.raw().find("500"), std::string::npos);
        } else if (name == "no result") {
            EXPECT_EQ(reply.lines().size(), 3u) << reply.raw();
        } else if (name == "text") {
            EXPECT_EQ(reply.raw(), "OK\r\n\xb0\xf8\xc1\xf6^\r\nResult=Success");
        } else if (name == "slow") {
            EXPECT_EQ(reply.raw(), normal);
        }
        if (name == "expired login") {
            stringx message, url;
            parse_reply(reply.lines(), message, url);
            EXPECT_EQ(text(message), L"점검 중\n잠시 후");
            EXPECT_EQ(text(url), L"http://127.0.0.1/notice");
        }
    }

    // A reply cut short is never a success.
    ASSERT_TRUE(server.set_faults({cut}));
    service_reply short_reply = notice_request(id).send_to(host.c_str());
    EXPECT_NE(short_reply.status(), reply_status::success) << short_reply.raw();
    EXPECT_LE(short_reply.raw().size(), 10u);

    // A rule for one request, and one for one channel only.
    stand_in_fault once = stand_in_fault::of("rux_song_check.php", "empty");
    once.times = 1;
    once.match = {{"chkey", "1053"}};
    ASSERT_TRUE(server.set_faults({once}));
    EXPECT_EQ(track_request(id, track_request_kind::select, 1052, L"").send_to(host.c_str()).status(),
              reply_status::success);
    EXPECT_EQ(track_request(id, track_request_kind::select, 1053, L"").send_to(host.c_str()).status(),
              reply_status::no_connection);
    EXPECT_EQ(track_request(id, track_request_kind::select, 1053, L"").send_to(host.c_str()).status(),
              reply_status::success);
}

TEST(service_stand_in, a_broken_scenario_does_not_start) {
    stand_in_server server;
    EXPECT_FALSE(server.start_scenario("{not json"));
    EXPECT_NE(server.error().find("scenario"), std::string::npos) << server.error();
}
