// skin: resizable skins. The window is a grid of pieces cut from the first
// region's image: fixed corners and pieces that move, edge strips and the
// centre that are tiled to the new size. Grips on the pieces start a resize
// drag, whose outline is drawn on the screen until the release.
#include <algorithm>

#include "skin.h"
#include "skin_parts.h"

using namespace skin_parts;

namespace {
enum {
    top_left = 0,
    top = 1,
    top_right = 2,
    left = 3,
    centre = 4,
    right = 5,
    bottom_left = 6,
    bottom = 7,
    bottom_right = 8,
    top_fixed = 9,
    centre_fixed = 12,
    bottom_fixed = 13,
};

bool has_grip_kind(int kind) { return kind >= top_left && kind <= bottom_right && kind != centre; }

LPCWSTR grip_cursor(int kind) {
    switch (kind) {
    case top_left:
    case bottom_right:
        return IDC_SIZENWSE;
    case top_right:
    case bottom_left:
        return IDC_SIZENESW;
    case top:
    case bottom:
        return IDC_SIZENS;
    default:
        return IDC_SIZEWE;
    }
}
}  // namespace

void skin::add_resize_region(_resize_region* piece) {
    if (!piece) return;
    piece->initial_grip = piece->grip;
    piece->initial_placement = piece->placement;
    cut(piece->image, regions_.empty() ? nullptr : regions_.front()->image, piece->source);
    pieces_.push_back(piece);
}

void skin::add_resize_region_ex(_resize_region* piece) {
    if (!piece) return;
    piece->initial_grip = piece->grip;
    piece->initial_placement = piece->placement;
    const dib* image = regions_.empty() ? nullptr : regions_.front()->image;
    const RECT& first = piece->source;
    const RECT& second = piece->second_source;
    const int w = piece->second_position.x + width(second) - first.left;
    const int h = piece->second_position.y + height(second) - first.top;
    piece->image.clear();
    if (image && w > 0 && h > 0 && piece->image.create(w, h, 24)) {
        RECT all = {0, 0, w, h};
        dib::fill_solid_rect(piece->image.get_memdc(), &all, key_colour);
        dib part;
        cut(part, image, first);
        part.transparent_blt(piece->image.get_memdc(), 0, 0, width(first), height(first), 0, 0, key_colour);
        cut(part, image, second);
        part.transparent_blt(piece->image.get_memdc(), piece->second_position.x - first.left,
                             piece->second_position.y - first.top, width(second), height(second), 0, 0,
                             key_colour);
    }
    pieces_.push_back(piece);
}

void skin::create_resize_skin(COLORREF key, const RECT* size, const RECT* keep_size) {
    key_ = key;
    base_size_ = size ? *size : RECT{};
    if (!back_.create(std::max(width(base_size_), 1), std::max(height(base_size_), 1), 24)) return;
    RECT all = {0, 0, back_.get_width(), back_.get_height()};
    dib::fill_solid_rect(back_.get_memdc(), &all, key_);
    for (_resize_region* piece : pieces_)
        piece->image.transparent_blt(back_.get_memdc(), piece->placement.left, piece->placement.top,
                                     width(piece->placement), height(piece->placement), 0, 0, key_);
    build_window_region(keep_size == nullptr);
}

void skin::move_piece_controls(const RECT& piece, int dx, int dy) {
    for (skin_control* c : controls_) {
        const POINT centre_point = {c->initial_draw.left + width(c->initial_draw) / 2,
                                    c->initial_draw.top + height(c->initial_draw) / 2};
        if (!contains(piece, centre_point)) continue;
        c->draw_rect = moved(c->initial_draw, dx, dy);
        c->hit_rect = moved(c->initial_hit, dx, dy);
        if (c->is_slider()) {
            // The fill follows the hit rectangle along the slider and moves
            // with the control across it.
            skin_scroll* s = static_cast<skin_scroll*>(c);
            s->fill_rect = moved(s->initial_fill, dx, dy);
            if (c->type == skin_control::type_hslider) {
                s->fill_rect.left = c->hit_rect.left + 1;
                s->fill_rect.right = c->hit_rect.right - 1;
            } else {
                s->fill_rect.top = c->hit_rect.top + 1;
                s->fill_rect.bottom = c->hit_rect.bottom - 1;
            }
        }
        update_tool_rect(c);
    }
}

void skin::refresh_resize_skin(const RECT* new_rect, int invalidate_all) {
    auto_sync lock(controls_lock_);
    const RECT requested = new_rect ? *new_rect : base_size_;
    const int w = std::max(width(requested), width(base_size_));
    const int h = std::max(height(requested), height(base_size_));
    const int dx = w - width(base_size_);
    const int dy = h - height(base_size_);
    const int n = static_cast<int>(
        std::count_if(pieces_.begin(), pieces_.end(), [](const _resize_region* p) { return p->kind == top; }));
    // A layout without a top strip shares nothing out.
    const int s = n ? dx / n : 0;

    if (!back_.create(std::max(w, 1), std::max(h, 1), 24)) return;
    RECT all = {0, 0, w, h};
    dib::fill_solid_rect(back_.get_memdc(), &all, key_);

    bool after_top_fixed = false, after_centre_fixed = false, after_bottom_fixed = false;
    // The share of a strip: s, or, after a fixed piece of its row, the rest
    // of the extra width behind a shift of s.
    auto share = [&](RECT& r, bool after_fixed) {
        if (after_fixed) {
            OffsetRect(&r, s, 0);
            r.right += dx - s;
        } else {
            r.right += s;
        }
    };
    for (_resize_region* piece : pieces_) {
        piece->grip = piece->initial_grip;
        RECT r = piece->initial_placement;
        RECT& grip = piece->grip;
        const bool has_grip = given(grip);
        switch (piece->kind) {
        case top:
            share(r, after_top_fixed);
            if (has_grip) grip.right += dx;
            break;
        case top_right:
            OffsetRect(&r, dx, 0);
            OffsetRect(&grip, dx, 0);
            move_piece_controls(piece->initial_placement, dx, 0);
            break;
        case left:
            r.bottom += dy;
            grip.bottom += dy;
            break;
        case centre:
            share(r, after_centre_fixed);
            r.bottom += dy;
            break;
        case right:
            OffsetRect(&r, dx, 0);
            r.bottom += dy;
            OffsetRect(&grip, dx, 0);
            grip.bottom += dy;
            break;
        case bottom_left:
            OffsetRect(&r, 0, dy);
            OffsetRect(&grip, 0, dy);
            move_piece_controls(piece->initial_placement, 0, dy);
            break;
        case bottom:
            OffsetRect(&r, 0, dy);
            OffsetRect(&grip, 0, dy);
            if (has_grip) grip.right += dx;
            share(r, after_bottom_fixed);
            break;
        case bottom_right:
            OffsetRect(&r, dx, dy);
            OffsetRect(&grip, dx, dy);
            move_piece_controls(piece->initial_placement, dx, dy);
            break;
        case top_fixed:
            OffsetRect(&r, s, 0);
            move_piece_controls(piece->initial_placement, s, 0);
            after_top_fixed = true;
            break;
        case centre_fixed:
            OffsetRect(&r, s, 0);
            r.bottom += dy;
            after_centre_fixed = true;
            break;
        case bottom_fixed:
            OffsetRect(&r, s, dy);
            move_piece_controls(piece->initial_placement, s, dy);
            after_bottom_fixed = true;
            break;
        default:  // the top-left corner and unknown kinds stay
            break;
        }
        piece->placement = r;
        if (width(r) > 0 && height(r) > 0) {
            dib tiled;
            if (tiled.create(width(r), height(r), 24)) {
                piece->image.draw_tile(tiled.get_memdc(), 0, 0, width(r), height(r));
                BitBlt(back_.get_memdc(), r.left, r.top, width(r), height(r), tiled.get_memdc(), 0, 0, SRCCOPY);
            }
        }
    }

    build_window_region(true);
    if (invalidate_all && hwnd_) InvalidateRgn(hwnd_, nullptr, FALSE);

    // Every control shows its resting look again; a slider's thumb keeps its
    // position. Statics are the window's to redraw.
    for (skin_control* c : controls_) {
        if (!c->visible || c->is_bar() || !given(c->normal_src)) continue;
        if (c->is_slider()) {
            draw_slider(static_cast<skin_scroll*>(c));
            continue;
        }
        draw_image(c->enabled ? c->normal : c->disabled, c->draw_rect);
        draw_caption(c);
        invalidate(c->draw_rect);
    }
}

// --- the resize drag ---

_resize_region* skin::grip_at(POINT point) const {
    for (_resize_region* piece : pieces_)
        if (has_grip_kind(piece->kind) && contains(piece->grip, point)) return piece;
    return nullptr;
}

void skin::set_grip_edges(const _resize_region* piece) {
    const int k = piece->kind;
    edge_left_ = k == top_left || k == left || k == bottom_left;
    edge_top_ = k == top_left || k == top || k == top_right;
    edge_right_ = k == top_right || k == right || k == bottom_right;
    edge_bottom_ = k == bottom_left || k == bottom || k == bottom_right;
    SetCursor(LoadCursorW(nullptr, grip_cursor(k)));
}

void skin::start_resize(const _resize_region* piece) {
    set_grip_edges(piece);
    resizing_ = true;
    SetCapture(hwnd_);
    GetWindowRect(hwnd_, &outline_);
    draw_outline(&outline_);
}

void skin::draw_outline(const RECT* outline) {
    HDC screen = GetDC(nullptr);
    if (!screen) return;
    if (outline_drawn_) DrawFocusRect(screen, &drawn_outline_);  // erases the last one
    outline_drawn_ = outline != nullptr;
    if (outline) {
        drawn_outline_ = *outline;
        DrawFocusRect(screen, &drawn_outline_);
    }
    ReleaseDC(nullptr, screen);
}

void skin::resize_move(int x, int y) {
    RECT w;
    GetWindowRect(hwnd_, &w);
    const int min_width = width(base_size_);
    const int min_height = height(base_size_);
    RECT o = w;
    if (edge_left_) o.left = std::min<LONG>(w.left + x, w.right - min_width);
    if (edge_top_) o.top = std::min<LONG>(w.top + y, w.bottom - min_height);
    if (edge_right_) o.right = x > min_width ? w.left + x : o.left + min_width;
    if (edge_bottom_) o.bottom = y > min_height ? w.top + y : o.top + min_height;
    outline_ = o;
    draw_outline(&outline_);
}

void skin::end_resize() {
    resizing_ = false;  // first: releasing the capture must not cancel it
    if (GetCapture() == hwnd_) ReleaseCapture();
    draw_outline(nullptr);
    const RECT o = outline_;
    MoveWindow(hwnd_, o.left, o.top, width(o), height(o), TRUE);
    refresh_resize_skin(&o, TRUE);
    const WPARAM w = static_cast<WPARAM>(back_width_);
    const LPARAM h = static_cast<LPARAM>(back_height_);
    SendMessageW(hwnd_, msg_skin_resized, w, h);
    if (owner_) SendMessageW(owner_, msg_skin_resized, w, h);
}

void skin::cancel_resize() {
    resizing_ = false;
    draw_outline(nullptr);
}
