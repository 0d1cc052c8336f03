#pragma once
// The processing stages a playback thread passes its blocks through, in
// order: the loudness normalizer (music player only), replay gain, the
// equalizer. Each thread owns one playback_stages: the per-use normalizer is
// its own, the replay gain and equalizer singletons are shared and guard
// themselves. A stage that is not registered is skipped: the block passes
// unchanged and nothing is held back.
#include "audio_format.h"

class equalizer;
class list_info;
class replay_gain;
class volume_normalizer;

class playback_stages {
public:
    playback_stages() = default;
    ~playback_stages() { release(); }
    playback_stages(const playback_stages&) = delete;
    playback_stages& operator=(const playback_stages&) = delete;

    // Fetches the stages at the start of a run; music: the thread plays for
    // the music player, which alone gets a normalizer.
    void acquire(bool music);
    // Releases the normalizer and lets go of the shared stages.
    void release();

    bool has_normalizer() const { return normalizer_ != nullptr; }
    void normalizer_set_strength(double strength);
    // The processed (delayed) block and its size.
    void* normalizer_process(void* data, int bytes, const audio_format* format, int* out_bytes);
    // Held audio after the input ended; null and 0 when nothing is held.
    void* normalizer_drain(int max_bytes, int* out_bytes);
    void normalizer_reset();
    // Bytes of real audio held.
    int normalizer_latency() const;

    // Replay gain, then the equalizer, in place.
    void process(const list_info* entry, const audio_format* format, void* data, int bytes);

private:
    replay_gain* gain_ = nullptr;
    equalizer* equalizer_ = nullptr;
    volume_normalizer* normalizer_ = nullptr;
};
