// The now-playing list inside the playlist window's real skin: the skin's
// scroll-bar images, type icons and status strip as the list uses them.
#include <gtest/gtest.h>

#include "playlist_view_fixture.h"
#include "playlist_view_skin_adapter.h"
#include "playlist_window_skin.h"
#include "skin_host.h"
#include "window_capture.h"

using namespace playlist_test;

TEST(now_playing_list_in_the_skin, rows_bars_and_status_strip) {
    core::set_instance(GetModuleHandleW(nullptr));
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    fake_player music;
    view_services services(music);
    skin_host host;
    playlist_window_skin look;
    skin* s = look.build(host.hwnd(), 1);
    ASSERT_NE(s, nullptr);
    playlist_window_view_skin adapter(look);
    {
        playlist_view view(services);
        view_target target;
        target.view = &view;
        target.player = &music;
        playlist_play_listener listener(target);
        music.listeners.push_back(&listener);
        const RECT rect = look.list_rect();
        ASSERT_TRUE(view.build(host.hwnd(), &rect, &adapter));
        SendMessageW(view.get_container(), msg_playlist_changed, 0, reinterpret_cast<LPARAM>(music.first()));
        std::vector<std::wstring> names;
        for (int i = 0; i < 30; ++i) names.push_back(L"곡 " + std::to_wstring(i));
        std::vector<list_info> list = entries(names, 60);
        list_info::set_string(list[1].path, L"http://127.0.0.1/live");
        music.first()->add(list);
        music.play(music.first()->at(1));
        RedrawWindow(host.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        window_rig::pump();

        EXPECT_EQ(look.status_left(), L"전체 30곡, 총 30분 0초");
        ASSERT_NE(view.vscroll().get_hwnd(), nullptr);
        EXPECT_TRUE(IsWindowVisible(view.vscroll().get_hwnd()));
        EXPECT_EQ(view.get_item_count(), 30);
        // The strip's text is in the skin's back buffer under the list.
        const RECT strip = view.status_rect();
        EXPECT_EQ(strip.top, rect.bottom + 2);
        int ink = 0;
        for (int y = strip.top; y < strip.bottom; ++y)
            for (int x = strip.left; x < strip.right; ++x) ink += back_pixel(*s, x, y) == 0x3C3C3C;
        EXPECT_GT(ink, 20);
        save_artifact(capture_window(host.hwnd()), L"in_skin");

        // Cleared, the list shows no rows and no total of what it held.
        music.stop(0);
        music.first()->clear();
        SendMessageW(view.get_container(), msg_entries_removed, 0, 0);
        EXPECT_EQ(view.get_item_count(), 0);
        EXPECT_EQ(look.status_left().find(L"30곡"), std::wstring::npos) << "stale total";
        music.listeners.clear();
    }
}
