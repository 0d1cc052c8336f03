// The playlist window's skin: the frame, the controls, the scroll-bar parts
// and the image table at the places their images hold them
// (ui/playlist_window/skins/playlist_window.toml), and the status strip.
#include "playlist_window_skin.h"

#include "scroll_channels.h"

#include "utility.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kStatusText = 0x3C3C3C;
const RECT kFace = {0, 0, 320, 300};

struct button_def {
    unsigned id;
    const wchar_t* tooltip;
    RECT rect, normal, hover, pressed;
};
// In the order they are added.
const button_def buttons[] = {
    {0, L"닫기", {299, 6, 311, 17}, {0, 304, 13, 316}, {14, 304, 27, 316}, {28, 304, 41, 316}},
    {3, L"상세 보기", {269, 24, 312, 39}, {42, 304, 85, 319}, {86, 304, 129, 319}, {130, 304, 173, 319}},
    {1, L"음악 방송", {7, 23, 114, 44}, {0, 320, 108, 341}, {}, {109, 320, 217, 341}},
    {2, L"안내 방송", {117, 23, 224, 44}, {0, 345, 108, 366}, {}, {109, 345, 217, 366}},
};

struct piece_def {
    int kind;
    RECT rect, grip;
};
const piece_def pieces[] = {
    {0, {0, 0, 265, 134}, {0, 0, 4, 4}},         {1, {265, 0, 266, 134}, {4, 0, 317, 4}},
    {2, {266, 0, 321, 134}, {317, 0, 321, 4}},    {3, {0, 134, 265, 135}, {0, 4, 4, 287}},
    {4, {265, 134, 266, 135}, {}},                {5, {266, 134, 321, 135}, {317, 4, 321, 287}},
    {6, {0, 135, 265, 301}, {0, 297, 4, 301}},    {7, {265, 135, 266, 301}, {4, 297, 317, 301}},
    {8, {266, 135, 321, 301}, {317, 297, 321, 301}},
};

struct image_def {
    int number;
    int x, y, w, h;
};
const image_def table[] = {
    {4, 176, 306, 20, 9}, {5, 197, 306, 20, 9}, {6, 218, 306, 20, 9},
    {7, 239, 306, 20, 9}, {8, 12, 207, 1, 14},  {9, 260, 305, 8, 9},
};

skin_button* make_button(const button_def& d) {
    skin_button* b = new skin_button;
    b->id = static_cast<int>(d.id);
    skin_copy_text(b->tooltip, d.tooltip);
    b->draw_rect = d.rect;
    b->hit_rect = d.rect;
    b->normal_src = d.normal;
    b->hover_src = d.hover;
    b->pressed_src = d.pressed;
    return b;
}

}  // namespace

playlist_window_skin::playlist_window_skin() : base_rect_{}, window_(nullptr) {}

playlist_window_skin::~playlist_window_skin() { remove(); }

unsigned playlist_window_skin::png_resource(int skin_number) {
    switch (skin_number) {
    case 2:
        return 178;
    case 3:
        return 177;
    case 4:
        return 176;
    case 5:
        return 181;
    case 6:
        return 179;
    case 7:
        return 175;
    default:
        return 180;
    }
}

skin* playlist_window_skin::build(HWND window, int skin_number) {
    remove();
    window_ = window;
    skin_ = std::make_unique<skin>(1);
    skin_->subclassing(window);

    dib* png = skin::load_png_resource(L"PNG", png_resource(skin_number));
    if (!png) {
        remove();
        return nullptr;
    }
    const POINT origin = {0, 0};
    _region* region = skin_->add_region(&origin, &kFace, png);

    // Without the ad page the list field is copied down over the ad frame.
    if (!ad_shown_ || !ad_shown_()) {
        dib block;
        block.create_from_part(*png, 0, 121, 320, 105);
        if (block.get_memdc()) block.draw(png->get_memdc(), 0, 185);
    }

    for (const piece_def& d : pieces) {
        auto piece = std::make_unique<_resize_region>();
        piece->kind = d.kind;
        piece->placement = d.rect;
        piece->source = d.rect;
        piece->grip = d.grip;
        skin_->add_resize_region(piece.get());
        pieces_.push_back(std::move(piece));
    }
    skin_->create_resize_skin(kKey, &kFace, nullptr);
    base_rect_ = skin_->base_size();

    for (const button_def& d : buttons) skin_->add_control(region, make_button(d));

    build_scroll_images(*png);
    build_image_table(*png);
    skin_->delete_backup_image();
    return skin_.get();
}

void playlist_window_skin::build_scroll_images(const dib& png) {
    hscroll_thumb_.create_from_part(png, 230, 320, 53, 9);
    vscroll_thumb_.create_from_part(png, 220, 320, 9, 53);
    hscroll_minus_.create_from_part(png, 260, 331, 9, 9);
    vscroll_minus_.create_from_part(png, 240, 331, 9, 9);
    hscroll_plus_.create_from_part(png, 250, 331, 9, 9);
    vscroll_plus_.create_from_part(png, 230, 331, 9, 9);
    make_scroll_channels(hscroll_track_, vscroll_track_);
}

void playlist_window_skin::build_image_table(const dib& png) {
    for (const image_def& d : table) {
        std::unique_ptr<dib>& slot = images_[d.number];
        if (!slot) slot = std::make_unique<dib>();
        slot->create_from_part(png, d.x, d.y, d.w, d.h);
    }
}

void playlist_window_skin::remove() {
    if (skin_) {
        skin_->unsubclass();
        skin_.reset();
    }
    pieces_.clear();
}

RECT playlist_window_skin::list_rect() const {
    if (ad_shown_ && ad_shown_()) return RECT{9, 47, 311, 206};
    return RECT{9, 47, 311, 270};
}

dib* playlist_window_skin::image(int number) const {
    auto it = images_.find(number);
    return it == images_.end() ? nullptr : it->second.get();
}

playlist_scroll_images playlist_window_skin::hscroll_images() {
    return {&hscroll_track_, &hscroll_thumb_, &hscroll_minus_, &hscroll_plus_};
}

playlist_scroll_images playlist_window_skin::vscroll_images() {
    return {&vscroll_track_, &vscroll_thumb_, &vscroll_minus_, &vscroll_plus_};
}

void playlist_window_skin::draw_status_text(const RECT& rect, const wchar_t* left, const wchar_t* right) {
    if (left && *left) status_left_ = left;
    if (right && *right) status_right_ = right;
    dib* strip = image(playlist_skin_images::status_strip);
    if (!strip || !strip->get_memdc() || (status_left_.empty() && status_right_.empty())) return;
    if (!skin_ || !skin_->get_dc()) return;
    HDC back = skin_->get_dc();
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    strip->draw_tile(back, rect.left, rect.top, w, h);

    int points = 9;
    const LOGFONTW* font = utility::get_default_logfont(&points);
    const wchar_t* face = font ? font->lfFaceName : L"";
    const unsigned size = static_cast<unsigned>(points);
    const int left_width = utility::get_text_length(status_left_.c_str(), face, size, false);
    const int right_width = utility::get_text_length(status_right_.c_str(), face, size, false);
    const unsigned format = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

    auto draw_box = [&](int x, int box_width, const std::wstring& text, unsigned align) {
        if (box_width <= 0 || text.empty()) return;
        dib box;
        if (!box.create(box_width, h, 24)) return;
        box.draw_text(back, x, rect.top, text.c_str(), kStatusText, face, size, false, false, false, false,
                      align | format, kKey, true);
    };
    if (w < left_width + right_width + 5) {
        draw_box(rect.left, w, status_left_, DT_LEFT);
    } else {
        draw_box(rect.left, left_width, status_left_, DT_LEFT);
        const int right_start = rect.left + left_width + 5;
        draw_box(right_start, rect.right - right_start, status_right_, DT_RIGHT);
    }
    if (window_) InvalidateRect(window_, &rect, FALSE);
}
