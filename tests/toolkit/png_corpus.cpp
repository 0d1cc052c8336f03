// The generated PNG corpus.
#include "png_corpus.h"

#include <zlib.h>

#include <cstring>

#include "dib.h"
#include "png_image.h"

const std::vector<corpus_case>& all_png_formats() {
    static const std::vector<corpus_case> formats = {
        {0, 1, "grey 1"},         {0, 2, "grey 2"},    {0, 4, "grey 4"},    {0, 8, "grey 8"},
        {0, 16, "grey 16"},       {2, 8, "rgb 8"},     {2, 16, "rgb 16"},   {3, 1, "palette 1"},
        {3, 2, "palette 2"},      {3, 4, "palette 4"}, {3, 8, "palette 8"}, {4, 8, "grey+alpha 8"},
        {4, 16, "grey+alpha 16"}, {6, 8, "rgba 8"},    {6, 16, "rgba 16"},
    };
    return formats;
}

uint16_t corpus_sample(int colour_type, int bit_depth, int x, int y, int channel) {
    const uint32_t max = (1u << bit_depth) - 1;
    const bool alpha = (colour_type == 4 || colour_type == 6) && channel == png_channels(colour_type) - 1;
    if (alpha) {
        switch ((x + 2 * y) % 4) {
            case 0:
                return 0;
            case 1:
                return static_cast<uint16_t>(max);
            case 2:
                return static_cast<uint16_t>(max / 3);
            default:
                return static_cast<uint16_t>(max - max / 5);
        }
    }
    const uint32_t v = static_cast<uint32_t>(x * 37 + y * 91 + channel * 53 + x * y * 7);
    if (bit_depth == 16) return static_cast<uint16_t>((v * 257 + x * 3 + y) & 0xFFFF);
    return static_cast<uint16_t>(v & max);
}

COLORREF corpus_palette_colour(int index) {
    return RGB((index * 37 + 11) & 0xFF, (index * 91 + 200) & 0xFF, (index * 53 + 97) & 0xFF);
}

png_spec corpus_image(int colour_type, int bit_depth, uint32_t width, uint32_t height, bool interlaced) {
    png_spec spec;
    spec.width = width;
    spec.height = height;
    spec.colour_type = colour_type;
    spec.bit_depth = bit_depth;
    spec.interlaced = interlaced;
    const int channels = png_channels(colour_type);
    for (uint32_t y = 0; y < height; ++y) {
        std::vector<uint8_t> row((static_cast<size_t>(width) * channels * bit_depth + 7) / 8);
        size_t bit = 0;
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const uint16_t v = corpus_sample(colour_type, bit_depth, x, y, c);
                if (bit_depth == 16) {
                    row[bit / 8] = static_cast<uint8_t>(v >> 8);
                    row[bit / 8 + 1] = static_cast<uint8_t>(v);
                } else {
                    row[bit / 8] |= static_cast<uint8_t>(v << (8 - bit_depth - bit % 8));
                }
                bit += bit_depth;
            }
        spec.rows.push_back(row);
    }
    if (colour_type == 3) {
        for (int i = 0; i < (1 << bit_depth); ++i) {
            const COLORREF c = corpus_palette_colour(i);
            spec.palette.insert(spec.palette.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
        }
    }
    return spec;
}

bool decode_bytes(png_image& image, const std::string& bytes) {
    std::vector<unsigned char> copy(bytes.begin(), bytes.end());
    return image.decode(copy.data(), static_cast<unsigned long>(copy.size()), png_image::type_png);
}

std::vector<COLORREF> draw_over(png_image& image, COLORREF background) {
    std::vector<COLORREF> pixels;
    const int w = image.width(), h = image.height();
    dib target;
    if (!target.create(w, h, 24)) return pixels;
    RECT all = {0, 0, w, h};
    dib::fill_solid_rect(target.get_memdc(), &all, background);
    image.draw(target.get_memdc(), 0, 0);
    GdiFlush();
    const BYTE* bits = static_cast<const BYTE*>(target.get_dib_section_bits());
    for (int y = 0; y < h; ++y) {
        const BYTE* row = bits + static_cast<size_t>(h - 1 - y) * target.get_bytes_scanline();
        for (int x = 0; x < w; ++x) pixels.push_back(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
    }
    return pixels;
}

std::vector<uint32_t> decoded_content(const png_image& image) {
    std::vector<uint32_t> out = {static_cast<uint32_t>(image.width()),
                                 static_cast<uint32_t>(image.height()),
                                 image.bit_count(),
                                 image.colours_used(),
                                 static_cast<uint32_t>(image.transparent_index()),
                                 image.alpha_palette(),
                                 image.has_alpha()};
    for (unsigned i = 0; i < image.colours_used(); ++i) {
        const RGBQUAD q = image.palette_color(i);
        out.push_back(q.rgbBlue | q.rgbGreen << 8 | q.rgbRed << 16 |
                      static_cast<uint32_t>(q.rgbReserved) << 24);
    }
    for (long y = 0; y < image.height(); ++y)
        for (long x = 0; x < image.width(); ++x) {
            if (image.bit_count() == 24) {
                const unsigned char* p = image.bits(y) + 3 * x;
                out.push_back(p[0] | p[1] << 8 | p[2] << 16);
            } else {
                out.push_back(image.pixel_index(x, y));
            }
            if (image.has_alpha()) out.push_back(image.alpha_get(x, y));
        }
    return out;
}

std::string be32(uint32_t value) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(value >> (24 - 8 * i));
    return s;
}

std::vector<png_chunk> split_chunks(const std::string& file) {
    std::vector<png_chunk> chunks;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(file.data()) + at;
        const uint32_t length = static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        if (at + 12 + length > file.size()) break;
        chunks.push_back({file.substr(at + 4, 4), file.substr(at + 8, length)});
        at += 12 + length;
    }
    return chunks;
}

std::string join_chunks(const std::vector<png_chunk>& chunks) {
    std::string file("\x89PNG\r\n\x1a\n", 8);
    for (const png_chunk& c : chunks) {
        const std::string body = c.type + c.data;
        const uLong crc =
            crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
        file += be32(static_cast<uint32_t>(c.data.size())) + body + be32(static_cast<uint32_t>(crc));
    }
    return file;
}
