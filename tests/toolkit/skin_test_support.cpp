// The skin tests' windows, skins and back-buffer comparisons.
#include "skin_test_support.h"

#include <algorithm>
#include <cstdio>

#include "window_capture.h"

skin_window::skin_window(const wchar_t* class_name, int x, int y, int w, int h) {
    create(0, class_name, L"", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, 0);
}

skin_window::~skin_window() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

int skin_window::seen(UINT msg) const { return static_cast<int>(std::count(seen_.begin(), seen_.end(), msg)); }

LRESULT skin_window::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) seen_.push_back(msg);
    return window::window_proc(msg, wparam, lparam);
}

namespace {
void fill_button(skin_button* b, const skin_art_button& art, const wchar_t* tooltip) {
    b->id = art.id;
    b->hit_rect = art.hit;
    b->draw_rect = art.draw;
    b->normal_src = art.normal;
    b->hover_src = art.hover;
    b->pressed_src = art.pressed;
    b->disabled_src = art.disabled;
    skin_copy_text(b->tooltip, tooltip);
}

skin_static* make_text(const skin_art_static& art, int align) {
    skin_static* s = new skin_static;
    s->id = art.id;
    s->rect = art.rect;
    s->visible = true;
    s->align = align;
    s->text_colour = RGB(0x98, 0xCB, 0xF1);
    return s;
}
}  // namespace

skin_button* make_button(const skin_art_button& art, const wchar_t* tooltip) {
    skin_button* b = new skin_button;
    fill_button(b, art, tooltip);
    return b;
}

skin_list_item* make_item(const skin_art_button& art, const wchar_t* first_line) {
    skin_list_item* item = new skin_list_item;
    fill_button(item, art, L"");
    skin_copy_text(item->first_line, first_line);
    item->normal_colour = RGB(200, 210, 220);
    item->hot_colour = RGB(255, 255, 255);
    item->checked_colour = RGB(10, 20, 30);
    item->left_margin = 4;
    return item;
}

skin_scroll* make_slider(const skin_art_slider& art, int min, int max) {
    skin_scroll* s = new skin_scroll;
    s->type = art.horizontal ? skin_control::type_hslider : skin_control::type_vslider;
    s->id = art.id;
    s->hit_rect = art.hit;
    s->draw_rect = art.thumb;
    s->normal_src = art.normal;
    s->hover_src = art.hover;
    s->disabled_src = art.disabled;
    s->fill_rect = art.fill;
    s->min = min;
    s->max = max;
    return s;
}

player_build build_player(unsigned png_id, const wchar_t* class_name) {
    namespace art = test_player_skin;
    player_build b;
    b.window = std::make_unique<skin_window>(class_name);
    b.look = std::make_unique<skin>(0);
    b.look->subclassing(b.window->hwnd());
    const POINT origin = {0, 0};
    b.region = b.look->add_region(&origin, &art::face, skin::load_png_resource(L"PNG", png_id));
    b.look->create_skin(kKey, &art::face);

    for (const skin_art_button* button : {&art::minimize, &art::close, &art::prev, &art::play, &art::pause,
                                          &art::stop, &art::next})
        b.look->add_control(b.region, make_button(*button, L"tip"));
    b.list = new skin_list_control;
    for (const skin_art_button* item : {&art::item_a, &art::item_b}) {
        skin_list_item* i = make_item(*item, item == &art::item_a ? L"가" : L"나");
        b.list->items.push_back(i);
        b.look->add_control(b.region, i);
    }
    b.look->set_list_control(b.list);
    skin_scroll* seek = make_slider(art::seek, 0, 1000);
    skin_copy_text(seek->tooltip, L"진행 시간");
    seek->fill_colour = RGB(0x4F, 0xA8, 0xFF);
    b.look->add_control(b.region, seek);
    skin_scroll* volume = make_slider(art::volume, 0, 100);
    skin_copy_text(volume->tooltip, L"볼륨");
    volume->fill_colour = RGB(0x4F, 0xA8, 0xFF);
    b.look->add_control(b.region, volume);

    b.look->add_static(b.region, make_text(art::title, 0));
    b.look->add_static(b.region, make_text(art::time, 2));
    b.look->add_static(b.region, make_text(art::status, 0));
    skin_progress* progress = new skin_progress;
    progress->id = art::progress.id;
    progress->rect = art::progress.rect;
    b.look->add_static(b.region, progress);
    UpdateWindow(b.window->hwnd());
    window_rig::pump();
    return b;
}

void player_test::SetUp() {
    toolkit_test::SetUp();
    b = build_player();
    image.reset(skin::load_png_resource(L"PNG", 901));
    ASSERT_TRUE(image);
    log.init(hwnd());
}

void player_test::TearDown() { log.deinit(); }

frame_build build_frame(std::vector<int> skip) {
    namespace art = test_frame_skin;
    frame_build b;
    b.window = std::make_unique<skin_window>(L"zel_skin_frame");
    b.look = std::make_unique<skin>(1);
    b.look->subclassing(b.window->hwnd());
    const POINT origin = {0, 0};
    b.region = b.look->add_region(&origin, &art::face, skin::load_png_resource(L"PNG", 911));
    for (const skin_art_piece& p : art::pieces) {
        if (std::find(skip.begin(), skip.end(), p.kind) != skip.end()) continue;
        auto piece = std::make_unique<_resize_region>();
        piece->kind = p.kind;
        piece->placement = p.rect;
        piece->source = p.rect;
        piece->grip = p.grip;
        b.look->add_resize_region(piece.get());
        b.pieces.push_back(std::move(piece));
    }
    b.look->create_resize_skin(kKey, &art::face, nullptr);
    for (const skin_art_button* button : {&art::pin, &art::close, &art::middle, &art::corner})
        b.look->add_control(b.region, make_button(*button, L"tip"));
    skin_scroll* level = make_slider(art::level, 0, 100);
    level->fill_colour = RGB(0x5C, 0xD6, 0x8C);
    b.look->add_control(b.region, level);
    UpdateWindow(b.window->hwnd());
    window_rig::pump();
    return b;
}

COLORREF back_pixel(const skin& look, int x, int y) {
    GdiFlush();
    return dib_pixel(look.back_buffer(), x, y);
}

::testing::AssertionResult shows(const skin& look, const RECT& at, const dib& image, const RECT& source) {
    GdiFlush();
    const int w = at.right - at.left, h = at.bottom - at.top;
    if (w != source.right - source.left || h != source.bottom - source.top)
        return ::testing::AssertionFailure() << "the rectangles differ in size";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF want = dib_pixel(image, source.left + x, source.top + y);
            const COLORREF got = dib_pixel(look.back_buffer(), at.left + x, at.top + y);
            if (want != got) {
                char text[160];
                _snprintf(text, sizeof text - 1, "pixel %d,%d of the back buffer is %06lx, the image has %06lx",
                          static_cast<int>(at.left + x), static_cast<int>(at.top + y),
                          static_cast<unsigned long>(got), static_cast<unsigned long>(want));
                text[sizeof text - 1] = 0;
                return ::testing::AssertionFailure() << text;
            }
        }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult shows_colour(const skin& look, const RECT& at, COLORREF colour) {
    GdiFlush();
    for (int y = at.top; y < at.bottom; ++y)
        for (int x = at.left; x < at.right; ++x)
            if (dib_pixel(look.back_buffer(), x, y) != colour)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << dib_pixel(look.back_buffer(), x, y);
    return ::testing::AssertionSuccess();
}

int tool_count(const skin& look) {
    return static_cast<int>(SendMessageW(look.get_tooltip(), TTM_GETTOOLCOUNT, 0, 0));
}

std::wstring tool_text(const skin& look, unsigned id) {
    wchar_t text[1024] = L"";
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.hwnd = look.get_hwnd();
    info.uId = id;
    info.lpszText = text;
    if (!SendMessageW(look.get_tooltip(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) return L"";
    return text;
}
