// The announcement window's skin: see info_window_skin.h. The places of the
// looks in the image are those of skins/info_window.toml.
#include "info_window_skin.h"

#include "dib.h"
#include "skin.h"
#include "skin_control.h"
#include "skin_static.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255);
const RECT kFace = {0, 0, 320, 100};
const wchar_t kFont[] = L"돋움";
const int kPoints = 9;

const info_window_colours colours[] = {
    {173, 0x866F45, 0x917445, 0x9C6915}, {171, 0x315083, 0x233F72, 0x06204E},
    {170, 0x5C2982, 0x70368E, 0x280739}, {169, 0x2416D8, 0x2929F3, 0x121280},
    {174, 0x083621, 0x22734F, 0x02110A}, {172, 0x6B332E, 0xB92D1B, 0x45120B},
    {168, 0x656565, 0x343434, 0x000000},
};
const COLORREF kLinkedVolume = 0x808080;

struct button_def {
    unsigned id;
    const wchar_t* label;
    RECT draw, normal, hover, pressed, disabled;
};

const button_def kClose = {info_window_ids::close, L"닫기", {299, 6, 312, 18}, {0, 102, 13, 114},
                           {14, 102, 27, 114}, {28, 102, 41, 114}, {}};
const button_def kStop = {info_window_ids::stop, L"정지", {257, 36, 299, 78}, {0, 116, 42, 158},
                          {43, 116, 85, 158}, {86, 116, 128, 158}, {129, 116, 171, 158}};
// The mute check's looks: its pressed look is the checked one. While the
// volumes are linked the check is disabled and shows the linked looks
// (unchecked and checked) instead.
const button_def kMute = {info_window_ids::mute, L"음소거", {300, 77, 307, 84}, {44, 102, 51, 109},
                          {52, 102, 59, 109}, {60, 102, 67, 109}, {}};
const button_def kMuteLinked = {info_window_ids::mute, L"음소거", {300, 77, 307, 84}, {84, 102, 91, 109},
                                {84, 102, 91, 109}, {76, 102, 83, 109}, {}};

skin_button* make_button(const button_def& d) {
    skin_button* b = new skin_button;
    b->id = static_cast<int>(d.id);
    skin_copy_text(b->tooltip, d.label);
    b->draw_rect = d.draw;
    b->hit_rect = d.draw;
    b->normal_src = d.normal;
    b->hover_src = d.hover;
    b->pressed_src = d.pressed;
    b->disabled_src = d.disabled;
    return b;
}

skin_scroll* make_progress(COLORREF colour) {
    skin_scroll* s = new skin_scroll;
    s->type = skin_control::type_hslider;
    s->id = static_cast<int>(info_window_ids::progress);
    skin_copy_text(s->tooltip, L"진행 시간");
    s->hit_rect = {20, 66, 171, 74};
    s->draw_rect = {20, 66, 28, 74};
    s->normal_src = {92, 102, 100, 110};
    s->hover_src = {101, 102, 109, 110};
    s->disabled_src = {110, 102, 118, 110};
    s->min = 0;
    s->max = 1000;
    s->fill_colour = colour;
    s->fill_rect = {20, 68, 170, 70};
    return s;
}

skin_scroll* make_volume(COLORREF colour) {
    skin_scroll* s = new skin_scroll;
    s->type = skin_control::type_vslider;
    s->id = static_cast<int>(info_window_ids::volume);
    skin_copy_text(s->tooltip, L"볼륨");
    s->hit_rect = {301, 40, 309, 75};
    s->draw_rect = {301, 40, 309, 46};
    s->normal_src = {119, 102, 127, 108};
    s->hover_src = {128, 102, 136, 108};
    s->forward = true;  // top = loud: the window sets 100 - volume
    s->min = 0;
    s->max = 100;
    s->fill_colour = colour;
    s->fill_rect = {303, 40, 305, 74};
    return s;
}

skin_static* make_text(unsigned id, RECT rect, int align, COLORREF colour, bool tooltip) {
    skin_static* s = new skin_static;
    s->type = skin_static::type_text;
    s->id = static_cast<int>(id);
    s->rect = rect;
    s->align = align;
    s->text_colour = colour;
    s->visible = true;
    s->tooltip_shown = tooltip;
    skin_copy_text(s->face, kFont);
    s->point_size = kPoints;
    return s;
}

}  // namespace

info_window_colours info_window_colours_of(int skin_number, bool linked) {
    info_window_colours c = colours[(skin_number >= 1 && skin_number <= 7) ? skin_number - 1 : 0];
    if (linked && (skin_number < 2 || skin_number > 7)) c.volume = kLinkedVolume;
    return c;
}

info_window_skin_builder::info_window_skin_builder() = default;

info_window_skin_builder::~info_window_skin_builder() { destroy(); }

skin* info_window_skin_builder::build(HWND window, int skin_number, bool linked) {
    destroy();
    const info_window_colours c = info_window_colours_of(skin_number, linked);
    skin_ = std::make_unique<skin>(0);
    skin_->subclassing(window);
    // The skin owns the image from add_region on.
    dib* image = skin::load_png_resource(L"PNG", c.png);
    if (!image) image = new dib;  // a missing image leaves the window without looks
    const POINT origin = {0, 0};
    _region* region = skin_->add_region(&origin, &kFace, image);
    skin_->create_skin(kKey, &kFace);

    skin_->add_control(region, make_button(kClose));
    skin_->add_control(region, make_button(kStop));
    skin_->add_control(region, make_button(linked ? kMuteLinked : kMute));
    skin_->add_control(region, make_progress(c.progress));
    skin_->add_control(region, make_volume(c.volume));
    skin_->add_static(region, make_text(info_window_ids::title, {20, 42, 252, 60}, 3, c.text, true));
    // The time's line is two pixels taller than the layout's 11, so that the
    // digits of the 9-point font are not cut at the bottom.
    skin_->add_static(region, make_text(info_window_ids::time, {172, 63, 250, 76}, 2, c.text, false));
    skin_->add_static(region, make_text(info_window_ids::volume_text, {150, 2, 240, 22}, 1, c.text, true));
    skin_->delete_backup_image();
    return skin_.get();
}

void info_window_skin_builder::destroy() {
    if (!skin_) return;
    if (skin_->is_attached()) skin_->unsubclass();
    skin_.reset();
}
