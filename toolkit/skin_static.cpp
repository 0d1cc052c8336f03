// skin: statics. Texts, framed boxes and pictures are drawn over the face
// they were cut from; progress bars fill a bar part and the rest and may show
// their value as a percentage.
#include <algorithm>
#include <cwchar>

#include "core.h"
#include "skin.h"
#include "skin_parts.h"
#include "utility.h"

using namespace skin_parts;

namespace {
UINT text_format(const skin_static* s) {
    if (s->type == skin_static::type_wrapped) {
        const UINT wrap = DT_WORDBREAK | DT_END_ELLIPSIS;
        return s->align == 0 ? wrap : (s->align == 1 ? wrap | DT_CENTER : wrap | DT_RIGHT);
    }
    const UINT line = DT_SINGLELINE | DT_END_ELLIPSIS;
    switch (s->align) {
    case 1:
        return line | DT_CENTER;
    case 2:
        return line | DT_RIGHT;
    case 3:
        return line | DT_VCENTER;
    default:
        return line;
    }
}

// The static's font in a DC; quality chosen by the caller. Rotated 90
// degrees counter-clockwise when vertical.
HFONT make_font(HDC dc, const skin_static* s, bool vertical, BYTE quality) {
    LOGFONTW lf = {};
    skin_copy_text(lf.lfFaceName, s->face);
    lf.lfHeight = -MulDiv(s->point_size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = s->bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = utility::get_default_logfont(nullptr)->lfCharSet;
    lf.lfQuality = quality;
    if (vertical) lf.lfEscapement = lf.lfOrientation = 900;
    return CreateFontIndirectW(&lf);
}

// The share of a progress bar's range that its value covers, 0 to 1. An
// empty range counts as nothing done.
double progress_fraction(const skin_progress* p) {
    if (p->max <= p->min) return 0.0;
    const double f = (static_cast<double>(p->value) - p->min) / (static_cast<double>(p->max) - p->min);
    return f < 0.0 ? 0.0 : (f > 1.0 ? 1.0 : f);
}

// Text centred on the image, inside clip only.
void draw_clipped_text(HDC dc, const wchar_t* text, const RECT& whole, const RECT& clip, COLORREF colour,
                       bool vertical) {
    if (clip.right <= clip.left || clip.bottom <= clip.top) return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    SetTextColor(dc, colour);
    if (!vertical) {
        RECT r = whole;
        DrawTextW(dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    } else {
        // Text running upwards: its extent lies along the image's height.
        SIZE size = {};
        GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        TextOutW(dc, (width(whole) - size.cy) / 2, (height(whole) + size.cx) / 2, text,
                 static_cast<int>(wcslen(text)));
    }
    RestoreDC(dc, saved);
}
}  // namespace

void skin::progress_text(const skin_progress* p, wchar_t* text, size_t size) {
    if (!text || !size) return;
    if (p->text[0]) {
        wcsncpy(text, p->text, size - 1);
    } else {
        _snwprintf(text, size - 1, L"%d%%", static_cast<int>(progress_fraction(p) * 100));
    }
    text[size - 1] = 0;
}

// --- the list ---

void skin::add_static(_region* region, skin_static* s) {
    if (!s) return;
    const POINT at = region ? region->position : POINT{0, 0};
    cut(s->background, region ? region->image : nullptr, s->rect);
    OffsetRect(&s->rect, at.x, at.y);
    draw_image(s->background, s->rect);
    invalidate(s->rect);
    if (s->is_progress()) {
        skin_progress* p = static_cast<skin_progress*>(s);
        if (given(p->tile_src)) cut(p->tile, region ? region->image : nullptr, p->tile_src);
    }
    if (s->visible) draw_static(s);
    show_static_tool(s);
    auto_sync lock(statics_lock_);
    statics_.push_back(s);
}

skin_static* skin::get_static(unsigned int id) {
    auto_sync lock(statics_lock_);
    for (skin_static* s : statics_)
        if (static_cast<unsigned>(s->id) == id) return s;
    return nullptr;
}

const wchar_t* skin::get_caption(unsigned int id) {
    skin_static* s = get_static(id);
    return s ? s->text : nullptr;
}

void skin::set_caption(unsigned int id, const wchar_t* text) {
    skin_static* s = get_static(id);
    if (!s) return;
    // Captions come from service data and tags: cut to the array.
    skin_copy_text(s->text, text);
    if (s->is_progress()) return;
    refresh_static(id);
    if (!s->tooltip_shown || !tooltip_) return;
    if (wcslen(s->tooltip) <= 1) {
        delete_tool(id);
        return;
    }
    wchar_t current[1024];
    if (!find_tool(id, current)) {
        add_tool(id, s->rect, s->tooltip);
        return;
    }
    tool_.uFlags = 0;
    tool_.hwnd = hwnd_;
    tool_.uId = id;
    tool_.rect = s->rect;
    tool_.hinst = core::get_instance();
    tool_.lpszText = s->tooltip;
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool_));
}

void skin::show_static_tool(skin_static* s) {
    if (s->tooltip_shown && wcslen(s->tooltip) > 1) add_tool(static_cast<unsigned>(s->id), s->rect, s->tooltip);
}

void skin::refresh_static(unsigned int id) {
    skin_static* s = get_static(id);
    if (!s) return;
    draw_image(s->background, s->rect);
    invalidate(s->rect);
    if (!s->visible) {
        delete_tool(id);
        return;
    }
    draw_static(s);
    show_static_tool(s);
}

void skin::set_static_visible(unsigned int id, bool visible) {
    skin_static* s = get_static(id);
    if (!s) return;
    s->visible = visible;
    refresh_static(id);
}

// --- progress bars ---

void skin::set_progress_position(unsigned int id, int value) {
    skin_static* s = get_static(id);
    if (!s || !s->is_progress() || !s->visible) return;
    skin_progress* p = static_cast<skin_progress*>(s);
    if (p->min <= p->max) value = std::max(p->min, std::min(value, p->max));
    p->value = value;
    draw_progress(p);
}

int skin::get_progress_position(unsigned int id) {
    skin_static* s = get_static(id);
    return s && s->is_progress() ? static_cast<skin_progress*>(s)->value : -1;
}

void skin::get_progress_range(unsigned int id, int& min, int& max) {
    skin_static* s = get_static(id);
    if (!s || !s->is_progress()) return;
    min = static_cast<skin_progress*>(s)->min;
    max = static_cast<skin_progress*>(s)->max;
}

void skin::set_progress_range(unsigned int id, int min, int max) {
    skin_static* s = get_static(id);
    if (!s || !s->is_progress()) return;
    static_cast<skin_progress*>(s)->min = min;
    static_cast<skin_progress*>(s)->max = max;
}

// --- drawing ---

void skin::draw_static(skin_static* s) {
    const int w = width(s->rect);
    const int h = height(s->rect);
    if (w <= 0 || h <= 0 || !back_.get_memdc()) return;
    switch (s->type) {
    case skin_static::type_text:
    case skin_static::type_wrapped: {
        if (!s->text[0]) return;
        dib box;
        if (!box.create(w, h, 24)) return;
        box.draw_text(back_.get_memdc(), s->rect.left, s->rect.top, s->text, s->text_colour, s->face,
                      static_cast<unsigned>(s->point_size), s->bold, false, false, false, text_format(s),
                      key_colour, true);
        break;
    }
    case skin_static::type_box:
        draw_framed_box(static_cast<skin_progress*>(s));
        break;
    case skin_static::type_picture: {
        dib picture;
        if (picture.load_from_file(s->text, w, h, true)) draw_image(picture, s->rect);
        break;
    }
    case skin_static::type_hprogress:
    case skin_static::type_vprogress:
        draw_progress(static_cast<skin_progress*>(s));
        return;  // invalidated there
    default:
        return;
    }
    invalidate(s->rect);
}

void skin::draw_framed_box(skin_progress* p) {
    const int w = width(p->rect);
    const int h = height(p->rect);
    dib box;
    if (!box.create(w, h, 24)) return;
    HDC dc = box.get_memdc();
    HPEN pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(p->value));
    HGDIOBJ old_pen = SelectObject(dc, pen);
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 0, 0, w, h);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
    RECT inside = {1, 1, w - 1, h - 1};
    dib::fill_solid_rect(dc, &inside, key_colour);
    RECT text_area = {inside.left + p->min, inside.top + p->max, inside.right - p->min, inside.bottom - p->max};
    // Drawn inside a key-coloured box: glyph edges must not blend with it.
    HFONT font = make_font(dc, p, false, NONANTIALIASED_QUALITY);
    HGDIOBJ old_font = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, p->text_colour);
    DrawTextW(dc, p->text, -1, &text_area, DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old_font);
    if (font) DeleteObject(font);
    box.transparent_blt(back_.get_memdc(), p->rect.left, p->rect.top, w, h, 0, 0, key_colour);
}

void skin::draw_progress(skin_progress* p) {
    if (p->max < p->min || !back_.get_memdc()) return;
    const int w = width(p->rect);
    const int h = height(p->rect);
    if (w <= 0 || h <= 0) return;
    draw_image(p->background, p->rect);
    const COLORREF bar = p->bar_colour == skin_static::no_colour ? GetSysColor(COLOR_HIGHLIGHT) : p->bar_colour;
    const COLORREF back = p->back_colour == skin_static::no_colour ? GetSysColor(COLOR_WINDOW) : p->back_colour;
    const double f = progress_fraction(p);
    const bool vertical = p->type == skin_static::type_vprogress;
    RECT bar_part, rest;
    if (!vertical) {
        const int filled = static_cast<int>(f * w);
        bar_part = {0, 0, filled, h};
        rest = {filled, 0, w, h};
    } else {
        const int filled = static_cast<int>(f * h);
        bar_part = {0, h - filled, w, h};
        rest = {0, 0, w, h - filled};
    }
    dib image;
    if (!image.create(w, h, 24)) return;
    HDC dc = image.get_memdc();
    if (bar_part.right > bar_part.left && bar_part.bottom > bar_part.top) {
        if (p->tile.get_memdc())
            p->tile.draw_tile(dc, bar_part.left, bar_part.top, width(bar_part), height(bar_part));
        else
            dib::draw_gradient2(dc, bar_part, RGB(0, 0, 0), RGB(255, 0, 0), 10, false);
    }
    if (rest.right > rest.left && rest.bottom > rest.top) dib::fill_solid_rect(dc, &rest, back);
    if (p->show_text) {
        wchar_t text[1000];
        progress_text(p, text, 1000);
        HFONT font = make_font(dc, p, vertical, NONANTIALIASED_QUALITY);
        HGDIOBJ old_font =
            SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        const RECT whole = {0, 0, w, h};
        const bool own = p->text_colour != skin_static::no_colour;
        draw_clipped_text(dc, text, whole, bar_part, own ? p->text_colour : back, vertical);
        draw_clipped_text(dc, text, whole, rest, own ? p->text_colour : bar, vertical);
        SelectObject(dc, old_font);
        if (font) DeleteObject(font);
    }
    draw_image(image, p->rect);
    invalidate(p->rect);
}
