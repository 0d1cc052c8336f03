// The playlist window as a real window over recording seams: the today
// page's "app:" addresses through the browser event receiver, the tabs
// across a skin change, the room the ad page takes, the announcement list's
// listen cell, and a picture of the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core.h"
#include "play_manager.h"
#include "player_app_links.h"
#include "playlist.h"
#include "playlist_window.h"
#include "playlist_window_listeners.h"
#include "skin_host.h"
#include "window_capture.h"
#include "window_messages.h"
#include "window_rig.h"

namespace ids = playlist_skin_ids;

namespace {

// The window class of the template: a copy of the system dialog class.
void register_playlist_class() {
    WNDCLASSW wc;
    if (GetClassInfoW(GetModuleHandleW(nullptr), L"ZELPlaylist", &wc)) return;
    if (!GetClassInfoW(nullptr, L"#32770", &wc)) return;
    wc.lpszClassName = L"ZELPlaylist";
    wc.hInstance = GetModuleHandleW(nullptr);
    RegisterClassW(&wc);
}

// What the pages were asked to do.
struct page_log {
    struct opened {
        HWND control;
        browser_event_sink* sink;
        std::wstring url;
    };
    std::vector<opened> opens;
    int scroll_hides = 0;
    int releases = 0;
};

class fake_page : public web_page {
public:
    explicit fake_page(page_log& log) : log_(log) {}
    bool open(HWND control, browser_event_sink* sink, const std::wstring& url) override {
        log_.opens.push_back({control, sink, url});
        return true;
    }
    void hide_scroll_bars() override { ++log_.scroll_hides; }
    void release() override { ++log_.releases; }

private:
    page_log& log_;
};

// The announcement window: keeps copies of the records it is sent.
class info_recorder : public subclass {
public:
    std::vector<std::pair<UINT, anne_record>> received;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if ((msg == msg_anne_play_now || msg == msg_anne_handover) && lparam)
            received.push_back({msg, *reinterpret_cast<const anne_record*>(lparam)});
        return subclass::window_proc(msg, wparam, lparam);
    }
};

anne_record anne(long start, const wchar_t* title, const wchar_t* url, bool enabled = true, long length = 95) {
    anne_record r;
    r.start = timex_span(start);
    r.length = timex_span(length);
    r.title = title;
    r.url = url;
    r.enabled = enabled ? 1 : 0;
    return r;
}

class fake_services : public playlist_window_services {
public:
    int skin = 1;
    bool logged = true;
    std::wstring ad;
    std::vector<anne_record> annes;
    bool live = false;
    bool expanded_mode = false;
    HWND main = nullptr;
    HWND info = nullptr;
    page_log pages;
    int docks = 0, undocks = 0;
    std::vector<bool> states;
    std::vector<bool> shown;

    int skin_number() override { return skin; }
    bool logged_in() override { return logged; }
    std::wstring ad_address() override { return ad; }
    std::wstring user_id() override { return L"store17"; }
    std::wstring web_host() override { return L"127.0.0.1:8089"; }
    bool load_anne_list(std::vector<anne_record>& records, bool) override {
        records = annes;
        return true;
    }
    bool live_anne_on() override { return live; }
    bool expanded() override { return expanded_mode; }
    HWND main_window() override { return main; }
    HWND info_window() override { return info; }
    HWND library_window() override { return nullptr; }
    void set_playlist_shown(bool on) override { shown.push_back(on); }
    void dock(HWND) override { ++docks; }
    void undock(HWND) override { ++undocks; }
    void tell_window_state(bool hidden) override { states.push_back(hidden); }
    bool has_browser = true;  // false: no page can be made
    std::unique_ptr<web_page> make_page() override {
        return has_browser ? std::make_unique<fake_page>(pages) : nullptr;
    }
    int active_entry_count() override { return 0; }
    bool active_is_default() override { return true; }
    std::wstring active_entry_path(int) override { return L""; }
    std::wstring playing_path() override { return L""; }
};

// The now-playing list: a plain light child window where the list goes.
class fake_now_playing : public now_playing_list {
public:
    HWND window = nullptr;
    int refreshes = 0;
    playlist_window_skin* skin = nullptr;
    HWND create(HWND parent, const RECT& r, playlist_window_skin& look) override {
        skin = &look;
        window = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_WHITERECT, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, parent, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
        return window;
    }
    void refresh_status() override { ++refreshes; }
    std::vector<int> selected_indices() override { return {}; }
};

// Every call, as one line of text, in order.
class recording_links : public app_link_services {
public:
    std::vector<std::wstring> calls;
    bool live = false;
    bool tracks_ok = true;
    anne_record live_record;

    bool live_anne_on() override { return live; }
    void set_live_anne(const anne_record& r) override {
        live = true;
        live_record = r;
        calls.push_back(L"live " + std::wstring(r.url.wvalue()) + L"|" + r.title.wvalue());
    }
    void hand_over_live_anne(const anne_record& r) override {
        calls.push_back(L"handover " + std::wstring(r.url.wvalue()));
    }
    bool get_channel_tracks(int id, const std::wstring& title, std::vector<track_record>& records) override {
        calls.push_back(L"tracks " + std::to_wstring(id) + L"|" + title);
        if (tracks_ok) records.resize(3);
        return tracks_ok;
    }
    void set_library_channel_title(const std::wstring& t) override { calls.push_back(L"library " + t); }
    void set_single_channel(int id, const std::wstring& t) override {
        calls.push_back(L"single " + std::to_wstring(id) + L"|" + t);
    }
    void select_channel_by_key(int id) override { calls.push_back(L"select " + std::to_wstring(id)); }
    void set_title(const std::wstring& t) override { calls.push_back(L"title " + t); }
    void set_channel_title(const std::wstring& t) override { calls.push_back(L"channel_title " + t); }
    void load_channel_tracks(const std::vector<track_record>& r) override {
        calls.push_back(L"load " + std::to_wstring(r.size()));
    }
    void stop_music() override { calls.push_back(L"stop_music"); }
    void play_stream(const std::wstring& a, const std::wstring& t) override {
        calls.push_back(L"stream " + a + L"|" + t);
    }
    void stop_announcement() override { calls.push_back(L"stop_anne"); }
};

// BeforeNavigate as a browser raises it: six arguments, last first, the
// address a string and Cancel a flag by reference.
VARIANT_BOOL navigate(browser_event_sink& sink, const std::wstring& url) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[6];
    for (VARIANT& a : args) VariantInit(&a);
    args[5].vt = VT_BSTR;
    args[5].bstrVal = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    args[4].vt = VT_I4;
    args[3].vt = VT_BSTR;
    args[3].bstrVal = SysAllocString(L"");
    args[2].vt = VT_VARIANT | VT_BYREF;
    VARIANT none;
    VariantInit(&none);
    args[2].pvarVal = &none;
    args[1].vt = VT_BSTR;
    args[1].bstrVal = SysAllocString(L"");
    args[0].vt = VT_BOOL | VT_BYREF;
    args[0].pboolVal = &cancel;
    DISPPARAMS params = {args, nullptr, 6, 0};
    EXPECT_EQ(sink.Invoke(browser_event_sink::before_navigate_id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                          nullptr, nullptr),
              S_OK);
    SysFreeString(args[5].bstrVal);
    SysFreeString(args[3].bstrVal);
    SysFreeString(args[1].bstrVal);
    return cancel;
}

struct playlist_window_test : ::testing::Test {
    std::unique_ptr<window_rig::host_window> main;
    std::unique_ptr<window_rig::host_window> info;
    info_recorder info_log;
    fake_services services;
    fake_now_playing now_playing;
    recording_links links;
    std::unique_ptr<playlist_window> window;

    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        register_playlist_class();
        main = std::make_unique<window_rig::host_window>(10, 10, 320, 150);
        info = std::make_unique<window_rig::host_window>(10, 160, 320, 90);
        info_log.init(info->hwnd());
        services.main = main->hwnd();
        services.info = info->hwnd();
    }
    void TearDown() override {
        window.reset();
        info_log.deinit();
    }
    void open() {
        window = std::make_unique<playlist_window>(services, now_playing, links);
        ASSERT_TRUE(window->create_window(main->hwnd()));
        SetWindowPos(window->get_hwnd(), nullptr, 10, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(window->get_hwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(window->get_hwnd());
        window_rig::pump();
    }
    int height_of(HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        return r.bottom - r.top;
    }
};

}  // namespace

TEST_F(playlist_window_test, the_today_pages_app_addresses_run_their_commands_and_stay_on_the_page) {
    open();
    window->on_login(true);
    // The today page: the store's page on the service's web host, with the
    // window's receiver, in the hidden control.
    ASSERT_EQ(services.pages.opens.size(), 1u);
    EXPECT_EQ(services.pages.opens[0].url, L"http://127.0.0.1:8089/rux/today.php?userid=store17");
    EXPECT_EQ(services.pages.opens[0].sink, &window->today_sink());
    EXPECT_EQ(services.pages.opens[0].control, GetDlgItem(window->get_hwnd(), playlist_window::today_control));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window->get_hwnd(), playlist_window::today_control)));

    struct row {
        const wchar_t* url;
        bool cancelled;
        std::vector<std::wstring> calls;
    };
    const row table[] = {
        // A channel by key with an escaped title: fetched, then played.
        {L"app:chkey=1052^title=Morning%20Jazz%20Mix",
         true,
         {L"tracks 1052|Morning Jazz Mix", L"library Morning Jazz Mix", L"single 1052|Morning Jazz Mix",
          L"select 1052", L"title Morning Jazz Mix", L"channel_title Morning Jazz Mix", L"load 3"}},
        // A stream address, unchanged.
        {L"app:radiourl=http://radio.example:8000/live.mp3^title=FM%20One",
         true,
         {L"channel_title FM One", L"stream http://radio.example:8000/live.mp3|FM One"}},
        // A live announcement is handed over once; the second is refused.
        {L"app:livevoice=http://10.1.2.3/live/store17^title=Opening",
         true,
         {L"live zel2://10.1.2.3/live/store17|Opening", L"handover zel2://10.1.2.3/live/store17"}},
        {L"app:livevoice=http://10.1.2.3/live/other^title=Again", true, {}},
        {L"app:chkey_stop=0", true, {L"stop_music"}},
        {L"app:anne_stop=0", true, {L"stop_anne"}},
        // Commands without what they need only cancel the navigation.
        {L"app:chkey=0^title=None", true, {}},
        {L"app:chkey=abc", true, {}},
        {L"app:radiourl=", true, {}},
        {L"app:whatever=1", true, {}},
        // An ordinary link goes on.
        {L"http://127.0.0.1:8089/rux/notice.php?page=2", false, {}},
    };
    for (const row& r : table) {
        SCOPED_TRACE(std::string(r.url, r.url + wcslen(r.url)));
        links.calls.clear();
        EXPECT_EQ(navigate(window->today_sink(), r.url), r.cancelled ? VARIANT_TRUE : VARIANT_FALSE);
        EXPECT_EQ(links.calls, r.calls);
    }
    // The live announcement's record as the announcement window gets it.
    EXPECT_EQ(std::wstring(links.live_record.url.wvalue()), L"zel2://10.1.2.3/live/store17");
    EXPECT_EQ(std::wstring(links.live_record.start_text.wvalue()), L"zel2://10.1.2.3/live/store17");
    EXPECT_EQ(links.live_record.volume, 200);
    EXPECT_EQ(std::wstring(links.live_record.category.wvalue()), L"2");
    EXPECT_EQ(std::wstring(links.live_record.kind.wvalue()), L"3");
    EXPECT_EQ(links.live_record.enabled, 1);
    EXPECT_EQ(links.live_record.start.total_seconds(), 0);

    // A failed track request changes nothing after it.
    links.calls.clear();
    links.tracks_ok = false;
    EXPECT_EQ(navigate(window->today_sink(), L"app:chkey=77"), VARIANT_TRUE);
    EXPECT_EQ(links.calls, std::vector<std::wstring>{L"tracks 77|"});
}

TEST_F(playlist_window_test, the_receiver_answers_only_its_interfaces_without_counting) {
    browser_event_sink sink;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(sink.QueryInterface(IID_IDispatch, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDispatch*>(&sink));
    EXPECT_EQ(sink.QueryInterface(browser_events_iid, &out), S_OK);
    EXPECT_EQ(sink.QueryInterface(IID_IStream, &out), E_NOTIMPL);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(sink.AddRef(), 1u);
    EXPECT_EQ(sink.Release(), 0u);
    // Malformed arguments are ignored.
    int seen = 0;
    sink.on_before_navigate = [&](const std::wstring&) { return ++seen, true; };
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(sink.Invoke(100, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(sink.Invoke(100, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(seen, 0);
}

TEST_F(playlist_window_test, a_skin_change_keeps_the_shown_tab) {
    services.annes = {anne(9 * 3600, L"개점 안내", L"zel2://a/1")};
    open();
    ASSERT_NE(window->current_skin(), nullptr);
    EXPECT_TRUE(window->music_tab_checked());
    HWND anne_list = window->announcements()->get_container();
    // The second tab, clicked as the user does.
    window_rig::click(window->get_hwnd(), 160, 33);
    ASSERT_TRUE(window_rig::pump_until([&] { return window->anne_tab_checked(); }));
    EXPECT_FALSE(window->music_tab_checked());
    EXPECT_TRUE(IsWindowVisible(anne_list));
    EXPECT_FALSE(IsWindowVisible(now_playing.window));

    window->on_skin(5);
    ASSERT_NE(window->current_skin(), nullptr);
    EXPECT_TRUE(window->anne_tab_checked());
    EXPECT_FALSE(window->music_tab_checked());
    EXPECT_TRUE(IsWindowVisible(anne_list));
    EXPECT_FALSE(IsWindowVisible(now_playing.window));
    EXPECT_EQ(services.undocks, 1);
    EXPECT_EQ(services.docks, 2);

    // Back to the first tab, and another change keeps that one.
    const int refreshes = now_playing.refreshes;
    SendMessageW(window->get_hwnd(), WM_COMMAND, ids::music_tab, -1);
    EXPECT_TRUE(window->music_tab_checked());
    EXPECT_EQ(now_playing.refreshes, refreshes + 1);
    window->on_skin(2);
    EXPECT_TRUE(window->music_tab_checked());
    EXPECT_FALSE(window->anne_tab_checked());
    EXPECT_TRUE(IsWindowVisible(now_playing.window));
    EXPECT_FALSE(IsWindowVisible(anne_list));
    // The details button stays hidden.
    EXPECT_FALSE(window->current_skin()->get_control(ids::details)->visible);
}

// An ad address but no page to show it in (no browser): nothing shows, and
// the lists keep their room.
TEST_F(playlist_window_test, an_ad_address_without_a_page_leaves_the_lists_their_room) {
    open();
    const int full = height_of(now_playing.window);
    services.has_browser = false;
    services.ad = L"http://127.0.0.1:8089/ad/banner.html";
    window->on_login(true);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window->get_hwnd(), playlist_window::ad_control)));
    EXPECT_EQ(height_of(now_playing.window), full);
    EXPECT_EQ(height_of(window->announcements()->get_container()), full);
}

TEST_F(playlist_window_test, without_an_ad_page_the_lists_are_taller_by_the_pages_room) {
    open();
    const int full = height_of(now_playing.window);
    EXPECT_EQ(full, 270 - 47);
    window->on_login(true);
    // No ad: no ad page, the control stays hidden, the lists keep their height.
    EXPECT_EQ(services.pages.opens.size(), 1u);  // the today page only
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window->get_hwnd(), playlist_window::ad_control)));
    EXPECT_EQ(height_of(now_playing.window), full);
    EXPECT_EQ(height_of(window->announcements()->get_container()), full);

    // With an ad: the page opens in its control and both lists give up its room,
    // once however often the login comes.
    services.ad = L"http://127.0.0.1:8089/ad/banner.html";
    window->on_login(true);
    window->on_login(true);
    ASSERT_GE(services.pages.opens.size(), 2u);
    EXPECT_EQ(services.pages.opens[1].url, services.ad);
    EXPECT_EQ(services.pages.opens[1].sink, &window->ad_sink());
    HWND ad = GetDlgItem(window->get_hwnd(), playlist_window::ad_control);
    EXPECT_TRUE(IsWindowVisible(ad));
    EXPECT_EQ(height_of(now_playing.window), full - playlist_window::ad_height);
    EXPECT_EQ(height_of(window->announcements()->get_container()), full - playlist_window::ad_height);
    // The ad page's control: 257 x 62, centred, 7 pixels above the bottom.
    window->refresh_layout();
    RECT r;
    GetWindowRect(ad, &r);
    MapWindowPoints(nullptr, window->get_hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.right - r.left, 257);
    EXPECT_EQ(r.bottom - r.top, 62);
    EXPECT_EQ(r.left, (320 - 257) / 2);
    EXPECT_EQ(r.bottom, 300 - 7);
    // Its page loaded: the scroll bars go.
    window->ad_sink().Invoke(101, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(services.pages.scroll_hides, 1);
}

TEST_F(playlist_window_test, the_listen_cell_plays_the_announcement_unless_a_live_one_is_on) {
    services.annes = {anne(9 * 3600 + 5 * 60, L"개점 안내", L"zel2://a/1"),
                      anne(13 * 3600 + 30 * 60 + 15, L"점심 할인", L"zel2://a/2"),
                      anne(21 * 3600, L"마감 안내", L"zel2://a/3", false)};
    open();
    window->on_login(true);
    anne_list* list = window->announcements();
    ASSERT_EQ(list->get_item_count(), 3);
    EXPECT_EQ(std::wstring(list->get_item_text(1, 0).wvalue()), L"13:30:15");
    EXPECT_EQ(std::wstring(list->get_item_text(1, 1).wvalue()), L"점심 할인");
    SendMessageW(window->get_hwnd(), WM_COMMAND, ids::anne_tab, -1);
    UpdateWindow(list->get_list());
    window_rig::pump();

    // A click on the second row's listen icon.
    RECT cell = {};
    list->get_cell_rect(1, anne_list::listen_column, cell);
    window_rig::click(list->get_list(), (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    ASSERT_TRUE(window_rig::pump_until([&] { return !info_log.received.empty(); }));
    ASSERT_EQ(info_log.received.size(), 1u);
    EXPECT_EQ(info_log.received[0].first, static_cast<UINT>(msg_anne_play_now));
    EXPECT_EQ(std::wstring(info_log.received[0].second.url.wvalue()), L"zel2://a/2");

    // While a live announcement is on, and outside the rows: nothing.
    services.live = true;
    SendMessageW(window->get_hwnd(), msg_list_view_notify, 0, anne_list::listen_column);
    services.live = false;
    SendMessageW(window->get_hwnd(), msg_list_view_notify, 7, anne_list::listen_column);
    SendMessageW(window->get_hwnd(), msg_list_view_notify, static_cast<WPARAM>(-1), anne_list::listen_column);
    EXPECT_EQ(info_log.received.size(), 1u);

    // A schedule change keeps the enabled announcements only.
    SendMessageW(window->get_hwnd(), msg_schedule_changed, 0, 0);
    EXPECT_EQ(list->get_item_count(), 2);
    EXPECT_EQ(window->today().size(), 2u);
    EXPECT_EQ(std::wstring(list->get_item_text(1, 1).wvalue()), L"점심 할인");
}

TEST_F(playlist_window_test, hiding_and_showing_tell_the_listeners_and_the_main_window) {
    open();
    services.states.clear();
    SendMessageW(window->get_hwnd(), WM_COMMAND, ids::close, -1);
    EXPECT_FALSE(IsWindowVisible(window->get_hwnd()));
    EXPECT_EQ(services.shown, std::vector<bool>{false});
    EXPECT_EQ(services.states, std::vector<bool>{true});
    ShowWindow(window->get_hwnd(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(services.states, (std::vector<bool>{true, false}));
    // Destroyed: no current window any more.
    EXPECT_EQ(playlist_window::current(), window.get());
    SendMessageW(window->get_hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(playlist_window::current(), nullptr);
    EXPECT_EQ(window->current_skin(), nullptr);
}

TEST_F(playlist_window_test, the_login_and_skin_listeners_reach_the_window_while_it_exists) {
    playlist_login_listener login;
    playlist_skin_listener skins;
    login.on_login(true);  // no window: nothing
    skins.on_skin(3);
    EXPECT_TRUE(services.pages.opens.empty());
    open();
    SendMessageW(window->get_hwnd(), WM_COMMAND, ids::anne_tab, -1);
    skins.on_skin(6);
    EXPECT_TRUE(window->anne_tab_checked());
    login.on_login(true);
    EXPECT_EQ(services.pages.opens.size(), 1u);
    // Without announcements the second tab goes.
    EXPECT_FALSE(window->current_skin()->get_control(ids::anne_tab)->visible);
    SendMessageW(window->get_hwnd(), WM_CLOSE, 0, 0);
    login.on_login(true);
    EXPECT_EQ(services.pages.opens.size(), 1u);
}

TEST_F(playlist_window_test, the_expanded_mode_stretches_the_window_below_the_announcements_and_back) {
    open();
    HWND w = window->get_hwnd();
    window->set_saved_corner(POINT{10, 160});
    const int list_height = height_of(now_playing.window);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT info_rect;
    GetWindowRect(info->hwnd(), &info_rect);

    services.expanded_mode = true;
    SendMessageW(w, msg_expanded_mode, 1, 0);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.top, info_rect.bottom);
    EXPECT_EQ(r.right - r.left, info_rect.right - info_rect.left);
    const int tall = std::max(300, static_cast<int>(work.bottom - info_rect.bottom));
    EXPECT_EQ(r.bottom - r.top, tall);
    EXPECT_FALSE(window->current_skin()->get_control(ids::close)->visible);
    EXPECT_EQ(height_of(now_playing.window), list_height + tall - 300);

    services.expanded_mode = false;
    SendMessageW(w, msg_expanded_mode, 0, 0);
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 160);
    EXPECT_EQ(r.right - r.left, 320);
    EXPECT_EQ(r.bottom - r.top, 300);
    EXPECT_TRUE(window->current_skin()->get_control(ids::close)->visible);
    EXPECT_EQ(height_of(now_playing.window), list_height);
    EXPECT_TRUE(IsWindowVisible(w)) << "it was shown before the expanded mode";
}

TEST_F(playlist_window_test, a_picture_of_the_window_with_its_announcements) {
    services.skin = 1;
    services.annes = {anne(9 * 3600 + 5 * 60, L"개점 안내", L"zel2://a/1", true, 42),
                      anne(13 * 3600 + 30 * 60, L"점심 특가 할인 안내", L"zel2://a/2", true, 75),
                      anne(18 * 3600, L"저녁 행사 안내", L"zel2://a/3", true, 63)};
    open();
    window->on_login(true);
    window->refresh_layout();
    // The now-playing list writes its strip after every layout.
    window->look().draw_status_text(anne_list::status_rect(now_playing.window, window->look()), L"3곡 / 12:40",
                                    L"ZEL 3.1");
    RedrawWindow(window->get_hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    window_rig::pump();
    const pixel_image music = capture_window(window->get_hwnd());
    ASSERT_FALSE(music.empty());
    EXPECT_EQ(music.width, 320);
    EXPECT_EQ(music.height, 300);
    save_artifact(music, L"music");
    // The strip's dark text under the list.
    EXPECT_GT(music.count(0x3C3C3C, 14, 272, 297, 14), 0);

    SendMessageW(window->get_hwnd(), WM_COMMAND, ids::anne_tab, -1);
    RedrawWindow(window->get_hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    window_rig::pump();
    const pixel_image announcements = capture_window(window->get_hwnd());
    save_artifact(announcements, L"announcements");
    EXPECT_EQ(window->announcements()->get_item_count(), 3);
}

// Rows by time of day at 12:00:00: the two rows already due are drawn in
// grey text on white, the row three hours ahead on light grey.
TEST_F(playlist_window_test, announcements_ahead_are_shaded_and_past_ones_greyed) {
    services.annes = {anne(9 * 3600, L"개점 안내", L"zel2://a/1"), anne(12 * 3600 + 5, L"정오 안내", L"zel2://a/2"),
                      anne(15 * 3600, L"오후 안내", L"zel2://a/3")};
    open();
    window->announcements()->now_seconds = [] { return 12 * 3600L; };
    window->on_login(true);
    SendMessageW(window->get_hwnd(), WM_COMMAND, ids::anne_tab, -1);
    anne_list* list = window->announcements();
    RedrawWindow(window->get_hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    window_rig::pump();
    const pixel_image picture = capture_window(window->get_hwnd());
    ASSERT_FALSE(picture.empty());
    save_artifact(picture, L"colouring");
    POINT origin = {0, 0};
    MapWindowPoints(list->get_list(), window->get_hwnd(), &origin, 1);
    for (int row = 0; row < 3; ++row) {
        RECT cell = {};
        ASSERT_TRUE(list->get_cell_rect(row, anne_list::title_column, cell));
        const int x = origin.x + cell.left + 2, y = origin.y + cell.top + 2;
        const int w = cell.right - cell.left - 4, h = cell.bottom - cell.top - 4;
        if (row == 2) {
            EXPECT_GT(picture.count(0xE2E2E2, x, y, w, h), w * h / 2) << "row " << row;
        } else {
            EXPECT_EQ(picture.count(0xE2E2E2, x, y, w, h), 0) << "row " << row;
            EXPECT_GT(picture.count(0x99A8AC, x, y, w, h), 0) << "row " << row;
        }
    }
    // At 02:00:00 the clock lies before the first row: all of the day is past.
    list->now_seconds = [] { return 2 * 3600L; };
    RedrawWindow(window->get_hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    window_rig::pump();
    const pixel_image night = capture_window(window->get_hwnd());
    RECT top = {}, bottom = {};
    list->get_cell_rect(0, anne_list::title_column, top);
    list->get_cell_rect(2, anne_list::title_column, bottom);
    EXPECT_EQ(night.count(0xE2E2E2, origin.x + top.left, origin.y + top.top, top.right - top.left,
                          bottom.bottom - top.top),
              0);
}

// The status strip shows the play time of the last selected row, a blank
// without a selection.
TEST_F(playlist_window_test, the_strip_shows_the_play_time_of_the_last_selected_announcement) {
    services.annes = {anne(9 * 3600, L"개점 안내", L"zel2://a/1", true, 125),
                      anne(12 * 3600, L"정오 안내", L"zel2://a/2", true, 61),
                      anne(15 * 3600, L"오후 안내", L"zel2://a/3", true, 3600 + 7)};
    open();
    window->on_login(true);
    SendMessageW(window->get_hwnd(), WM_COMMAND, ids::anne_tab, -1);
    anne_list* list = window->announcements();
    EXPECT_EQ(window->look().status_left(), L" ");
    list->set_item_state(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(window->look().status_left(), L"재생 시간 : 02'05");
    list->set_item_state(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(window->look().status_left(), L"재생 시간 : 60'07") << "the last selected row, minutes in all";
    list->set_item_state(-1, 0, LVIS_SELECTED);
    EXPECT_EQ(window->look().status_left(), L" ");
    // The music tab's list owns the strip while it shows.
    SendMessageW(window->get_hwnd(), WM_COMMAND, ids::music_tab, -1);
    list->set_item_state(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(window->look().status_left(), L" ");
}

// The scheduler's next announcement is scrolled into view by the registered
// listener; the one being prepared is found by its hours text and address.
TEST_F(playlist_window_test, the_next_announcement_is_scrolled_into_view) {
    for (int i = 0; i < 30; ++i) {
        anne_record r = anne(6 * 3600 + i * 1800, (L"안내 " + std::to_wstring(i)).c_str(),
                             (L"zel2://a/" + std::to_wstring(i)).c_str());
        r.start_text = std::to_wstring((6 * 3600 + i * 1800) / 3600).c_str();
        services.annes.push_back(r);
    }
    open();
    window->on_login(true);
    SendMessageW(window->get_hwnd(), WM_COMMAND, ids::anne_tab, -1);
    window_rig::pump();
    anne_list* list = window->announcements();
    ASSERT_EQ(list->get_item_count(), 30);
    const int page = list->get_count_per_page();
    ASSERT_GT(page, 2);
    ASSERT_LT(page, 25);

    playlist_anne_listener listener;
    anne_record next = services.annes[25];
    next.url = L"ZEL2://A/25";  // the address in another case
    listener.on_next_changed(&next);
    window_rig::pump();
    EXPECT_EQ(list->highlighted_row(), 25);
    EXPECT_EQ(list->get_top_index(), 25 - page + 1) << "down: the row becomes the last one shown";
    listener.on_next_changed(&services.annes[3]);
    window_rig::pump();
    EXPECT_EQ(list->highlighted_row(), 3);
    EXPECT_EQ(list->get_top_index(), 3) << "up: the row becomes the top one";
    listener.on_next_changed(nullptr);
    EXPECT_EQ(list->highlighted_row(), -1);
    anne_record other_start = services.annes[3];
    other_start.start = timex_span(other_start.start.total_seconds() + 1);
    listener.on_next_changed(&other_start);
    EXPECT_EQ(list->highlighted_row(), -1) << "the next one matches by start as well";

    // Prepared: same hours text and address, another start.
    anne_record prepared = services.annes[4];
    prepared.start = timex_span(prepared.start.total_seconds() + 600);
    listener.on_preparing(&prepared);
    EXPECT_EQ(list->highlighted_row(), 4);
    listener.on_finished();
    EXPECT_EQ(list->highlighted_row(), -1);
    prepared.url = L"zel2://a/elsewhere";
    listener.on_preparing(&prepared);
    EXPECT_EQ(list->highlighted_row(), -1);

    // Without a window the listener does nothing.
    window.reset();
    listener.on_next_changed(&services.annes[3]);
    listener.on_finished();
}

namespace {

// The music player as the stream command meets it: two playlists, the
// channel's one active, and a record of what it was told.
class recording_player : public play_manager {
public:
    playlist default_list{nullptr, nullptr};
    playlist channel_list{nullptr, nullptr};
    std::vector<playlist*> lists{&default_list, &channel_list};
    playlist* active = &channel_list;
    std::vector<std::wstring> calls;

    int index() override { return 0; }
    void play(list_info* entry) override { calls.push_back(L"play " + std::wstring(entry ? entry->path : L"")); }
    void stop(int mode) override { calls.push_back(L"stop " + std::to_wstring(mode)); }
    playlist* playlist_at(unsigned i) override { return i < lists.size() ? lists[i] : nullptr; }
    playlist* active_playlist() override { return active; }
    void set_active_playlist(const wchar_t* id) override {
        calls.push_back(L"active " + std::wstring(id));
        for (playlist* p : lists)
            if (p->id() == id) active = p;
    }
    void set_current_playlist(const wchar_t* id) override { calls.push_back(L"current " + std::wstring(id)); }
    const GUID* get_guid() override { return &play_manager::iid; }
    void release() override {}
};

}  // namespace

TEST(playlist_stream_command, the_default_playlist_becomes_the_one_stream_and_plays) {
    recording_player music;
    music.default_list.set_name(L"Default");
    list_info old;
    list_info::set_string(old.path, L"C:\\music\\old.mp3");
    music.default_list.add(std::vector<list_info>{old, old});
    music.channel_list.add(std::vector<list_info>{old});
    play_stream_entry(music, L"http://radio.example:8000/live.mp3?x=1", L"FM One");

    EXPECT_EQ(music.channel_list.count(), 0u) << "the active playlist is emptied first";
    ASSERT_EQ(music.default_list.count(), 1u);
    list_info* entry = music.default_list.at(0);
    EXPECT_EQ(std::wstring(entry->path), L"http://radio.example:8000/live.mp3?x=1");
    EXPECT_EQ(std::wstring(entry->artist), L"");
    EXPECT_EQ(std::wstring(entry->title), L"FM One");
    const std::wstring id = music.default_list.id();
    EXPECT_EQ(music.calls, (std::vector<std::wstring>{L"stop 0", L"active " + id, L"current " + id,
                                                      L"play http://radio.example:8000/live.mp3?x=1"}));
}
