// skin: the back buffer composed from the regions, the window region cut
// from it (every pixel that is not exactly the key colour), the image
// loaders, the picture of a skinned window, and the owner's copies of
// commands.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "image_fixtures.h"
#include "skin_test_support.h"
#include "temp_folder.h"
#include "window_capture.h"

namespace {
std::vector<RECT> region_rects(HWND hwnd) {
    std::vector<RECT> rects;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(hwnd, region) != ERROR) {
        const DWORD n = GetRegionData(region, 0, nullptr);
        std::vector<BYTE> data(n);
        if (n && GetRegionData(region, n, reinterpret_cast<RGNDATA*>(data.data()))) {
            const RGNDATA* d = reinterpret_cast<const RGNDATA*>(data.data());
            const RECT* r = reinterpret_cast<const RECT*>(d->Buffer);
            rects.assign(r, r + d->rdh.nCount);
        }
    }
    DeleteObject(region);
    return rects;
}

std::string describe(const std::vector<RECT>& rects) {
    std::string s;
    for (const RECT& r : rects)
        s += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
             std::to_string(r.bottom) + ")";
    return s;
}

struct region_case {
    const char* name;
    std::vector<const char*> rows;  // k key, R red, N a colour next to the key
    std::vector<RECT> expected;
};
}  // namespace

using skin_region = toolkit_test;

TEST_F(skin_region, key_and_colour_pixels_give_the_region_rectangles) {
    const region_case cases[] = {
        {"key red key over red red key", {"kRk", "RRk"}, {{1, 0, 2, 1}, {0, 1, 2, 2}}},
        {"a row ending in colour closes at the image width", {"kRRR"}, {{1, 0, 4, 1}}},
        {"runs of a row", {"RkRkR"}, {{0, 0, 1, 1}, {2, 0, 3, 1}, {4, 0, 5, 1}}},
        {"a colour next to the key is inside", {"Nk", "kN"}, {{0, 0, 1, 1}, {1, 1, 2, 2}}},
        {"only key colour leaves no region", {"kk", "kk"}, {}},
    };
    for (const region_case& c : cases) {
        SCOPED_TRACE(c.name);
        const int w = static_cast<int>(strlen(c.rows[0]));
        const int h = static_cast<int>(c.rows.size());
        dib* image = new dib;
        paint_dib(*image, w, h, [&](int x, int y) {
            switch (c.rows[y][x]) {
            case 'k':
                return kKey;
            case 'N':
                return RGB(254, 0, 255);
            default:
                return RGB(255, 0, 0);
            }
        });
        skin_window host;
        skin look(0);
        look.subclassing(host.hwnd());
        const POINT origin = {0, 0};
        const RECT all = {0, 0, w, h};
        look.add_region(&origin, &all, image);
        look.create_skin(kKey, &all);
        RECT window_rect;
        GetWindowRect(host.hwnd(), &window_rect);
        EXPECT_EQ(window_rect.right - window_rect.left, w);
        EXPECT_EQ(window_rect.bottom - window_rect.top, h);
        const std::vector<RECT> got = region_rects(host.hwnd());
        EXPECT_EQ(describe(got), describe(c.expected));
    }
}

TEST_F(skin_region, regions_are_drawn_in_order_with_the_key_colour_left_out) {
    // A blue square, then a red image whose left half is key over it.
    dib* blue = new dib;
    paint_dib(*blue, 8, 8, [](int, int) { return RGB(0, 0, 255); });
    dib* red = new dib;
    paint_dib(*red, 8, 8, [](int x, int) { return x < 4 ? kKey : RGB(255, 0, 0); });
    skin_window host;
    skin look(0);
    look.subclassing(host.hwnd());
    const POINT at_origin = {0, 0}, at_right = {4, 0};
    const RECT part = {0, 0, 8, 8}, all = {0, 0, 16, 8};
    look.add_region(&at_origin, &part, blue);
    look.add_region(&at_right, &part, red);
    look.create_skin(kKey, &all);
    EXPECT_TRUE(shows_colour(look, {0, 0, 8, 8}, RGB(0, 0, 255)));
    EXPECT_TRUE(shows_colour(look, {8, 0, 12, 8}, RGB(255, 0, 0)));
    EXPECT_TRUE(shows_colour(look, {12, 0, 16, 8}, kKey));
    EXPECT_EQ(describe(region_rects(host.hwnd())), describe({{0, 0, 12, 8}}));
}

TEST_F(skin_region, a_skinned_window_shows_its_shape) {
    for (unsigned png : {901u, 902u}) {
        SCOPED_TRACE(png);
        player_build b = build_player(png);
        KEEP_BACK_BUFFER(*b.look);
        const HWND hwnd = b.window->hwnd();
        LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
        EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));
        // Korean text drawn by the window over the face, as the player does.
        b.look->set_caption(test_player_skin::title.id, L"매장 음악 방송 - 오늘의 선곡");
        b.look->set_caption(test_player_skin::time.id, L"03:25");
        b.look->set_caption(test_player_skin::status.id, L"다음 안내 방송 14:00");
        b.look->set_position(test_player_skin::seek.id, 420);
        b.look->set_position(test_player_skin::volume.id, 30);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        window_rig::pump();
        const pixel_image shot = capture_window(hwnd);
        save_artifact(shot, png == 901 ? L"test_player_blue" : L"test_player_grey");
        ASSERT_EQ(shot.width, test_player_skin::face.right);
        ASSERT_EQ(shot.height, test_player_skin::face.bottom);
        // The rounded corners lie outside the window; everything else shows
        // the back buffer.
        EXPECT_EQ(shot.at(0, 0), kKey);
        EXPECT_EQ(shot.at(shot.width - 1, shot.height - 1), kKey);
        int outside = 0, differing = 0;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x) {
                const COLORREF back = back_pixel(*b.look, x, y);
                if (back == kKey) {
                    ++outside;
                    if (shot.at(x, y) != kKey) ++differing;
                } else if (shot.at(x, y) != back) {
                    ++differing;
                }
            }
        EXPECT_GT(outside, 8);
        EXPECT_LT(outside, 4 * 6 * 6);
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(skin_region, png_loaders_read_resources_memory_and_wide_paths) {
    EXPECT_EQ(skin::load_png_resource(L"PNG", 999), nullptr);
    const unsigned char junk[] = "not a png at all";
    EXPECT_EQ(skin::load_png_memory(junk, sizeof junk), nullptr);

    std::unique_ptr<dib> art(skin::load_png_resource(L"PNG", 901));
    ASSERT_TRUE(art);
    EXPECT_EQ(art->get_width(), test_player_skin::width);
    EXPECT_EQ(art->get_height(), test_player_skin::height);
    EXPECT_EQ(art->get_bitcount(), 24u);

    // A file whose name lies outside the ANSI code page still loads.
    temp_folder folder(L"skin");
    const std::wstring copy = folder / L"skin_\x0e01.png";
    ASSERT_TRUE(CopyFileW(fixture_path(L"probe.png").c_str(), copy.c_str(), FALSE));
    std::unique_ptr<dib> probe(skin::load_png_from_file(copy.c_str()));
    ASSERT_TRUE(probe);
    ASSERT_EQ(probe->get_width(), 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(dib_pixel(*probe, x, y), probe_colour(x, y));
    EXPECT_EQ(skin::load_png_from_file((folder / L"missing.png").c_str()), nullptr);
}

TEST_F(skin_region, commands_that_name_no_child_window_are_copied_to_the_owner) {
    player_build b = build_player();
    window_rig::host_window owner(300, 40, 20, 20);
    window_rig::message_recorder owner_log;
    owner_log.init(owner.hwnd());
    b.look->set_owner(owner.hwnd());
    CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, b.window->hwnd(), reinterpret_cast<HMENU>(55),
                    GetModuleHandleW(nullptr), nullptr);

    SendMessageW(b.window->hwnd(), WM_COMMAND, 77, 0);
    SendMessageW(b.window->hwnd(), WM_COMMAND, 55, 0);
    window_rig::pump();
    ASSERT_EQ(owner_log.commands(), std::vector<unsigned>{77});
    EXPECT_EQ(owner_log.log[0].lparam, 0);

    // A click on a skin button reaches the owner as well.
    window_rig::click(b.window->hwnd(), 20, 96);  // prev
    window_rig::pump();
    EXPECT_EQ(owner_log.commands(), (std::vector<unsigned>{77, 13}));
}
