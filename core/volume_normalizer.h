#pragma once
// volume_normalizer: the loudness stage of the music player, a per-use
// component of zel_core. A look-ahead peak normalizer: it delays the audio
// by two seconds, follows the peaks about to come with an envelope that
// ramps in straight lines so as to reach each peak as it leaves the delay,
// and scales every sample by envelope ^ (-strength), at most 25 times
// (about 28 dB), silence at 1. Strength 1.0 brings the peaks to full scale,
// 0.5 halves the level difference in dB, 0.0 leaves the level alone.
//
// The playback thread makes one for each thread of the music player, passes
// every block through process while normalization is on (reset on every
// block while it is off, and after a seek), drains the held audio once the
// input has ended, and subtracts latency from the position it publishes.
// After a (re)start the first two seconds yield no output: the first blocks
// come back empty, then one partial block, then blocks as long as the input.
//
// Formats: 16-bit, packed 24-bit and 32-bit integers, 32-bit floats (format
// tag 3); integers come out truncated toward zero and kept within their
// range. Blocks of other formats pass unchanged (and drop what is held).
// A partial frame at the end of a block is kept and joined to the next one.
//
// Ownership: made per use; release deletes it. process and drain return a
// buffer of the object, valid until its next call.
// Threading: used only by the thread that made it; no lock.
#include "audio_format.h"
#include "component.h"

class volume_normalizer : public component {
public:
    static constexpr GUID iid = {0x58E11A0F, 0x11AA, 0x4443, {0xB4, 0xB3, 0x79, 0x8A, 0xE8, 0x7E, 0x59, 0x2E}};

    virtual double strength() = 0;
    // The exponent of the envelope, kept within 0.0 to 1.0 (above 1.0 the
    // output would pass full scale; a value that is no number counts as 1.0).
    virtual void set_strength(double strength) = 0;
    // Takes one raw block; returns the processed, delayed samples and their
    // byte count in *out_bytes: fewer than bytes while the delay fills, 0
    // during the first two seconds.
    virtual void* process(void* data, int bytes, const audio_format* format, int* out_bytes) = 0;
    // Drops what the delay holds and clears the envelope; the next block
    // starts a new two-second delay.
    virtual void reset() = 0;
    // Releases up to max_bytes of the held audio; null and *out_bytes = 0
    // when nothing is held. A track shorter than the delay is released too.
    virtual void* drain(int max_bytes, int* out_bytes) = 0;
    // Bytes of real audio held: what is left to drain while draining.
    virtual int latency() = 0;
    virtual ~volume_normalizer() {}
};
