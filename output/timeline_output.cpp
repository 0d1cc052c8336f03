// The timeline of a sound device without a sound card: outputs are voices of
// one mixer that writes what the device would play into one WAV file.
//
// Lock: one critsec of the mixer over the voices, the clock and the file;
// every operation of a voice takes it.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

#include "critsec.h"
#include "output.h"
#include "sim_device.h"
#include "timeline_output.h"
#include "wav_file_output.h"
#include "wav_writer.h"

namespace {

const long long micro = 1000000;
const int device_channels = 2;
// Frames mixed in one go, and the stretch after which the file's header is
// brought up to date.
const long long mix_block = 4096;
const long long header_every = timeline_sample_rate;

// One input sample as a float in -1..1.
float sample_at(const pcm_format& f, const unsigned char* p) {
    if (f.format_tag == 3) {
        float v;
        memcpy(&v, p, 4);
        return v;
    }
    switch (f.bits_per_sample) {
    case 8: return (static_cast<int>(p[0]) - 128) / 128.0f;
    case 16: return static_cast<short>(p[0] | (p[1] << 8)) / 32768.0f;
    case 24: {
        int v = p[0] | (p[1] << 8) | (p[2] << 16);
        if (v & 0x800000) v -= 0x1000000;
        return v / 8388608.0f;
    }
    default: {
        int v;
        memcpy(&v, p, 4);
        return static_cast<float>(v / 2147483648.0);
    }
    }
}

struct voice {
    pcm_format format;          // of the last write
    std::deque<float> queued;   // device frames (left, right) not yet played
    size_t capacity_frames = 0;
    bool paused = false;
    int volume = 1000;
    bool mute = false;
    // The rate converter: the input frame before the next one, and where
    // the next device frame lies between the two (0..1).
    float previous[device_channels] = {0, 0};
    bool has_previous = false;
    double phase = 0.0;

    size_t queued_frames() const { return queued.size() / device_channels; }

    // Input frames that fit into the room left.
    long long room_in_frames() const {
        const long long room = static_cast<long long>(capacity_frames) - static_cast<long long>(queued_frames());
        if (room <= 0) return 0;
        return room * format.sample_rate / timeline_sample_rate;
    }

    void append(const unsigned char* bytes, long long frames) {
        const int bpf = format.bytes_per_frame();
        const int bps = format.bytes_per_sample();
        const double step = static_cast<double>(format.sample_rate) / timeline_sample_rate;
        for (long long i = 0; i < frames; ++i) {
            const unsigned char* frame = bytes + i * bpf;
            float now[device_channels];
            now[0] = sample_at(format, frame);
            now[1] = format.channels > 1 ? sample_at(format, frame + bps) : now[0];
            if (!has_previous) {
                previous[0] = now[0];
                previous[1] = now[1];
                has_previous = true;
                phase = 0.0;
                continue;
            }
            while (phase < 1.0) {
                for (int c = 0; c < device_channels; ++c)
                    queued.push_back(previous[c] + (now[c] - previous[c]) * static_cast<float>(phase));
                phase += step;
            }
            phase -= 1.0;
            previous[0] = now[0];
            previous[1] = now[1];
        }
    }
};

class timeline_mixer {
public:
    static timeline_mixer& instance() {
        static timeline_mixer mixer;
        return mixer;
    }

    critsec lock;

    void configure(const std::wstring& path, double speed) {
        if (configured_) return;
        configured_ = true;
        path_ = path;
        clock_.set_auto(speed);
    }

    void add(voice* v) { voices_.push_back(v); }

    void remove(voice* v) {
        advance();
        voices_.erase(std::remove(voices_.begin(), voices_.end(), v), voices_.end());
        if (writer_.is_open()) writer_.update_header();
    }

    // The timeline begins with the first sample that any voice is given.
    void begin() {
        if (started_) return;
        started_ = true;
        origin_us_ = clock_.now_us();
    }

    // Plays the time from the last call to now.
    void advance() {
        if (!started_) return;
        const long long target = (clock_.now_us() - origin_us_) * timeline_sample_rate / micro;
        while (rendered_ < target && !failed_) {
            const long long n = std::min(mix_block, target - rendered_);
            mix(static_cast<size_t>(n));
            rendered_ += n;
            if (rendered_ - header_at_ >= header_every) {
                writer_.update_header();
                header_at_ = rendered_;
            }
        }
    }

    void mark_track_end() {
        if (writer_.is_open()) writer_.update_header();
        header_at_ = rendered_;
    }

    bool failed() const { return failed_; }

private:
    timeline_mixer() = default;

    void mix(size_t frames) {
        std::vector<float> sum(frames * device_channels, 0.0f);
        for (voice* v : voices_) {
            if (v->paused) continue;
            const size_t n = std::min(frames, v->queued_frames());
            const float gain = v->mute ? 0.0f : static_cast<float>(std::max(0, std::min(1000, v->volume))) / 1000.0f;
            for (size_t i = 0; i < n * device_channels; ++i) sum[i] += v->queued[i] * gain;
            v->queued.erase(v->queued.begin(), v->queued.begin() + static_cast<std::ptrdiff_t>(n * device_channels));
        }
        std::vector<short> pcm(sum.size());
        for (size_t i = 0; i < sum.size(); ++i) {
            const float s = std::max(-1.0f, std::min(1.0f, sum[i])) * 32767.0f;
            pcm[i] = static_cast<short>(s < 0 ? s - 0.5f : s + 0.5f);
        }
        if (!writer_.is_open()) {
            pcm_format f;
            f.format_tag = 1;
            f.channels = device_channels;
            f.sample_rate = timeline_sample_rate;
            f.bits_per_sample = 16;
            if (!writer_.open(claim_wav_path(path_), f)) {
                failed_ = true;
                return;
            }
        }
        if (!writer_.append(pcm.data(), static_cast<int>(pcm.size() * sizeof(short)))) failed_ = true;
    }

    bool configured_ = false;
    std::wstring path_;
    sim_clock clock_;
    bool started_ = false;
    long long origin_us_ = 0;
    long long rendered_ = 0;
    long long header_at_ = 0;
    std::vector<voice*> voices_;
    wav_writer writer_;
    bool failed_ = false;
};

class timeline_output : public per_use_component<timeline_output, output> {
public:
    timeline_output(const std::wstring& path, int buffer_ms, double speed) {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        m.configure(path, speed);
        voice_.capacity_frames = static_cast<size_t>(static_cast<long long>(buffer_ms) * timeline_sample_rate / 1000);
        if (voice_.capacity_frames == 0) voice_.capacity_frames = 1;
        m.add(&voice_);
    }

    ~timeline_output() override {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        m.remove(&voice_);
    }

    const wchar_t* name() override { return L"timeline"; }

    int write(const audio_format* format, const void* bytes, int count) override {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        const pcm_format f = pcm_format::from(format);
        if (m.failed() || !format || !f.is_playable() || (count > 0 && !bytes)) return -1;
        m.advance();
        if (count <= 0) return 0;
        if (f != voice_.format) {
            voice_.format = f;
            voice_.has_previous = false;
        }
        const long long offered = count / f.bytes_per_frame();
        const long long frames = std::min(offered, voice_.room_in_frames());
        if (frames <= 0) return 0;
        m.begin();
        voice_.append(static_cast<const unsigned char*>(bytes), frames);
        return m.failed() ? -1 : static_cast<int>(frames * f.bytes_per_frame());
    }

    int get_volume() override { return voice_.volume; }

    void pause(bool paused) override {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        m.advance();
        voice_.paused = paused;
    }

    bool is_finished() override {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        m.advance();
        return voice_.queued.empty();
    }

    bool is_paused() override {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        return voice_.paused;
    }

    int buffered_bytes() override {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        m.advance();
        if (voice_.format.sample_rate <= 0) return 0;
        return static_cast<int>(static_cast<long long>(voice_.queued_frames()) * voice_.format.sample_rate /
                                timeline_sample_rate * voice_.format.bytes_per_frame());
    }

    void set_volume(int volume) override {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        m.advance();
        voice_.volume = volume;
    }

    void set_mute(bool mute) override {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        m.advance();
        voice_.mute = mute;
    }

    void start(double) override {}

    void seek(double, int) override {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        m.advance();
        voice_.queued.clear();
        voice_.has_previous = false;
    }

    void finish_track(int) override {
        timeline_mixer& m = timeline_mixer::instance();
        auto_sync guard(m.lock);
        m.advance();
        m.mark_track_end();
    }

    void refresh() override {}

private:
    voice voice_;
};

}  // namespace

output* make_timeline_output(const std::wstring& path, int buffer_ms, double speed) {
    return new timeline_output(path, buffer_ms, speed);
}
