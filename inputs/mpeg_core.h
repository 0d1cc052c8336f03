#pragma once
// The decoding core under the MPEG decoder: one libmpg123 handle in feed
// mode that receives exactly one accepted frame at a time and returns that
// frame's samples as 32-bit floats at nominal full scale 1.0, interleaved.
//
// The decoder keeps the library in lock-step with its own framing: every
// frame handed in must come out as exactly one frame of the expected length
// with nothing left in the library's input buffer. Anything else restarts
// the library (its bit reservoir and filter history are lost) and reports
// failure.
struct mpg123_handle_struct;

class mpeg_core {
public:
    mpeg_core() = default;
    ~mpeg_core();
    mpeg_core(const mpeg_core&) = delete;
    mpeg_core& operator=(const mpeg_core&) = delete;

    // Makes the library handle: the SSE routines, or the 3DNow! ones when
    // asked for and the processor has them. False when the library fails.
    bool create(bool use_3dnow);
    // Starts a new stream: no main data and no filter history survive.
    void restart();
    // Decodes one frame (the 4 header bytes with the sync bits set, the CRC
    // when present, the body). Returns expected_samples interleaved samples
    // (valid until the next call), or null.
    const float* decode_frame(const unsigned char* frame, int size, int expected_samples);
    // The library's name for the routines in use ("SSE", ...), for diagnostics.
    const char* routines() const;

private:
    mpg123_handle_struct* handle_ = nullptr;
    bool open_ = false;
};
