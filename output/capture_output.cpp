// The capture output: records every call on its session and keeps the bytes
// it takes per track segment, while a simulated buffer on the shared clock
// decides how much it takes and when it has played.
#include <cstring>
#include "capture_hub.h"
#include "output.h"
#include "pcm_format.h"

namespace {
capture_format to_capture(const pcm_format& f) {
    return capture_format{f.format_tag, f.channels, f.sample_rate, f.bits_per_sample, f.channel_mask};
}

bool same_format(const capture_format& a, const capture_format& b) {
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}

capture_track open_track() {
    capture_track t;
    t.format = capture_format{0, 0, 0, 0, 0};
    t.start_length = -1.0;
    t.finish_fade_ms = -1;
    t.bytes = 0;
    return t;
}

class capture_output : public per_use_component<capture_output, output> {
public:
    explicit capture_output(std::shared_ptr<capture_session> session) : session_(std::move(session)) {
        session_->tracks.push_back(open_track());
    }

    ~capture_output() {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        record(capture_op::release, 0, 0.0);
        hub.close_session(session_.get());
    }

    const wchar_t* name() override { return L"capture"; }

    int write(const audio_format* format, const void* bytes, int count) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        capture_session& s = *session_;
        hub.update(s);
        pcm_format f = pcm_format::from(format);
        long long offset = s.buffer.written();
        int taken = 0;
        if (!format || !f.is_timed() || (count > 0 && !bytes)) taken = -1;
        else if (hub.refuse_after >= 0 && s.taken_writes >= hub.refuse_after) taken = -1;
        else if (count > 0) taken = s.buffer.accept(f, count);
        if (taken > 0) keep(hub, f, bytes, taken);
        record_write(to_capture(f), count, taken, offset);
        return taken;
    }

    int get_volume() override {
        robust_guard guard(capture_hub::instance().lock);
        return session_->volume;
    }

    void pause(bool paused) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.update(*session_);
        session_->buffer.set_paused(paused);
        record(capture_op::pause, paused ? 1 : 0, 0.0);
    }

    bool is_finished() override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.update(*session_);
        return !hub.stuck && session_->buffer.buffered() == 0;
    }

    bool is_paused() override {
        robust_guard guard(capture_hub::instance().lock);
        return session_->buffer.is_paused();
    }

    int buffered_bytes() override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.update(*session_);
        return static_cast<int>(session_->buffer.buffered());
    }

    void set_volume(int volume) override {
        robust_guard guard(capture_hub::instance().lock);
        session_->volume = volume;
        record(capture_op::set_volume, volume, 0.0);
    }

    void set_mute(bool mute) override {
        robust_guard guard(capture_hub::instance().lock);
        session_->mute = mute;
        record(capture_op::set_mute, mute ? 1 : 0, 0.0);
    }

    void start(double track_length) override {
        robust_guard guard(capture_hub::instance().lock);
        record(capture_op::start, 0, track_length);
        session_->tracks.back().start_length = track_length;
    }

    void seek(double target, int fade_ms) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.update(*session_);
        capture_call& call = record(capture_op::seek, fade_ms, target);
        call.result = static_cast<int>(session_->buffer.flush());
    }

    void finish_track(int fade_ms) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.update(*session_);
        record(capture_op::finish_track, fade_ms, 0.0);
        session_->tracks.back().finish_fade_ms = fade_ms;
        session_->tracks.push_back(open_track());
    }

    void refresh() override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.update(*session_);
        record(capture_op::refresh, 0, 0.0);
    }

private:
    void keep(capture_hub& hub, const pcm_format& f, const void* bytes, int taken) {
        capture_session& s = *session_;
        ++s.taken_writes;
        capture_track& track = s.tracks.back();
        if (track.bytes == 0) track.format = to_capture(f);
        track.bytes += taken;
        if (hub.keep_pcm) {
            const unsigned char* p = static_cast<const unsigned char*>(bytes);
            track.pcm.insert(track.pcm.end(), p, p + taken);
        }
    }

    capture_call& record(capture_op op, int value, double seconds) {
        capture_session& s = *session_;
        capture_call call;
        call.op = op;
        call.value = value;
        call.seconds = seconds;
        call.result = 0;
        call.repeat = 1;
        call.format = capture_format{0, 0, 0, 0, 0};
        call.track = static_cast<int>(s.tracks.size()) - 1;
        call.offset = s.buffer.written();
        call.played = s.buffer.played();
        s.calls.push_back(call);
        return s.calls.back();
    }

    // A write into a full buffer is retried every millisecond: identical
    // consecutive ones share one record.
    void record_write(const capture_format& format, int count, int taken, long long offset) {
        std::vector<capture_call>& calls = session_->calls;
        if (taken == 0 && !calls.empty()) {
            capture_call& last = calls.back();
            if (last.op == capture_op::write && last.result == 0 && last.value == count &&
                same_format(last.format, format)) {
                ++last.repeat;
                return;
            }
        }
        capture_call& call = record(capture_op::write, count, 0.0);
        call.result = taken;
        call.format = format;
        call.offset = offset;
    }

    std::shared_ptr<capture_session> session_;
};
}  // namespace

output* make_capture_output(int device, int buffer_ms) {
    capture_hub& hub = capture_hub::instance();
    robust_guard guard(hub.lock);
    return new capture_output(hub.open_session(device, buffer_ms));
}
