// One window holding every child control of the toolkit, painted and kept as
// a picture in the artifacts folder ("controls_gallery.every_control_in_one_window-gallery.png"),
// with a few of its pixels checked.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "button.h"
#include "control_test_support.h"
#include "header_ctrl.h"
#include "list_ctrl.h"
#include "peak_meta.h"
#include "scroll_ctrl.h"
#include "splitter.h"
#include "tree_ctrl.h"
#include "window.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
const COLORREF kFace = RGB(236, 239, 244);

// A frameless window painted from its back buffer, into which the level
// meter draws.
class gallery_window : public window {
public:
    dib back;
    gallery_window(int w, int h) {
        back.create(w, h, 24);
        RECT all = {0, 0, w, h};
        dib::fill_solid_rect(back.get_memdc(), &all, kFace);
        create(0, L"zel_gallery_window", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, w, h, nullptr, 0);
    }
    ~gallery_window() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }

private:
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_ERASEBKGND) return 1;
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            back.draw(dc, 0, 0);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        return window::window_proc(msg, wparam, lparam);
    }
};

// A rounded-looking image button: a vertical gradient with a caption.
void button_face(dib& image, COLORREF top, COLORREF bottom, const wchar_t* caption) {
    ASSERT_TRUE(image.create(84, 26, 24));
    RECT r = {0, 0, 84, 26};
    dib::draw_gradient(image.get_memdc(), r, top, bottom, false);
    dib text;
    ASSERT_TRUE(text.create(84, 26, 24));
    text.draw_text(image.get_memdc(), 0, 0, caption, RGB(255, 255, 255), L"\xAD74\xB9BC", 9, true, false, false,
                   false, DT_CENTER | DT_VCENTER | DT_SINGLELINE, RGB(255, 0, 255), true);
}
}  // namespace

using controls_gallery = toolkit_test;

TEST_F(controls_gallery, every_control_in_one_window) {
    init_common_controls();
    gallery_window host(560, 360);
    HWND hwnd = host.get_hwnd();
    ASSERT_NE(hwnd, nullptr);

    // Bitmap buttons: play (normal, hover and pressed), stop (normal only).
    dib play, play_hover, play_pressed, stop;
    button_face(play, RGB(80, 140, 220), RGB(30, 80, 170), L"\xC7AC\xC0DD");  // 재생
    button_face(play_hover, RGB(110, 170, 250), RGB(50, 110, 200), L"\xC7AC\xC0DD");
    button_face(play_pressed, RGB(20, 60, 140), RGB(40, 90, 180), L"\xC7AC\xC0DD");
    button_face(stop, RGB(200, 90, 90), RGB(150, 40, 40), L"\xC815\xC9C0");  // 정지
    button play_button, stop_button;
    RECT play_rect = {10, 10, 94, 36}, stop_rect = {100, 10, 184, 36};
    play_button.init(hwnd, 1001, play_rect, &play, &play_hover, &play_pressed);
    stop_button.init(hwnd, 1002, stop_rect, &stop, nullptr, nullptr);
    play_button.set_tooltip(L"\xC7AC\xC0DD");

    // A list with the flat header and a vertical scroll bar of its own.
    list_ctrl list;
    list.window = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOSORTHEADER, 10,
                                  50, 300, 160, hwnd, reinterpret_cast<HMENU>(1003), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(list.window, nullptr);
    list.insert_column(0, L"\xC81C\xBAA9", 0, 150);  // 제목
    list.insert_column(1, L"\xAC00\xC218", 0, 90);   // 가수
    list.insert_column(2, L"\xC2DC\xAC04", 2, 60);   // 시간
    const wchar_t* titles[] = {L"\xBD04\xB0A0", L"\xC5EC\xB984\xBC24", L"\xAC00\xC744 \xC544\xCE68",
                               L"\xACA8\xC6B8\xBE44"};  // 봄날, 여름밤, 가을 아침, 겨울비
    const wchar_t* times[] = {L"3:12", L"4:05", L"2:58", L"5:31"};
    for (int i = 0; i < 4; ++i) {
        list.insert_item(i, titles[i]);
        list.set_item_text(i, 1, L"\xC544\xD2F0\xC2A4\xD2B8");  // 아티스트
        list.set_item_text(i, 2, times[i]);
    }
    header_ctrl2 header;
    header.init(list_header(list.window));
    header.set_fixed_item(2, true);
    SetWindowPos(list.window, nullptr, 0, 0, 300, 161, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(list.window, nullptr, 0, 0, 300, 160, SWP_NOMOVE | SWP_NOZORDER);

    dib channel, thumb, minus, plus, hchannel, hthumb, hminus, hplus;
    paint_dib(channel, 14, 4, [](int x, int) { return x == 0 || x == 13 ? RGB(170, 178, 190) : RGB(214, 220, 228); });
    paint_dib(thumb, 10, 24, [](int x, int y) {
        const bool corner = (x == 0 || x == 9) && (y == 0 || y == 23);
        return corner ? RGB(255, 0, 255) : RGB(90, 120, 170);
    });
    solid_dib(minus, 14, 14, RGB(150, 160, 175));
    solid_dib(plus, 14, 14, RGB(150, 160, 175));
    paint_dib(hchannel, 4, 14, [](int, int y) { return y == 0 || y == 13 ? RGB(170, 178, 190) : RGB(214, 220, 228); });
    paint_dib(hthumb, 24, 10, [](int x, int y) {
        const bool corner = (x == 0 || x == 23) && (y == 0 || y == 9);
        return corner ? RGB(255, 0, 255) : RGB(90, 120, 170);
    });
    scroll_ctrl vbar, hbar;
    vbar.set_channel(&channel);
    vbar.set_thumb(&thumb);
    vbar.set_minus_button(&minus);
    vbar.set_plus_button(&plus);
    vbar.init(hwnd, list.window, 14, 160, true, 12346);
    SetWindowPos(vbar.get_hwnd(), nullptr, 312, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    vbar.set_range(0, 100, true);
    vbar.set_pos(30);
    hbar.set_channel(&hchannel);
    hbar.set_thumb(&hthumb);
    hbar.set_minus_button(&minus);
    hbar.set_plus_button(&plus);
    hbar.init(hwnd, list.window, 300, 14, false, 12345);
    SetWindowPos(hbar.get_hwnd(), nullptr, 10, 212, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    hbar.set_range(0, 10, true);
    hbar.set_pos(7);

    // A splitter between the list and a tree.
    dib grip;
    paint_dib(grip, 6, 4, [](int x, int y) { return (x + y) % 4 == 0 ? RGB(120, 130, 150) : RGB(200, 206, 216); });
    splitter split;
    RECT range = {200, 50, 400, 230};
    split.init(hwnd, true, &grip, range, 332, 50);

    tree_ctrl tree;
    tree.window = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                  WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                                      TVS_SHOWSELALWAYS,
                                  344, 50, 206, 180, hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    HTREEITEM channels = tree.insert_item(L"\xCC44\xB110", TVI_ROOT, TVI_LAST);  // 채널
    tree.insert_item(L"\xD31D \xBBA4\xC9C1", channels, TVI_LAST);                    // 팝 뮤직
    HTREEITEM jazz = tree.insert_item(L"\xC7AC\xC988 \xCE74\xD398", channels, TVI_LAST);  // 재즈 카페
    HTREEITEM stores = tree.insert_item(L"\xB9E4\xC7A5", TVI_ROOT, TVI_LAST);          // 매장
    tree.insert_item(L"\xAC15\xB0A8\xC810", stores, TVI_LAST);                           // 강남점
    tree.expand(channels, TVE_EXPAND);
    tree.expand(stores, TVE_EXPAND);
    tree.select_item(jazz);

    // The level meter in the window's back buffer, over a dark panel.
    dib panel;
    solid_dib(panel, 190, 80, RGB(24, 28, 36));
    RECT meter_area = {10, 250, 200, 330};
    peak_meta meter;
    meter.init(hwnd, &panel, host.back.get_memdc(), meter_area);
    meter.set_meter_bands(19, 12);
    meter.set_bands_color(RGB(60, 200, 120), RGB(230, 200, 60), RGB(230, 70, 60), RGB(250, 250, 250));
    std::vector<int> levels = {95, 80, 70, 85, 60, 50, 65, 40, 45, 30, 55, 35, 25, 20, 30, 15, 10, 8, 5};
    meter.set_data(levels.data(), 0, 19);
    meter.tick();  // the values fall a step below their peak lines

    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
    window_rig::pump_for(200);
    // The play button as it looks under the mouse.
    window_rig::mouse_move(play_button.get_hwnd(), 10, 10);
    UpdateWindow(play_button.get_hwnd());
    pixel_image shot = capture_window(hwnd);
    EXPECT_FALSE(save_artifact(shot, L"gallery").empty());

    ASSERT_EQ(shot.width, 560);
    EXPECT_EQ(shot.at(100 + 2, 10 + 13), capture_dc(stop.get_memdc(), 2, 13, 1, 1).at(0, 0));
    EXPECT_EQ(shot.at(10 + 2, 10 + 13), capture_dc(play_hover.get_memdc(), 2, 13, 1, 1).at(0, 0));
    EXPECT_EQ(shot.at(312 + 7, 50 + 3), RGB(150, 160, 175));  // the minus button of the scroll bar
    EXPECT_EQ(shot.at(332 + 1, 52), capture_dc(grip.get_memdc(), 1, 2, 1, 1).at(0, 0));
    const pixel_image header_shot = capture_window(list_header(list.window));
    EXPECT_EQ(shot.at(10 + 40, 50 + header_shot.height - 1), header.get_line_color());
    EXPECT_GT(shot.count(RGB(230, 70, 60), 10, 250, 190, 80), 0);  // the loud bands reach the high colour
    EXPECT_GT(shot.count(RGB(250, 250, 250), 10, 250, 190, 80), 0);
}
