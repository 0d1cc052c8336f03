// The PNG decoder of png_image, over libpng: the image arrives row by row in
// the bitmap's own layout (blue, green, red; palette indexes), bottom row
// first in memory.
//
// libpng's simplified API names its own struct png_image; in this file that
// name is moved aside so that it means the class again.
#define png_image libpng_simplified_image
#include <png.h>
#undef png_image

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "image_source.h"
#include "png_image.h"

namespace {
void read_data(png_structp png, png_bytep data, size_t length) {
    image_source* source = static_cast<image_source*>(png_get_io_ptr(png));
    if (source->read(data, 1, length) < length) png_error(png, "Read Error");
}

// libpng's message goes into the object's last-error text.
void on_error(png_structp png, png_const_charp message) {
    char* text = static_cast<char*>(png_get_error_ptr(png));
    if (text) {
        strncpy(text, message ? message : "", 255);
        text[255] = 0;
    }
    png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

// 2-bit pixels widened in place to the 4-bit values of the same indexes,
// from the last pixel back to the first.
void widen_2_to_4(unsigned char* row, png_uint_32 width) {
    for (png_uint_32 x = width; x-- > 0;) {
        const unsigned v = (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        unsigned char& out = row[x >> 1];
        out = (x & 1) ? static_cast<unsigned char>((out & 0xF0) | v)
                      : static_cast<unsigned char>((out & 0x0F) | (v << 4));
    }
}
}  // namespace

bool png_image::read_png(image_source* source) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        set_error("Failed to create PNG structure");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        set_error("Failed to initialize PNG info structure");
        return false;
    }
    unsigned char* volatile row = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        free(row);
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, source, read_data);
    png_set_error_fn(png, settings_.last_error, on_error, on_warning);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int bit_depth = png_get_bit_depth(png, info);
    const int colour_type = png_get_color_type(png, info);
    const int depth = bit_depth * png_get_channels(png, info);

    // Transparency is composited over the background while decoding, except
    // for 8-bit RGBA and 16-bit grey with alpha, which keep an alpha plane.
    png_color_16p background = nullptr;
    const bool has_background = png_get_bKGD(png, info, &background) != 0 && background;
    if (depth != 32) {
        if (has_background) {
            png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        } else {
            png_color_16 grey = {0, 192, 192, 192, 0};
            png_set_background(png, &grey, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
        }
    } else if (has_background) {
        settings_.transparent_colour = {static_cast<BYTE>(background->blue),
                                        static_cast<BYTE>(background->green),
                                        static_cast<BYTE>(background->red), 0};
    }
    if (bit_depth == 16) png_set_strip_16(png);

    const unsigned long bitmap_bits = depth == 16 ? 8 : depth > 16 ? 24 : static_cast<unsigned long>(depth);
    if (!create(width, height, bitmap_bits, type_png)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }

    png_colorp plte = nullptr;
    int plte_count = 0;
    if (png_get_PLTE(png, info, &plte, &plte_count) && plte) {
        set_palette(reinterpret_cast<const BYTE*>(plte), static_cast<unsigned>(plte_count));
    } else if (bit_depth == 2) {
        static const BYTE greys[4] = {0, 85, 170, 255};
        for (unsigned i = 0; i < 4; ++i) set_palette_color(i, greys[i], greys[i], greys[i], 0);
    } else {
        set_gray_palette();
    }

    png_bytep trans_alpha = nullptr;
    int trans_count = 0;
    png_color_16p trans_colour = nullptr;
    if (colour_type == PNG_COLOR_TYPE_PALETTE && header_.biClrUsed &&
        png_get_tRNS(png, info, &trans_alpha, &trans_count, &trans_colour) && trans_alpha &&
        trans_count > 0) {
        RGBQUAD* entries = palette();
        const unsigned n = std::min<unsigned>(header_.biClrUsed, static_cast<unsigned>(trans_count));
        for (unsigned i = 0; i < n; ++i) entries[i].rgbReserved = trans_alpha[i];
        if (trans_count == 1 && trans_alpha[0] == 0) {
            settings_.transparent_index = 0;
        } else {
            settings_.alpha_palette = true;
            for (unsigned i = n; i < header_.biClrUsed; ++i) entries[i].rgbReserved = 255;
        }
    }

    if (colour_type == PNG_COLOR_TYPE_RGB_ALPHA ||
        (colour_type == PNG_COLOR_TYPE_GRAY_ALPHA && depth == 32)) {
        if (colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
            png_set_gray_to_rgb(png);
            png_set_expand(png);
        }
        png_set_filler(png, 255, PNG_FILLER_AFTER);
        if (!alpha_create()) png_error(png, "png_image::create can't allocate memory");
    }
    if (colour_type & PNG_COLOR_MASK_COLOR) png_set_bgr(png);

    row = static_cast<unsigned char*>(calloc(static_cast<size_t>((depth + 7) / 8) * width + 10, 1));
    if (!row) png_error(png, "png_image::create can't allocate memory");
    const int passes = png_set_interlace_handling(png);
    const bool interlaced = passes > 1;
    const size_t stride = settings_.row_stride;

    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            const long bitmap_row = static_cast<long>(height - 1 - y);
            unsigned char* pixels = bits(bitmap_row);
            if (alpha_) {
                BYTE* alpha_row = alpha_ + static_cast<size_t>(bitmap_row) * width;
                if (interlaced && pass > 0) {
                    // libpng adds this pass's pixels to what earlier passes made.
                    for (png_uint_32 x = 0; x < width; ++x) {
                        memcpy(row + 4 * x, pixels + 3 * x, 3);
                        row[4 * x + 3] = alpha_row[x];
                    }
                }
                png_read_row(png, row, nullptr);
                for (png_uint_32 x = 0; x < width; ++x) {
                    memcpy(pixels + 3 * x, row + 4 * x, 3);
                    alpha_row[x] = row[4 * x + 3];
                }
            } else {
                if (interlaced && pass > 0) memcpy(row, pixels, stride);
                png_read_row(png, row, nullptr);
                if (bit_depth == 2 && pass == passes - 1) widen_2_to_4(row, width);
                memcpy(pixels, row, stride);
            }
        }
    }
    free(row);
    row = nullptr;
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}
