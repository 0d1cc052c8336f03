#include "volume_ducker_impl.h"

#include <objbase.h>

#include "config_var2.h"
#include "core.h"

volume_ducker_impl::volume_ducker_impl()
    : fades_(win32_audio_session_source(), system_tick_clock(), own_process_id(), own_exe_name()) {}

volume_ducker_impl::volume_ducker_impl(audio_session_source& source, tick_clock& clock, DWORD own_pid,
                                       std::wstring own_exe)
    : fades_(source, clock, own_pid, std::move(own_exe)) {}

volume_ducker_impl::~volume_ducker_impl() { release_com(); }

// The session objects of a fade live in the COM apartment of this thread, so
// it stays initialised while a fade runs.
void volume_ducker_impl::hold_com() {
    if (com_held_)
        return;
    com_held_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

void volume_ducker_impl::release_com() {
    if (com_held_)
        CoUninitialize();
    com_held_ = false;
}

const wchar_t* volume_ducker_impl::device_name() const {
    if (device_index_ <= 0 || device_index_ >= static_cast<int>(device_names_.size()))
        return nullptr;
    return device_names_[device_index_].wvalue();
}

void volume_ducker_impl::duck(unsigned time, int volume) {
    hold_com();
    fades_.duck(time, volume, device_name());
    start_timer();
}

void volume_ducker_impl::restore(unsigned time) {
    if (fades_.saved().empty())
        return;
    hold_com();
    fades_.restore(time, device_name());
    start_timer();
}

void volume_ducker_impl::start_timer() {
    if (!fades_.fading()) {
        kill();
        release_com();
        return;
    }
    if (!is_running())
        set(100);
}

void volume_ducker_impl::tick() {
    fades_.step();
    if (!fades_.fading()) {
        kill();
        release_com();
    }
}

void volume_ducker_impl::on_init() {
    if (component* c = core::enum_create_component(settings_store::iid, 0)) {
        static_cast<settings_store*>(c)->add_listener(this);
        c->release();
    }
    if (component* c = core::enum_create_component(output_manager::iid, 0)) {
        static_cast<output_manager*>(c)->add_listener(this);
        c->release();
    }
}

void volume_ducker_impl::on_quit() {
    kill();
    if (!fades_.saved().empty()) {
        const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        fades_.quit(device_name());
        if (SUCCEEDED(init))
            CoUninitialize();
    } else {
        fades_.quit(nullptr);
    }
    release_com();
}

void volume_ducker_impl::set_devices(std::vector<stringx> names, int index) {
    device_names_ = std::move(names);
    device_index_ = index;
}

void volume_ducker_impl::on_user_changed(const wchar_t*) {
    device_index_ = config_var2().read_int(L"app", L"device");
}

void volume_ducker_impl::on_devices_changed(int output_type, int device_index) {
    std::vector<stringx> names;
    if (component* c = core::enum_create_component(output_manager::iid, 0)) {
        static_cast<output_manager*>(c)->devices(output_type, names);
        c->release();
    }
    set_devices(std::move(names), device_index);
}
