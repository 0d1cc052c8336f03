// png_image: the bitmap block, its palette and alpha plane, and the decode
// entry points (the PNG decoder itself is in png_read.cpp, drawing in
// png_draw.cpp).
#include "png_image.h"

#include <cstdlib>
#include <cstring>

#include "image_source.h"

namespace {
// Bitmaps larger than this are refused before anything is allocated. Skins
// and logos are a few megabytes at most; the bound keeps every size well
// inside 32 bits.
const unsigned long long kMaxBitmapBytes = 64ull << 20;

const char kUnknownFormat[] = "Decode: Unknown or wrong format";
}  // namespace

png_image::png_image(unsigned long type) : block_(nullptr), alpha_(nullptr) {
    ZeroMemory(&header_, sizeof header_);
    ZeroMemory(&settings_, sizeof settings_);
    settings_.type = type;
    settings_.transparent_index = -1;
    settings_.alpha_max = 255;
    settings_.enabled = true;
}

png_image::~png_image() { destroy(); }

void png_image::set_error(const char* text) {
    strncpy(settings_.last_error, text, sizeof settings_.last_error - 1);
    settings_.last_error[sizeof settings_.last_error - 1] = 0;
}

void* png_image::create(unsigned long width, unsigned long height, unsigned long bits, unsigned long type) {
    destroy();
    if (width == 0 || height == 0) {
        set_error("png_image::create : width and height must be greater than zero");
        return nullptr;
    }
    bits = bits <= 1 ? 1 : bits <= 4 ? 4 : bits <= 8 ? 8 : 24;
    // Every size in 64 bits, so that nothing wraps before the checks.
    const unsigned long long w = width;
    const unsigned long long h = height;
    const unsigned long long stride = (w * bits + 31) / 32 * 4;
    const unsigned colours = bits == 24 ? 0 : 1u << bits;
    const unsigned long long block_bytes = sizeof(BITMAPINFOHEADER) + colours * 4ull + stride * h;
    if ((w * h * bits) >> 8 > 256000000ull || block_bytes > kMaxBitmapBytes || w > 0x7FFFFFFF ||
        h > 0x7FFFFFFF) {
        set_error("PNG_IMAGE_MAX_MEMORY exceeded");
        return nullptr;
    }
    settings_.type = type;
    settings_.row_stride = static_cast<size_t>(stride);
    ZeroMemory(&header_, sizeof header_);
    header_.biSize = sizeof(BITMAPINFOHEADER);
    header_.biWidth = static_cast<LONG>(width);
    header_.biHeight = static_cast<LONG>(height);
    header_.biPlanes = 1;
    header_.biBitCount = static_cast<WORD>(bits);
    header_.biCompression = BI_RGB;
    header_.biSizeImage = static_cast<DWORD>(stride * h);
    header_.biXPelsPerMeter = header_.biYPelsPerMeter = 3780;  // 96 dpi
    header_.biClrUsed = colours;
    block_ = malloc(static_cast<size_t>(block_bytes));
    if (!block_) {
        set_error("png_image::create can't allocate memory");
        return nullptr;
    }
    memcpy(block_, &header_, sizeof header_);
    if (colours) memset(palette(), 0, colours * sizeof(RGBQUAD));
    settings_.pixels = static_cast<unsigned char*>(block_) + sizeof(BITMAPINFOHEADER) + colours * 4;
    return block_;
}

bool png_image::destroy() {
    free(alpha_);
    alpha_ = nullptr;
    free(block_);
    block_ = nullptr;
    settings_.pixels = nullptr;
    return true;
}

bool png_image::transfer(png_image& from) {
    destroy();
    header_ = from.header_;
    settings_ = from.settings_;
    block_ = from.block_;
    alpha_ = from.alpha_;
    from.block_ = nullptr;
    from.alpha_ = nullptr;
    ZeroMemory(&from.header_, sizeof from.header_);
    ZeroMemory(&from.settings_, sizeof from.settings_);
    return true;
}

void png_image::copy_settings(const png_image& from) {
    if (block_) return;
    settings_ = from.settings_;
}

namespace {
FILE* open_ansi(const void* path) { return fopen(static_cast<const char*>(path), "rb"); }
FILE* open_wide(const void* path) { return _wfopen(static_cast<const wchar_t*>(path), L"rb"); }
}  // namespace

bool png_image::load(const char* path, unsigned long type) {
    return path && load_file(open_ansi, path, type);
}

bool png_image::load(const wchar_t* path, unsigned long type) {
    return path && load_file(open_wide, path, type);
}

bool png_image::load_file(FILE* (*open)(const void*), const void* path, unsigned long type) {
    if (type == type_png) {
        FILE* f = open(path);
        if (!f) return false;
        const bool ok = decode(f, type_png);
        fclose(f);
        if (ok) return true;
    }
    // A second try that recognises the format; the first failure's text is
    // the one kept.
    char kept[sizeof settings_.last_error];
    memcpy(kept, settings_.last_error, sizeof kept);
    FILE* f = open(path);
    if (!f) return false;
    const bool ok = decode(f, type_unknown);
    fclose(f);
    if (!ok && type > 0) memcpy(settings_.last_error, kept, sizeof kept);
    return ok;
}

bool png_image::load_resource(HRSRC resource, unsigned long type, HMODULE module) {
    if (!resource) return false;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL handle = LoadResource(module, resource);
    if (!handle) {
        set_error("Unable to load resource!");
        return false;
    }
    void* bytes = LockResource(handle);
    if (!bytes) return false;
    memory_source source(static_cast<unsigned char*>(bytes), size);
    return decode(&source, type);
}

bool png_image::decode(unsigned char* bytes, unsigned long length, unsigned long type) {
    memory_source source(bytes, bytes ? length : 0);
    return decode(&source, type);
}

bool png_image::decode(FILE* stream, unsigned long type) {
    file_source source(stream);
    return decode(&source, type);
}

bool png_image::decode(image_source* source, unsigned long type) {
    if (type != type_png && type != type_unknown) {
        set_error(kUnknownFormat);
        return false;
    }
    const long start = type == type_unknown && source ? source->tell() : 0;
    png_image decoded(type_png);
    decoded.copy_settings(*this);
    decoded.settings_.type = type_png;
    if (source && decoded.read_png(source)) {
        transfer(decoded);
        return true;
    }
    if (type == type_png) {
        memcpy(settings_.last_error, decoded.settings_.last_error, sizeof settings_.last_error);
    } else {
        if (source) source->seek(start, SEEK_SET);
        set_error(kUnknownFormat);
    }
    return false;
}

RGBQUAD* png_image::palette() const {
    return block_ ? reinterpret_cast<RGBQUAD*>(static_cast<unsigned char*>(block_) + sizeof(BITMAPINFOHEADER))
                  : nullptr;
}

unsigned char* png_image::bits(long row) const {
    if (!block_ || row < 0 || row >= header_.biHeight) return nullptr;
    return settings_.pixels + static_cast<size_t>(row) * settings_.row_stride;
}

void png_image::set_palette_color(unsigned index, BYTE red, BYTE green, BYTE blue, BYTE alpha) {
    if (!block_ || index >= header_.biClrUsed) return;
    palette()[index] = {blue, green, red, alpha};
}

void png_image::set_palette(const BYTE* rgb, unsigned count) {
    if (!block_ || !rgb) return;
    if (count > header_.biClrUsed) count = header_.biClrUsed;
    RGBQUAD* p = palette();
    for (unsigned i = 0; i < count; ++i) {
        p[i].rgbRed = rgb[3 * i];
        p[i].rgbGreen = rgb[3 * i + 1];
        p[i].rgbBlue = rgb[3 * i + 2];
    }
}

void png_image::set_gray_palette() {
    const unsigned n = header_.biClrUsed;
    if (!block_ || n < 2) return;
    RGBQUAD* p = palette();
    for (unsigned i = 0; i < n; ++i) {
        const BYTE grey = static_cast<BYTE>(i * (255 / (n - 1)));
        p[i] = {grey, grey, grey, 0};
    }
}

RGBQUAD png_image::palette_color(unsigned index) const {
    if (!block_ || index >= header_.biClrUsed) return RGBQUAD{0, 0, 0, 0};
    return palette()[index];
}

RGBQUAD png_image::transparent_color() const {
    if (header_.biBitCount < 24 && settings_.transparent_index >= 0)
        return palette_color(static_cast<unsigned>(settings_.transparent_index));
    return settings_.transparent_colour;
}

unsigned png_image::pixel_index(long x, long y) const {
    if (!block_ || header_.biClrUsed == 0) return 0;
    if (x < 0 || y < 0 || x >= header_.biWidth || y >= header_.biHeight) {
        if (settings_.transparent_index >= 0) return static_cast<unsigned>(settings_.transparent_index);
        return settings_.pixels[0];
    }
    const unsigned char* row = bits(y);
    switch (header_.biBitCount) {
        case 8:
            return row[x];
        case 4:
            return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
        default:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
}

bool png_image::alpha_create() {
    if (alpha_) return true;
    if (!block_) return false;
    const size_t n = static_cast<size_t>(header_.biWidth) * static_cast<size_t>(header_.biHeight);
    alpha_ = static_cast<BYTE*>(malloc(n));
    if (!alpha_) return false;
    memset(alpha_, 255, n);
    return true;
}

BYTE png_image::alpha_get(long x, long y) const {
    if (!alpha_ || x < 0 || y < 0 || x >= header_.biWidth || y >= header_.biHeight) return 0;
    return alpha_[static_cast<size_t>(y) * header_.biWidth + x];
}

void png_image::alpha_set(long x, long y, BYTE value) {
    if (!alpha_ || x < 0 || y < 0 || x >= header_.biWidth || y >= header_.biHeight) return;
    alpha_[static_cast<size_t>(y) * header_.biWidth + x] = value;
}
