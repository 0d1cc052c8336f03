// The capture outputs' shared state and the control that tests reach it by.
#include <algorithm>
#include "capture_hub.h"
#include "output_manager_impl.h"
#include "output_types.h"
#include "service_factory.h"

capture_session::capture_session(int device_index, int buffer_length_ms, long long now_us)
    : device(device_index), buffer_ms(buffer_length_ms), buffer(buffer_length_ms, now_us) {}

capture_hub::capture_hub() { restore_defaults(); }

capture_hub& capture_hub::instance() {
    static capture_hub hub;
    return hub;
}

std::shared_ptr<capture_session> capture_hub::open_session(int device, int buffer_ms) {
    auto session = std::make_shared<capture_session>(device, buffer_ms, clock.now_us());
    listed.push_back(session);
    live.push_back(session.get());
    return session;
}

void capture_hub::close_session(capture_session* session) {
    update(*session);
    session->released = true;
    live.erase(std::remove(live.begin(), live.end(), session), live.end());
}

void capture_hub::update_live() {
    for (capture_session* s : live) update(*s);
}

void capture_hub::restore_defaults() {
    update_live();
    clock.set_auto(1.0);
    refuse_after = -1;
    stuck = false;
    keep_pcm = true;
}

namespace {
std::vector<stringx> default_device_names() { return {stringx(L"Capture 1"), stringx(L"Capture 2")}; }

class capture_control_impl : public singleton_component<capture_control> {
public:
    capture_control_impl() { capture_hub::instance().device_names = default_device_names(); }

    void set_manual_clock() override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.update_live();
        hub.clock.set_manual();
    }

    void set_auto_clock(double speed) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.update_live();
        hub.clock.set_auto(speed);
    }

    void advance(int ms) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.update_live();
        hub.clock.advance_us(static_cast<long long>(ms) * 1000);
        hub.update_live();
    }

    long long clock_us() override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        return hub.clock.now_us();
    }

    void refuse_writes_after(int writes) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.refuse_after = writes < 0 ? -1 : writes;
    }

    void set_stuck(bool stuck) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.update_live();
        hub.stuck = stuck;
    }

    void set_keep_pcm(bool keep) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        hub.keep_pcm = keep;
    }

    void set_device_names(const std::vector<stringx>& names) override {
        if (change_names(names)) output_manager_instance().report_device_change(output_type_capture);
    }

    int output_count() override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        return static_cast<int>(hub.listed.size());
    }

    bool state(int index, capture_state* out) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        capture_session* s = find(index);
        if (!s || !out) return false;
        if (!s->released) hub.update(*s);
        out->device = s->device;
        out->buffer_ms = s->buffer_ms;
        out->written = s->buffer.written();
        out->played = s->buffer.played();
        out->dropped = s->buffer.dropped();
        out->buffered = s->buffer.buffered();
        out->paused = s->buffer.is_paused();
        out->released = s->released;
        out->volume = s->volume;
        out->mute = s->mute;
        out->finished_tracks = static_cast<int>(s->tracks.size()) - 1;
        return true;
    }

    int calls(int index, std::vector<capture_call>& out) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        out.clear();
        capture_session* s = find(index);
        if (!s) return -1;
        out = s->calls;
        return static_cast<int>(out.size());
    }

    int tracks(int index, std::vector<capture_track>& out) override {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        out.clear();
        capture_session* s = find(index);
        if (!s) return -1;
        out = s->tracks;
        if (!out.empty() && out.back().bytes == 0) out.pop_back();
        return static_cast<int>(out.size());
    }

    void reset() override {
        capture_hub& hub = capture_hub::instance();
        {
            robust_guard guard(hub.lock);
            hub.restore_defaults();
            hub.listed.clear();
        }
        set_device_names(default_device_names());
    }

private:
    static capture_session* find(int index) {
        capture_hub& hub = capture_hub::instance();
        if (index < 0 || index >= static_cast<int>(hub.listed.size())) return nullptr;
        return hub.listed[index].get();
    }

    static bool change_names(const std::vector<stringx>& names) {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        if (same_device_names(hub.device_names, names)) return false;
        hub.device_names = names;
        return true;
    }
};

singleton_factory<capture_control, capture_control_impl> g_capture_control_node;
}  // namespace
