// The RIFF WAVE format tag that decides whether a ".wav" file goes to the
// MPEG input and tag.
#include <gtest/gtest.h>

#include "mpeg_tag_test_support.h"
#include "wav_format.h"

using namespace mpeg_tag_test;

namespace {
bytes filler(size_t n) { return bytes(n, 0x11); }

bytes prefix(const bytes& b, size_t n) { return bytes(b.begin(), b.begin() + n); }

bytes with_size(bytes b, size_t at, uint32_t size) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(size >> (8 * i));
    return b;
}
}  // namespace

TEST(wav_format, format_tag_of_well_formed_and_damaged_files) {
    const bytes data = chunk("data", filler(200));
    const bytes fmt85 = chunk("fmt ", fmt_body(85));
    bytes odd_junk = chunk("LIST", filler(7));  // padded to 8
    bytes long_fmt_body = fmt_body(80);
    long_fmt_body.resize(30, 0);
    const struct {
        const char* name;
        bytes file;
        int expected;
    } rows[] = {
        {"pcm", wave({chunk("fmt ", fmt_body(1)), data}), 1},
        {"mpeg layer 3", wave({fmt85, data}), 85},
        {"mpeg", wave({chunk("fmt ", long_fmt_body), data}), 80},
        {"chunks before fmt", wave({odd_junk, chunk("JUNK", filler(20)), fmt85, data}), 85},
        {"chunks between fmt and data", wave({fmt85, chunk("fact", filler(4)), odd_junk, data}), 85},
        {"no data chunk", wave({fmt85, chunk("JUNK", filler(200))}), 0},
        {"data before fmt", wave({data, fmt85}), -1},
        {"fmt of 13 bytes", wave({chunk("fmt ", prefix(fmt_body(85), 13)), data}), -1},
        {"fmt over 65536 bytes", wave({chunk("fmt ", [] { bytes b = fmt_body(85); b.resize(65538, 0); return b; }()), data}), -1},
        {"fmt longer than the file", with_size(wave({fmt85, data}), 16, 5000), -1},
        {"no channels", wave({chunk("fmt ", fmt_body(85, 0)), data}), -1},
        {"257 channels", wave({chunk("fmt ", fmt_body(85, 257)), data}), -1},
        {"256 channels", wave({chunk("fmt ", fmt_body(85, 256)), data}), 85},
        {"rate 999", wave({chunk("fmt ", fmt_body(85, 2, 999)), data}), -1},
        {"rate 1000", wave({chunk("fmt ", fmt_body(85, 2, 1000)), data}), 85},
        {"rate 1000001", wave({chunk("fmt ", fmt_body(85, 2, 1000001)), data}), -1},
        {"no bytes per second", wave({chunk("fmt ", fmt_body(85, 2, 44100, 0)), data}), -1},
        {"no block align", wave({chunk("fmt ", fmt_body(85, 2, 44100, 16000, 0)), data}), -1},
        {"empty chunk before fmt", wave({chunk("JUNK", {}), fmt85, data}), -1},
        {"chunk before fmt past the end", with_size(wave({chunk("JUNK", filler(20)), fmt85, data}), 16, 100000), -1},
        {"chunk size near 4 GB", with_size(wave({chunk("JUNK", filler(20)), fmt85, data}), 16, 0xFFFFFFFEu), -1},
        {"not RIFF", [&] { bytes b = wave({fmt85, data}); b[0] = 'X'; return b; }(), -1},
        {"not WAVE", [&] { bytes b = wave({fmt85, data}); b[8] = 'X'; return b; }(), -1},
        {"41 bytes", prefix(wave({fmt85, data}), 41), -1},
    };
    for (const auto& r : rows) {
        memory_stream s(r.file, true, L"x.wav");
        EXPECT_EQ(wav_format_tag(&s), r.expected) << r.name;
        EXPECT_EQ(s.tell(), 0) << r.name;
    }
    EXPECT_EQ(wav_format_tag(nullptr), -1);
}

TEST(wav_format, reads_from_the_current_position_and_returns_to_it) {
    bytes file = filler(10);
    const bytes w = wave({chunk("fmt ", fmt_body(85)), chunk("data", filler(100))});
    file.insert(file.end(), w.begin(), w.end());
    memory_stream s(file, true, L"x.wav");
    EXPECT_EQ(wav_format_tag(&s), -1);  // "RIFF" is not at position 0
    s.seek(10, 0);
    EXPECT_EQ(wav_format_tag(&s), 85);
    EXPECT_EQ(s.tell(), 10);
}
