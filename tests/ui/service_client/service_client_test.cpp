// The service client against the stand-in service: channel and radio lists,
// the current channel, the favourites, the track requests with their cache
// and fall-backs, and what every failure logs, shows and hands out.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "service_client.h"
#include "service_client_services.h"
#include "service_requests.h"
#include "service_test_identity.h"
#include "stand_in_server.h"

namespace {

std::wstring w(const stringx& s) { return s.wvalue(); }

// The text in code page 949, as the client sends and the stand-in decodes it.
std::string cp949(const wchar_t* text) {
    int n = WideCharToMultiByte(949, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(949, 0, text, -1, &out[0], n, nullptr, nullptr);
    return out;
}

class fake_client_services : public service_client_services {
public:
    bool logged_in_flag = true;
    std::vector<std::wstring> log, anne_log, boxes;
    int notices = 0;
    std::wstring title = L"<unset>";

    bool logged_in() override { return logged_in_flag; }
    request_identity identity() override { return test_identity(); }
    void write_log(const wchar_t* text) override { log.push_back(text); }
    void write_anne_log(const wchar_t* text) override { anne_log.push_back(text); }
    void show_timed_box(const wchar_t* text) override { boxes.push_back(text); }
    void show_notice(const service_reply&) override { ++notices; }
    void set_channel_title(const wchar_t* t) override { title = t; }
    stringx channel_title() override { return title.c_str(); }

    // What a player keeps in its file between runs.
    int kept_chkey = 0;
    std::vector<stringx> kept_lines;
    void keep_track_lines(int chkey, const std::vector<stringx>& lines) override {
        kept_chkey = chkey;
        kept_lines = lines;
    }
    std::vector<stringx> kept_track_lines(int chkey) override {
        return chkey == kept_chkey ? kept_lines : std::vector<stringx>();
    }

    void forget() {
        log.clear();
        anne_log.clear();
        boxes.clear();
        notices = 0;
    }
};

std::vector<std::wstring> ids_and_titles(const std::vector<channel_record>& list) {
    std::vector<std::wstring> out;
    for (const channel_record& c : list) out.push_back(std::to_wstring(c.id) + L" " + w(c.title));
    return out;
}

std::vector<std::wstring> paths(const std::vector<track_record>& tracks) {
    std::vector<std::wstring> out;
    for (const track_record& t : tracks) out.push_back(t.path ? t.path : L"<null>");
    return out;
}

std::vector<std::wstring> titles(const std::vector<track_record>& tracks) {
    std::vector<std::wstring> out;
    for (const track_record& t : tracks) out.push_back(t.title ? t.title : L"<null>");
    return out;
}

// A store of two categories and three channels; the tracks of channel 1052
// include lines of nine and eleven fields, which are skipped.
const char store[] = R"({
  "categories": {"음악방송": [1052, 1053, "9^x^nomal^여섯 필드^d^g"], "auto": [1053, 1052],
                 "other": [1054]},
  "channels": [
    {"id": 1052, "extra": "x", "tempo": "nomal", "title": "테스트 채널", "description": "설명", "genre": "가요",
     "purpose": "매장", "tracks": [
       {"number": 101, "length": "200", "offset": "50", "title": "곡1", "artist": "가수1", "album": "앨범1",
        "file": "101.mp3", "seconds": 1},
       "1^x^^60^0^아홉^a^http://127.0.0.1/x.mp3^b",
       "2^x^^60^0^열하나^a^http://127.0.0.1/y.mp3^b^f^g",
       {"number": 102, "length": "3'20", "offset": "0", "title": "곡2", "artist": "가수2", "album": "앨범1",
        "file": "102.mp3", "seconds": 1}]},
    {"id": 1053, "extra": "x", "tempo": "fast", "title": "아침 가요", "description": "d", "genre": "g",
     "purpose": "p", "tracks": [
       {"number": 201, "length": "180", "offset": "0", "title": "곡3", "artist": "가수3", "album": "앨범2",
        "file": "201.mp3", "seconds": 1}]},
    {"id": 1054, "extra": "", "tempo": "all", "title": "Other", "description": "", "genre": "", "purpose": "",
     "tracks": []}],
  "radio": {"24hradio": [
    {"name": "라디오1", "address": "http://127.0.0.1/live", "time": "24h", "genre": "가요", "quality": "128k",
     "comment": "1", "homepage": "http://127.0.0.1/home1"},
    "라디오2^^http://127.0.0.1/two",
    "a^b^c^d"]}
})";

struct service_client_test : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(server.start_scenario(store)) << server.error();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    }
    void TearDown() override { SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr); }

    size_t sent() const { return server.requests().size(); }
    // The decoded fields of the last request.
    std::vector<std::pair<std::string, std::string>> last_fields() const {
        auto requests = server.requests();
        return requests.empty() ? std::vector<std::pair<std::string, std::string>>()
                                : requests.back().decoded_fields();
    }
    std::vector<std::string> last_names() const {
        std::vector<std::string> names;
        for (const auto& f : last_fields()) names.push_back(f.first);
        return names;
    }
    std::string last_value(const char* name) const {
        for (const auto& f : last_fields())
            if (f.first == name) return f.second;
        return "<absent>";
    }
    void fail_next(const char* script, const char* reply) {
        stand_in_fault f = stand_in_fault::of(script, reply);
        ASSERT_TRUE(server.set_faults({f}));
    }
    void no_faults() { ASSERT_TRUE(server.set_faults({})); }

    // The current channel made chkey through its own list.
    void make_current(const wchar_t* category, int chkey) {
        std::vector<channel_record> list;
        ASSERT_TRUE(client.get_channel_list(category, list));
        client.select_channel_by_key(chkey);
        ASSERT_EQ(client.current_channel()->id, chkey);
    }

    stand_in_server server;
    fake_client_services services;
    service_client client{services};
};

}  // namespace

TEST_F(service_client_test, channel_lists_keep_seven_field_lines_and_append_to_the_callers_list) {
    std::vector<channel_record> list;
    list.push_back(channel_record());
    list.back().title = L"before";
    EXPECT_TRUE(client.get_channel_list(L"음악방송", list));
    EXPECT_EQ(ids_and_titles(list), (std::vector<std::wstring>{L"0 before", L"1052 테스트 채널", L"1053 아침 가요"}));
    EXPECT_EQ(last_names(), (std::vector<std::string>{"storetop", "storemother", "storecode", "userpw", "flag"}));
    EXPECT_EQ(last_value("flag"), cp949(L"음악방송"));
    EXPECT_EQ(list[1].id, 1052);
    EXPECT_EQ(w(list[1].tempo), L"nomal");
    EXPECT_EQ(w(list[1].description), L"설명");
    EXPECT_EQ(w(list[1].genre), L"가요");
    EXPECT_EQ(w(list[1].purpose), L"매장");
    EXPECT_TRUE(services.log.empty());
    EXPECT_TRUE(services.boxes.empty());

    // The favourites are local: nothing is sent and the list stays.
    const size_t before = sent();
    std::vector<channel_record> favourites(2);
    EXPECT_TRUE(client.get_channel_list(L"즐겨찾기", favourites));
    EXPECT_EQ(favourites.size(), 2u);
    EXPECT_EQ(sent(), before);
    // Any other key, however close, is sent; an unknown one gives no records.
    std::vector<channel_record> close;
    EXPECT_FALSE(client.get_channel_list(L"즐겨찾기 ", close));
    EXPECT_EQ(sent(), before + 1);
    EXPECT_TRUE(close.empty());
}

// What each failure of a channel list request shows and logs, and what the
// caller gets: the kept list only when it is the same category's, and never
// a success.
TEST_F(service_client_test, failed_channel_lists_hand_out_only_the_same_categorys_kept_list) {
    std::vector<channel_record> first;
    ASSERT_TRUE(client.get_channel_list(L"음악방송", first));

    struct row {
        const char* fault;
        std::vector<std::wstring> boxes, log, anne_log;
        int notices;
    } rows[] = {
        {"close",
         {L"서버에 연결할 수 없습니다\n\n인터넷 상태를 확인하신 후 다시 시도하여 주시기 바랍니다."},
         {L"서버와 연결 실패"},
         {},
         0},
        {"login_false", {L"HTTP POST 변수 에러이거나 채널 정보 페이지가 잘못되었습니다"}, {}, {}, 1},
        {"no_result", {}, {}, {L"rux_channel_check.php, Result=Success 실패"}, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.fault);
        fail_next("rux_channel_check.php", r.fault);
        services.forget();
        std::vector<channel_record> same;
        EXPECT_FALSE(client.get_channel_list(L"음악방송", same));
        EXPECT_EQ(ids_and_titles(same), (std::vector<std::wstring>{L"1052 테스트 채널", L"1053 아침 가요"}));
        EXPECT_EQ(services.boxes, r.boxes);
        EXPECT_EQ(services.log, r.log);
        EXPECT_EQ(services.anne_log, r.anne_log);
        EXPECT_EQ(services.notices, r.notices);

        // Another category's failure hands out nothing of the kept list.
        std::vector<channel_record> other;
        EXPECT_FALSE(client.get_channel_list(L"other", other));
        EXPECT_TRUE(other.empty());
        std::vector<channel_record> checked;
        EXPECT_FALSE(client.check_channels(L"음악방송", checked));
        EXPECT_TRUE(checked.empty());
    }
    // The kept list is still the first category's: its channels can be
    // selected.
    no_faults();
    client.select_channel_by_key(1053);
    EXPECT_EQ(client.current_channel()->id, 1053);
}

TEST_F(service_client_test, check_channels_fills_only_the_callers_list) {
    std::vector<channel_record> kept;
    ASSERT_TRUE(client.get_channel_list(L"other", kept));
    std::vector<channel_record> automatic;
    EXPECT_TRUE(client.check_channels(L"auto", automatic));
    EXPECT_EQ(ids_and_titles(automatic), (std::vector<std::wstring>{L"1053 아침 가요", L"1052 테스트 채널"}));
    // The kept list is still "other": 1053 is not in it, 1054 is.
    client.select_channel_by_key(1053);
    EXPECT_EQ(client.current_channel()->id, 0);
    client.select_channel_by_key(1054);
    EXPECT_EQ(client.current_channel()->id, 1054);
    EXPECT_EQ(w(client.current_channel()->tempo), L"all");
}

TEST_F(service_client_test, radio_lists_with_and_without_a_login) {
    std::vector<radio_record> radios;
    EXPECT_TRUE(client.check_user_channels(L"24hradio", radios));
    EXPECT_EQ(last_names(), (std::vector<std::string>{"flag", "storetop", "storemother", "storecode", "userid"}));
    EXPECT_EQ(last_value("userid"), "store01");
    ASSERT_EQ(radios.size(), 3u);
    EXPECT_EQ(w(radios[0].name), L"라디오1");
    EXPECT_EQ(w(radios[0].genre), L"가요");
    EXPECT_EQ(w(radios[0].homepage), L"http://127.0.0.1/home1");
    EXPECT_EQ(w(radios[1].name), L"라디오2");
    EXPECT_EQ(w(radios[1].address), L"http://127.0.0.1/two");
    // A line of four fields still gives a row, an empty one.
    EXPECT_EQ(w(radios[2].name), L"");
    EXPECT_EQ(w(radios[2].address), L"");

    services.logged_in_flag = false;
    std::vector<radio_record> more;
    EXPECT_TRUE(client.check_user_channels(L"24hradio", more));
    EXPECT_EQ(last_fields(), (std::vector<std::pair<std::string, std::string>>{
                                 {"flag", "24hradio"}, {"storetop", "0"}, {"storemother", "0"}, {"storecode", "0"},
                                 {"userid", "0"}}));
    EXPECT_EQ(more.size(), 3u);
}

TEST_F(service_client_test, single_channel_current_channel_title_and_saved_state) {
    std::vector<channel_record> list;
    ASSERT_TRUE(client.get_channel_list(L"음악방송", list));
    client.select_channel_by_key(1052);
    client.set_title(L"음악방송");
    client.add_favourite(L"1052^테스트 채널");
    client.save_channel_state();

    // set_single_channel replaces the list, not the current channel.
    EXPECT_TRUE(client.set_single_channel(777, L"원격 채널"));
    EXPECT_EQ(client.current_channel()->id, 1052);
    client.select_channel_by_key(1053);  // no longer listed
    EXPECT_EQ(client.current_channel()->id, 1052);
    client.select_channel_by_key(777);
    EXPECT_EQ(client.current_channel()->id, 777);
    EXPECT_EQ(w(client.current_channel()->title), L"원격 채널");
    EXPECT_EQ(w(client.current_channel()->tempo), L"");
    client.set_title(L"원격 채널");
    client.favourites()->clear();

    client.restore_channel_state();
    EXPECT_EQ(client.current_channel()->id, 1052);
    EXPECT_EQ(w(client.current_channel()->title), L"테스트 채널");
    EXPECT_EQ(w(client.get_title()), L"음악방송");
    ASSERT_EQ(client.favourites()->size(), 1u);
    client.select_channel_by_key(1053);  // the restored list holds it again
    EXPECT_EQ(client.current_channel()->id, 1053);
}

TEST_F(service_client_test, favourites_compare_without_case_and_reach_the_stand_in) {
    std::vector<stringx>& names = *client.favourites();
    client.add_favourite(L"1052^Test Channel");
    client.add_favourite(L"1052^TEST channel");  // the same without regard to case
    client.add_favourite(L"");
    client.add_favourite(L"http://127.0.0.1/live^라디오1");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(w(names[0]), L"1052^Test Channel");
    client.remove_favourite(L"1052^test CHANNEL");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(w(names[0]), L"http://127.0.0.1/live^라디오1");
    client.remove_favourite(L"nothing");
    client.remove_favourite(L"");
    EXPECT_EQ(names.size(), 1u);

    // The pages report each change to the service, which keeps them for the
    // run; keys compare without regard to case there as well.
    const request_identity id = test_identity();
    favourite_request(id, true, L"http://127.0.0.1/Live", L"라디오1", false).send();
    favourite_request(id, true, L"http://127.0.0.1/live", L"라디오1", false).send();
    favourite_request(id, true, L"1052", L"Test Channel", true).send();
    auto kept = server.state("favourite");
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0][0], "http://127.0.0.1/Live");
    EXPECT_EQ(kept[1][0], "1052");
    EXPECT_EQ(kept[1][1], "Test Channel");
    favourite_request(id, false, L"HTTP://127.0.0.1/LIVE", L"라디오1", true).send();
    kept = server.state("favourite");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0][0], "1052");
}

TEST_F(service_client_test, channel_tracks_become_entries_of_zel_addresses) {
    std::vector<track_record> tracks;
    EXPECT_TRUE(client.get_channel_tracks(1052, L"테스트 채널", tracks));
    EXPECT_EQ(last_names(), (std::vector<std::string>{"storetop", "storemother", "storecode", "userpw", "brotype",
                                                      "ch_title", "usermac", "pc_ostime", "pc_pgtime", "hddidx",
                                                      "music_volume", "anne_volume", "music_volume_mute",
                                                      "anne_volume_mute", "chkey", "clickchk"}));
    EXPECT_EQ(last_value("ch_title"), cp949(L"테스트 채널"));
    EXPECT_EQ(last_value("chkey"), "1052");
    EXPECT_EQ(last_value("clickchk"), "1");
    const std::wstring music = std::wstring(L"zel://") + server.host() + L"/music/";
    EXPECT_EQ(paths(tracks), (std::vector<std::wstring>{music + L"101.mp3|0.250000|101", music + L"102.mp3|-1.0|102"}));
    EXPECT_EQ(titles(tracks), (std::vector<std::wstring>{L"곡1", L"곡2"}));
    EXPECT_EQ(tracks[1].time, 200.0);
    EXPECT_EQ(tracks[0].start_offset.total_seconds(), 50);
    EXPECT_EQ(services.log, (std::vector<std::wstring>{L"채널리스트 수신"}));
    // The caller's current channel and list title are its own business.
    EXPECT_EQ(client.current_channel()->id, 0);
    EXPECT_EQ(w(client.get_title()), L"");
}

// The failures of a channel start by id and title: the kept tracks go to the
// caller only when they are the same channel's.
TEST_F(service_client_test, failed_channel_tracks_never_hand_out_another_channels_tracks) {
    std::vector<track_record> kept;
    ASSERT_TRUE(client.get_channel_tracks(1052, L"테스트 채널", kept));
    struct row {
        const char* fault;
        int chkey;
        size_t handed_out;
        std::vector<std::wstring> log, anne_log;
        int notices;
    } rows[] = {
        {"close", 1052, 2, {L"채널정보, 서버 접속 실패"}, {}, 0},
        {"close", 1053, 0, {L"채널정보, 서버 접속 실패"}, {}, 0},
        {"login_false", 1052, 2, {L"채널리스트 수신실패"}, {}, 1},
        {"login_false", 1053, 0, {L"채널리스트 수신실패"}, {}, 1},
        {"no_result", 1052, 0, {}, {L"rux_song_check.php, Result=Success 실패"}, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.fault << " " << r.chkey);
        fail_next("rux_song_check.php", r.fault);
        services.forget();
        std::vector<track_record> out;
        EXPECT_FALSE(client.get_channel_tracks(r.chkey, L"아침 가요", out));
        EXPECT_EQ(out.size(), r.handed_out);
        if (r.handed_out) {
            EXPECT_EQ(paths(out), paths(kept));
        }
        EXPECT_EQ(services.log, r.log);
        EXPECT_EQ(services.anne_log, r.anne_log);
        EXPECT_EQ(services.notices, r.notices);
    }
    EXPECT_TRUE(services.boxes.empty());
}

// A zero byte inside one track line loses that line only, not the channel's
// later tracks.
TEST_F(service_client_test, zero_byte_in_a_track_line_keeps_the_later_tracks) {
    stand_in_fault f = stand_in_fault::of("rux_song_check.php", "text");
    const std::string line_end = "\r\n";
    f.body = "Result=Success" + line_end + "1^x^^60^0^one^a^http://127.0.0.1/music/1.mp3^b^1.mp3" + line_end +
             std::string("2^x^^60^0^t\0wo^a^http://127.0.0.1/music/2.mp3^b^2.mp3", 53) + line_end +
             "3^x^^60^0^three^a^http://127.0.0.1/music/3.mp3^b^3.mp3" + line_end +
             "4^x^^60^0^four^a^http://127.0.0.1/music/4.mp3^b^4.mp3" + line_end;
    ASSERT_TRUE(server.set_faults({f}));
    std::vector<track_record> tracks;
    EXPECT_TRUE(client.get_channel_tracks(1052, L"테스트 채널", tracks));
    EXPECT_EQ(titles(tracks), (std::vector<std::wstring>{L"one", L"three", L"four"}));
}

TEST_F(service_client_test, select_channel_serves_the_current_channel_from_its_kept_tracks) {
    make_current(L"음악방송", 1052);
    std::vector<track_record> tracks;
    EXPECT_TRUE(client.select_channel(1052, tracks, false));  // nothing kept yet: asked
    EXPECT_EQ(last_names(), (std::vector<std::string>{"storetop", "storemother", "storecode", "userpw", "brotype",
                                                      "ch_title", "usermac", "pc_ostime", "pc_pgtime", "hddidx",
                                                      "chkey", "clickchk"}));
    EXPECT_EQ(last_value("clickchk"), "0");
    EXPECT_EQ(services.title, L"테스트 채널");
    EXPECT_EQ(services.log, (std::vector<std::wstring>{L"채널 선택 : 테스트 채널", L"채널리스트 수신"}));
    ASSERT_EQ(tracks.size(), 2u);

    const size_t before = sent();
    std::vector<track_record> cached;
    EXPECT_TRUE(client.select_channel(1052, cached, false));
    EXPECT_EQ(sent(), before);
    EXPECT_EQ(paths(cached), paths(tracks));
    std::vector<track_record> forced;
    EXPECT_TRUE(client.select_channel(1052, forced, true));
    EXPECT_EQ(sent(), before + 1);

    // Not in the list: nothing sent, nothing logged, the title option empty.
    services.forget();
    std::vector<track_record> none;
    EXPECT_FALSE(client.select_channel(4242, none, true));
    EXPECT_EQ(sent(), before + 1);
    EXPECT_EQ(services.title, L"");
    EXPECT_TRUE(services.log.empty());
    EXPECT_TRUE(none.empty());

    // Another channel of the list.
    std::vector<track_record> other;
    EXPECT_TRUE(client.select_channel(1053, other, false));
    EXPECT_EQ(titles(other), (std::vector<std::wstring>{L"곡3"}));
    // Its tracks are now the kept ones, but 1052 is still the current
    // channel: 1052 is asked for again rather than served 1053's tracks.
    std::vector<track_record> again;
    EXPECT_TRUE(client.select_channel(1052, again, false));
    EXPECT_EQ(titles(again), (std::vector<std::wstring>{L"곡1", L"곡2"}));
}

TEST_F(service_client_test, select_channel_failures_by_channel) {
    make_current(L"음악방송", 1052);
    std::vector<track_record> kept;
    ASSERT_TRUE(client.select_channel(1052, kept, true));
    struct row {
        const char* fault;
        int chkey;
        size_t handed_out;
        std::vector<std::wstring> log, anne_log;
        int notices;
    } rows[] = {
        // The current channel again: the kept tracks, silently.
        {"close", 1052, 2, {L"채널 선택 : 테스트 채널"}, {}, 0},
        {"login_false", 1052, 2, {L"채널 선택 : 테스트 채널"}, {}, 0},
        {"close", 1053, 0, {L"채널 선택 : 아침 가요", L"채널정보, 서버 접속 실패"}, {}, 0},
        {"login_false", 1053, 0, {L"채널 선택 : 아침 가요", L"채널리스트 수신실패"}, {}, 1},
        {"no_result", 1052, 0, {L"채널 선택 : 테스트 채널"}, {L"rux_song_check.php, Result=Success 실패"}, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.fault << " " << r.chkey);
        fail_next("rux_song_check.php", r.fault);
        services.forget();
        std::vector<track_record> out;
        EXPECT_FALSE(client.select_channel(r.chkey, out, true));
        EXPECT_EQ(out.size(), r.handed_out);
        EXPECT_EQ(services.log, r.log);
        EXPECT_EQ(services.anne_log, r.anne_log);
        EXPECT_EQ(services.notices, r.notices);
    }
}

TEST_F(service_client_test, select_channel_checked_asks_even_for_unlisted_channels) {
    make_current(L"음악방송", 1052);
    std::vector<track_record> tracks;
    stringx error = L"untouched";
    EXPECT_TRUE(client.select_channel_checked(1052, tracks, error));
    EXPECT_EQ(last_names(), (std::vector<std::string>{"storetop", "storemother", "storecode", "userpw", "brotype",
                                                      "ch_title", "chkey", "clickchk", "usermac", "pc_ostime",
                                                      "pc_pgtime", "hddidx"}));
    EXPECT_EQ(last_value("ch_title"), cp949(L"테스트 채널"));
    EXPECT_EQ(services.log, (std::vector<std::wstring>{L"채널 선택 : 테스트 채널, 1052", L"채널리스트 수신"}));
    EXPECT_EQ(w(error), L"untouched");
    EXPECT_EQ(tracks.size(), 2u);

    services.forget();
    std::vector<track_record> unlisted;
    EXPECT_TRUE(client.select_channel_checked(1054, unlisted, error));
    EXPECT_EQ(last_value("ch_title"), "");
    EXPECT_EQ(last_value("chkey"), "1054");
    EXPECT_EQ(services.log, (std::vector<std::wstring>{L"채널 선택 : no_channel, 1054", L"채널리스트 수신"}));
    EXPECT_TRUE(unlisted.empty());  // the channel has no tracks
}

TEST_F(service_client_test, select_channel_checked_failures_carry_their_error_codes) {
    make_current(L"음악방송", 1052);
    std::vector<track_record> kept;
    stringx error;
    ASSERT_TRUE(client.select_channel_checked(1052, kept, error));
    struct row {
        const char* fault;
        int chkey;
        size_t handed_out;
        const wchar_t* log;
        int notices;
    } rows[] = {
        {"close", 1052, 2, L"채널정보, 서버 접속 실패 ERROR COMDE:2", 0},
        {"close", 1053, 0, L"채널정보, 서버 접속 실패 ERROR COMDE:3", 0},
        {"login_false", 1052, 2, L"채널정보, 서버 접속 실패 ERROR COMDE:4", 0},
        {"login_false", 1053, 0, L"채널리스트 수신실패 ERROR COMDE:5", 1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.fault << " " << r.chkey);
        fail_next("rux_song_check.php", r.fault);
        services.forget();
        std::vector<track_record> out;
        error = L"old";
        EXPECT_FALSE(client.select_channel_checked(r.chkey, out, error));
        EXPECT_EQ(w(error), L"");
        EXPECT_EQ(out.size(), r.handed_out);
        ASSERT_EQ(services.log.size(), 2u);
        EXPECT_EQ(services.log[1], r.log);
        EXPECT_EQ(services.notices, r.notices);
    }
}

// The first request of the restored channel (after the start): nothing of
// it is kept, so an expired login is told by the notice and a lost
// connection as the new channel's failure, not as a kept channel's.
TEST_F(service_client_test, first_select_of_the_current_channel_is_no_kept_channel) {
    struct row {
        const char* fault;
        const wchar_t* log;
        int notices;
    } rows[] = {
        {"login_false", L"채널리스트 수신실패 ERROR COMDE:5", 1},
        {"close", L"채널정보, 서버 접속 실패 ERROR COMDE:3", 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.fault);
        service_client fresh{services};
        std::vector<channel_record> list;
        ASSERT_TRUE(fresh.get_channel_list(L"음악방송", list));
        fresh.select_channel_by_key(1052);
        fail_next("rux_song_check.php", r.fault);
        services.forget();
        std::vector<track_record> out;
        stringx error;
        EXPECT_FALSE(fresh.select_channel_checked(1052, out, error));
        EXPECT_TRUE(out.empty());
        ASSERT_EQ(services.log.size(), 2u);
        EXPECT_EQ(services.log[1], r.log);
        EXPECT_EQ(services.notices, r.notices);

        // select_channel likewise.
        fail_next("rux_song_check.php", r.fault);
        services.forget();
        EXPECT_FALSE(fresh.select_channel(1052, out, true));
        EXPECT_EQ(services.notices, r.notices);
        EXPECT_EQ(services.log.size(), 2u);
    }
}

// The last channel's tracks outlive the run: a client of the next run hands
// them out for that channel while the service does not answer.
TEST_F(service_client_test, the_last_channels_tracks_are_kept_for_the_next_run) {
    std::vector<track_record> tracks;
    ASSERT_TRUE(client.get_channel_tracks(1052, L"테스트 채널", tracks));
    EXPECT_EQ(services.kept_chkey, 1052);

    service_client next_run{services};
    std::vector<track_record> saved;
    EXPECT_TRUE(next_run.saved_tracks(1052, saved));
    EXPECT_EQ(paths(saved), paths(tracks));
    EXPECT_EQ(titles(saved), (std::vector<std::wstring>{L"곡1", L"곡2"}));
    std::vector<track_record> none;
    EXPECT_FALSE(next_run.saved_tracks(1053, none));
    EXPECT_FALSE(next_run.saved_tracks(0, none));

    // A failed request keeps them; a channel without tracks keeps them too.
    fail_next("rux_song_check.php", "close");
    EXPECT_FALSE(client.get_channel_tracks(1053, L"아침 가요", none));
    no_faults();
    std::vector<track_record> empty;
    EXPECT_TRUE(client.get_channel_tracks(1054, L"Other", empty));
    EXPECT_EQ(services.kept_chkey, 1052);
    // Another channel's tracks replace them.
    ASSERT_TRUE(client.get_channel_tracks(1053, L"아침 가요", none));
    EXPECT_EQ(services.kept_chkey, 1053);
    EXPECT_FALSE(next_run.saved_tracks(1052, saved));
}

// The checked selection in two steps (the request sent elsewhere) reads its
// reply as the one-step selection does.
TEST_F(service_client_test, a_checked_selection_in_two_steps) {
    make_current(L"음악방송", 1052);
    services.forget();
    const service_request request = client.checked_request(1052);
    EXPECT_EQ(services.log, (std::vector<std::wstring>{L"채널 선택 : 테스트 채널, 1052"}));
    EXPECT_EQ(services.title, L"테스트 채널");
    std::vector<track_record> out;
    stringx error;
    EXPECT_TRUE(client.take_checked_reply(1052, request.send(), out, error));
    EXPECT_EQ(titles(out), (std::vector<std::wstring>{L"곡1", L"곡2"}));
    EXPECT_FALSE(client.take_checked_reply(1052, service_reply(), out, error));
    EXPECT_EQ(services.log.back(), L"채널정보, 서버 접속 실패 ERROR COMDE:2");
}

TEST_F(service_client_test, select_auto_channel_finds_its_channel_by_exact_title) {
    std::vector<track_record> out(1);
    EXPECT_TRUE(client.select_auto_channel(L"아침 가요", out));
    EXPECT_EQ(last_names(), (std::vector<std::string>{"storetop", "storemother", "storecode", "userpw", "brotype",
                                                      "chkey", "clickchk", "usermac", "pc_ostime", "pc_pgtime",
                                                      "hddidx"}));
    EXPECT_EQ(last_value("chkey"), "1053");
    ASSERT_EQ(out.size(), 2u);  // appended to what the caller had
    EXPECT_EQ(titles(std::vector<track_record>(out.begin() + 1, out.end())), (std::vector<std::wstring>{L"곡3"}));
    // The kept tracks are not touched: the current channel asks again.
    const size_t before = sent();
    std::vector<track_record> none;
    EXPECT_FALSE(client.select_auto_channel(L"", none));
    EXPECT_FALSE(client.select_auto_channel(L"아침 가요 ", none));  // only the list request
    EXPECT_EQ(sent(), before + 1);
    EXPECT_TRUE(none.empty());
}
