#pragma once
// png_image: decodes a PNG (from a file, a resource or memory) into a packed
// Windows DIB held in memory (1, 4 or 8 bits with a palette, or 24 bits),
// with an optional alpha plane beside it, and draws it into a DC, blending
// with what the DC shows. Internal to zel_core; the skin engine turns PNG
// images into dibs with it.
//
// Image types: 0 unknown (the format is recognised; only PNG is), 1 PNG.
// Every failure is a false or null result with a text in last_error(); a
// failed decode keeps the previous image. Objects belong to one thread.
#include <windows.h>

#include <cstdio>

class image_source;

class png_image {
public:
    enum { type_unknown = 0, type_png = 1 };

    explicit png_image(unsigned long type = type_unknown);
    virtual ~png_image();
    png_image(const png_image&) = delete;
    png_image& operator=(const png_image&) = delete;

    // Decodes a file: an ANSI path, or a wide one.
    bool load(const char* path, unsigned long type);
    bool load(const wchar_t* path, unsigned long type);
    // Decodes a resource that the caller found in module.
    bool load_resource(HRSRC resource, unsigned long type, HMODULE module);
    // Decodes bytes in memory (not kept).
    bool decode(unsigned char* bytes, unsigned long length, unsigned long type);
    bool decode(FILE* stream, unsigned long type);
    bool decode(image_source* source, unsigned long type);

    long width() const { return header_.biWidth; }
    long height() const { return header_.biHeight; }
    unsigned bit_count() const { return header_.biBitCount; }
    unsigned colours_used() const { return header_.biClrUsed; }
    bool has_image() const { return block_ != nullptr; }

    // Draws the image at x,y, at its own size (width or height negative) or
    // scaled (nearest pixel, or bilinear when smooth), inside clip when one
    // is given. Transparent pixels, the alpha plane and palette alpha blend
    // with what the DC shows. 1 when drawn; 0 without image or DC, for a
    // zero width or height, or when disabled.
    long draw(HDC dc, long x, long y, long width = -1, long height = -1, RECT* clip = nullptr,
              bool smooth = false);

    // A new bitmap block (contents of the rows undefined, palette zero), or
    // null with the reason in last_error(). Sizes are checked before
    // anything is allocated.
    void* create(unsigned long width, unsigned long height, unsigned long bits, unsigned long type);
    bool destroy();
    // Takes over from's image and settings; from is left empty.
    bool transfer(png_image& from);
    // Takes from's settings while this object holds no image.
    void copy_settings(const png_image& from);

    // The pixels of a bitmap row (row 0 is the bottom row); null outside.
    unsigned char* bits(long row) const;
    // Palette entries: blue, green, red, alpha.
    void set_palette_color(unsigned index, BYTE red, BYTE green, BYTE blue, BYTE alpha = 0);
    void set_palette(const BYTE* rgb_triplets, unsigned count);
    void set_gray_palette();
    RGBQUAD palette_color(unsigned index) const;
    RGBQUAD transparent_color() const;
    long transparent_index() const { return settings_.transparent_index; }
    bool alpha_palette() const { return settings_.alpha_palette; }
    // The palette index of the pixel at column x of bitmap row y.
    unsigned pixel_index(long x, long y) const;
    bool alpha_create();
    bool has_alpha() const { return alpha_ != nullptr; }
    BYTE alpha_get(long x, long y) const;
    void alpha_set(long x, long y, BYTE value);
    void set_enabled(bool enabled) { settings_.enabled = enabled; }
    void set_alpha_max(BYTE value) { settings_.alpha_max = value; }
    const char* last_error() const { return settings_.last_error; }

private:
    struct settings {
        size_t row_stride;
        unsigned char* pixels;
        unsigned long type;
        char last_error[256];
        long transparent_index;
        RGBQUAD transparent_colour;
        BYTE alpha_max;
        bool alpha_palette;
        bool enabled;
    };

    bool load_file(FILE* (*open)(const void*), const void* path, unsigned long type);
    // The PNG decoder proper (png_read.cpp), run on a temporary object.
    bool read_png(image_source* source);
    void set_error(const char* text);
    RGBQUAD* palette() const;
    // The colour and opacity of a source pixel (bitmap row y).
    void source_pixel(long x, long y, BYTE* bgr, unsigned* opacity, bool* skip) const;
    void sample_smooth(double dx, double dy, BYTE* bgr) const;

    void* block_;
    BITMAPINFOHEADER header_;
    settings settings_;
    BYTE* alpha_;
};
