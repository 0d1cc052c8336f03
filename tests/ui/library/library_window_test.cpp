// The library window on real windows over fake services: the tree from
// the stand-in's logins, the page a selection asks for, the path line, CD
// drives coming and going, the expanded mode and the close command.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "core.h"
#include "library_listeners.h"
#include "library_path_line.h"
#include "library_window.h"
#include "login_manager.h"
#include "login_test_services.h"
#include "stand_in_server.h"
#include "store_manager.h"
#include "window_capture.h"
#include "window_messages.h"
#include "window_rig.h"

namespace {

std::wstring w(const stringx& s) { return s.wvalue() ? s.wvalue() : L""; }

// The services as the window sees them: the login's data from a login
// manager, the rest as the test sets it.
struct fake_library_services : library_window_services {
    login_manager* login = nullptr;
    std::vector<wchar_t> drives = {L'E'};
    HWND main = nullptr;
    bool is_expanded = false;
    bool playing = false;
    bool first_playlist = false;
    std::wstring title, channel_title, last_title, login_title;
    bool login_channel = false;
    std::vector<std::wstring> saved, opened;
    std::vector<bool> states;
    bool quit_answer = false;
    int quit_questions = 0;

    int skin_number() override { return 3; }
    bool logged_in() override { return login && login->is_logged_in(); }
    std::wstring usertype() override { return logged_in() ? w(login->get_store_info().usertype) : L""; }
    std::vector<anneinfo_entry> anneinfo() override {
        return logged_in() ? login->get_anneinfo() : std::vector<anneinfo_entry>();
    }
    std::wstring bcode() override { return logged_in() ? w(login->get_bcode().code) : L""; }
    std::vector<category_record> categories(int list) override {
        if (!login || (list != 0 && !logged_in())) return {};
        return login->get_categories(list);
    }
    std::vector<wchar_t> cd_drives() override { return drives; }
    HWND main_window() override { return main; }
    bool expanded() override { return is_expanded; }
    void set_expanded(bool on) override { is_expanded = on; }
    void dock(HWND) override {}
    void undock(HWND) override {}
    void tell_window_state(bool hidden) override { states.push_back(hidden); }
    void run_settings(HWND) override {}
    bool music_playing() override { return playing; }
    bool first_playlist_active() override { return first_playlist; }
    std::wstring service_title() override { return title; }
    std::wstring current_channel_title() override { return channel_title; }
    bool channel_is_login_channel() override { return login_channel; }
    std::wstring option_last_title() override { return last_title; }
    std::wstring login_channel_title() override { return login_title; }
    void save_last_title(const std::wstring& text) override { saved.push_back(text); }
    void open_in_browser(const std::wstring& url) override { opened.push_back(url); }
    std::wstring home_page() override { return L"http://home/"; }
    std::wstring notice_board_page() override { return L"http://home/rux/rux_notice.php"; }
    bool confirm_quit(HWND) override {
        ++quit_questions;
        return quit_answer;
    }
};

void register_library_class() {
    WNDCLASSW wc;
    if (GetClassInfoW(GetModuleHandleW(nullptr), L"ZELLibrary", &wc)) return;
    if (!GetClassInfoW(nullptr, L"#32770", &wc)) return;
    wc.lpszClassName = L"ZELLibrary";
    wc.hInstance = GetModuleHandleW(nullptr);
    RegisterClassW(&wc);
}

// The category lists every store of these tests gets.
const char kLists[] =
    R"("libraryitem1": "1|1|k1|음악방송^2|2||장르^3|3|ch10|가요^3|3|ch11|팝^2|5|24hradio|인터넷 라디오^)"
    R"(2|2|link_top|이벤트|http://e.x/ev^2|6||MP3^2|7||CD^2|0||즐겨찾기 채널",)"
    R"("libraryitem2": "1|8|anne|안내방송^2|9|today|오늘의 안내방송^2|10|lib1|안내 방송 보관함^3|11|lib2|계절 안내",)"
    R"("libraryitem3": "1|12|stores|지점 관리^2|13|grp1|본사 직영^2|14|linkweb|지점 현황|http://s.x/st",)"
    R"("bcode": "G002^09:00^22:00")";

class library_window_test : public ::testing::Test {
protected:
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        register_library_class();
        main_host = std::make_unique<window_rig::host_window>(20, 20, 320, 150);
        services.main = main_host->hwnd();
        services.login = &manager;
    }
    void TearDown() override {
        close();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
    }

    // A login of a store of this usertype and these announcement stores.
    void login_as(const std::string& usertype, const std::string& stores) {
        const std::string keys = std::string(kLists) + R"(, "storeinfo": ")" + usertype +
                                 R"(^T001^M001^S001^shop01^테스트매장", "anneinfo": ")" + stores + R"(")";
        ASSERT_TRUE(server.start_scenario(R"({"users": [{"userid": "store01", "userpw": "pw01", "login": {)" + keys +
                                          "}}]}"))
            << server.error();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
        stringx message, url;
        ASSERT_TRUE(manager.login(nullptr, L"store01", L"pw01", message, url)) << w(message);
    }

    library_window* open() {
        auto* window = new library_window(services, nullptr, nullptr);
        if (!window->create_window(nullptr)) {
            delete window;
            return nullptr;
        }
        hwnd = window->get_hwnd();
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        window_rig::pump();
        return window;
    }
    void close() {
        if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
        hwnd = nullptr;
    }

    std::vector<std::wstring> dump(library_window& window) {
        std::vector<std::wstring> lines;
        for (const auto& r : window.dump_tree()) {
            wchar_t line[300];
            std::swprintf(line, 300, L"%d|%ls|%X|%ls|%d", r.depth, r.text.c_str(), static_cast<unsigned>(r.code),
                          r.key.c_str(), r.image);
            lines.push_back(line);
        }
        return lines;
    }

    fake_login_services login_services;
    login_manager manager{login_services};
    stand_in_server server;
    fake_library_services services;
    std::unique_ptr<window_rig::host_window> main_host;
    HWND hwnd = nullptr;
};

void expect_lines(const std::vector<std::wstring>& seen, const std::vector<std::wstring>& wanted) {
    const size_t n = std::max(seen.size(), wanted.size());
    for (size_t i = 0; i < n; ++i) {
        const std::wstring a = i < seen.size() ? seen[i] : L"(none)";
        const std::wstring b = i < wanted.size() ? wanted[i] : L"(none)";
        EXPECT_EQ(a, b) << "line " << i;
    }
}

// The list-0 part every login of these tests shows.
const std::vector<std::wstring> kChannels = {
    L"0|음악방송|0|k1|36",
    L"1|장르    |0||37",
    L"2|가요    |20000|ch10|38",
    L"2|팝    |20000|ch11|38",
    L"1|인터넷 라디오    |10001|24hradio|40",
    L"1|이벤트    |10007|http://e.x/ev|37",
    L"1|MP3    |20004||41",
    L"1|CD    |0||42",
    L"2|Audio CD (E:)|10005|E|0",
    L"1|즐겨찾기 채널    |10000|즐겨찾기|0",
};

std::vector<std::wstring> with(std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST_F(library_window_test, without_a_login_the_tree_holds_the_default_channels_and_selects_mp3) {
    library_window* window = open();
    ASSERT_NE(window, nullptr);
    expect_lines(dump(*window), {
                                    L"0|음악방송|0||36",
                                    L"1|라디오    |0||37",
                                    L"2|24시간 인터넷 라디오    |10001|24hradio|39",
                                    L"2|지상파 라디오    |10001|nomalradio|39",
                                    L"2|개인 방송    |10001|nomalbro|39",
                                    L"1|즐겨찾기 채널    |10000|즐겨찾기|37",
                                    L"1|MP3    |20004||41",
                                    L"1|CD    |0||42",
                                    L"2|Audio CD (E:)|10005|E|0",
                                });
    HTREEITEM selected = window->tree().get_selected_item();
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(std::wstring(window->tree().get_item_text(selected).wvalue()), L"MP3    ");
    EXPECT_EQ(window->requested_page_type(), 4);
    EXPECT_EQ(window->page(), nullptr) << "the folder page is not built: the right side stays empty";
    EXPECT_TRUE(window->companion_splitter_shown());
    save_artifact(capture_window(hwnd), L"no_login");
}

TEST_F(library_window_test, logins_build_their_trees) {
    struct row {
        const char* what;
        std::string usertype, stores;
        std::vector<std::wstring> wanted;
    };
    const std::vector<std::wstring> head_office = {
        L"0|지점 관리|0|stores|47",
        L"1|본사 직영    |10006|grp1|48",
        L"1|지점 현황    |10007|http://s.x/st|49",
    };
    const row rows[] = {
        {"usertype T with three stores", "T", "G001|강남점^G002|역삼점^G003|선릉점",
         with(with(kChannels,
                   {
                       L"0|안내방송|0|anne|43",
                       L"1|오늘의 안내방송    |10002|today|44",
                       L"2|강남점|10002|G001|44",
                       L"2|역삼점|10002|G002|54",
                       L"2|선릉점|10002|G003|44",
                       L"1|안내 방송 보관함    |20003|lib1|45",
                       L"2|계절 안내    |20003|lib2|46",
                   }),
              head_office)},
        {"usertype A with one store", "A", "G001|강남점",
         with(with(kChannels,
                   {
                       L"0|안내방송|0|anne|43",
                       L"1|오늘의 안내방송    |10002|today|44",
                       L"1|안내 방송 보관함    |20003|lib1|45",
                       L"2|계절 안내    |20003|lib2|46",
                   }),
              head_office)},
        {"another usertype with three stores", "S", "G001|강남점^G002|역삼점^G003|선릉점",
         with(kChannels,
              {
                  L"0|안내방송|0|anne|43",
                  L"1|오늘의 안내방송    |10002|today|44",
                  L"2|강남점|10002|G001|44",
                  L"2|역삼점|10002|G002|54",
                  L"2|선릉점|10002|G003|44",
                  L"1|안내 방송 보관함    |10003|lib1|45",
                  L"2|계절 안내    |10003|lib2|46",
              })},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        login_as(r.usertype, r.stores);
        library_window* window = open();
        ASSERT_NE(window, nullptr);
        expect_lines(dump(*window), r.wanted);
        // With a login the first node under the list-0 root is selected.
        HTREEITEM selected = window->tree().get_selected_item();
        ASSERT_NE(selected, nullptr);
        EXPECT_EQ(std::wstring(window->tree().get_item_text(selected).wvalue()), L"장르    ");
        if (r.usertype == "T") save_artifact(capture_window(hwnd), L"usertype_t");
        close();
        server.stop();
    }
}

TEST_F(library_window_test, selecting_a_node_asks_for_its_page_type) {
    login_as("T", "G001|강남점^G002|역삼점^G003|선릉점");
    library_window* window = open();
    ASSERT_NE(window, nullptr);
    skin_tree& tree = window->tree();
    struct row {
        const wchar_t* node;
        int type;  // -2: the page stays as it was
        bool companion;
    };
    const row rows[] = {
        {L"가요    ", 0, false},           {L"인터넷 라디오    ", 1, false}, {L"오늘의 안내방송    ", 2, false},
        {L"안내 방송 보관함    ", 3, true}, {L"MP3    ", 4, true},         {L"Audio CD (E:)", 5, false},
        {L"본사 직영    ", 6, false},       {L"이벤트    ", 7, false},       {L"즐겨찾기 채널    ", 0, false},
        {L"장르    ", -2, false},
    };
    int index = 0;
    for (const row& r : rows) {
        SCOPED_TRACE("row " + std::to_string(index++));
        HTREEITEM node = window->find_node(r.node);
        ASSERT_NE(node, nullptr);
        const int before = window->requested_page_type();
        const bool companion_before = window->companion_splitter_shown();
        tree.select(node, TVGN_CARET);
        window_rig::pump();
        if (r.type == -2) {
            EXPECT_EQ(window->requested_page_type(), before);
            EXPECT_EQ(window->companion_splitter_shown(), companion_before);
        } else {
            EXPECT_EQ(window->requested_page_type(), r.type);
            EXPECT_EQ(window->companion_splitter_shown(), r.companion);
        }
        if (r.type >= 0 && !page_type_built(r.type)) {
            EXPECT_EQ(window->page(), nullptr) << "no page class of the type is built yet";
        }
    }
    // Choosing a store of list 1 marks it and unmarks the one before.
    HTREEITEM gangnam = window->find_node(L"강남점"), yeoksam = window->find_node(L"역삼점");
    tree.select(gangnam, TVGN_CARET);
    window_rig::pump();
    EXPECT_EQ(tree.image_of(gangnam), window->look().image(54));
    EXPECT_EQ(tree.image_of(yeoksam), window->look().image(47));
    EXPECT_EQ(window->requested_page_type(), 2);
}

TEST(library_path_line, texts_of_a_started_track) {
    struct row {
        const char* what;
        path_line_input in;
        std::wstring text;
        bool save;
    };
    auto input = [](bool first, const wchar_t* track, std::vector<std::wstring> path, const wchar_t* service,
                    bool login_channel, const wchar_t* last) {
        path_line_input in;
        in.first_playlist = first;
        in.track_title = track;
        in.playing_node = !path.empty();
        in.path = path;
        in.channel_title = L" 아침 가요 ";
        in.service_title = service;
        in.channel_is_login_channel = login_channel;
        in.last_title = last;
        in.login_channel_title = L"기본 채널";
        return in;
    };
    const row rows[] = {
        {"the first playlist", input(true, L"봄날", {L"음악방송", L"가요    "}, L"", false, L""), L"음악방송 > 봄날",
         false},
        {"the first playlist, no title", input(true, L"", {}, L"", false, L""), L"음악방송 > ", false},
        {"the playing node", input(false, L"봄날", {L"음악방송", L"장르    ", L"가요    "}, L"", true, L"x"),
         L"음악방송 > 장르 > 가요 > 아침 가요", true},
        {"a scheduled channel", input(false, L"봄날", {}, L"[스케쥴방송] 점심", true, L"x"),
         L"음악방송 > [스케쥴방송] 점심", true},
        {"the login's channel with a last title", input(false, L"봄날", {}, L"가요", true, L"음악방송 > 저장"),
         L"음악방송 > 저장", false},
        {"the login's channel without one", input(false, L"봄날", {}, L"가요", true, L""), L"음악방송 > 기본 채널",
         false},
        {"another channel", input(false, L"봄날", {}, L"가요", false, L"음악방송 > 저장"), L"음악방송 > 기본 채널",
         false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        const path_line_text out = make_path_line(r.in);
        EXPECT_EQ(out.text, r.text);
        EXPECT_EQ(out.save, r.save);
    }
}

TEST_F(library_window_test, a_started_track_sets_the_path_line) {
    login_as("T", "G001|강남점");
    library_window* window = open();
    ASSERT_NE(window, nullptr);
    services.channel_title = L"아침 가요";
    window->tree().playing_item = window->find_node(L"가요    ");
    PostMessageW(hwnd, msg_track_started, 0, reinterpret_cast<LPARAM>(new std::wstring(L"봄날")));
    window_rig::pump();
    EXPECT_EQ(window->path_text(), L"음악방송 > 장르 > 가요 > 아침 가요");
    ASSERT_EQ(services.saved.size(), 1u);
    EXPECT_EQ(services.saved[0], L"음악방송 > 장르 > 가요 > 아침 가요");
    save_artifact(capture_window(hwnd), L"path_line");
    // From the first playlist: the track's title, nothing saved.
    services.first_playlist = true;
    PostMessageW(hwnd, msg_track_started, 0, reinterpret_cast<LPARAM>(new std::wstring(L"")));
    window_rig::pump();
    EXPECT_EQ(window->path_text(), L"음악방송 > ");
    EXPECT_EQ(services.saved.size(), 1u);
}

TEST_F(library_window_test, the_path_line_at_the_start) {
    login_as("T", "G001|강남점");
    services.playing = true;
    services.first_playlist = true;
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(library_window::current()->path_text(), L"음악방송 > MP3 / AudioCD / 라디오");
    close();
    services.first_playlist = false;
    services.title = L"ch11";
    services.channel_title = L"팝 명곡";
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(library_window::current()->path_text(), L"음악방송 > 장르 > 팝 > 팝 명곡");
    EXPECT_TRUE(services.saved.empty());
}

TEST_F(library_window_test, drives_arrive_and_leave_through_the_media_change_message) {
    library_window* window = open();
    ASSERT_NE(window, nullptr);
    // A disc arrives in F: the media-change window tells the listener.
    library_drive_listener listener;
    listener.on_drive_change(L'F', 1);
    window_rig::pump();
    HTREEITEM f = window->find_node(L"Audio CD (F:)");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(window->tree().get_parent_item(f), window->cd_node());
    EXPECT_EQ(window->tree().get_item_data(f), 0x10005u);
    // E is chosen, then its disc leaves: the page goes before the node.
    HTREEITEM e = window->find_node(L"Audio CD (E:)");
    ASSERT_NE(e, nullptr);
    window->tree().select(e, TVGN_CARET);
    window_rig::pump();
    EXPECT_EQ(window->requested_page_type(), 5);
    PostMessageW(hwnd, msg_cd_drive_changed, 0, L'E');
    window_rig::pump();
    EXPECT_EQ(window->find_node(L"Audio CD (E:)"), nullptr);
    // The tree then selects a neighbour, whose page is asked for.
    HTREEITEM now = window->tree().get_selected_item();
    ASSERT_NE(now, nullptr);
    const DWORD code = static_cast<DWORD>(window->tree().get_item_data(now));
    if (code != 0) {
        EXPECT_EQ(window->requested_page_type(), static_cast<int>(code & 0xFFFF));
    }
    // Removing the other disc while another node is chosen leaves the page.
    HTREEITEM mp3 = window->find_node(L"MP3    ");
    window->tree().select(mp3, TVGN_CARET);
    window_rig::pump();
    PostMessageW(hwnd, msg_cd_drive_changed, 0, L'F');
    window_rig::pump();
    EXPECT_EQ(window->find_node(L"Audio CD (F:)"), nullptr);
    EXPECT_EQ(window->tree().get_selected_item(), mp3);
    EXPECT_EQ(window->requested_page_type(), 4);
    // A letter without node changes nothing.
    const size_t rows = window->dump_tree().size();
    PostMessageW(hwnd, msg_cd_drive_changed, 0, L'Q');
    window_rig::pump();
    EXPECT_EQ(window->dump_tree().size(), rows);
    // Without a library window the listener posts nothing.
    close();
    listener.on_drive_change(L'G', 1);
    window_rig::pump();
}

TEST_F(library_window_test, expanded_mode_fills_the_work_area_right_of_the_main_window) {
    library_window* window = open();
    ASSERT_NE(window, nullptr);
    RECT before = {};
    GetWindowRect(hwnd, &before);
    RECT work = {}, main = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(main_host->hwnd(), &main);
    services.is_expanded = true;
    SendMessageW(hwnd, msg_expanded_mode, 1, 0);
    window_rig::pump();
    RECT now = {};
    GetWindowRect(hwnd, &now);
    EXPECT_EQ(now.left, main.right);
    EXPECT_EQ(now.top, work.top);
    EXPECT_EQ(now.right, work.right);
    EXPECT_EQ(now.bottom, work.bottom);
    for (unsigned id = 0; id < 4; ++id) {
        if (skin_control* c = window->current_skin()->get_control(id)) {
            EXPECT_TRUE(c->visible) << id;
        }
    }
    // The tree grew with the window.
    RECT tree = {};
    GetWindowRect(window->tree().window, &tree);
    EXPECT_EQ(tree.bottom - tree.top, 438 + (now.bottom - now.top) - 550);
    save_artifact(capture_window(hwnd), L"expanded");

    // Command 4 in the expanded mode asks, and No keeps the player.
    SendMessageW(hwnd, WM_COMMAND, 4, 0);
    EXPECT_EQ(services.quit_questions, 1);
    EXPECT_TRUE(IsWindowVisible(hwnd));

    services.is_expanded = false;
    SendMessageW(hwnd, msg_expanded_mode, 0, 0);
    window_rig::pump();
    GetWindowRect(hwnd, &now);
    EXPECT_EQ(now.left, before.left);
    EXPECT_EQ(now.right - now.left, before.right - before.left);
    EXPECT_EQ(now.bottom - now.top, before.bottom - before.top);
    EXPECT_TRUE(IsWindowVisible(hwnd)) << "shown before, shown after";

    // Hidden before the expanded mode: hidden after it.
    ShowWindow(hwnd, SW_HIDE);
    services.is_expanded = true;
    SendMessageW(hwnd, msg_expanded_mode, 1, 0);
    services.is_expanded = false;
    SendMessageW(hwnd, msg_expanded_mode, 0, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST_F(library_window_test, close_hides_the_window_and_the_home_page_opens_in_the_browser) {
    ASSERT_NE(open(), nullptr);
    SendMessageW(hwnd, WM_COMMAND, 5, 0);
    ASSERT_EQ(services.opened.size(), 1u);
    EXPECT_EQ(services.opened[0], L"http://home/");
    SendMessageW(hwnd, WM_COMMAND, 4, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(services.quit_questions, 0);
    ASSERT_FALSE(services.states.empty());
    EXPECT_TRUE(services.states.back()) << "the window-state listeners hear it hidden";
    // A store record without a store page is freed and nothing else.
    SendMessageW(hwnd, msg_store_record_changed, 0, reinterpret_cast<LPARAM>(new store_record));
    EXPECT_TRUE(IsWindow(hwnd));
}
