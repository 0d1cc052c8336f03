// The channel list page against the stand-in service: its rows, a channel
// picked with the listen image playing its tracks through the music player,
// a favourite channel found across the categories, "추가" and "삭제" with
// their reports, and a screenshot of both layouts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "channel_list_view.h"
#include "channel_test_support.h"
#include "library_skin.h"
#include "page_view.h"
#include "quiet_client_services.h"
#include "service_client.h"
#include "service_test_identity.h"
#include "stand_in_server.h"
#include "utf.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {

// The page's surroundings: the real service client and channel track list
// over the stand-in, the rest recorded.
class test_page_services : public channel_page_services {
public:
    test_page_services(service_client& client, channel_track_list& tracks, const std::wstring& host)
        : client_(client), tracks_(tracks), host_(host) {}

    bool logged = true;
    bool wide = false;
    std::vector<std::wstring> keys = {L"즐겨찾기", L"음악방송", L""};
    std::vector<std::wstring> messages;
    int marks = 0;

    service_client& client() override { return client_; }
    bool logged_in() override { return logged; }
    std::vector<std::wstring> category_keys() override { return keys; }
    void play_channel(const std::vector<track_record>& tracks) override { tracks_.load(tracks); }
    request_identity identity() override { return test_identity(); }
    void post(const service_request& request) override { request.send_to(host_.c_str()); }
    void mark_playing_node() override { ++marks; }
    bool expanded() override { return wide; }
    bool add_file(const std::wstring& path, std::vector<list_info>& entries) override {
        return core::add_file(path.c_str(), entries);
    }
    void message(HWND, const std::wstring& text) override { messages.push_back(text); }

private:
    service_client& client_;
    channel_track_list& tracks_;
    std::wstring host_;
};

// The track list's services that read the channel and title of the client.
struct client_track_services : channel_test::recording_services {
    service_client* client = nullptr;
    int current_channel_id() override { return client->current_channel()->id; }
    stringx list_title() override { return client->get_title(); }
};

// What the stand-in decodes from a form field: the text in the ANSI code page.
std::string ansi(const char* utf8) { return utf::utf8_to_ansi(utf8).value(); }

struct channel_page_test : channel_test::player_fixture {
    stand_in_server server;
    quiet_client_services client_services;
    std::unique_ptr<service_client> client;
    client_track_services track_services;
    std::unique_ptr<channel_track_list> tracks;
    std::unique_ptr<test_page_services> s;
    std::unique_ptr<window_rig::host_window> host;
    RECT place = {0, 0, 360, 300};

    void SetUp() override {
        channel_test::player_fixture::SetUp();
        ASSERT_TRUE(server.start_scenario("{}", 120)) << server.error();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
        client.reset(new service_client(client_services));
        track_services.client = client.get();
        tracks.reset(new channel_track_list(track_services));
        track_services.cache_on = false;
        s.reset(new test_page_services(*client, *tracks, server.host()));
        set_channel_page_services(s.get());
        host.reset(new window_rig::host_window(40, 40, 360, 300));
    }
    void TearDown() override {
        set_channel_page_services(nullptr);
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
        channel_test::player_fixture::TearDown();
    }
    std::unique_ptr<channel_list_view> open(const wchar_t* key, library_skin* skin = nullptr) {
        page_view* page = create_page(0, stringx(key), host->hwnd(), place, skin);
        EXPECT_NE(page, nullptr);
        EXPECT_EQ(page ? page->type : -1, 0);
        return std::unique_ptr<channel_list_view>(static_cast<channel_list_view*>(page));
    }
    // The decoded fields of the stand-in's last rux_player_state.php request.
    std::vector<std::pair<std::string, std::string>> last_report() {
        std::vector<std::pair<std::string, std::string>> fields;
        for (const recorded_request& r : server.requests())
            if (r.path() == "/rux/rux_player_state.php") fields = r.decoded_fields();
        return fields;
    }
    std::wstring w(const stringx& text) { return text.wvalue() ? text.wvalue() : L""; }
};

const std::vector<std::string> favourite_report_names = {
    "player_state", "chkey", "title", "storemother", "storecode", "storename", "storeid",
    "usermac", "pc_ostime", "pc_pgtime", "hddidx"};

std::vector<std::string> names_of(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::vector<std::string> names;
    for (const auto& f : fields) names.push_back(f.first);
    return names;
}

}  // namespace

TEST(channel_list_page, speed_labels) {
    struct {
        const wchar_t* speed;
        const wchar_t* label;
    } cases[] = {{L"fast", L"[Fast]"}, {L"slow", L"[Slow]"}, {L"nomal", L"[Normal]"}, {L"all", L"[All]"},
                 {L"normal", L""}, {L"Fast", L""}, {L"", L""}};
    for (const auto& c : cases) EXPECT_EQ(channel_list_view::speed_label(c.speed), c.label) << c.speed;
}

TEST_F(channel_page_test, lists_a_categorys_channels_with_the_subtitle_as_tooltip) {
    auto page = open(L"음악방송");
    ASSERT_TRUE(page);
    EXPECT_FALSE(page->favourites_layout());
    ASSERT_EQ(page->get_item_count(), 2);
    EXPECT_EQ(w(page->get_item_text(0, 0)), L"테스트 채널");
    EXPECT_EQ(w(page->get_item_text(0, 1)), L"[Normal] 테스트 채널\n설명");
    EXPECT_EQ(w(page->get_item_text(1, 1)), L"[Fast] 아침 가요\n신나는 출근길");
    EXPECT_EQ(w(page->get_item_text(1, 2)), L"가요");
    EXPECT_EQ(static_cast<int>(page->get_item_data(1)), 1053);
    EXPECT_EQ(w(page->get_cell_text(1, 1)), L"신나는 출근길");
    EXPECT_EQ(w(page->get_cell_text(1, 2)), L"가요");
    EXPECT_EQ(page->get_column_width(2), 0);
    EXPECT_EQ(page->selected_row(), -1);

    // Expanded mode shows the genre at the next size change.
    s->wide = true;
    SetWindowPos(page->get_hwnd(), nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(page->get_column_width(2), 90);
    EXPECT_EQ(page->get_column_width(4), 50);
    EXPECT_EQ(page->get_column_width(5), 60);
}

TEST_F(channel_page_test, the_listen_image_plays_the_channel_through_the_music_player) {
    auto page = open(L"음악방송");
    ASSERT_TRUE(page);
    page->on_cell_click(1, channel_list_view::column_listen);
    EXPECT_EQ(page->selected_row(), 1);
    EXPECT_EQ(s->marks, 1);
    EXPECT_EQ(client->current_channel()->id, 1053);
    EXPECT_EQ(w(client->get_title()), L"음악방송");
    ASSERT_EQ(channel_list->count(), 1u);
    const std::wstring first = channel_list->at(0)->path;
    EXPECT_EQ(first.compare(0, 6, L"zel://"), 0) << first;
    EXPECT_NE(first.find(L"201.mp3"), std::wstring::npos) << first;
    EXPECT_EQ(music->playlist_index(music->active_playlist()->id().c_str()), 1);
    ASSERT_TRUE(wait_playing_path(first.c_str()));
    EXPECT_TRUE(channel_test::pump_until([&] { return captured_bytes() > 0; }));
    EXPECT_EQ(track_services.stored, (std::vector<std::wstring>{L"app/channel=음악방송|1053"}));

    // A page opened again selects the current channel's row.
    page.reset();
    page = open(L"음악방송");
    EXPECT_EQ(page->selected_row(), 1);
    EXPECT_EQ(page->get_next_item(-1, LVNI_SELECTED), 1);
}

TEST_F(channel_page_test, add_and_remove_report_the_favourite_with_the_pc_group) {
    auto page = open(L"음악방송");
    ASSERT_TRUE(page);
    page->on_cell_click(1, channel_list_view::column_add);
    EXPECT_EQ(s->messages, (std::vector<std::wstring>{L"즐겨찾기에 추가되었습니다."}));
    ASSERT_EQ(client->favourites()->size(), 1u);
    EXPECT_EQ(w((*client->favourites())[0]), L"1053^아침 가요");
    auto report = last_report();
    EXPECT_EQ(names_of(report), favourite_report_names);
    ASSERT_EQ(report.size(), favourite_report_names.size());
    EXPECT_EQ(report[0].second, "favorite_ch");
    EXPECT_EQ(report[1].second, "1053");
    EXPECT_EQ(report[2].second, ansi("아침 가요"));
    EXPECT_EQ(report[5].second, ansi("테스트매장"));
    EXPECT_EQ(report[7].second, "001A2B3C4D5E");
    EXPECT_EQ(server.state("favourite"), (std::vector<std::vector<std::string>>{{"1053", "아침 가요"}}));

    // The favourites page lists it; "삭제" removes it here and at the service.
    page.reset();
    page = open(L"즐겨찾기");
    ASSERT_TRUE(page->favourites_layout());
    ASSERT_EQ(page->get_item_count(), 1);
    EXPECT_EQ(w(page->get_item_text(0, 0)), L"1053");
    EXPECT_EQ(w(page->get_item_text(0, 1)), L"아침 가요");
    EXPECT_EQ(w(page->get_cell_text(0, 0)), L"");
    page->on_cell_click(0, channel_list_view::column_remove);
    EXPECT_EQ(page->get_item_count(), 0);
    EXPECT_TRUE(client->favourites()->empty());
    report = last_report();
    EXPECT_EQ(names_of(report), favourite_report_names);
    EXPECT_EQ(report[0].second, "favorite_ch_del");
    EXPECT_EQ(report[1].second, "1053");
    EXPECT_TRUE(server.state("favourite").empty());
    EXPECT_EQ(s->messages.size(), 1u);  // no box for a removal
}

TEST_F(channel_page_test, favourites_list_channels_only_after_login_and_find_their_category) {
    client->add_favourite(L"1052^테스트 채널");
    client->add_favourite(L"http://127.0.0.1:1/live^라디오");
    client->add_favourite(L"broken");
    client->add_favourite(L"a^b^c");
    s->logged = false;
    auto page = open(L"즐겨찾기");
    ASSERT_EQ(page->get_item_count(), 1);
    EXPECT_EQ(w(page->get_item_text(0, 0)), L"http://127.0.0.1:1/live");
    // The listen image of an address does nothing.
    page->on_cell_click(0, channel_list_view::column_favourite_listen);
    EXPECT_FALSE(music->is_playing());

    s->logged = true;
    page.reset();
    page = open(L"즐겨찾기");
    ASSERT_EQ(page->get_item_count(), 2);
    // The channel favourite's category is looked up from the second one on
    // ("음악방송"), and its tracks play.
    page->on_cell_click(0, channel_list_view::column_favourite_listen);
    EXPECT_EQ(client->current_channel()->id, 1052);
    EXPECT_EQ(w(client->get_title()), L"음악방송");
    ASSERT_EQ(channel_list->count(), 2u);
    EXPECT_TRUE(wait_playing_path(channel_list->at(0)->path));

    // A channel in no category of index 1 or above does nothing.
    music->stop(0);
    s->keys = {L"음악방송"};
    const size_t before = server.requests().size();
    page->on_cell_click(0, channel_list_view::column_favourite_listen);
    EXPECT_EQ(server.requests().size(), before);
    EXPECT_TRUE(s->messages.empty());
}

TEST_F(channel_page_test, screenshot_of_both_layouts) {
    window_rig::host_window skin_host(500, 0, 480, 550);
    library_skin look;
    ASSERT_NE(look.build(skin_host.hwnd(), 1, nullptr, nullptr), nullptr);
    client->add_favourite(L"1052^테스트 채널");
    client->add_favourite(L"http://127.0.0.1:1/live^24시간 라디오");
    for (const wchar_t* key : {L"음악방송", L"즐겨찾기"}) {
        auto page = open(key, &look);
        ASSERT_TRUE(page);
        if (!page->favourites_layout()) page->on_cell_click(0, channel_list_view::column_listen);
        RedrawWindow(host->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        channel_test::pump_until([] { return true; });
        const pixel_image shot = capture_window(host->hwnd());
        ASSERT_FALSE(shot.empty());
        // Rows are drawn: the grid lines and the text leave more than the
        // background's colour.
        EXPECT_LT(shot.count(RGB(255, 255, 255)), shot.width * shot.height * 98 / 100);
        save_artifact(shot, page->favourites_layout() ? L"favourites" : L"channels");
        music->stop(0);
    }
}
