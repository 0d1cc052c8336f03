#pragma once
// Shared by the MPEG decoder tests: the generated fixtures (made by
// make_mpeg_fixtures.sh into ZEL_MPEG_FIXTURE_DIR), frame splitting and a
// driver that pushes a stream into a decoder the way the MPEG input does.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mpeg_decoder.h"

using bytes = std::vector<unsigned char>;

// The whole file of a fixture ("l3_cbr128_44k_joint.mp3", "....s16"); empty
// when missing.
bytes read_fixture(const std::string& name);

// Splits a stream that starts on a frame into whole frames (4-byte header
// included) by the decoder's own header parse; stops at the first
// unparsable header or an incomplete frame.
std::vector<bytes> split_frames(const bytes& stream);

// The big-endian header word of a frame, and the frame with a new one.
uint32_t header_word(const bytes& frame);
bytes with_header(bytes frame, uint32_t header);

struct decoder_deleter {
    void operator()(mpeg_decoder* d) const { delete d; }
};
using decoder_ptr = std::unique_ptr<mpeg_decoder, decoder_deleter>;

// A 16-bit, single-precision, undithered decoder: what the system runs.
decoder_ptr make_decoder();

struct decode_step {
    int result;
    int written;  // *out_bytes after the call
    bytes pcm;    // what the call wrote when the result is 0
};

// Pushes stream in pieces of piece bytes (0: all at once); after each push
// calls again with no input while the result is 0 or -2. A -1 ends the run.
// Returns every result other than 1, in order.
std::vector<decode_step> decode_stream(mpeg_decoder& decoder, const bytes& stream, size_t piece,
                                       int out_capacity = 16384);

// The parts one after another.
bytes join(const std::vector<bytes>& parts);
