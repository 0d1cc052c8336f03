#pragma once
// PNG files written with the project's libpng: a description of the image as
// PNG stores it (any colour type, bit depth and interlacing, with palette,
// tRNS and bKGD chunks), encoded to bytes. Window captures and the PNG test
// corpus are made with it.
#include <cstdint>
#include <string>
#include <vector>

struct png_colour16 {
    uint16_t index = 0, red = 0, green = 0, blue = 0, gray = 0;
};

struct png_spec {
    uint32_t width = 0;
    uint32_t height = 0;
    int bit_depth = 8;
    int colour_type = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    bool interlaced = false;
    // Rows top-down, packed as PNG stores them (16-bit samples big-endian).
    std::vector<std::vector<uint8_t>> rows;
    std::vector<uint8_t> palette;     // RGB triplets
    std::vector<uint8_t> trns_alpha;  // palette images
    bool has_trns_colour = false;     // grey and RGB images
    png_colour16 trns_colour;
    bool has_bkgd = false;
    png_colour16 bkgd;
};

// The PNG file's bytes; empty when libpng refused the description (the
// reason in error when given).
std::string encode_png(const png_spec& spec, std::string* error = nullptr);

// Samples per pixel of a colour type.
int png_channels(int colour_type);

// 8-bit RGB rows, top-down, three bytes per pixel.
png_spec rgb_spec(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

bool write_binary_file(const std::wstring& path, const std::string& bytes);
