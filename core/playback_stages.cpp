// The processing stages of a playback thread, as the registry hands them out.
#include "playback_stages.h"
#include "core.h"
#include "equalizer.h"
#include "replay_gain.h"
#include "volume_normalizer.h"

namespace {
template <class Interface>
Interface* first_of() {
    return static_cast<Interface*>(core::enum_create_component(Interface::iid, 0));
}
}  // namespace

void playback_stages::acquire(bool music) {
    release();
    gain_ = first_of<replay_gain>();
    equalizer_ = first_of<equalizer>();
    if (music) normalizer_ = first_of<volume_normalizer>();
}

void playback_stages::release() {
    if (normalizer_) normalizer_->release();
    normalizer_ = nullptr;
    if (gain_) gain_->release();
    gain_ = nullptr;
    if (equalizer_) equalizer_->release();
    equalizer_ = nullptr;
}

void playback_stages::normalizer_set_strength(double strength) {
    if (normalizer_) normalizer_->set_strength(strength);
}

void* playback_stages::normalizer_process(void* data, int bytes, const audio_format* format, int* out_bytes) {
    if (!normalizer_) {
        *out_bytes = bytes;
        return data;
    }
    return normalizer_->process(data, bytes, format, out_bytes);
}

void* playback_stages::normalizer_drain(int max_bytes, int* out_bytes) {
    if (!normalizer_) {
        *out_bytes = 0;
        return nullptr;
    }
    return normalizer_->drain(max_bytes, out_bytes);
}

void playback_stages::normalizer_reset() {
    if (normalizer_) normalizer_->reset();
}

int playback_stages::normalizer_latency() const { return normalizer_ ? normalizer_->latency() : 0; }

void playback_stages::process(const list_info* entry, const audio_format* format, void* data, int bytes) {
    if (gain_) gain_->process(entry, format, data, bytes);
    if (equalizer_) equalizer_->process(data, bytes, format);
}
