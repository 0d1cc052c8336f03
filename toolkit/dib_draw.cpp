// dib: drawing from the image (copies, key-colour transparency, tiles,
// gradients) and into it (copies, text boxes).
#include <algorithm>
#include <cwchar>

#include "dib.h"
#include "utility.h"

namespace {
const COLORREF kKey = RGB(255, 0, 255);

TRIVERTEX vertex(LONG x, LONG y, COLORREF c) {
    TRIVERTEX v;
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(GetRValue(c) * 257);
    v.Green = static_cast<COLOR16>(GetGValue(c) * 257);
    v.Blue = static_cast<COLOR16>(GetBValue(c) * 257);
    v.Alpha = 0;
    return v;
}

// The non-negative remainder, for tiles left of or above the origin.
int wrap(int value, int size) {
    const int r = value % size;
    return r < 0 ? r + size : r;
}
}  // namespace

void dib::draw(HDC dc, int x, int y) {
    if (!dc_) return;
    BitBlt(dc, x, y, get_width(), get_height(), dc_, 0, 0, SRCCOPY);
}

void dib::draw_trans(HDC dc, int x, int y, COLORREF key) {
    transparent_blt(dc, x, y, get_width(), get_height(), 0, 0, key, nullptr);
}

void dib::transparent_blt(HDC dc, int x, int y, int width, int height, int src_x, int src_y, COLORREF key,
                          HPALETTE) {
    // An empty image would come out as a black block: draw nothing.
    if (!dc_ || width <= 0 || height <= 0) return;
    dib part;
    if (!part.create(width, height, 24)) return;
    part.load_picture_blt(dc_, src_x, src_y, width, height, SRCCOPY);

    HDC mask_dc = CreateCompatibleDC(dc);
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    if (!mask_dc || !mask) {
        if (mask) DeleteObject(mask);
        if (mask_dc) DeleteDC(mask_dc);
        return;
    }
    HGDIOBJ old_mask = SelectObject(mask_dc, mask);
    // The mask is 1 where the part shows the key colour.
    SetBkColor(part.dc_, key);
    BitBlt(mask_dc, 0, 0, width, height, part.dc_, 0, 0, SRCCOPY);
    // Key pixels of the part become black.
    SetBkColor(part.dc_, RGB(0, 0, 0));
    SetTextColor(part.dc_, RGB(255, 255, 255));
    BitBlt(part.dc_, 0, 0, width, height, mask_dc, 0, 0, SRCAND);
    // The target turns black where the part is opaque, then takes its pixels.
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, x, y, width, height, mask_dc, 0, 0, SRCAND);
    BitBlt(dc, x, y, width, height, part.dc_, 0, 0, SRCPAINT);

    SelectObject(mask_dc, old_mask);
    DeleteObject(mask);
    DeleteDC(mask_dc);
}

void dib::draw_tile(HDC dc, int x, int y, int width, int height) {
    const int w = get_width();
    const int h = get_height();
    if (!dc_ || w <= 0 || h <= 0) return;
    const int right = x + width;
    const int bottom = y + height;
    int ty = y;
    int sy = wrap(y, h);
    while (ty < bottom) {
        const int rows = std::min(h - sy, bottom - ty);
        int tx = x;
        int sx = wrap(x, w);
        while (tx < right) {
            const int columns = std::min(w - sx, right - tx);
            BitBlt(dc, tx, ty, columns, rows, dc_, sx, sy, SRCCOPY);
            tx += columns;
            sx = 0;
        }
        ty += rows;
        sy = 0;
    }
}

void dib::draw_gradient(HDC dc, RECT& rect, COLORREF c1, COLORREF c2, bool horizontal) {
    TRIVERTEX v[2] = {vertex(rect.left, rect.top, c1), vertex(rect.right, rect.bottom, c2)};
    GRADIENT_RECT band = {0, 1};
    GradientFill(dc, v, 2, &band, 1, horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
}

void dib::draw_gradient2(HDC dc, RECT& rect, COLORREF c1, COLORREF c2, int percent, bool horizontal) {
    // The split comes from the right or bottom coordinate alone, truncated.
    const double f = percent * 0.01;
    TRIVERTEX v[4];
    if (horizontal) {
        const LONG split = static_cast<LONG>(rect.right * f);
        v[0] = vertex(rect.left, rect.top, c1);
        v[1] = vertex(split, rect.bottom, c2);
        v[2] = vertex(split, rect.top, c2);
        v[3] = vertex(rect.right, rect.bottom, c1);
    } else {
        const LONG split = static_cast<LONG>(rect.bottom * f);
        v[0] = vertex(rect.left, rect.top, c1);
        v[1] = vertex(rect.right, split, c2);
        v[2] = vertex(rect.left, split, c2);
        v[3] = vertex(rect.right, rect.bottom, c1);
    }
    GRADIENT_RECT bands[2] = {{0, 1}, {2, 3}};
    GradientFill(dc, v, 4, bands, 2, horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
}

bool dib::create_from_part(const dib& image, int x, int y, int width, int height) {
    if (!image.get_memdc() || !create(width, height, 24)) return false;
    load_picture_blt(image.get_memdc(), x, y, width, height, SRCCOPY);
    return true;
}

void dib::load_picture_blt(HDC source, int x, int y, int width, int height, DWORD rop) {
    if (!dc_) return;
    if (width < 0) width = get_width();
    if (height < 0) height = get_height();
    int to_x = 0;
    int to_y = 0;
    if (x < 0 || y < 0) {
        RECT all = {0, 0, get_width(), get_height()};
        fill_solid_rect(dc_, &all, kKey);
    }
    if (x < 0) {
        to_x = -x;
        width += x;
        x = 0;
    }
    if (y < 0) {
        to_y = -y;
        height += y;
        y = 0;
    }
    if (width <= 0 || height <= 0) return;
    BitBlt(dc_, to_x, to_y, width, height, source, x, y, rop);
}

void dib::draw_text(HDC target, int x, int y, const wchar_t* text, COLORREF text_colour, const wchar_t* face,
                    unsigned int point_size, bool bold, bool italic, bool underline, bool strike_out,
                    unsigned int format, COLORREF key, bool horizontal) {
    text_box(target, x, y, text, text_colour, face, point_size, bold, italic, underline, strike_out,
             format | DT_NOPREFIX, key, horizontal);
}

void dib::draw_text2(HDC target, int x, int y, const wchar_t* text, COLORREF text_colour, const wchar_t* face,
                     unsigned int point_size, bool bold, bool italic, bool underline, bool strike_out,
                     unsigned int format, COLORREF key, bool horizontal) {
    text_box(target, x, y, text, text_colour, face, point_size, bold, italic, underline, strike_out, format,
             key, horizontal);
}

void dib::text_box(HDC target, int x, int y, const wchar_t* text, COLORREF text_colour, const wchar_t* face,
                   unsigned int point_size, bool bold, bool italic, bool underline, bool strike_out,
                   unsigned int format, COLORREF key, bool horizontal) {
    if (!dc_) return;
    RECT box = {0, 0, get_width(), get_height()};
    fill_solid_rect(dc_, &box, key);

    LOGFONTW lf = {};
    if (face) wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    lf.lfHeight = -MulDiv(static_cast<int>(point_size), GetDeviceCaps(dc_, LOGPIXELSY), 72);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strike_out;
    lf.lfCharSet = utility::get_default_logfont(nullptr)->lfCharSet;
    if (!horizontal) lf.lfEscapement = lf.lfOrientation = 900;
    // Smoothed glyph edges would blend with the key colour and stay visible
    // as a fringe once the box is drawn with the key transparent.
    lf.lfQuality = NONANTIALIASED_QUALITY;
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old_font =
        SelectObject(dc_, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));

    SetBkColor(dc_, key);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, text_colour);
    DrawTextW(dc_, text ? text : L"", -1, &box, format);

    SelectObject(dc_, old_font);
    if (font) DeleteObject(font);
    transparent_blt(target, x, y, get_width(), get_height(), 0, 0, key, nullptr);
}
