// The PNG decoder: a generated corpus of every colour type and bit depth,
// interlaced twins, palettes and transparency, truncated and oversized files.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dib.h"
#include "png_corpus.h"
#include "png_image.h"
#include "toolkit_test_ids.h"

namespace {
const COLORREF kTarget = RGB(40, 80, 120);

BYTE scale_to_8(uint16_t v, int depth) {
    if (depth == 16) return static_cast<BYTE>(v >> 8);
    return static_cast<BYTE>(v * (255 / ((1 << depth) - 1)));
}

// What the drawing of a pixel must blend: (t * (255 - a) + s * a) >> 8.
BYTE blend(BYTE target, BYTE source, unsigned a) {
    if (a == 0) return target;
    if (a == 255) return source;
    return static_cast<BYTE>((target * (255 - a) + source * a) >> 8);
}

// The colour a corpus pixel shows when drawn over kTarget, and how far the
// decoder may be from it (compositing done by libpng rounds its own way).
COLORREF expected_colour(int type, int depth, int x, int y, int* tolerance) {
    *tolerance = 0;
    auto s = [&](int c) { return scale_to_8(corpus_sample(type, depth, x, y, c), depth); };
    switch (type) {
        case 0:
            return RGB(s(0), s(0), s(0));
        case 2:
            return RGB(s(0), s(1), s(2));
        case 3:
            return corpus_palette_colour(corpus_sample(type, depth, x, y, 0));
        default:
            break;
    }
    const int alpha_channel = type == 4 ? 1 : 3;
    const uint16_t alpha = corpus_sample(type, depth, x, y, alpha_channel);
    const BYTE r = s(0), g = type == 4 ? s(0) : s(1), b = type == 4 ? s(0) : s(2);
    if (depth * (type == 4 ? 2 : 4) == 32) {  // an alpha plane, blended when drawn
        const unsigned a = scale_to_8(alpha, depth);
        const BYTE t[3] = {GetRValue(kTarget), GetGValue(kTarget), GetBValue(kTarget)};
        return RGB(blend(t[0], r, a), blend(t[1], g, a), blend(t[2], b, a));
    }
    // Composited while decoding: grey + alpha over grey 0, RGBA over grey 192.
    const double a = alpha / static_cast<double>((1u << depth) - 1);
    const double back = type == 4 ? 0 : 192;
    if (a != 0 && a != 1) *tolerance = 1;
    auto mix = [&](BYTE v) { return static_cast<BYTE>(v * a + back * (1 - a) + 0.5); };
    return RGB(mix(r), mix(g), mix(b));
}

std::string corpus_file(int type, int depth, bool interlaced, uint32_t w = 13, uint32_t h = 9) {
    return encode_png(corpus_image(type, depth, w, h, interlaced));
}
}  // namespace

TEST(png_decoder, every_colour_type_and_bit_depth_shows_its_pixels) {
    for (const corpus_case& format : all_png_formats()) {
        SCOPED_TRACE(format.name);
        png_image image;
        ASSERT_TRUE(decode_bytes(image, corpus_file(format.colour_type, format.bit_depth, false)))
            << image.last_error();
        EXPECT_EQ(image.width(), 13);
        EXPECT_EQ(image.height(), 9);
        const int depth = format.bit_depth * png_channels(format.colour_type);
        const unsigned bits = depth > 16 ? 24 : depth == 16 ? 8 : depth == 2 ? 4 : depth;
        EXPECT_EQ(image.bit_count(), bits);
        EXPECT_EQ(image.colours_used(), bits == 24 ? 0u : 1u << bits);
        EXPECT_EQ(image.has_alpha(), format.colour_type == 6 || (format.colour_type == 4 && depth == 32));

        const std::vector<COLORREF> drawn = draw_over(image, kTarget);
        ASSERT_EQ(drawn.size(), 13u * 9u);
        int wrong = 0;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 13; ++x) {
                int tolerance;
                const COLORREF want = expected_colour(format.colour_type, format.bit_depth, x, y, &tolerance);
                const COLORREF got = drawn[y * 13 + x];
                const bool close = std::abs(GetRValue(got) - GetRValue(want)) <= tolerance &&
                                   std::abs(GetGValue(got) - GetGValue(want)) <= tolerance &&
                                   std::abs(GetBValue(got) - GetBValue(want)) <= tolerance;
                if (!close && ++wrong <= 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": got " << std::hex << got << " want "
                                  << want;
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(png_decoder, interlaced_images_equal_their_twins) {
    // Sizes that leave some of the seven passes empty, and one that fills all.
    const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {3, 2}, {13, 9}, {33, 17}};
    for (const corpus_case& format : all_png_formats()) {
        for (auto size : sizes) {
            SCOPED_TRACE(testing::Message() << format.name << " " << size.first << "x" << size.second);
            png_image plain, interlaced;
            ASSERT_TRUE(decode_bytes(
                plain, corpus_file(format.colour_type, format.bit_depth, false, size.first, size.second)));
            ASSERT_TRUE(decode_bytes(
                interlaced, corpus_file(format.colour_type, format.bit_depth, true, size.first, size.second)))
                << interlaced.last_error();
            EXPECT_EQ(decoded_content(plain), decoded_content(interlaced));
        }
    }
}

TEST(png_decoder, low_bit_greys_get_their_grey_palettes) {
    struct {
        int depth;
        unsigned bits;
        std::vector<BYTE> greys;
    } cases[] = {{1, 1, {0, 255}}, {2, 4, {0, 85, 170, 255}}, {4, 4, {0, 17, 34, 51}}, {8, 8, {0, 1, 2, 3}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "grey " << c.depth);
        png_image image;
        ASSERT_TRUE(decode_bytes(image, corpus_file(0, c.depth, false)));
        EXPECT_EQ(image.bit_count(), c.bits);
        for (size_t i = 0; i < c.greys.size(); ++i) {
            const RGBQUAD q = image.palette_color(static_cast<unsigned>(i));
            EXPECT_EQ(q.rgbRed, c.greys[i]);
            EXPECT_EQ(q.rgbGreen, c.greys[i]);
            EXPECT_EQ(q.rgbBlue, c.greys[i]);
        }
        // Each pixel's index is its grey level; row 0 of the bitmap is the bottom row.
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(image.pixel_index(x, 8 - y), corpus_sample(0, c.depth, x, y, 0)) << x << "," << y;
    }
    // 2-bit images become 4-bit ones: the twelve entries above 3 stay black.
    png_image two;
    ASSERT_TRUE(decode_bytes(two, corpus_file(0, 2, false)));
    for (unsigned i = 4; i < 16; ++i) EXPECT_EQ(two.palette_color(i).rgbRed, 0);
}

TEST(png_decoder, palette_transparency) {
    // One tRNS entry of 0: index 0 is the transparent index.
    png_spec spec = corpus_image(3, 4, 13, 9);
    spec.trns_alpha = {0};
    png_image keyed;
    ASSERT_TRUE(decode_bytes(keyed, encode_png(spec)));
    EXPECT_EQ(keyed.transparent_index(), 0);
    EXPECT_FALSE(keyed.alpha_palette());
    std::vector<COLORREF> drawn = draw_over(keyed, kTarget);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) {
            const int index = corpus_sample(3, 4, x, y, 0);
            ASSERT_EQ(drawn[y * 13 + x], index == 0 ? kTarget : corpus_palette_colour(index))
                << x << "," << y;
        }

    // Other tRNS data: the entries' alpha values apply, the rest are opaque.
    spec.trns_alpha = {255, 0, 128, 64};
    png_image blended;
    ASSERT_TRUE(decode_bytes(blended, encode_png(spec)));
    EXPECT_EQ(blended.transparent_index(), -1);
    EXPECT_TRUE(blended.alpha_palette());
    EXPECT_EQ(blended.palette_color(2).rgbReserved, 128);
    EXPECT_EQ(blended.palette_color(9).rgbReserved, 255);
    drawn = draw_over(blended, kTarget);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) {
            const int index = corpus_sample(3, 4, x, y, 0);
            const unsigned a = index < 4 ? (255u * (spec.trns_alpha[index] + 1u)) >> 8 : 255u;
            const COLORREF c = corpus_palette_colour(index);
            const COLORREF want =
                RGB(blend(GetRValue(kTarget), GetRValue(c), a), blend(GetGValue(kTarget), GetGValue(c), a),
                    blend(GetBValue(kTarget), GetBValue(c), a));
            ASSERT_EQ(drawn[y * 13 + x], want) << x << "," << y;
        }
}

TEST(png_decoder, colour_transparency_is_composited_over_the_background) {
    // tRNS colour of an RGB image: those pixels become grey 192, or the bKGD
    // colour when the file has one.
    png_spec spec = corpus_image(2, 8, 13, 9);
    const int tx = 4, ty = 2;
    spec.has_trns_colour = true;
    spec.trns_colour.red = corpus_sample(2, 8, tx, ty, 0);
    spec.trns_colour.green = corpus_sample(2, 8, tx, ty, 1);
    spec.trns_colour.blue = corpus_sample(2, 8, tx, ty, 2);
    for (bool with_background : {false, true}) {
        SCOPED_TRACE(with_background ? "bKGD" : "no bKGD");
        spec.has_bkgd = with_background;
        spec.bkgd.red = 10;
        spec.bkgd.green = 20;
        spec.bkgd.blue = 30;
        png_image image;
        ASSERT_TRUE(decode_bytes(image, encode_png(spec)));
        EXPECT_FALSE(image.has_alpha());
        const std::vector<COLORREF> drawn = draw_over(image, kTarget);
        EXPECT_EQ(drawn[ty * 13 + tx], with_background ? RGB(10, 20, 30) : RGB(192, 192, 192));
        int tolerance;
        EXPECT_EQ(drawn[0], expected_colour(2, 8, 0, 0, &tolerance));
    }

    // 8-bit RGBA keeps its alpha plane; its bKGD becomes the transparent colour.
    png_spec rgba = corpus_image(6, 8, 5, 5);
    rgba.has_bkgd = true;
    rgba.bkgd.red = 1;
    rgba.bkgd.green = 2;
    rgba.bkgd.blue = 3;
    png_image with_alpha;
    ASSERT_TRUE(decode_bytes(with_alpha, encode_png(rgba)));
    EXPECT_TRUE(with_alpha.has_alpha());
    const RGBQUAD t = with_alpha.transparent_color();
    EXPECT_EQ(t.rgbRed, 1);
    EXPECT_EQ(t.rgbGreen, 2);
    EXPECT_EQ(t.rgbBlue, 3);
}

TEST(png_decoder, a_truncated_file_fails_with_read_error_and_keeps_the_image) {
    const std::string good = corpus_file(2, 8, false, 20, 20);
    const std::string other = corpus_file(6, 8, false, 40, 30);
    png_image image;
    ASSERT_TRUE(decode_bytes(image, good));
    const std::vector<uint32_t> before = decoded_content(image);
    // Cut inside the image data, and just before the end chunk.
    for (size_t length : {other.size() / 2, other.size() - 12, size_t(33)}) {
        SCOPED_TRACE(testing::Message() << "cut at " << length);
        EXPECT_FALSE(decode_bytes(image, other.substr(0, length)));
        EXPECT_STREQ(image.last_error(), "Read Error");
        EXPECT_EQ(decoded_content(image), before);
    }
    // The same through a file, which load reads twice.
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"png", 0, path);
    ASSERT_TRUE(write_binary_file(path, other.substr(0, other.size() / 2)));
    EXPECT_FALSE(image.load(path, png_image::type_png));
    EXPECT_STREQ(image.last_error(), "Read Error");
    EXPECT_EQ(decoded_content(image), before);
    DeleteFileW(path);
}

// The bitmap's size was computed in 32 bits: a file claiming 1,000,000 x 1432
// pixels wrapped to a 1 MB block that rows 4 GB long were then written into.
TEST(png_decoder, huge_dimensions_are_refused_before_any_allocation) {
    std::vector<png_chunk> chunks = split_chunks(corpus_file(2, 8, false, 4, 4));
    ASSERT_EQ(chunks.front().type, "IHDR");
    chunks.front().data.replace(0, 8, be32(1000000) + be32(1432));
    png_image image;
    ASSERT_TRUE(decode_bytes(image, corpus_file(0, 8, false)));
    const std::vector<uint32_t> before = decoded_content(image);
    EXPECT_FALSE(decode_bytes(image, join_chunks(chunks)));
    EXPECT_STREQ(image.last_error(), "PNG_IMAGE_MAX_MEMORY exceeded");
    EXPECT_EQ(decoded_content(image), before);

    struct {
        unsigned long w, h, bits;
        const char* error;
    } cases[] = {
        {1000000, 1432, 24, "PNG_IMAGE_MAX_MEMORY exceeded"},
        {100000, 100000, 1, "PNG_IMAGE_MAX_MEMORY exceeded"},
        {0xFFFFFFFFul, 0xFFFFFFFFul, 24, "PNG_IMAGE_MAX_MEMORY exceeded"},
        {0, 5, 8, "png_image::create : width and height must be greater than zero"},
        {5, 0, 8, "png_image::create : width and height must be greater than zero"},
    };
    for (const auto& c : cases) {
        png_image blank;
        EXPECT_EQ(blank.create(c.w, c.h, c.bits, png_image::type_png), nullptr);
        EXPECT_STREQ(blank.last_error(), c.error);
        EXPECT_FALSE(blank.has_image());
    }
    png_image fine;
    EXPECT_NE(fine.create(2048, 2048, 24, png_image::type_png), nullptr);
}

TEST(png_decoder, files_resources_and_memory_decode_alike) {
    const std::string bytes = corpus_file(2, 8, false);
    png_image from_memory;
    ASSERT_TRUE(decode_bytes(from_memory, bytes));

    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"png", 0, path);
    ASSERT_TRUE(write_binary_file(path, bytes));
    png_image wide, ansi, recognised;
    EXPECT_TRUE(wide.load(path, png_image::type_png));
    char ansi_path[MAX_PATH];
    WideCharToMultiByte(CP_ACP, 0, path, -1, ansi_path, MAX_PATH, nullptr, nullptr);
    EXPECT_TRUE(ansi.load(ansi_path, png_image::type_png));
    EXPECT_TRUE(recognised.load(path, png_image::type_unknown));
    EXPECT_EQ(decoded_content(wide), decoded_content(from_memory));
    EXPECT_EQ(decoded_content(ansi), decoded_content(from_memory));
    EXPECT_EQ(decoded_content(recognised), decoded_content(from_memory));

    // Not a PNG: the text of the PNG decoder's own failure stays.
    ASSERT_TRUE(write_binary_file(path, "GIF89a not a png at all"));
    png_image refused;
    EXPECT_FALSE(refused.load(path, png_image::type_png));
    EXPECT_STRNE(refused.last_error(), "");
    EXPECT_STRNE(refused.last_error(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(refused.load(path, png_image::type_unknown));
    EXPECT_STREQ(refused.last_error(), "Decode: Unknown or wrong format");
    DeleteFileW(path);
    png_image missing;
    EXPECT_FALSE(missing.load(L"Z:\\no\\such\\file.png", png_image::type_png));
    EXPECT_STREQ(missing.last_error(), "");

    png_image other_type;
    std::vector<unsigned char> copy(bytes.begin(), bytes.end());
    EXPECT_FALSE(other_type.decode(copy.data(), static_cast<unsigned long>(copy.size()), 5));
    EXPECT_STREQ(other_type.last_error(), "Decode: Unknown or wrong format");

    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(IDR_PROBE_PNG), L"PNG");
    ASSERT_NE(resource, nullptr);
    png_image from_resource;
    ASSERT_TRUE(from_resource.load_resource(resource, png_image::type_png, module));
    EXPECT_EQ(from_resource.width(), 4);
    EXPECT_EQ(from_resource.height(), 3);
}
