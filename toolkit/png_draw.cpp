// png_image drawing: straight to the DC when nothing is transparent and the
// size is the image's own, otherwise through a 24-bit section of the painted
// box, scaled and blended pixel by pixel.
#include <algorithm>
#include <cmath>

#include "png_image.h"

namespace {
// A 24-bit section of the box's size in a memory DC; bottom-up rows.
struct box_section {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    BYTE* pixels = nullptr;
    BITMAPINFO info = {};
    size_t stride = 0;

    box_section(HDC target, int width, int height) {
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
        dc = CreateCompatibleDC(target);
        void* bits = nullptr;
        bitmap = dc ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
        if (bitmap) {
            previous = SelectObject(dc, bitmap);
            pixels = static_cast<BYTE*>(bits);
        }
    }
    ~box_section() {
        if (bitmap) {
            SelectObject(dc, previous);
            DeleteObject(bitmap);
        }
        if (dc) DeleteDC(dc);
    }
    box_section(const box_section&) = delete;
    box_section& operator=(const box_section&) = delete;
};

long clamp_index(long value, long size) { return value < 0 ? 0 : value >= size ? size - 1 : value; }
}  // namespace

void png_image::source_pixel(long x, long y, BYTE* bgr, unsigned* opacity, bool* skip) const {
    const unsigned char* row = bits(y);
    unsigned a = alpha_ ? alpha_get(x, y) : 255;
    a = (a * (settings_.alpha_max + 1u)) >> 8;
    *skip = false;
    if (header_.biBitCount < 24) {
        const unsigned index = pixel_index(x, y);
        const RGBQUAD entry = palette_color(index);
        bgr[0] = entry.rgbBlue;
        bgr[1] = entry.rgbGreen;
        bgr[2] = entry.rgbRed;
        if (settings_.alpha_palette) a = (a * (entry.rgbReserved + 1u)) >> 8;
        if (settings_.transparent_index >= 0 && index == static_cast<unsigned>(settings_.transparent_index))
            *skip = true;
    } else {
        bgr[0] = row[3 * x];
        bgr[1] = row[3 * x + 1];
        bgr[2] = row[3 * x + 2];
        if (settings_.transparent_index >= 0) {
            const RGBQUAD t = transparent_color();
            *skip = bgr[0] == t.rgbBlue && bgr[1] == t.rgbGreen && bgr[2] == t.rgbRed;
        }
    }
    *opacity = a;
}

// The bilinear mix of the four pixels around (dx - 0.5, dy - 0.5); bitmap
// rows, edge pixels repeated outside the image.
void png_image::sample_smooth(double dx, double dy, BYTE* bgr) const {
    const double sx = dx - 0.5;
    const double sy = dy - 0.5;
    const double fx0 = std::floor(sx);
    const double fy0 = std::floor(sy);
    const double wx = sx - fx0;
    const double wy = sy - fy0;
    const long w = header_.biWidth;
    const long h = header_.biHeight;
    const long x0 = clamp_index(static_cast<long>(fx0), w), x1 = clamp_index(static_cast<long>(fx0) + 1, w);
    const long y0 = clamp_index(static_cast<long>(fy0), h), y1 = clamp_index(static_cast<long>(fy0) + 1, h);
    BYTE p[4][3];
    unsigned a;
    bool skip;
    source_pixel(x0, y0, p[0], &a, &skip);
    source_pixel(x1, y0, p[1], &a, &skip);
    source_pixel(x0, y1, p[2], &a, &skip);
    source_pixel(x1, y1, p[3], &a, &skip);
    for (int c = 0; c < 3; ++c) {
        const double top = p[0][c] * (1 - wx) + p[1][c] * wx;
        const double bottom = p[2][c] * (1 - wx) + p[3][c] * wx;
        bgr[c] = static_cast<BYTE>(std::lround(top * (1 - wy) + bottom * wy));
    }
}

long png_image::draw(HDC dc, long x, long y, long width, long height, RECT* clip, bool smooth) {
    if (!block_ || !dc || width == 0 || height == 0 || !settings_.enabled) return 0;
    const long image_width = header_.biWidth;
    const long image_height = header_.biHeight;
    if (width < 0) width = image_width;
    if (height < 0) height = image_height;

    RECT kept_clip = {};
    if (clip) {
        GetClipBox(dc, &kept_clip);
        HRGN region = CreateRectRgnIndirect(clip);
        ExtSelectClipRgn(dc, region, RGN_AND);
        DeleteObject(region);
    }
    RECT c = {};
    GetClipBox(dc, &c);
    RECT paint;
    paint.top = std::min(c.bottom, std::max(c.top, y));
    paint.left = std::min(c.right, std::max(c.left, x));
    paint.right = std::max(c.left, std::min(c.right, x + width));
    paint.bottom = std::max(c.top, std::min(c.bottom, y + height));
    const int paint_width = paint.right - paint.left;
    const int paint_height = paint.bottom - paint.top;

    const bool natural = width == image_width && height == image_height;
    const bool blend = settings_.transparent_index >= 0 || alpha_ || settings_.alpha_palette;
    if (!blend && natural) {
        SetStretchBltMode(dc, COLORONCOLOR);
        SetDIBitsToDevice(dc, x, y, image_width, image_height, 0, 0, 0, image_height, settings_.pixels,
                          static_cast<BITMAPINFO*>(block_), DIB_RGB_COLORS);
    } else if (paint_width > 0 && paint_height > 0) {
        box_section box(dc, paint_width, paint_height);
        if (box.pixels) {
            if (blend) BitBlt(box.dc, 0, 0, paint_width, paint_height, dc, paint.left, paint.top, SRCCOPY);
            const double fx = static_cast<double>(image_width) / width;
            const double fy = static_cast<double>(image_height) / height;
            for (int r = 0; r < paint_height; ++r) {
                BYTE* out = box.pixels + static_cast<size_t>(r) * box.stride;
                const double dy = natural ? 0 : image_height - (paint.bottom - y - r) * fy;
                const long source_row = natural ? image_height - (paint.bottom - y) + r
                                                : std::max(0L, static_cast<long>(std::floor(dy)));
                for (int col = 0; col < paint_width; ++col, out += 3) {
                    const double dx = natural ? 0 : (paint.left - x + col) * fx;
                    const long source_column =
                        natural ? paint.left - x + col : std::max(0L, static_cast<long>(std::floor(dx)));
                    BYTE colour[3];
                    unsigned a;
                    bool skip;
                    source_pixel(clamp_index(source_column, image_width),
                                 clamp_index(source_row, image_height), colour, &a, &skip);
                    if (!natural && smooth) sample_smooth(dx, dy, colour);
                    if (!blend) a = 255;
                    if (skip || a == 0) continue;
                    for (int k = 0; k < 3; ++k)
                        out[k] = a == 255 ? colour[k]
                                          : static_cast<BYTE>((out[k] * (255 - a) + colour[k] * a) >> 8);
                }
            }
            SetDIBitsToDevice(dc, paint.left, paint.top, paint_width, paint_height, 0, 0, 0, paint_height,
                              box.pixels, &box.info, DIB_RGB_COLORS);
        }
    }
    if (clip) {
        HRGN region = CreateRectRgnIndirect(&kept_clip);
        ExtSelectClipRgn(dc, region, RGN_OR);
        DeleteObject(region);
    }
    return 1;
}
