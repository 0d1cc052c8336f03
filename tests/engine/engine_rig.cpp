#include "engine_rig.h"
#include "core.h"
#include "init_quit.h"

list_info entry_for(const std::wstring& path) {
    list_info e;
    list_info::set_string(e.path, path.c_str());
    list_info::set_string(e.title, L"title");
    return e;
}

list_info* scripted_player::advance(bool make_current) {
    auto_sync guard(lock_);
    ++calls_;
    threads_.push_back(GetCurrentThreadId());
    if (next_ >= entries_.size()) return nullptr;
    list_info* e = &entries_[next_++];
    return e->path && *e->path ? e : nullptr;
}

void scripted_player::script(std::initializer_list<std::wstring> paths) {
    auto_sync guard(lock_);
    for (const std::wstring& p : paths) entries_.push_back(entry_for(p));
}

std::vector<DWORD> scripted_player::advance_threads() {
    auto_sync guard(lock_);
    return threads_;
}

engine_rig::engine_rig(int buffer_ms, bool manual) {
    capture = start_capture(buffer_ms);
    recorder = static_cast<engine_recorder*>(core::enum_create_component(engine_recorder::iid, 0));
    synth = static_cast<synth_control*>(core::enum_create_component(synth_control::iid, 0));
    settings = static_cast<playback_settings*>(core::enum_create_component(playback_settings::iid, 0));
    if (capture && manual) capture->set_manual_clock();
    if (recorder) {
        recorder->clear();
        recorder->follow(0, &music);
        recorder->follow(1, nullptr);
    }
    if (synth) synth->reset();
    if (settings) reset_settings();
}

engine_rig::~engine_rig() {
    if (recorder) {
        recorder->follow(0, nullptr);
        recorder->follow(1, nullptr);
    }
    if (synth) {
        synth->set_hang(false);
        synth->set_busy(false);
    }
}

void engine_rig::reset_settings() {
    settings->set_priority(0);
    settings->set_normalize(false, 0);
    settings->set_auto_cross(false, 0);
    settings->set_force_cross(false, 0);
    settings->set_fade(false, 0);
    settings->set_seek_fade(false, 0);
    settings->set_visual(true, 100);
}

playback_engine* engine_rig::new_engine() {
    return static_cast<playback_engine*>(core::enum_create_component(playback_engine::iid, 0));
}

void engine_rig::settle() {
    auto total = [&] {
        long long sum = 0;
        for (int i = 0; i < capture->output_count(); ++i) sum += state(i).written;
        return sum;
    };
    long long last = total();
    int still = 0;
    for (int i = 0; i < 200 && still < 3; ++i) {
        Sleep(1);
        long long now = total();
        still = now == last ? still + 1 : 0;
        last = now;
    }
}

bool engine_rig::drive_to_finish(int count, int step_ms) {
    return drive([&] { return recorder->count(0, engine_event_kind::finish) >= count; }, step_ms);
}

std::vector<engine_event> engine_rig::events(int listener) {
    std::vector<engine_event> out;
    recorder->events(listener, out);
    return out;
}

std::vector<engine_event> engine_rig::events_of(engine_event_kind kind, int listener) {
    std::vector<engine_event> out;
    for (engine_event& e : events(listener))
        if (e.kind == kind) out.push_back(e);
    return out;
}

std::vector<capture_track> engine_rig::tracks(int output) {
    std::vector<capture_track> out;
    capture->tracks(output, out);
    return out;
}

std::vector<capture_call> engine_rig::calls(int output) {
    std::vector<capture_call> out;
    capture->calls(output, out);
    return out;
}

std::vector<capture_call> engine_rig::calls_of(int output, capture_op op) {
    std::vector<capture_call> out;
    for (const capture_call& c : calls(output))
        if (c.op == op) out.push_back(c);
    return out;
}

std::vector<unsigned char> engine_rig::all_pcm(int output) {
    std::vector<unsigned char> out;
    for (const capture_track& t : tracks(output)) out.insert(out.end(), t.pcm.begin(), t.pcm.end());
    return out;
}

capture_state engine_rig::state(int output) {
    capture_state s = {};
    capture->state(output, &s);
    return s;
}

void raise_on_quit() {
    for_each_component<init_quit>([](init_quit* hooks) { hooks->on_quit(); });
}
