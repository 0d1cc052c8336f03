// skin: mouse input. Grips start a resize drag, sliders a thumb drag,
// auto-repeat buttons a repeat loop; a release over a control is a click;
// a press on no control starts the window's move; moves bring the hover
// looks up to date.
#include "skin.h"
#include "skin_parts.h"

using namespace skin_parts;

namespace {
skin_button* as_button(skin_control* c) { return c && !c->is_slider() ? dynamic_cast<skin_button*>(c) : nullptr; }

bool is_push_button(const skin_control* c) { return c && c->type == skin_control::type_button; }
}  // namespace

void skin::on_mouse_move(WPARAM flags, POINT p) {
    if (resizing_) {
        resize_move(p.x, p.y);  // signed: the pointer may be left of or above the window
        return;
    }
    if (resizable_ && !ui_expanded()) {
        if (_resize_region* piece = grip_at(p)) {
            set_grip_edges(piece);
            return;
        }
    }
    if (repeating_) return;
    if (dragged_) {
        // Left of or above the window while captured: the edge.
        POINT q = {static_cast<LONG>(static_cast<WORD>(p.x)), static_cast<LONG>(static_cast<WORD>(p.y))};
        if (q.x > 0x7FFF) q.x = 0;
        if (q.y > 0x7FFF) q.y = 0;
        set_hand_cursor(true);
        drag_slider(dragged_, q);
        return;
    }
    hover(p);
    if (hwnd_ && GetCapture() == hwnd_ && !(press_flags_ & 1)) ReleaseCapture();
}

void skin::hover(POINT p) {
    auto_sync lock(controls_lock_);
    skin_control* c = find_control(p);
    if (c) {
        set_hand_cursor(true);
        if (c != hot_) {
            skin_button* b = as_button(c);
            if (!c->enabled) {
                draw_look(c, c->disabled);
            } else if (c->is_slider()) {
                draw_look(c, c->normal);
            } else if (b && b->checked) {
                draw_look(c, b->pressed);
            } else {
                c->hot = true;
                draw_look(c, c->hover);
            }
            draw_caption(c);
        }
        skin_button* b = as_button(c);
        const bool checked = b && b->checked;
        if (!checked) {
            for (skin_control* other : controls_) {
                if (other == c || !other->visible || !other->hot || !is_push_button(other)) continue;
                other->hot = false;
                draw_rest_look(other);
            }
        } else if (c->visible && is_push_button(c)) {
            c->hot = false;
            draw_look(c, b->pressed);
            draw_caption(c);
        }
    } else if (hot_) {
        hot_->hot = false;
        draw_rest_look(hot_);
    }
    hot_ = c;
}

void skin::on_lbutton_down(WPARAM flags, POINT p) {
    if (resizable_ && !ui_expanded()) {
        if (_resize_region* piece = grip_at(p)) {
            start_resize(piece);
            return;
        }
    }
    controls_lock_.enter();
    for (skin_control* c : controls_) {
        if (!c->visible || !contains(c->hit_rect, p)) continue;
        skin_button* b = as_button(c);
        if (c->enabled && c->is_slider()) {
            start_slider_drag(static_cast<skin_scroll*>(c), p);
        } else if (c->enabled && is_push_button(c) && b->auto_repeat) {
            // The loop dispatches messages for as long as the button is
            // held; the control list is not walked any more after it.
            controls_lock_.leave();
            auto_repeat(b);
            return;
        } else if (c->enabled && (is_push_button(c) || c->type == skin_control::type_list_item)) {
            if (is_push_button(c) && b->release_command) {
                set_hand_cursor(true);
                PostMessageW(hwnd_, WM_COMMAND, LOWORD(c->id), -1);
            }
            if (c->type == skin_control::type_list_item) {
                draw_item_caption(static_cast<skin_list_item*>(c), true);
            } else if (given(b->pressed_src)) {
                draw_look(c, b->pressed);
                draw_caption(c);
            }
        }
        set_hand_cursor(true);
        controls_lock_.leave();
        return;
    }
    controls_lock_.leave();
    start_window_move();
}

void skin::auto_repeat(skin_button* button) {
    // The command repeats every 100 ms until the button-up ends the press.
    // A capture taken by another window, or a quit message, ends it as well
    // (the quit message is posted again for the outer loop), so that a lost
    // button-up cannot leave the loop running.
    const std::shared_ptr<bool> alive = alive_;
    const HWND hwnd = hwnd_;
    const WORD command = LOWORD(button->id);
    repeating_ = true;
    repeat_control_ = button;
    SetCapture(hwnd);
    bool quit = false;
    WPARAM quit_code = 0;
    auto going_on = [&]() { return *alive && repeating_ && IsWindow(hwnd) && GetCapture() == hwnd && !quit; };
    while (going_on()) {
        PostMessageW(hwnd, WM_COMMAND, command, -1);
        set_hand_cursor(true);
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (going_on() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    quit = true;
                    quit_code = msg.wParam;
                    break;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            const DWORD spent = GetTickCount() - start;
            if (!going_on() || spent >= 100) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100 - spent, QS_ALLINPUT);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quit_code));
    if (!*alive) return;
    if (repeating_) {  // ended other than by the button-up
        repeating_ = false;
        repeat_control_ = nullptr;
        if (IsWindow(hwnd) && GetCapture() == hwnd) ReleaseCapture();
        set_hand_cursor(false);
    }
}

void skin::on_lbutton_up(WPARAM flags, POINT p) {
    if (resizing_) {
        end_resize();
        return;
    }
    auto_sync lock(controls_lock_);
    if (repeating_) {
        repeating_ = false;
        repeat_control_ = nullptr;
        if (GetCapture() == hwnd_) ReleaseCapture();
        set_hand_cursor(false);
        return;
    }
    if (dragged_) {
        end_slider_drag(true);
        return;
    }
    click(flags, p);
}

void skin::click(WPARAM flags, POINT p) {
    // Brings the hover looks up to date after the click's effects.
    RECT client = {};
    GetClientRect(hwnd_, &client);
    PostMessageW(hwnd_, WM_MOUSEMOVE, flags, MAKELPARAM(client.right / 2, client.bottom / 2));
    for (skin_control* c : controls_) {
        if (!c->visible || !c->enabled || !contains(c->hit_rect, p)) continue;
        skin_button* b = as_button(c);
        if (is_push_button(c) && !b->auto_repeat)
            PostMessageW(hwnd_, WM_COMMAND, LOWORD(b->release_command ? b->release_command : c->id), -1);
        if (c->type == skin_control::type_list_item) check_list_item(static_cast<skin_list_item*>(c));
        if (is_push_button(c) && given(b->pressed_src)) {
            const bool lit = given(c->hover_src);
            draw_look(c, lit ? c->hover : c->normal);
            draw_caption(c);
            // The lit button is the hot one, so that the pointer leaving it
            // puts it out even when an activation between the press and the
            // release forgot the hot control.
            if (lit) {
                if (hot_ && hot_ != c) {
                    hot_->hot = false;
                    draw_rest_look(hot_);
                }
                c->hot = true;
                hot_ = c;
            }
        }
        set_hand_cursor(true);
        return;
    }
    press_flags_ &= ~1;
}

void skin::on_capture_changed(HWND) {
    // Another window took the mouse: whatever drag was under way ends.
    if (repeating_) {
        repeating_ = false;
        repeat_control_ = nullptr;
        set_hand_cursor(false);
    }
    if (dragged_) end_slider_drag(true);
    if (resizing_) cancel_resize();
}
