// PNG encoding through libpng's write API into memory.
#include "png_write.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace {
struct sink {
    std::string bytes;
    char error[256] = "";
};

void write_data(png_structp png, png_bytep data, size_t length) {
    static_cast<sink*>(png_get_io_ptr(png))->bytes.append(reinterpret_cast<const char*>(data), length);
}
void flush_data(png_structp) {}
void on_error(png_structp png, png_const_charp message) {
    sink* out = static_cast<sink*>(png_get_error_ptr(png));
    snprintf(out->error, sizeof out->error, "%s", message ? message : "");
    png_longjmp(png, 1);
}
void on_warning(png_structp, png_const_charp) {}

png_color_16 to_png(const png_colour16& c) {
    png_color_16 p;
    p.index = static_cast<png_byte>(c.index);
    p.red = c.red;
    p.green = c.green;
    p.blue = c.blue;
    p.gray = c.gray;
    return p;
}

// The libpng part, with nothing that a jump back from libpng could skip.
bool write_png_to(sink* out, const png_spec* spec, const png_color* palette, int palette_size,
                  uint8_t* const* rows, const png_color_16* trns, const png_color_16* bkgd) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, out, on_error, on_warning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, out, write_data, flush_data);
    png_set_IHDR(png, info, spec->width, spec->height, spec->bit_depth, spec->colour_type,
                 spec->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (palette_size) png_set_PLTE(png, info, palette, palette_size);
    if (!spec->trns_alpha.empty()) {
        png_set_tRNS(png, info, spec->trns_alpha.data(), static_cast<int>(spec->trns_alpha.size()), nullptr);
    } else if (spec->has_trns_colour) {
        png_set_tRNS(png, info, nullptr, 1, trns);
    }
    if (spec->has_bkgd) png_set_bKGD(png, info, bkgd);
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (uint32_t y = 0; y < spec->height; ++y) png_write_row(png, rows[y]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}
}  // namespace

std::string encode_png(const png_spec& spec, std::string* error) {
    sink out;
    std::vector<png_color> palette(spec.palette.size() / 3);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = {spec.palette[3 * i], spec.palette[3 * i + 1], spec.palette[3 * i + 2]};
    const size_t row_bytes =
        (static_cast<size_t>(spec.width) * png_channels(spec.colour_type) * spec.bit_depth + 7) / 8;
    std::vector<std::vector<uint8_t>> rows(spec.height);
    std::vector<uint8_t*> row_pointers(spec.height);
    for (uint32_t y = 0; y < spec.height; ++y) {
        if (y < spec.rows.size()) rows[y] = spec.rows[y];
        rows[y].resize(row_bytes + 1);
        row_pointers[y] = rows[y].data();
    }
    const png_color_16 trns = to_png(spec.trns_colour);
    const png_color_16 bkgd = to_png(spec.bkgd);
    if (!write_png_to(&out, &spec, palette.data(), static_cast<int>(palette.size()), row_pointers.data(),
                      &trns, &bkgd)) {
        if (error) *error = out.error;
        return std::string();
    }
    return out.bytes;
}

int png_channels(int colour_type) {
    switch (colour_type) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
    }
}

png_spec rgb_spec(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
    png_spec spec;
    spec.width = width;
    spec.height = height;
    spec.bit_depth = 8;
    spec.colour_type = 2;
    for (uint32_t y = 0; y < height; ++y) {
        const size_t start = static_cast<size_t>(y) * width * 3;
        spec.rows.emplace_back(rgb.begin() + start, rgb.begin() + start + width * 3);
    }
    return spec;
}

bool write_binary_file(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}
