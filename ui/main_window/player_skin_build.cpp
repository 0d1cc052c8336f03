// Building the main window's normal and mini skins: the controls, statics and
// images at the places their PNG images (ui/main_window/skins/*.toml) hold
// them.
#include "player_skin.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255);
const wchar_t kFace[] = L"돋움";
const unsigned kPoints = 9;

struct button_def {
    unsigned id;
    const wchar_t* tooltip;
    RECT draw, normal, hover, pressed;
};

// The announcement and playlist looks start two pixels left of the image:
// the cut fills what lies outside with the key colour, so the face shows
// through there.
const button_def normal_buttons[] = {
    {0, L"환경 설정", {206, 9, 243, 21}, {117, 156, 154, 168}, {155, 156, 192, 168}, {193, 156, 230, 168}},
    {3, L"미니 모드", {267, 9, 280, 21}, {315, 169, 328, 181}, {329, 169, 342, 181}, {343, 169, 356, 181}},
    {2, L"최소화", {251, 9, 264, 21}, {231, 156, 244, 168}, {245, 156, 258, 168}, {259, 156, 272, 168}},
    {1, L"최대화", {283, 9, 296, 21}, {273, 156, 286, 168}, {287, 156, 300, 168}, {301, 156, 314, 168}},
    {4, L"닫기", {299, 9, 312, 21}, {315, 156, 328, 168}, {329, 156, 342, 168}, {343, 156, 356, 168}},
    {10, L"재생", {31, 93, 83, 146}, {85, 202, 137, 255}, {139, 202, 191, 255}, {193, 202, 245, 255}},
    {13, L"이전", {4, 119, 30, 146}, {0, 202, 26, 229}, {28, 202, 54, 229}, {56, 202, 82, 229}},
    {12, L"정지", {111, 108, 137, 135}, {0, 232, 26, 259}, {28, 232, 54, 259}, {56, 232, 82, 259}},
    {14, L"다음", {84, 119, 110, 146}, {248, 202, 274, 229}, {276, 202, 302, 229}, {304, 202, 330, 229}},
    {11, L"일시 정지", {140, 108, 166, 135}, {248, 232, 274, 259}, {276, 232, 302, 259}, {304, 232, 330, 259}},
    {8, L"안내 방송", {186, 113, 213, 128}, {-2, 263, 25, 278}, {27, 263, 54, 278}, {56, 263, 83, 278}},
    {5, L"이퀄라이저", {217, 113, 244, 128}, {85, 263, 112, 278}, {114, 263, 141, 278}, {143, 263, 170, 278}},
    {6, L"재생 목록", {248, 113, 275, 128}, {-2, 280, 25, 295}, {27, 280, 54, 295}, {56, 280, 83, 295}},
    {7, L"라이브러리", {279, 113, 306, 128}, {85, 280, 112, 295}, {114, 280, 141, 295}, {143, 280, 170, 295}},
    // The mute check rests as the face's speaker; checked, it shows the
    // speaker crossed out, which build_normal composes at (267, 264).
    {16, L"음소거", {190, 136, 199, 143}, {190, 136, 199, 143}, {190, 136, 199, 143}, {267, 264, 276, 271}},
};

// The play-method indicators share one place; the window shows one.
const button_def method_buttons[] = {
    {17, L"순차 반복", {183, 52, 203, 61}, {172, 263, 192, 272}, {}, {}},
    {18, L"순차 재생", {183, 52, 203, 61}, {193, 263, 213, 272}, {}, {}},
    {19, L"랜덤 반복", {183, 52, 203, 61}, {214, 263, 234, 272}, {}, {}},
    {20, L"랜덤 재생", {183, 52, 203, 61}, {235, 263, 255, 272}, {}, {}},
};

const button_def mini_buttons[] = {
    {2, L"최소화", {305, 3, 318, 15}, {0, 52, 13, 64}, {14, 52, 27, 64}, {28, 52, 41, 64}},
    {3, L"일반모드", {319, 3, 332, 15}, {42, 52, 55, 64}, {56, 52, 69, 64}, {70, 52, 83, 64}},
    {4, L"닫기", {333, 3, 346, 15}, {84, 52, 97, 64}, {98, 52, 111, 64}, {112, 52, 125, 64}},
    {13, L"이전곡", {15, 0, 36, 25}, {0, 26, 21, 51}, {22, 26, 43, 51}, {44, 26, 65, 51}},
    {10, L"재생", {36, 0, 57, 25}, {66, 26, 87, 51}, {88, 26, 109, 51}, {110, 26, 131, 51}},
    {11, L"일시 정지", {57, 0, 78, 25}, {132, 26, 153, 51}, {154, 26, 175, 51}, {176, 26, 197, 51}},
    {12, L"정지", {78, 0, 99, 25}, {198, 26, 219, 51}, {220, 26, 241, 51}, {242, 26, 263, 51}},
    {14, L"다음곡", {99, 0, 120, 25}, {264, 26, 285, 51}, {286, 26, 307, 51}, {308, 26, 329, 51}},
    {15, L"항상위", {5, 5, 12, 20}, {5, 5, 12, 20}, {5, 5, 12, 20}, {148, 54, 155, 69}},
    {16, L"음소거", {285, 8, 294, 16}, {285, 8, 294, 16}, {285, 8, 294, 16}, {136, 52, 145, 60}},
};

// Display slots of the normal skin: hidden progress bars used for their
// place and the face beneath (the logo's is shown).
struct slot_def {
    unsigned id;
    RECT rect;
};
const slot_def normal_slots[] = {
    {33, {7, 7, 117, 24}},      {25, {165, 42, 180, 47}},  {26, {121, 42, 136, 47}},
    {28, {117, 52, 137, 61}},   {31, {139, 52, 159, 61}},  {30, {161, 52, 181, 61}},
    {34, {31, 41, 41, 60}},     {35, {44, 41, 54, 60}},    {36, {57, 41, 61, 60}},
    {37, {62, 41, 72, 60}},     {38, {75, 41, 85, 60}},    {39, {88, 41, 92, 60}},
    {40, {93, 41, 103, 60}},    {41, {106, 41, 116, 60}},
    // The level meter's area, beside the digits.
    {29, {210, 40, 304, 64}},
};

// Parts of the normal image the cache keeps (key, place in the image).
struct cache_def {
    int key;
    int x, y, w, h;
};
const cache_def normal_cache[] = {
    {42, 0, 153, 110, 17},  {63, 110, 175, 3, 18},  {64, 117, 156, 197, 12}, {65, 314, 169, 42, 12},
    {67, 170, 173, 20, 9},  {68, 170, 183, 20, 9},  {69, 192, 183, 20, 9},   {70, 214, 183, 20, 9},
    {71, 192, 173, 20, 9},  {72, 214, 173, 20, 9},
};

// The colour skins: resources and the normal skin's text colour.
struct colour_def {
    unsigned normal_png;
    unsigned mini_png;
    COLORREF text;
};
const colour_def colours[] = {
    {156, 196, 0xF1CB98}, {165, 160, 0xBECFFA}, {164, 159, 0xE2B6FE}, {207, 158, 0xF1EBFF},
    {167, 161, 0xB9FCD7}, {166, 197, 0xF58F8C}, {206, 157, 0xEEEEEE},
};

const colour_def& colour_of(int skin_number) {
    return colours[(skin_number >= 1 && skin_number <= 7) ? skin_number - 1 : 0];
}

// The w x h part of the image at x, y as a new image (empty when the image is).
std::unique_ptr<dib> cut_part(const dib& image, int x, int y, int w, int h) {
    auto part = std::make_unique<dib>();
    if (image.get_memdc() && part->create(w, h, 24))
        part->load_picture_blt(image.get_memdc(), x, y, w, h, SRCCOPY);
    return part;
}

// Draws the w x h image at (over_x, over_y) with the key colour left out
// over the part at (under_x, under_y), and puts the result into the image
// at (to_x, to_y): how the window makes a checked look from the face.
void compose(dib& image, int over_x, int over_y, int under_x, int under_y, int w, int h, int to_x, int to_y) {
    auto over = cut_part(image, over_x, over_y, w, h);
    auto under = cut_part(image, under_x, under_y, w, h);
    over->draw_trans(under->get_memdc(), 0, 0, kKey);
    under->draw(image.get_memdc(), to_x, to_y);
}

// Makes the image w x h of the key colour (the marquee's empty strip).
void make_key_strip(dib& strip, int w, int h) {
    if (!strip.create(w, h, 24)) return;
    const RECT all = {0, 0, w, h};
    dib::fill_solid_rect(strip.get_memdc(), &all, kKey);
}

// The image's pixel; -1 when the image is empty.
long long pixel(const dib& image, int x, int y) {
    if (!image.get_memdc()) return -1;
    const COLORREF c = GetPixel(image.get_memdc(), x, y);
    return c == CLR_INVALID ? -1 : static_cast<long long>(c);
}

skin_button* make_button(const button_def& d, bool visible = true) {
    skin_button* b = new skin_button;
    b->id = static_cast<int>(d.id);
    skin_copy_text(b->tooltip, d.tooltip);
    b->draw_rect = d.draw;
    b->hit_rect = d.draw;
    b->normal_src = d.normal;
    b->hover_src = d.hover;
    b->pressed_src = d.pressed;
    b->visible = visible;
    return b;
}

skin_scroll* make_slider(unsigned id, const wchar_t* tooltip, RECT hit, RECT thumb, RECT thumb_src, int max,
                         long long fill, RECT fill_rect) {
    skin_scroll* s = new skin_scroll;
    s->type = skin_control::type_hslider;
    s->id = static_cast<int>(id);
    skin_copy_text(s->tooltip, tooltip);
    s->hit_rect = hit;
    s->draw_rect = thumb;
    s->normal_src = thumb_src;
    s->hover_src = thumb_src;
    s->min = 0;
    s->max = max;
    s->fill_colour = fill;
    s->fill_rect = fill_rect;
    return s;
}

skin_static* make_text(unsigned id, RECT rect, int align, COLORREF colour) {
    skin_static* s = new skin_static;
    s->type = skin_static::type_text;
    s->id = static_cast<int>(id);
    s->rect = rect;
    s->align = align;
    s->text_colour = colour;
    s->visible = true;
    skin_copy_text(s->face, kFace);
    s->point_size = kPoints;
    return s;
}

skin_progress* make_slot(unsigned id, RECT rect, bool visible) {
    skin_progress* p = new skin_progress;
    p->type = skin_static::type_hprogress;
    p->id = static_cast<int>(id);
    p->rect = rect;
    p->visible = visible;
    p->min = 0;
    p->max = 100;
    return p;
}

void add_piece(std::vector<std::unique_ptr<_resize_region>>& pieces, skin& look, int kind, RECT place, RECT grip) {
    auto piece = std::make_unique<_resize_region>();
    piece->kind = kind;
    piece->placement = place;
    piece->source = place;
    piece->grip = grip;
    look.add_resize_region(piece.get());
    pieces.push_back(std::move(piece));
}

}  // namespace

unsigned player_skin::normal_resource(int skin_number) { return colour_of(skin_number).normal_png; }
unsigned player_skin::mini_resource(int skin_number) { return colour_of(skin_number).mini_png; }
// Outside 1 to 7 the skin is skin 1's, and so is its text colour.
COLORREF player_skin::normal_text_colour(int skin_number) { return colour_of(skin_number).text; }
COLORREF player_skin::mini_text_colour(int skin_number) { return skin_number == 7 ? 0x000000 : 0xFFFFFF; }

void player_skin::begin(HWND window, int resizable, unsigned resource, dib*& image) {
    remove();
    mini_ = resizable != 0;
    window_ = window;
    skin_ = std::make_unique<skin>(resizable);
    skin_->subclassing(window);
    image = skin::load_png_resource(L"PNG", resource);
    // A missing resource leaves the skin without images.
    if (!image) image = new dib;
}

void player_skin::finish() {
    // The window changed size and every control was redrawn into a new back
    // buffer: repaint all of it, not only the rectangles that were touched.
    if (window_ && IsWindow(window_)) InvalidateRect(window_, nullptr, FALSE);
}

skin* player_skin::build_normal(HWND window, int skin_number, int volume) {
    dib* image = nullptr;
    begin(window, 0, normal_resource(skin_number), image);

    // The mute check's checked look: the cross at (257, 264) over the face
    // piece at (190, 136), kept at (267, 264).
    if (image->get_memdc()) compose(*image, 257, 264, 190, 136, 9, 7, 267, 264);

    base_ = {0, 0, 320, 150};
    const POINT origin = {0, 0};
    _region* region = skin_->add_region(&origin, &base_, image);
    skin_->create_skin(kKey, &base_);

    for (const button_def& d : normal_buttons) skin_->add_control(region, make_button(d));
    for (const button_def& d : method_buttons) skin_->add_control(region, make_button(d, false));

    const RECT thumb_src = {270, 173, 285, 183};
    const long long fill = pixel(*image, 287, 178);
    skin_scroll* seek = make_slider(player_skin_ids::seek, L"진행 시간", {92, 91, 305, 101}, {92, 91, 108, 104},
                                    thumb_src, 1000, fill, {93, 96, 303, 97});
    seek->quiet = true;
    skin_->add_control(region, seek);
    skin_->add_control(region, make_slider(player_skin_ids::volume, L"볼륨", {215, 134, 306, 147},
                                           {215, 134, 231, 147}, thumb_src, 100, fill, {216, 139, 303, 140}));

    for (const slot_def& s : normal_slots) skin_->add_static(region, make_slot(s.id, s.rect, s.id == 33));
    text_colour_ = normal_text_colour(skin_number);
    skin_->add_static(region, make_text(player_skin_ids::title, {19, 70, 270, 82}, 0, text_colour_));
    skin_->add_static(region, make_text(player_skin_ids::time, {271, 70, 303, 82}, 2, text_colour_));

    fill_normal_cache(*image);
    const long long back = pixel(*image, 259, 177);
    marquee_back_ = back < 0 ? 0 : static_cast<COLORREF>(back);
    marquee_text_ = 0xFFFFFF;

    skin_->delete_backup_image();
    show_logo(this->image(player_skin_images::logo));
    skin_->set_enable(player_skin_ids::seek, false);
    skin_->set_position(player_skin_ids::volume, volume / 10);
    finish();
    return skin_.get();
}

void player_skin::fill_normal_cache(const dib& image) {
    auto keep = [&](int key, int x, int y, int w, int h) {
        dib* d = this->image(key);
        if (!image.get_memdc() || !d->create(w, h, 24)) {
            d->clear();
            return;
        }
        d->load_picture_blt(image.get_memdc(), x, y, w, h, SRCCOPY);
    };
    for (const cache_def& c : normal_cache) keep(c.key, c.x, c.y, c.w, c.h);
    for (int digit = 0; digit <= 9; ++digit) {
        keep(player_skin_images::digit_first + digit, digit * 11, 175, 10, 19);
        if (digit == 0)
            keep(player_skin_images::small_digit_first, 162, 175, 4, 5);
        else if (digit == 1)
            keep(player_skin_images::small_digit_first + 1, 119, 175, 2, 5);
        else
            keep(player_skin_images::small_digit_first + digit, 122 + 5 * (digit - 2), 175, 4, 5);
    }
    make_key_strip(*this->image(player_skin_images::marquee), 251, 12);
}

skin* player_skin::build_mini(HWND window, int skin_number, int volume) {
    dib* image = nullptr;
    begin(window, 1, mini_resource(skin_number), image);

    if (image->get_memdc()) {
        // The always-on-top check's pressed look: its lever's slot filled
        // with the display's colour, kept at (148, 54).
        auto lever = cut_part(*image, 5, 5, 7, 15);
        const RECT slot = {2, 2, 5, 13};
        dib::fill_solid_rect(lever->get_memdc(), &slot, GetPixel(image->get_memdc(), 136, 14));
        lever->draw(image->get_memdc(), 148, 54);
        // The mute check's: the cross at (126, 52) over the speaker at
        // (285, 8), kept at (136, 52).
        compose(*image, 126, 52, 285, 8, 9, 8, 136, 52);
    }

    base_ = {0, 0, 350, 25};
    const POINT origin = {0, 0};
    _region* region = skin_->add_region(&origin, &base_, image);
    // Column 154 stretches; the left and right edges are resize grips.
    const RECT none = {0, 0, 0, 0};
    add_piece(pieces_, *skin_, 0, {0, 0, 154, 25}, none);
    add_piece(pieces_, *skin_, 1, {154, 0, 155, 25}, none);
    add_piece(pieces_, *skin_, 2, {155, 0, 350, 25}, none);
    add_piece(pieces_, *skin_, 3, none, {0, 0, 3, 25});
    add_piece(pieces_, *skin_, 4, none, none);
    add_piece(pieces_, *skin_, 5, none, {347, 0, 350, 25});
    skin_->create_resize_skin(kKey, &base_, nullptr);

    for (const button_def& d : mini_buttons) skin_->add_control(region, make_button(d));

    // The volume fill has the normal skin's colour.
    long long fill = -1;
    if (dib* normal = skin::load_png_resource(L"PNG", normal_resource(skin_number))) {
        fill = pixel(*normal, 287, 178);
        delete normal;
    }
    skin_->add_control(region, make_slider(player_skin_ids::volume, L"볼륨", {222, 9, 282, 20}, {222, 9, 238, 20},
                                           {330, 26, 345, 35}, 100, fill, {223, 13, 279, 14}));

    text_colour_ = mini_text_colour(skin_number);
    skin_->add_static(region, make_text(player_skin_ids::title, {160, 6, 192, 19}, 0, text_colour_));
    skin_->add_static(region, make_text(player_skin_ids::time, {128, 6, 160, 19}, 0, text_colour_));

    make_key_strip(*this->image(player_skin_images::marquee), 32, 13);
    skin_->delete_backup_image();
    skin_->set_position(player_skin_ids::volume, volume / 10);
    finish();
    return skin_.get();
}
