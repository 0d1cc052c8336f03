// The library window's skin: the frame, the window buttons, the image table
// and the scroll-bar images at the places its images hold them
// (ui/library/skins/library_window.toml).
#include "library_skin.h"

#include "scroll_channels.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255);

struct button_def {
    unsigned id;
    const wchar_t* tooltip;
    int needs;  // 0 always, 1 the first main-window image, 2 the second
    bool shown;
    RECT hit, draw, normal, hover, pressed;
};
const button_def buttons[] = {
    {0, L"환경 설정", 1, false, {367, 9, 404, 21}, {367, 9, 404, 21}, {0, 670, 37, 682}, {38, 670, 75, 682},
     {76, 670, 113, 682}},
    {1, L"최소화", 1, false, {411, 9, 425, 21}, {411, 9, 424, 21}, {114, 670, 127, 682}, {128, 670, 141, 682},
     {142, 670, 155, 682}},
    {2, L"원래 크기로", 1, false, {444, 9, 457, 21}, {444, 9, 457, 21}, {156, 670, 169, 682}, {170, 670, 183, 682},
     {184, 670, 197, 682}},
    {3, L"미니 모드", 2, false, {427, 9, 441, 21}, {427, 9, 440, 21}, {1, 690, 14, 702}, {15, 690, 28, 702},
     {29, 690, 42, 702}},
    {4, L"닫기", 0, true, {460, 9, 473, 21}, {460, 9, 473, 21}, {430, 670, 443, 682}, {444, 670, 457, 682},
     {458, 670, 471, 682}},
    {5, L"홈페이지", 0, true, {359, 521, 466, 534}, {359, 521, 466, 534}, {320, 670, 427, 683},
     {320, 684, 427, 697}, {320, 698, 427, 711}},
    {6, L"", 0, true, {325, 519, 335, 527}, {325, 519, 335, 527}, {430, 684, 440, 692}, {441, 684, 451, 692},
     {452, 684, 462, 692}},
    {7, L"", 0, true, {325, 529, 335, 537}, {325, 529, 335, 537}, {430, 694, 440, 702}, {441, 694, 451, 702},
     {452, 694, 462, 702}},
};

struct piece_def {
    int kind;
    RECT rect, grip;
};
const piece_def pieces[] = {
    {0, {0, 0, 265, 134}, {0, 0, 4, 4}},       {1, {265, 0, 266, 134}, {4, 0, 477, 4}},
    {2, {266, 0, 481, 134}, {477, 0, 481, 4}},  {3, {0, 134, 265, 135}, {0, 4, 4, 547}},
    {4, {265, 134, 266, 135}, {}},              {5, {266, 134, 481, 135}, {477, 4, 481, 547}},
    {6, {0, 135, 265, 551}, {0, 547, 4, 551}},  {7, {265, 135, 266, 551}, {4, 547, 477, 551}},
    {8, {266, 135, 481, 551}, {477, 547, 481, 551}},
};

skin_button* make_button(const button_def& d) {
    skin_button* b = new skin_button;
    b->id = static_cast<int>(d.id);
    skin_copy_text(b->tooltip, d.tooltip);
    b->draw_rect = d.draw;
    b->hit_rect = d.hit;
    b->normal_src = d.normal;
    b->hover_src = d.hover;
    b->pressed_src = d.pressed;
    b->visible = d.shown;
    return b;
}

}  // namespace

const std::vector<library_image_cut>& library_image_table() {
    static const std::vector<library_image_cut> table = {
        {8, 234, 645, 8, 8},    {9, 243, 645, 8, 8},    {10, 0, 610, 161, 30},  {11, 162, 610, 161, 30},
        {12, 324, 610, 161, 30}, {13, 43, 575, 9, 9},   {14, 53, 575, 9, 9},    {15, 60, 561, 12, 12},
        {16, 73, 562, 11, 11},  {17, 85, 562, 11, 10},  {18, 97, 562, 11, 11},  {19, 109, 562, 11, 11},
        {20, 121, 562, 11, 11}, {21, 133, 562, 11, 11}, {22, 60, 561, 12, 12},  {23, 64, 575, 11, 11},
        {24, 76, 575, 11, 10},  {25, 88, 575, 12, 12},  {26, 145, 562, 10, 10}, {27, 166, 562, 8, 10},
        {28, 157, 562, 8, 10},  {29, 440, 555, 40, 15}, {30, 213, 556, 69, 21}, {31, 283, 556, 69, 21},
        {32, 353, 556, 69, 21}, {33, 136, 575, 12, 12}, {34, 162, 575, 12, 12}, {35, 149, 575, 12, 13},
        {36, 60, 561, 12, 12},  {37, 73, 562, 11, 11},  {38, 85, 562, 11, 10},  {39, 97, 562, 11, 11},
        {40, 109, 562, 11, 11}, {41, 121, 562, 11, 11}, {42, 133, 562, 11, 11}, {43, 145, 562, 10, 10},
        {44, 2, 577, 12, 12},   {45, 15, 577, 12, 12},  {46, 29, 577, 12, 12},  {47, 64, 575, 11, 11},
        {48, 76, 575, 11, 10},  {49, 88, 575, 12, 12},  {50, 175, 575, 12, 12}, {51, 188, 575, 11, 10},
        {52, 200, 578, 12, 12}, {53, 213, 578, 11, 11}, {54, 64, 588, 11, 11},
    };
    return table;
}

constexpr RECT library_skin::face;
constexpr RECT library_skin::field;

library_skin::library_skin() : base_rect_{} {}

library_skin::~library_skin() { release(); }

unsigned library_skin::png_resource(int skin_number) {
    switch (skin_number) {
    case 2: return 201;
    case 3: return 200;
    case 4: return 199;
    case 5: return 204;
    case 6: return 202;
    case 7: return 198;
    default: return 203;
    }
}

skin* library_skin::build(HWND window, int skin_number, dib* first_image, dib* second_image) {
    release();
    skin_ = std::make_unique<skin>(1);
    skin_->subclassing(window);
    dib* png = skin::load_png_resource(L"PNG", png_resource(skin_number));
    if (!png) {
        release();
        return nullptr;
    }
    // The field behind the tree and the page, the main window's title-bar
    // images where buttons 0-3 take their looks, and the piece of the top
    // strip that the path line's row repeats.
    const RECT area = field;
    dib::fill_solid_rect(png->get_memdc(), &area, field_colour);
    if (first_image && first_image->get_memdc()) first_image->draw_trans(png->get_memdc(), 0, 670, kKey);
    if (second_image && second_image->get_memdc()) second_image->draw_trans(png->get_memdc(), 0, 690, kKey);
    BitBlt(png->get_memdc(), 169, 53, 21, 11, png->get_memdc(), 139, 53, SRCCOPY);

    const POINT origin = {0, 0};
    const RECT whole = face;
    _region* region = skin_->add_region(&origin, &whole, png);
    for (const piece_def& d : pieces) {
        auto piece = std::make_unique<_resize_region>();
        piece->kind = d.kind;
        piece->placement = d.rect;
        piece->source = d.rect;
        piece->grip = d.grip;
        skin_->add_resize_region(piece.get());
        pieces_.push_back(std::move(piece));
    }
    skin_->create_resize_skin(kKey, &whole, nullptr);
    base_rect_ = skin_->base_size();

    for (const button_def& d : buttons) {
        if (d.needs == 1 && !first_image) continue;
        if (d.needs == 2 && !second_image) continue;
        skin_->add_control(region, make_button(d));
        if (!d.shown) skin_->set_visible(d.id, false);
    }
    cut_images(*png);
    skin_->delete_backup_image();
    return skin_.get();
}

void library_skin::cut_images(const dib& png) {
    for (const library_image_cut& c : library_image_table()) {
        std::unique_ptr<dib>& slot = images_[c.key];
        if (!slot) slot = std::make_unique<dib>();
        slot->create_from_part(png, c.x, c.y, c.w, c.h);
    }
    hthumb_.create_from_part(png, 263, 645, 53, 9);
    vthumb_.create_from_part(png, 253, 645, 9, 53);
    hplus_.create_from_part(png, 293, 656, 9, 9);
    vplus_.create_from_part(png, 273, 656, 9, 9);
    hminus_.create_from_part(png, 283, 656, 9, 9);
    vminus_.create_from_part(png, 263, 656, 9, 9);
    make_scroll_channels(hchannel_, vchannel_);
}

void library_skin::release() {
    if (skin_) {
        skin_->unsubclass();
        skin_.reset();
    }
    pieces_.clear();
}

dib* library_skin::image(int key) const {
    auto it = images_.find(key);
    return it == images_.end() ? nullptr : it->second.get();
}

library_scroll_images library_skin::hscroll_images() { return {&hchannel_, &hthumb_, &hminus_, &hplus_}; }

library_scroll_images library_skin::vscroll_images() { return {&vchannel_, &vthumb_, &vminus_, &vplus_}; }
