// skin: the control list (kept in order of the hit centres' distance from the
// window's top-left corner), the looks drawn into the back buffer, and the
// controls' tools in the tooltip window.
#include <algorithm>
#include <cmath>

#include "core.h"
#include "skin.h"
#include "skin_parts.h"

using namespace skin_parts;

namespace {
double distance(const skin_control* c) {
    const int x = c->hit_rect.left + width(c->hit_rect) / 2;
    const int y = c->hit_rect.top + height(c->hit_rect) / 2;
    return std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y);
}

skin_button* as_button(skin_control* c) { return c && !c->is_slider() ? dynamic_cast<skin_button*>(c) : nullptr; }

UINT caption_format(int align) {
    switch (align) {
    case 0:
        return DT_NOPREFIX;
    case 1:
        return DT_CENTER | DT_NOPREFIX;
    default:
        return DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
    }
}
}  // namespace

bool skin::control_comp(const skin_control* a, const skin_control* b) { return distance(a) < distance(b); }

// --- drawing ---

void skin::invalidate(const RECT& r) {
    if (hwnd_) InvalidateRect(hwnd_, &r, FALSE);
}

void skin::draw_image(dib& image, const RECT& at) {
    if (!image.get_memdc() || !back_.get_memdc()) return;
    image.transparent_blt(back_.get_memdc(), at.left, at.top, image.get_width(), image.get_height(), 0, 0,
                          key_colour);
}

void skin::draw_look(skin_control* c, dib& image) {
    if (c->is_bar()) {
        if (image.get_memdc())
            image.draw_tile(back_.get_memdc(), c->draw_rect.left, c->draw_rect.top, width(c->draw_rect),
                            height(c->draw_rect));
    } else {
        draw_image(image, c->draw_rect);
    }
    invalidate(c->draw_rect);
}

void skin::draw_rest_look(skin_control* c) {
    if (!c->visible) {
        draw_look(c, c->background);
        return;
    }
    if (c->is_slider()) {
        draw_slider(static_cast<skin_scroll*>(c));
        return;
    }
    skin_button* b = as_button(c);
    if (!c->enabled && given(c->disabled_src))
        draw_look(c, c->disabled);
    else if (b && b->checked && given(b->pressed_src))
        draw_look(c, b->pressed);
    else
        draw_look(c, c->normal);
    draw_caption(c);
}

void skin::draw_caption(skin_control* c) {
    if (c->type == skin_control::type_list_item) {
        draw_item_caption(static_cast<skin_list_item*>(c), c->hot);
        return;
    }
    skin_button* b = as_button(c);
    if (!b || b->type != skin_control::type_button || !b->caption[0]) return;
    dib box;
    if (!box.create(width(c->draw_rect), height(c->draw_rect), 24)) return;
    box.draw_text(back_.get_memdc(), c->draw_rect.left, c->draw_rect.top, b->caption, b->text_colour, b->face,
                  static_cast<unsigned>(b->point_size), b->bold, false, false, false, caption_format(b->align),
                  key_colour, true);
    invalidate(c->draw_rect);
}

// --- tools ---

bool skin::find_tool(unsigned int id, wchar_t* text) {
    if (!tooltip_ || !hwnd_) return false;
    text[0] = 0;
    TOOLINFOW probe = {};
    probe.cbSize = TTTOOLINFOW_V1_SIZE;
    probe.hwnd = hwnd_;
    probe.uId = id;
    probe.lpszText = text;
    return SendMessageW(tooltip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&probe)) != 0;
}

void skin::add_tool(unsigned int id, const RECT& r, wchar_t* text) {
    if (!tooltip_ || !hwnd_) return;
    // A tool that is there already is updated: adding it again would make a
    // second tool of the same id.
    wchar_t current[1024];
    const bool exists = find_tool(id, current);
    tool_.uFlags = 0;
    tool_.hwnd = hwnd_;
    tool_.uId = id;
    tool_.rect = r;
    tool_.hinst = core::get_instance();
    tool_.lpszText = text;
    SendMessageW(tooltip_, exists ? TTM_SETTOOLINFOW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool_));
}

void skin::delete_tool(unsigned int id) {
    if (!tooltip_ || !hwnd_) return;
    tool_.hwnd = hwnd_;
    tool_.uId = id;
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool_));
}

void skin::update_tool_rect(skin_control* c) {
    if (!tooltip_ || !c->tooltip[0] || !c->visible || !c->enabled) return;
    tool_.uFlags = 0;
    tool_.hwnd = hwnd_;
    tool_.uId = static_cast<UINT_PTR>(c->id);
    tool_.rect = c->hit_rect;
    tool_.hinst = core::get_instance();
    tool_.lpszText = c->tooltip;
    SendMessageW(tooltip_, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool_));
}

void skin::set_hand_cursor(bool on) {
    if (on) {
        hand_cursor_ = LoadCursorW(nullptr, IDC_HAND);
        SetCursor(hand_cursor_);
    } else {
        hand_cursor_ = nullptr;  // a shared system cursor: not destroyed
    }
}

// --- the list ---

void skin::add_control(_region* region, skin_control* c) {
    if (!c) return;
    const dib* image = region ? region->image : nullptr;
    const POINT at = region ? region->position : POINT{0, 0};
    cut(c->background, image, c->draw_rect);
    if (c->is_slider()) {
        skin_scroll* s = static_cast<skin_scroll*>(c);
        s->initial_hit = s->hit_rect;
        if (s->quiet) {
            RECT larger = s->hit_rect;
            larger.right += 3;
            larger.bottom += 3;
            cut(s->track, image, larger);
        } else if (given(s->tile_src)) {
            cut(s->tile, image, s->tile_src);
            s->track.clear();
            if (s->track.create(width(s->hit_rect), height(s->hit_rect), 24)) {
                s->tile.draw_tile(s->track.get_memdc(), 0, 0, width(s->hit_rect), height(s->hit_rect));
                s->track.draw(back_.get_memdc(), s->hit_rect.left + at.x, s->hit_rect.top + at.y);
            }
        } else {
            cut(s->track, image, s->hit_rect);
        }
    }
    if (given(c->normal_src)) cut(c->normal, image, c->normal_src);
    if (given(c->disabled_src)) cut(c->disabled, image, c->disabled_src);
    if (given(c->hover_src)) cut(c->hover, image, c->hover_src);
    if (skin_button* b = as_button(c)) {
        if ((c->type == skin_control::type_button || c->type == skin_control::type_list_item) &&
            given(b->pressed_src))
            cut(b->pressed, image, b->pressed_src);
    }
    OffsetRect(&c->hit_rect, at.x, at.y);
    OffsetRect(&c->draw_rect, at.x, at.y);

    if (c->tooltip[0] && c->visible && c->enabled) add_tool(static_cast<unsigned>(c->id), c->hit_rect, c->tooltip);
    if (given(c->normal_src) && c->visible) {
        if (c->is_bar()) {
            draw_look(c, c->normal);
        } else {
            draw_look(c, c->enabled ? c->normal : c->disabled);
            draw_caption(c);
        }
    }
    c->initial_draw = c->draw_rect;
    c->initial_hit = c->hit_rect;
    if (c->is_slider()) static_cast<skin_scroll*>(c)->initial_fill = static_cast<skin_scroll*>(c)->fill_rect;

    auto_sync lock(controls_lock_);
    controls_.insert(std::upper_bound(controls_.begin(), controls_.end(), c, control_comp), c);
}

bool skin::delete_control(skin_control* c) {
    auto_sync lock(controls_lock_);
    // Controls at the same distance keep their order: look through the whole
    // run of them, not only its first slot.
    auto it = std::lower_bound(controls_.begin(), controls_.end(), c, control_comp);
    for (; it != controls_.end() && !control_comp(c, *it); ++it) {
        if (*it != c) continue;
        controls_.erase(it);
        if (hot_ == c) hot_ = nullptr;
        if (dragged_ == c) dragged_ = nullptr;
        return true;
    }
    return false;
}

void skin::clear_control() {
    {
        auto_sync lock(controls_lock_);
        for (skin_control* c : controls_) delete c;
        controls_.clear();
        hot_ = nullptr;
        dragged_ = nullptr;
        repeat_control_ = nullptr;
    }
    auto_sync lock(statics_lock_);
    for (skin_static* s : statics_) delete s;
    statics_.clear();
}

skin_control* skin::find_control(POINT point) {
    auto_sync lock(controls_lock_);
    for (skin_control* c : controls_)
        if (c->visible && contains(c->hit_rect, point)) return c;
    return nullptr;
}

skin_control* skin::get_control(unsigned int id) {
    auto_sync lock(controls_lock_);
    for (skin_control* c : controls_)
        if (static_cast<unsigned>(c->id) == id) return c;
    return nullptr;
}

void skin::set_visible(unsigned int id, bool visible) {
    skin_control* c = get_control(id);
    if (!c || !given(c->normal_src)) return;
    c->visible = visible;
    if (visible) {
        draw_rest_look(c);
        if (c->tooltip[0] && c->enabled) add_tool(id, c->hit_rect, c->tooltip);
    } else {
        draw_look(c, c->background);
        delete_tool(id);
        if (hot_ == c) {
            c->hot = false;
            hot_ = nullptr;
        }
    }
}

void skin::refresh_control(unsigned int id) {
    skin_control* c = get_control(id);
    if (c) set_visible(id, c->visible);
}

void skin::refresh() {
    auto_sync lock(controls_lock_);
    if (!hot_) return;
    const bool hot = hot_->hot;
    hot_->hot = false;
    draw_rest_look(hot_);
    hot_->hot = hot;
}

void skin::set_check(unsigned int id, bool checked) {
    skin_button* b = nullptr;
    {
        auto_sync lock(controls_lock_);
        for (skin_control* c : controls_)
            if (static_cast<unsigned>(c->id) == id &&
                (c->type == skin_control::type_button || c->type == skin_control::type_list_item) &&
                (b = as_button(c)))
                break;
    }
    if (!b || !given(b->pressed_src)) return;
    if (checked)
        draw_look(b, b->pressed);
    else
        draw_look(b, given(b->normal_src) ? b->normal : b->background);
    b->checked = checked;
    draw_caption(b);
}

void skin::set_enable(unsigned int id, bool enabled) {
    skin_control* c = get_control(id);
    if (!c || c->enabled == enabled) return;
    c->enabled = enabled;
    if (enabled && c->visible && c->tooltip[0])
        add_tool(id, c->hit_rect, c->tooltip);
    else if (!enabled)
        delete_tool(id);
    // A hidden control stays hidden.
    if (!given(c->disabled_src) || !c->visible) return;
    if (!enabled) {
        draw_look(c, c->disabled);
        draw_caption(c);
    } else if (given(c->normal_src)) {
        draw_rest_look(c);
    } else {
        draw_look(c, c->background);
    }
}
