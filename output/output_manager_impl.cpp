// The output manager: hands out an output of the selected type and keeps the
// listeners told of selections and device-list changes.
#include <windows.h>
#include <mmsystem.h>
#include <string>
#include "capture_hub.h"
#include "output_manager_impl.h"
#include "output_types.h"
#include "timeline_output.h"
#include "wav_file_output.h"
#include "waveout_output.h"

namespace {
const unsigned poll_interval_ms = 2000;

int known_type(int output_type) {
    return output_type == output_type_wav_file || output_type == output_type_capture ? output_type
                                                                                        : output_type_waveout;
}

// A machine without a sound card (the environment says so) plays what goes
// to the sound device into a WAV file instead.
bool no_sound_device() {
    wchar_t value[8] = L"";
    const DWORD n = GetEnvironmentVariableW(L"ZEL_OUTPUT_NO_SOUND_DEVICE", value, 8);
    return n > 0 && n < 8 && value[0] != L'0';
}

// What the device would play, as one timeline; "files" (or an unpaced
// clock, which has no timeline) gives each output a WAV file of its own.
// "{device}" in the path stands for the selected device index, so that
// players on different devices write different files.
output* no_sound_device_output(int buffer_ms, int device) {
    wchar_t value[8] = L"";
    const DWORD n = GetEnvironmentVariableW(L"ZEL_OUTPUT_NO_SOUND_DEVICE", value, 8);
    const double speed = wav_output_speed();
    std::wstring path = wav_output_path();
    const size_t at = path.find(L"{device}");
    if (at != std::wstring::npos) path.replace(at, 8, std::to_wstring(device));
    if ((n > 0 && n < 8 && _wcsicmp(value, L"files") == 0) || speed <= 0.0)
        return make_wav_file_output(path, buffer_ms, speed);
    return make_timeline_output(path, buffer_ms, speed);
}
}  // namespace

output_manager_impl::output_manager_impl() : buffer_ms_(output_default_buffer_ms), poll_(*this) {}

void output_manager_impl::set_buffer_ms(int ms) {
    if (ms <= 0) ms = output_default_buffer_ms;
    if (ms < output_min_buffer_ms) ms = output_min_buffer_ms;
    if (ms > output_max_buffer_ms) ms = output_max_buffer_ms;
    auto_sync guard(lock_);
    buffer_ms_ = ms;
}

int output_manager_impl::get_buffer_ms() {
    auto_sync guard(lock_);
    return buffer_ms_;
}

void output_manager_impl::select(int output_type, int device_index) {
    {
        auto_sync guard(lock_);
        type_ = output_type;
        device_ = device_index;
    }
    notify(output_type, device_index);
}

int output_manager_impl::selected_type() {
    auto_sync guard(lock_);
    return type_;
}

int output_manager_impl::selected_device() {
    auto_sync guard(lock_);
    return device_;
}

output* output_manager_impl::current() {
    int type, device, buffer_ms;
    {
        auto_sync guard(lock_);
        type = known_type(type_);
        device = device_;
        buffer_ms = buffer_ms_;
    }
    switch (type) {
    case output_type_wav_file: return make_wav_file_output(wav_output_path(), buffer_ms, wav_output_speed());
    case output_type_capture: return make_capture_output(device, buffer_ms);
    default: {
        if (no_sound_device()) return no_sound_device_output(buffer_ms, device);
        if (waveOutGetNumDevs() == 0) return nullptr;
        return make_waveout_output(waveout_id_of(device), buffer_ms);
    }
    }
}

int output_manager_impl::devices(int output_type, std::vector<stringx>& names) {
    names.clear();
    switch (known_type(output_type)) {
    case output_type_wav_file: names.push_back(stringx(wav_output_path().c_str())); break;
    case output_type_capture: {
        capture_hub& hub = capture_hub::instance();
        robust_guard guard(hub.lock);
        names = hub.device_names;
        break;
    }
    default: names = sound_device_names(); break;
    }
    return static_cast<int>(names.size());
}

void output_manager_impl::add_listener(output_listener* listener) {
    if (!listener) return;
    bool first = false;
    {
        auto_sync guard(lock_);
        for (output_listener* l : listeners_)
            if (l == listener) return;
        listeners_.push_back(listener);
        first = listeners_.size() == 1;
    }
    if (first) {
        waveout_names_ = waveout_device_names();
        poll_.set(poll_interval_ms);
    }
}

void output_manager_impl::report_device_change(int output_type) {
    int type, device;
    {
        auto_sync guard(lock_);
        type = type_;
        device = device_;
    }
    if (known_type(type) == known_type(output_type)) notify(type, device);
}

void output_manager_impl::poll_devices() {
    std::vector<stringx> names = waveout_device_names();
    if (same_device_names(names, waveout_names_)) return;
    waveout_names_ = names;
    report_device_change(output_type_waveout);
}

void output_manager_impl::notify(int output_type, int device_index) {
    std::vector<output_listener*> listeners;
    {
        auto_sync guard(lock_);
        listeners = listeners_;
    }
    for (output_listener* l : listeners) l->on_devices_changed(output_type, device_index);
}
