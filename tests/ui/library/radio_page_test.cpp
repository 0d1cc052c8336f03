// The radio page on real windows over fake services: rows of every station
// line the service sends, both layouts, the columns after a size change,
// and what a double-click, a listen click, "추가" and "H" do.
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "channel_lines.h"
#include "library_skin.h"
#include "page_view.h"
#include "radio_page.h"
#include "skin_host.h"
#include "window_capture.h"
#include "window_messages.h"
#include "window_rig.h"

namespace {

std::wstring w(const stringx& s) { return s.wvalue() ? s.wvalue() : L""; }

// The list's column count, from its header.
int columns(radio_page& page) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(page.get_list(), LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

// The station lines of the service's reply, read by the service client's
// own line reader; every call is recorded.
struct fake_radio_services : radio_page_services {
    std::vector<std::wstring> lines;
    std::vector<std::wstring> asked, expanded, favourites, reported, opened, messages;
    std::vector<std::vector<list_info>> played, dragged;

    bool stations(const stringx& key, std::vector<radio_record>& records) override {
        asked.push_back(w(key));
        for (const std::wstring& line : lines) {
            radio_record r;
            if (read_radio_line(stringx(line.c_str()), r)) records.push_back(r);
        }
        return true;
    }
    std::vector<list_info> expand(const stringx& address) override {
        expanded.push_back(w(address));
        std::vector<list_info> entries;
        if (w(address).empty() || w(address).rfind(L"zz:", 0) == 0) return entries;
        list_info e;
        list_info::set_string(e.path, address.wvalue());
        list_info::set_string(e.artist, L"stream artist");
        list_info::set_string(e.title, L"stream title");
        entries.push_back(e);
        return entries;
    }
    void play_in_default_playlist(const std::vector<list_info>& entries) override { played.push_back(entries); }
    void drag_entries(HWND, const std::vector<list_info>& entries) override { dragged.push_back(entries); }
    void add_favourite(const stringx& text) override { favourites.push_back(w(text)); }
    void message(HWND, const wchar_t* text, const wchar_t* caption) override {
        messages.push_back(std::wstring(text) + L"|" + caption);
    }
    void report_favourite(const stringx& address, const stringx& name) override {
        reported.push_back(w(address) + L"|" + w(name));
    }
    void shell_open(const stringx& address) override { opened.push_back(w(address)); }
};

// Lines of 2, 3, 6 and 7 fields, one of 5 (an empty record: not listed).
const std::vector<std::wstring> station_lines = {
    L"라디오1^http://127.0.0.1:8001/live",
    L"라디오2^http://127.0.0.1:8002/live^x",
    L"라디오3^http://127.0.0.1:8003/live^24h^128k^1^http://127.0.0.1/home3",
    L"라디오4^http://127.0.0.1:8004/live^24h^가요^64k^0^http://127.0.0.1/home4",
    L"a^b^c^d^e",
};

struct radio_page_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        ASSERT_TRUE(first.create(197, 12, 24));
        ASSERT_TRUE(second.create(42, 12, 24));
        ASSERT_NE(look.build(skins.hwnd(), 3, &first, &second), nullptr);
        services.lines = station_lines;
        set_radio_page_services(&services);
    }
    void TearDown() override {
        set_radio_page_services(nullptr);
        look.release();
    }
    // The page of a key over a 460 x 300 host.
    radio_page* open(const wchar_t* key) {
        const RECT r = {0, 0, 460, 300};
        page_view* page = create_page(1, stringx(key), host.hwnd(), r, &look);
        if (page) pages.emplace_back(page);
        window_rig::pump();
        return static_cast<radio_page*>(page);
    }
    std::vector<std::wstring> row(radio_page& page, int r) {
        std::vector<std::wstring> texts;
        for (int c = 0; c < columns(page); ++c) texts.push_back(w(page.get_item_text(r, c)));
        return texts;
    }

    skin_host skins;
    dib first, second;
    library_skin look;
    window_rig::host_window host{0, 0, 460, 300};
    fake_radio_services services;
    std::vector<std::unique_ptr<page_view>> pages;
};

}  // namespace

TEST_F(radio_page_test, the_detailed_layout_lists_every_station_line) {
    ASSERT_TRUE(page_type_built(1));
    radio_page* page = open(L"24hradio");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->type, 1);
    EXPECT_TRUE(page->detailed());
    ASSERT_EQ(services.asked, std::vector<std::wstring>{L"24hradio"});
    ASSERT_EQ(columns(*page), 9);
    ASSERT_EQ(page->get_item_count(), 4);
    using v = std::vector<std::wstring>;
    // Columns: address, genre, time, name, quality, comment, then the three
    // button columns (their cells show buttons, not item text).
    EXPECT_EQ(row(*page, 0), (v{L"http://127.0.0.1:8001/live", L"", L"", L"라디오1", L"", L"X", L"", L"", L""}));
    EXPECT_EQ(row(*page, 1), (v{L"http://127.0.0.1:8002/live", L"", L"", L"라디오2", L"", L"X", L"", L"", L""}));
    EXPECT_EQ(row(*page, 2),
              (v{L"http://127.0.0.1:8003/live", L"", L"24h", L"라디오3", L"128k", L"O", L"", L"", L""}));
    EXPECT_EQ(row(*page, 3),
              (v{L"http://127.0.0.1:8004/live", L"가요", L"24h", L"라디오4", L"64k", L"X", L"", L"", L""}));
    EXPECT_EQ(page->homepages().size(), 4u);
    EXPECT_EQ(w(page->homepages()[2]), L"http://127.0.0.1/home3");
    EXPECT_EQ(w(page->homepages()[0]), L"");
    // Widths at build: the name takes what the fixed columns leave.
    RECT client;
    GetClientRect(page->get_list(), &client);
    const int widths[] = {0, 70, 40, -1, 40, 40, 40, 50, 50};
    for (int c = 0; c < 9; ++c) {
        if (widths[c] >= 0) {
            EXPECT_EQ(page->get_column_width(c), widths[c]) << c;
        }
    }
    EXPECT_EQ(page->get_column_width(3), client.right - 330);
    // The listen image of the table, the text buttons.
    ASSERT_NE(page->find_column_images(7), nullptr);
    ASSERT_EQ(page->find_column_images(7)->images.size(), 1u);
    EXPECT_EQ(page->find_column_images(7)->images[0], look.image(29));
    EXPECT_EQ(page->find_column_images(6)->texts, v{L"H"});
    EXPECT_EQ(page->find_column_images(8)->texts, v{L"추가"});
    EXPECT_EQ(page->find_column_images(8)->rows.size(), 4u);
    // The tooltip text: column 1 (the genre here) only.
    EXPECT_EQ(w(page->get_cell_text(3, 1)), L"가요");
    EXPECT_EQ(w(page->get_cell_text(3, 3)), L"");
    save_artifact(capture_window(host.hwnd()), L"detailed");
}

TEST_F(radio_page_test, the_plain_layout_and_the_key_in_any_case) {
    struct layout_case {
        const wchar_t* key;
        bool detailed;
        int columns;
    };
    const layout_case cases[] = {
        {L"24HRadio", true, 9}, {L"nomalradio", false, 4}, {L"nomalbro", false, 4}, {L"24hradio2", false, 4}};
    for (const layout_case& c : cases) {
        SCOPED_TRACE(std::string(c.key, c.key + wcslen(c.key)));
        radio_page* page = open(c.key);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->detailed(), c.detailed);
        EXPECT_EQ(columns(*page), c.columns);
        EXPECT_EQ(page->get_item_count(), 4);
        if (!c.detailed) {
            EXPECT_TRUE(page->homepages().empty());
            EXPECT_EQ(w(page->get_item_text(3, 1)), L"라디오4");
            EXPECT_EQ(w(page->get_cell_text(3, 1)), L"라디오4");
            EXPECT_EQ(page->find_column_images(2)->images[0], look.image(29));
            if (wcscmp(c.key, L"nomalradio") == 0) save_artifact(capture_window(host.hwnd()), L"plain");
        }
        DestroyWindow(page->get_hwnd());
    }
}

TEST_F(radio_page_test, a_size_change_makes_the_name_fill_the_list) {
    for (const wchar_t* key : {L"24hradio", L"nomalradio"}) {
        radio_page* page = open(key);
        ASSERT_NE(page, nullptr);
        for (int width : {520, 380}) {
            MoveWindow(page->get_hwnd(), 0, 0, width, 280, TRUE);
            window_rig::pump();
            RECT client;
            GetClientRect(page->get_list(), &client);
            int sum = 0;
            for (int c = 0; c < columns(*page); ++c) sum += page->get_column_width(c);
            EXPECT_EQ(sum, client.right) << width;
            EXPECT_EQ(page->get_column_width(page->detailed() ? 3 : 1),
                      client.right - (page->detailed() ? 330 : 100));
        }
        DestroyWindow(page->get_hwnd());
    }
}

TEST_F(radio_page_test, comment_flags_read_as_integers) {
    const struct {
        const wchar_t* flag;
        const wchar_t* shown;
    } cases[] = {{L"1", L"O"}, {L"0", L"X"}, {L"", L"X"}, {L"abc", L"X"}, {L"-2", L"O"}, {L" 3", L"O"}, {L"00", L"X"}};
    for (const auto& c : cases) EXPECT_STREQ(radio_page::comment_text(stringx(c.flag)), c.shown) << c.flag;
    EXPECT_STREQ(radio_page::comment_text(stringx()), L"X");
}

TEST_F(radio_page_test, rows_play_become_favourites_and_open_their_homepage) {
    radio_page* page = open(L"24hradio");
    ASSERT_NE(page, nullptr);
    HWND container = page->get_hwnd();
    // The listen image of row 2 plays the station in the default playlist,
    // named after the station, without an artist.
    SendMessageW(container, msg_list_view_notify, 2, 7);
    ASSERT_EQ(services.played.size(), 1u);
    ASSERT_EQ(services.played[0].size(), 1u);
    EXPECT_STREQ(services.played[0][0].path, L"http://127.0.0.1:8003/live");
    EXPECT_STREQ(services.played[0][0].title, L"라디오3");
    EXPECT_STREQ(services.played[0][0].artist, L"");
    // "추가" keeps "address^name", says so and reports it.
    SendMessageW(container, msg_list_view_notify, 3, 8);
    EXPECT_EQ(services.favourites, std::vector<std::wstring>{L"http://127.0.0.1:8004/live^라디오4"});
    EXPECT_EQ(services.messages, std::vector<std::wstring>{L"즐겨찾기에 추가되었습니다.|VOLQUIN 플레이어"});
    EXPECT_EQ(services.reported, std::vector<std::wstring>{L"http://127.0.0.1:8004/live|라디오4"});
    // "H" opens the homepage; a row without one does nothing.
    SendMessageW(container, msg_list_view_notify, 0, 6);
    SendMessageW(container, msg_list_view_notify, 2, 6);
    EXPECT_EQ(services.opened, std::vector<std::wstring>{L"http://127.0.0.1/home3"});
    SendMessageW(container, msg_list_view_notify, 9, 6);
    EXPECT_EQ(services.opened.size(), 1u) << "no such row";
    // A double-click plays the selected row; without a selection nothing.
    services.played.clear();
    NMHDR click = {page->get_list(), radio_page::list_id, static_cast<UINT>(NM_DBLCLK)};
    SendMessageW(container, WM_NOTIFY, radio_page::list_id, reinterpret_cast<LPARAM>(&click));
    EXPECT_TRUE(services.played.empty());
    page->set_item_state(1, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(container, WM_NOTIFY, radio_page::list_id, reinterpret_cast<LPARAM>(&click));
    ASSERT_EQ(services.played.size(), 1u);
    EXPECT_STREQ(services.played[0][0].title, L"라디오2");
    // A drag carries the selected station's entries.
    NMLISTVIEW drag = {};
    drag.hdr = {page->get_list(), radio_page::list_id, static_cast<UINT>(LVN_BEGINDRAG)};
    drag.iItem = 1;
    SendMessageW(container, WM_NOTIFY, radio_page::list_id, reinterpret_cast<LPARAM>(&drag));
    ASSERT_EQ(services.dragged.size(), 1u);
    EXPECT_STREQ(services.dragged[0][0].path, L"http://127.0.0.1:8002/live");
    // The plain layout's columns: listen 2, "추가" 3.
    radio_page* plain = open(L"nomalradio");
    ASSERT_NE(plain, nullptr);
    services.played.clear();
    services.favourites.clear();
    SendMessageW(plain->get_hwnd(), msg_list_view_notify, 0, 2);
    SendMessageW(plain->get_hwnd(), msg_list_view_notify, 0, 3);
    ASSERT_EQ(services.played.size(), 1u);
    EXPECT_STREQ(services.played[0][0].title, L"라디오1");
    EXPECT_EQ(services.favourites, std::vector<std::wstring>{L"http://127.0.0.1:8001/live^라디오1"});
}

TEST_F(radio_page_test, only_web_homepages_go_to_the_shell) {
    // The homepage is the service's text: a local path, a "file:" address
    // or a program name is not opened.
    const struct {
        const wchar_t* home;
        bool opened;
    } cases[] = {{L"http://a.example/", true}, {L"HTTPS://a.example/", true}, {L"C:\\Windows\\notepad.exe", false},
                 {L"file:///C:/x.html", false}, {L"calc", false}, {L"ftp://a.example/", false}};
    for (const auto& c : cases) {
        services.lines = {std::wstring(L"라디오^http://127.0.0.1:8001/live^24h^가요^64k^0^") + c.home};
        services.opened.clear();
        radio_page* page = open(L"24hradio");
        ASSERT_NE(page, nullptr);
        SendMessageW(page->get_hwnd(), msg_list_view_notify, 0, radio_page::homepage_column);
        EXPECT_EQ(services.opened.size(), c.opened ? 1u : 0u) << c.home;
        DestroyWindow(page->get_hwnd());
    }
}

TEST_F(radio_page_test, an_address_that_gives_no_entries_plays_nothing_and_drags_nothing) {
    services.lines = {L"방송^zz://nothing"};
    radio_page* page = open(L"nomalradio");
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->get_item_count(), 1);
    // The play still goes to the player (which empties its default
    // playlist); the drag does not start.
    page->set_item_state(0, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(page->get_hwnd(), msg_list_view_notify, 0, 2);
    ASSERT_EQ(services.played.size(), 1u);
    EXPECT_TRUE(services.played[0].empty());
    NMLISTVIEW drag = {};
    drag.hdr = {page->get_list(), radio_page::list_id, static_cast<UINT>(LVN_BEGINDRAG)};
    SendMessageW(page->get_hwnd(), WM_NOTIFY, radio_page::list_id, reinterpret_cast<LPARAM>(&drag));
    EXPECT_TRUE(services.dragged.empty());
}
