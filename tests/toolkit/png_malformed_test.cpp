// Malformed PNG files: every truncation and every byte change of small
// images of each format, and hand-made broken chunks. The decoder answers
// each with a result (a failure carries a text) and never crashes; a failed
// decode keeps the image it had.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "png_corpus.h"
#include "png_image.h"

namespace {
// Decodes bytes into an image that holds a 2 x 2 image first; counts failures.
struct decode_outcome {
    int decoded = 0, failed = 0, failed_without_text = 0, lost_previous = 0;

    void run(const std::string& bytes) {
        png_image image;
        static const std::string previous = encode_png(corpus_image(2, 8, 2, 2));
        if (!decode_bytes(image, previous)) return;
        const std::vector<uint32_t> before = decoded_content(image);
        if (decode_bytes(image, bytes)) {
            ++decoded;
            draw_over(image, RGB(0, 0, 0));  // a decoded image can be drawn
            return;
        }
        ++failed;
        if (!image.last_error()[0]) ++failed_without_text;
        if (decoded_content(image) != before) ++lost_previous;
    }
};

std::vector<std::string> base_files() {
    std::vector<std::string> files;
    for (const corpus_case& format : all_png_formats()) {
        png_spec spec = corpus_image(format.colour_type, format.bit_depth, 5, 3, format.bit_depth == 8);
        if (format.colour_type == 3) spec.trns_alpha = {0, 128};
        if (format.colour_type == 2) spec.has_bkgd = true;
        files.push_back(encode_png(spec));
    }
    return files;
}
}  // namespace

TEST(png_malformed, every_truncation_fails_cleanly) {
    decode_outcome outcome;
    for (const std::string& file : base_files())
        for (size_t length = 0; length < file.size(); ++length) outcome.run(file.substr(0, length));
    EXPECT_EQ(outcome.decoded, 0);
    EXPECT_EQ(outcome.failed_without_text, 0);
    EXPECT_EQ(outcome.lost_previous, 0);
}

TEST(png_malformed, every_changed_byte_is_answered) {
    // Each byte of each chunk's data is replaced by three values; the chunk's
    // CRC is made right again, so that the change reaches the parser.
    decode_outcome outcome;
    for (const std::string& file : base_files()) {
        const std::vector<png_chunk> chunks = split_chunks(file);
        for (size_t c = 0; c < chunks.size(); ++c)
            for (size_t i = 0; i < chunks[c].data.size(); ++i)
                for (unsigned char value : {0x00, 0xFF, 0x7F}) {
                    std::vector<png_chunk> changed = chunks;
                    changed[c].data[i] =
                        static_cast<char>(value ^ (changed[c].data[i] == char(value) ? 1 : 0));
                    outcome.run(join_chunks(changed));
                }
    }
    EXPECT_GT(outcome.failed, 100);
    EXPECT_GT(outcome.decoded, 100);
    EXPECT_EQ(outcome.failed_without_text, 0);
    EXPECT_EQ(outcome.lost_previous, 0);
}

TEST(png_malformed, broken_chunks) {
    const std::string rgb = encode_png(corpus_image(2, 8, 5, 3));
    const std::string palette = encode_png(corpus_image(3, 4, 5, 3));
    auto edit = [](const std::string& file, void (*change)(std::vector<png_chunk>&)) {
        std::vector<png_chunk> chunks = split_chunks(file);
        change(chunks);
        return join_chunks(chunks);
    };
    struct {
        const char* what;
        std::string file;
        bool decodes = false;  // a broken ancillary chunk is passed over
    } cases[] = {
        {"zero width", edit(rgb, [](std::vector<png_chunk>& c) { c[0].data.replace(0, 4, be32(0)); })},
        {"bit depth 3", edit(rgb, [](std::vector<png_chunk>& c) { c[0].data[8] = 3; })},
        {"colour type 5", edit(rgb, [](std::vector<png_chunk>& c) { c[0].data[9] = 5; })},
        {"interlace method 2", edit(rgb, [](std::vector<png_chunk>& c) { c[0].data[12] = 2; })},
        {"no palette", edit(palette, [](std::vector<png_chunk>& c) { c.erase(c.begin() + 1); })},
        {"palette of 300 entries",
         edit(palette, [](std::vector<png_chunk>& c) { c[1].data = std::string(900, '\x10'); })},
        {"tRNS longer than the palette", edit(palette,
                                              [](std::vector<png_chunk>& c) {
                                                  c.insert(c.begin() + 2, {"tRNS", std::string(40, '\0')});
                                              }),
         true},
        {"bKGD index beyond the palette", edit(palette,
                                               [](std::vector<png_chunk>& c) {
                                                   c.insert(c.begin() + 2, {"bKGD", std::string(1, '\x7F')});
                                               }),
         true},
        {"bKGD of the wrong length", edit(rgb,
                                          [](std::vector<png_chunk>& c) {
                                              c.insert(c.begin() + 1, {"bKGD", std::string(2, '\0')});
                                          }),
         true},
        {"no image data", edit(rgb, [](std::vector<png_chunk>& c) { c.erase(c.end() - 2); })},
        {"image data that is not zlib",
         edit(rgb, [](std::vector<png_chunk>& c) { c[c.size() - 2].data = std::string(40, '\x55'); })},
        {"image data too short", edit(rgb,
                                      [](std::vector<png_chunk>& c) {
                                          c[c.size() - 2].data.resize(c[c.size() - 2].data.size() / 2);
                                      })},
        {"no IHDR", edit(rgb, [](std::vector<png_chunk>& c) { c.erase(c.begin()); })},
        {"critical chunk unknown", edit(rgb,
                                        [](std::vector<png_chunk>& c) {
                                            c.insert(c.begin() + 1, {"ABCD", "x"});
                                        })},
        {"bad CRC", rgb.substr(0, rgb.size() - 5) + "XXXXX"},
        {"signature only", rgb.substr(0, 8)},
        {"empty", std::string()},
        {"text", std::string("hello, this is not an image")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        decode_outcome outcome;
        outcome.run(c.file);
        EXPECT_EQ(outcome.decoded + outcome.failed, 1) << "the previous image did not decode";
        EXPECT_EQ(outcome.decoded, c.decodes ? 1 : 0);
        EXPECT_EQ(outcome.failed_without_text, 0);
        EXPECT_EQ(outcome.lost_previous, 0);
    }
}
