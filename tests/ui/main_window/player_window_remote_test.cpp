// The remote commands of other programs (WM_COPYDATA) on the main window.
#include "player_window_fakes.h"
#include "remote_commands.h"

namespace {

std::string utf8(const std::wstring& w) { return narrow(w); }

// Sends the text (with its terminating zero) as WM_COPYDATA.
void send_copydata(HWND to, ULONG_PTR code, WPARAM wparam, const std::wstring& text) {
    std::string bytes = utf8(text);
    COPYDATASTRUCT data = {code, static_cast<DWORD>(bytes.size() + 1), &bytes[0]};
    SendMessageW(to, WM_COPYDATA, wparam, reinterpret_cast<LPARAM>(&data));
    window_rig::pump();
}

struct remote_case {
    const char* name;
    ULONG_PTR code;
    WPARAM command;
    std::wstring text;
    std::vector<std::string> channels;   // the service client's calls
    std::vector<std::string> transport;  // the players' calls
    std::vector<std::string> stores;
};

}  // namespace

TEST_F(player_window_test, remote_commands_as_one_table) {
    open();
    command(7);  // the library window, which the store commands tell
    const std::vector<remote_case> cases = {
        {"channel key in any case, title trimmed", 1111, 4, L"chkey=12&TITLE=  가요 모음 ",
         {"fetch 12 가요 모음", "single 12 가요 모음", "select 12", "title 가요 모음", "load"}, {}, {}},
        {"no channel key plays nothing", 1111, 4, L"TITLE=x", {}, {}, {}},
        {"channel key 0 plays nothing", 1111, 4, L"CHKEY=0&TITLE=x", {}, {}, {}},
        {"volume above 100 is ignored", 1111, 6, L"VALUE=101", {}, {}, {}},
        {"volume 0", 1111, 6, L"value=0", {}, {"volume 0"}, {}},
        {"volume 100", 1111, 6, L"VALUE=100", {}, {"volume 1000"}, {}},
        {"negative volume is ignored", 1111, 6, L"VALUE=-1", {}, {}, {}},
        {"stop", 1111, 5, L"", {}, {"stop"}, {}},
        {"unknown command number", 1111, 3, L"VALUE=5", {}, {}, {}},
        {"list with one argument, any case", 7, 0, L"List|row1^row2", {}, {}, {"set_list row1^row2"}},
        {"list with two arguments", 7, 0, L"list|a|b", {}, {}, {}},
        {"list without argument", 7, 0, L"list", {}, {}, {}},
        {"unknown text command", 7, 0, L"dance|now", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        channels.calls.clear();
        transport.calls.clear();
        stores.calls.clear();
        send_copydata(hwnd(), c.code, c.command, c.text);
        EXPECT_EQ(channels.calls, c.channels);
        EXPECT_EQ(transport.calls, c.transport);
        EXPECT_EQ(stores.calls, c.stores);
    }
    EXPECT_EQ(narrow(options.channel_title), "가요 모음");
    EXPECT_EQ(options.volume, 1000u);
    EXPECT_EQ(companions.library_title, L"가요 모음");
    int list_posts = 0;
    for (const auto& r : companions.log) list_posts += r.msg == msg_store_list_changed;
    EXPECT_EQ(list_posts, 1);
}

TEST_F(player_window_test, a_channel_that_cannot_be_fetched_leaves_playback_alone) {
    open();
    channels.fetch_ok = false;
    send_copydata(hwnd(), 1111, 4, L"CHKEY=5&TITLE=a");
    EXPECT_EQ(channels.calls, (std::vector<std::string>{"fetch 5 a"}));
}

TEST_F(player_window_test, mute_and_the_announcement_stop_by_remote) {
    open();
    send_copydata(hwnd(), 1111, 7, L"VALUE=1");
    EXPECT_TRUE(options.mute);
    EXPECT_TRUE(player.mute);
    send_copydata(hwnd(), 1111, 7, L"VALUE=0");
    EXPECT_FALSE(options.mute);
    send_copydata(hwnd(), 1111, 9, L"");
    ASSERT_FALSE(companions.log.empty());
    EXPECT_EQ(companions.log.back().window, window->info_window());
    EXPECT_EQ(companions.log.back().msg, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(companions.log.back().wparam, 1u);
}

TEST_F(player_window_test, one_live_announcement_at_a_time_and_play_requests_wait_for_it) {
    open();
    send_copydata(hwnd(), 1111, 8, L"URL=&TITLE=빈 주소");
    EXPECT_TRUE(companions.announcements.empty()) << "an empty address is ignored";
    EXPECT_FALSE(options.live_anne_on);

    send_copydata(hwnd(), 1111, 8, L"URL=http://host/live.mp3&TITLE=생방송");
    ASSERT_EQ(companions.announcements.size(), 1u);
    EXPECT_EQ(companions.announcements[0], L"생방송|zel2://host/live.mp3|zel2://host/live.mp3");
    EXPECT_TRUE(options.live_anne_on);
    EXPECT_EQ(std::wstring(options.live_anne.url.wvalue()), L"zel2://host/live.mp3");

    send_copydata(hwnd(), 1111, 8, L"URL=http://host/second.mp3&TITLE=둘째");
    const std::wstring playsong = L"playsong|A01^3725^30.5^c^k^오픈 안내^x^http://host/a01.mp3";
    send_copydata(hwnd(), 5, 0, playsong);
    EXPECT_EQ(companions.announcements.size(), 1u) << "a second live announcement and playsong wait";

    options.live_anne_on = false;  // the announcement window ends the live one
    send_copydata(hwnd(), 5, 0, L"playsong|too^few^fields");
    EXPECT_EQ(companions.announcements.size(), 1u);
    send_copydata(hwnd(), 5, 0, playsong);
    ASSERT_EQ(companions.announcements.size(), 2u);
    EXPECT_EQ(companions.announcements[1], L"오픈 안내|http://host/a01.mp3|01:02:05");
}

TEST_F(player_window_test, store_info_updates_the_matching_store_only) {
    open();
    command(7);
    stores.stores = {{L"1", L"2", L"3", L"store01", L"5", L"6", L"7", L"8", L"9", L"10", L"11"}};
    send_copydata(hwnd(), 9, 0, L"info|a^b^c^nobody^e^f^1^2^i^j^k");
    window_rig::pump();
    for (const auto& r : companions.log) EXPECT_NE(r.msg, static_cast<UINT>(msg_store_record_changed));
    EXPECT_EQ(stores.stores[0][0], L"1");

    send_copydata(hwnd(), 9, 0, L"INFO|a^b^c^store01^e^f^70^80^i^j");  // ten fields
    EXPECT_EQ(stores.stores[0][0], L"1");
    send_copydata(hwnd(), 9, 0, L"INFO|a^b^c^store01^e^f^70^80^i^j^k");
    EXPECT_EQ(stores.stores[0][0], L"a");
    EXPECT_EQ(stores.stores[0][6], L"70");
    const stand_in_companions::received* posted = nullptr;
    for (const auto& r : companions.log)
        if (r.msg == msg_store_record_changed) posted = &r;
    ASSERT_NE(posted, nullptr);
    auto* copy = reinterpret_cast<std::vector<std::wstring>*>(posted->lparam);
    EXPECT_EQ((*copy)[3], L"store01");
    delete copy;
}

TEST_F(player_window_test, remote_close_closes_the_player) {
    open();
    send_copydata(hwnd(), 1011, 0, L"");
    ASSERT_TRUE(window_rig::pump_until([&] { return !IsWindow(hwnd()); }));
    EXPECT_TRUE(reports.has("exit"));
}

// The close and the commands without a value work with no data, an empty
// block or bytes that are not UTF-8; those that need a value do nothing.
TEST_F(player_window_test, commands_that_need_no_text_work_without_one) {
    static char bad[] = "\xff\xfe";
    const COPYDATASTRUCT blocks[] = {{0, 0, nullptr}, {0, 0, bad}, {0, sizeof bad, bad}};
    for (const COPYDATASTRUCT& block : blocks) {
        SCOPED_TRACE(block.cbData);
        open();
        COPYDATASTRUCT d = block;
        d.dwData = 1111;
        for (WPARAM command : {WPARAM(4), WPARAM(6), WPARAM(7), WPARAM(8)})
            SendMessageW(hwnd(), WM_COPYDATA, command, reinterpret_cast<LPARAM>(&d));
        window_rig::pump();
        EXPECT_TRUE(channels.calls.empty());
        EXPECT_TRUE(transport.calls.empty());
        EXPECT_FALSE(options.mute);

        SendMessageW(hwnd(), WM_COPYDATA, 5, reinterpret_cast<LPARAM>(&d));
        EXPECT_EQ(transport.calls, (std::vector<std::string>{"stop"}));
        companions.log.clear();
        SendMessageW(hwnd(), WM_COPYDATA, 9, reinterpret_cast<LPARAM>(&d));
        window_rig::pump();
        ASSERT_FALSE(companions.log.empty());
        EXPECT_EQ(companions.log.back().msg, static_cast<UINT>(WM_COMMAND));

        d.dwData = 1011;
        SendMessageW(hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&d));
        ASSERT_TRUE(window_rig::pump_until([&] { return !IsWindow(hwnd()); }));
        transport.calls.clear();
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
}

TEST_F(player_window_test, a_malformed_or_oversized_block_is_refused_without_reading_past_it) {
    open();
    // A text that ends exactly at the end of its memory, with no terminating
    // zero and a page nobody may read right after it.
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    char* pages = static_cast<char*>(
        VirtualAlloc(nullptr, info.dwPageSize * 2, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old;
    ASSERT_TRUE(VirtualProtect(pages + info.dwPageSize, info.dwPageSize, PAGE_NOACCESS, &old));
    const char text[] = "list|abc";
    const DWORD n = sizeof text - 1;
    char* at = pages + info.dwPageSize - n;
    memcpy(at, text, n);
    COPYDATASTRUCT unterminated = {7, n, at};
    SendMessageW(hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&unterminated));
    EXPECT_EQ(stores.calls, (std::vector<std::string>{"set_list abc"}));

    // No data, a zero length, a size beyond the limit, bytes that are not UTF-8.
    stores.calls.clear();
    COPYDATASTRUCT empty = {7, 0, at};
    COPYDATASTRUCT null_data = {7, 20, nullptr};
    COPYDATASTRUCT oversized = {7, copydata_limit + 1, pages};
    char bad[] = "list|\xff\xfe";
    COPYDATASTRUCT not_utf8 = {7, sizeof bad, bad};
    for (COPYDATASTRUCT* d : {&empty, &null_data, &oversized, &not_utf8})
        SendMessageW(hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(d));
    SendMessageW(hwnd(), WM_COPYDATA, 0, 0);
    EXPECT_TRUE(stores.calls.empty());
    EXPECT_TRUE(IsWindow(hwnd()));
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST(remote_commands, values_are_found_by_key_without_regard_to_case) {
    const std::vector<std::wstring> tokens = split_text(L"chkey=12&Title= a=b &CHKEY=99&", L'&');
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(copydata_value(tokens, L"CHKEY="), L"12") << "the first token wins";
    EXPECT_EQ(copydata_value(tokens, L"TITLE="), L" a=b ");
    EXPECT_EQ(copydata_value(tokens, L"URL="), L"");
    EXPECT_EQ(trim_blanks(L" \t x y \t"), L"x y");
    EXPECT_TRUE(split_text(L"", L'|').empty());
    EXPECT_EQ(split_text(L"|", L'|').size(), 2u);
}
