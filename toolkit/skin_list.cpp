// skin: the item list (items of type 4 that behave like radio buttons, with
// one or two lines of text) and the detail group of statics and controls.
#include "skin.h"
#include "skin_parts.h"

using namespace skin_parts;

namespace {
const UINT kLine = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
}

void skin::draw_item_caption(skin_list_item* item, bool hot) {
    if (!item->first_line[0] || !back_.get_memdc()) return;
    const COLORREF colour = item->checked ? item->checked_colour : (hot ? item->hot_colour : item->normal_colour);
    RECT area = item->draw_rect;
    InflateRect(&area, -item->left_margin, -item->top_margin);
    if (width(area) <= 0 || height(area) <= 0) return;
    auto line = [&](const wchar_t* text, const RECT& r, UINT format) {
        dib box;
        if (!box.create(width(r), height(r), 24)) return;
        box.draw_text(back_.get_memdc(), r.left, r.top, text, colour, item->face,
                      static_cast<unsigned>(item->point_size), item->bold, false, false, false, format, key_colour,
                      true);
    };
    if (!item->second_line[0]) {
        line(item->first_line, area, DT_LEFT | kLine);
    } else {
        const int half = height(area) / 2;
        line(item->first_line, {area.left, area.top, area.right, area.top + half}, DT_LEFT | kLine);
        line(item->second_line, {area.left, area.top + half, area.right, area.bottom}, DT_RIGHT | kLine);
    }
    invalidate(item->draw_rect);
}

void skin::set_check(skin_list_item* item, bool checked) {
    if (!list_ || !item) return;
    if (given(item->pressed_src)) {
        if (checked)
            draw_look(item, item->pressed);
        else
            draw_look(item, given(item->normal_src) ? item->normal : item->background);
    }
    item->checked = checked;
    draw_item_caption(item, item == hot_ || item->hot);
}

void skin::check_list_item(skin_list_item* item) {
    if (!list_) return;
    for (skin_list_item* other : list_->items)
        if (other && other != item && other->checked) set_check(other, false);
    set_check(item, true);
}

void skin::refresh_list_control() {
    if (!list_) return;
    for (skin_list_item* item : list_->items)
        if (item) set_check(item, item->checked);
}

void skin::draw_list_item(skin_list_item* item, bool visible) {
    if (!given(item->normal_src)) return;
    item->visible = visible;
    if (!visible) {
        draw_look(item, item->background);
        return;
    }
    draw_look(item, item->checked && given(item->pressed_src) ? item->pressed : item->normal);
    draw_item_caption(item, item->hot);
}

void skin::set_list_visible(bool visible) {
    if (!list_) return;
    for (skin_list_item* item : list_->items)
        if (item) draw_list_item(item, visible);
    list_->visible = visible;
}

void skin::set_list_item_visible(skin_list_item* item, bool visible) {
    if (item) draw_list_item(item, visible);
}

void skin::refresh_list_detail() {
    if (!detail_) return;
    for (skin_static* s : detail_->statics) refresh_static(static_cast<unsigned>(s->id));
    for (skin_control* c : detail_->controls) refresh_control(static_cast<unsigned>(c->id));
}

void skin::set_list_detail_visible(bool visible) {
    if (!detail_) return;
    for (skin_static* s : detail_->statics) set_static_visible(static_cast<unsigned>(s->id), visible);
    for (skin_control* c : detail_->controls) set_visible(static_cast<unsigned>(c->id), visible);
    detail_->visible = visible;
}
