#pragma once
// The MPEG audio decoder: MPEG-1, MPEG-2 and MPEG-2.5, layers I to III, one
// frame per call.
//
// The decoder does its own framing: it queues the pushed bytes, parses every
// frame header, checks each later header against the first one, waits for a
// whole frame, checks layer III side information and the bit reservoir, and
// only then hands the frame to the decoding core (libmpg123), whose samples
// the output stage (synth_output.h) converts into the caller's buffer.
//
// A decoder is used by one thread at a time; several decoders may run at
// once on different threads. Not copyable; destroy through the virtual
// destructor.
#include <cstdint>

class mpeg_decoder {
public:
    virtual ~mpeg_decoder() = default;

    // Sample rate in Hz of the last parsed header; 44100 before any.
    virtual int sample_rate() = 0;
    // Channels of the last parsed header (1 or 2); 0 before any.
    virtual int channels() = 0;
    // Drops the queued input and starts over: the next accepted header is the
    // new reference, the bit reservoir is empty and no filter history
    // survives. Keeps the options, `bitrate` and the dither state.
    virtual void reset() = 0;
    // Queues in_size bytes of in_data (in_data may be null: nothing queued)
    // and decodes at most one frame into out_data, from its start.
    // *out_bytes receives the bytes written (0 unless the result is 0).
    // Results:
    //    0  one frame decoded
    //    1  more input needed (fewer than 4 bytes while a header is expected,
    //       or the frame's body is incomplete)
    //   -1  error: out_capacity below the minimum (the input is then not
    //       queued), out of memory, a header with reserved values or one that
    //       differs from the first frame's (the 4 bytes are consumed), layer
    //       III side information with window switching and block type 0, or
    //       a frame the decoding core could not decode (the frame is consumed)
    //   -2  a layer III frame whose bit reservoir reaches back before the main
    //       data received since creation or reset; consumed, nothing written
    virtual int decode(const unsigned char* in_data, unsigned in_size, unsigned char* out_data,
                       int out_capacity, int* out_bytes) = 0;

    // Bit rate in kbit/s of the most recently accepted frame header; 0 until
    // the first one.
    int32_t bitrate = 0;
};

// Creates a decoder, or returns null when memory or the decoding core fails,
// or for format options without output routines.
//   single_precision  true: output stage in single precision (`mpeg_decoder_float`),
//                     false: in double precision (`mpeg_decoder_double`)
//   use_3dnow         ask the core for its 3DNow! routines (single precision
//                     only; ignored when the processor lacks them)
//   float_output, bits   0/16, 0/24, 0/32: signed integer PCM; 1/32: 32-bit float
//   dither_mode       0 none, 1 rectangular, 2 high-pass triangular, 3 shaped
// The minimum output capacity is bits / 8 * 2304 bytes (one frame of 1152
// stereo samples).
mpeg_decoder* create_mpeg_decoder(bool single_precision, bool use_3dnow, int float_output, int bits,
                                  int dither_mode);
