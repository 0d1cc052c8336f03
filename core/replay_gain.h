#pragma once
// replay_gain: scales each decoded block by the replay gain stored with its
// track (list_info::track_gain or album_gain, in dB), a singleton of
// zel_core. The playback thread calls process on every block after the
// loudness normalizer and before the equalizer.
//
// Modes: 0 off (the initial state), 1 track gain, 2 album gain, 3 no change
// (like off); any other value takes the album gain even when it is 0.0.
// A gain of 0.0 means "none known" and leaves the block alone in modes 1 and
// 2. The factor is 10 ^ ((gain + preamp) / 20); samples are rounded and
// clamped to their format's range (floats to [-1.0, 1.0]), so a gain that
// would clip is limited there. There is no per-track state: each block is
// judged by the entry passed with it.
//
// Ownership: a singleton; release does nothing.
// Threading: one lock guards the mode, the preamp and the processing of a
// block, so two crossfading playback threads take turns block by block.
// mode() and preamp() read without the lock.
#include "audio_format.h"
#include "component.h"

class list_info;

class replay_gain : public component {
public:
    static constexpr GUID iid = {0x1A81B84C, 0x0BC5, 0x4CCA, {0x9D, 0x23, 0x7D, 0x43, 0xF0, 0xDC, 0xBC, 0x62}};

    virtual int mode() = 0;
    // In dB.
    virtual double preamp() = 0;
    // No range check.
    virtual void set_mode(int mode) = 0;
    virtual void set_preamp(double db) = 0;
    // Scales the raw PCM block of `bytes` bytes in place: 16-bit, packed
    // 24-bit or 32-bit integers, or 32-bit floats (format tag 3); other
    // depths and a trailing partial sample are left alone.
    virtual void process(const list_info* track, const audio_format* format, void* data, int bytes) = 0;
};
