#pragma once
// The generated PNG corpus of the decoder's tests: images of every colour
// type and bit depth with known samples, the colours they must show, and
// chunk-level editing for the malformed files.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "png_write.h"

class dib;
class png_image;

struct corpus_case {
    int colour_type;
    int bit_depth;
    const char* name;
};
// Every valid combination of colour type and bit depth.
const std::vector<corpus_case>& all_png_formats();

// The sample of channel c (0 grey/red/index, 1 green, 2 blue, last alpha) at
// x, y for a bit depth; alpha cycles through 0, the maximum and a middle
// value so that transparent, opaque and blended pixels all occur.
uint16_t corpus_sample(int colour_type, int bit_depth, int x, int y, int channel);
// An image of the format whose samples are corpus_sample; palette images
// get a palette of every index.
png_spec corpus_image(int colour_type, int bit_depth, uint32_t width, uint32_t height,
                      bool interlaced = false);
// The colour of palette entry i in corpus images.
COLORREF corpus_palette_colour(int index);

// Decodes the bytes from memory as PNG.
bool decode_bytes(png_image& image, const std::string& bytes);
// The image drawn at its own size over a dib filled with background; the
// pixels top-down.
std::vector<COLORREF> draw_over(png_image& image, COLORREF background);
// The decoded content: size, depth, palette, transparency settings, every
// pixel (index or colour) and the alpha plane.
std::vector<uint32_t> decoded_content(const png_image& image);

// Chunks of a PNG file.
struct png_chunk {
    std::string type;
    std::string data;
};
std::vector<png_chunk> split_chunks(const std::string& file);
// The file made of the chunks, each with its length and a correct CRC.
std::string join_chunks(const std::vector<png_chunk>& chunks);
std::string be32(uint32_t value);
