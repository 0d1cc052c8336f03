#pragma once
// dib: the image type of the user interface, a DIB section selected into its
// own memory DC, so that it can be drawn on, drawn from and read pixel by
// pixel. Images the toolkit builds are 24 bits per pixel (blue, green, red;
// rows bottom-up, padded to 4 bytes). The key colour 0xFF00FF marks
// transparent pixels.
//
// The object owns its section and DC and releases them in clear and in the
// destructor. One thread at a time uses it (the user-interface thread).
#include <windows.h>

#include "zel_export.h"

struct IPicture;

class ZEL_CORE_API dib {
public:
    dib();
    virtual ~dib();
    dib(const dib&) = delete;
    dib& operator=(const dib&) = delete;

    // A new image of the size in a memory DC compatible with the screen;
    // false (and empty) when the section or the DC cannot be made, e.g. for
    // a zero width or height.
    bool create(int width, int height, unsigned int bits);
    // Fills the header, makes the DIB section on the DC and keeps its handle
    // and pixels; the caller selects it.
    HBITMAP create_dib(HDC dc, int width, int height, unsigned int bits);
    // Releases section, DC and any picture being loaded. The size and depth
    // of the last image stay readable.
    void clear();

    int get_width() const { return info_.bmiHeader.biWidth; }
    int get_height() const { return info_.bmiHeader.biHeight; }
    unsigned int get_bitcount() const { return info_.bmiHeader.biBitCount; }
    int get_bytes_scanline() const { return bytes_scanline_; }
    void* get_dib_section_bits() const { return bits_; }
    HDC get_memdc() const { return dc_; }
    HBITMAP get_handle() const { return bitmap_; }

    // Fills the rectangle with the colour (ExtTextOutW, ETO_OPAQUE); the DC
    // keeps that background colour.
    static void fill_solid_rect(HDC dc, const RECT* rect, COLORREF colour);

    // --- loading; false leaves the image empty ---
    // A BMP file, copied into a 24-bit image.
    bool create_from_file(const wchar_t* path);
    // A BITMAP resource of core::get_instance() (its own depth), else an OLE
    // picture from a resource of type "Bitmap" with that id.
    bool create_from_resource(unsigned int id);
    // Any picture OLE decodes (BMP, GIF, JPEG, icons, metafiles) at its own
    // pixel size, or rendered into width x height: stretched to fill it, or
    // at its own size from 0,0 (cropped, or the rest left black).
    bool load_from_file(const wchar_t* path);
    bool load_from_file(const wchar_t* path, int width, int height, bool stretch);
    // The same from a resource of core::get_instance().
    bool load_from_resource(const wchar_t* type, const wchar_t* name);
    bool load_from_resource(const wchar_t* type, const wchar_t* name, int width, int height, bool stretch);

    // --- drawing from the image ---
    void draw(HDC dc, int x, int y);
    void draw_trans(HDC dc, int x, int y, COLORREF key);
    // Draws the width x height part at src_x,src_y to x,y leaving out every
    // pixel of the key colour. The target DC keeps background white and text
    // colour black. The palette is not used.
    void transparent_blt(HDC dc, int x, int y, int width, int height, int src_x, int src_y, COLORREF key,
                         HPALETTE palette = nullptr);
    // Fills the rectangle with copies of the image laid on the image-sized
    // grid that starts at the target's origin.
    void draw_tile(HDC dc, int x, int y, int width, int height);
    // A gradient from c1 at the left (top) edge to c2 at the other.
    static void draw_gradient(HDC dc, RECT& rect, COLORREF c1, COLORREF c2, bool horizontal);
    // Two bands meeting at right (bottom) x percent / 100, c1 at both outer
    // edges and c2 at the split.
    static void draw_gradient2(HDC dc, RECT& rect, COLORREF c1, COLORREF c2, int percent, bool horizontal);

    // --- drawing into the image ---
    // Copies the width x height part of the source at x,y to 0,0 (a negative
    // width or height means the image's). A negative x or y first fills the
    // image with the key colour and shifts the copy into the image.
    void load_picture_blt(HDC source, int x, int y, int width, int height, DWORD rop);
    // Makes the image a 24-bit copy of the width x height part of `image` at
    // x,y; false (and nothing copied) when `image` holds no picture or the
    // copy cannot be made.
    bool create_from_part(const dib& image, int x, int y, int width, int height);
    bool create_from_part(const dib& image, const RECT& part) {
        return create_from_part(image, part.left, part.top, part.right - part.left, part.bottom - part.top);
    }
    // Uses the image as a text box: fills it with the key colour, draws the
    // text (format | DT_NOPREFIX) in the font, and draws the box to the
    // target with the key colour transparent. Not horizontal: rotated 90
    // degrees counter-clockwise. The glyphs are drawn without smoothing, so
    // that no edge pixel blends with the key colour.
    void draw_text(HDC target, int x, int y, const wchar_t* text, COLORREF text_colour, const wchar_t* face,
                   unsigned int point_size, bool bold, bool italic, bool underline, bool strike_out,
                   unsigned int format, COLORREF key, bool horizontal);
    // As draw_text, with the format passed on unchanged (an ampersand
    // underlines the next character).
    void draw_text2(HDC target, int x, int y, const wchar_t* text, COLORREF text_colour, const wchar_t* face,
                    unsigned int point_size, bool bold, bool italic, bool underline, bool strike_out,
                    unsigned int format, COLORREF key, bool horizontal);

private:
    bool copy_loaded_bitmap(HBITMAP loaded, unsigned int bits);
    bool load_picture(const void* bytes, size_t size, int width, int height, bool fit, bool stretch);
    void text_box(HDC target, int x, int y, const wchar_t* text, COLORREF text_colour, const wchar_t* face,
                  unsigned int point_size, bool bold, bool italic, bool underline, bool strike_out,
                  unsigned int format, COLORREF key, bool horizontal);
    static bool get_resource(const wchar_t* name, const wchar_t* type, void* buffer, int& size);

    HBITMAP bitmap_;
    HGDIOBJ previous_;
    HDC dc_;
    BITMAPINFO info_;
    void* bits_;
    int bytes_scanline_;
    IPicture* picture_;
};
