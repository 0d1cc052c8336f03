#pragma once
// The volume ducker service over its fades: a 100 ms timer drives the running
// fade, and the player's sound device (the per-user "device" setting and the
// output component's device names) chooses the endpoint whose sessions are
// lowered.
#include <vector>

#include "ducker_fades.h"
#include "output.h"
#include "settings_store.h"
#include "stringx.h"
#include "timer.h"
#include "volume_ducker.h"

class volume_ducker_impl : public singleton_component<volume_ducker>,
                           private timer,
                           private settings_listener,
                           private output_listener {
public:
    volume_ducker_impl();
    // Tests: sessions, clock and own identity of their own.
    volume_ducker_impl(audio_session_source& source, tick_clock& clock, DWORD own_pid, std::wstring own_exe);
    ~volume_ducker_impl() override;

    void duck(unsigned time, int volume) override;
    void restore(unsigned time) override;

    // Host start: listens to the user's device setting and the output
    // component's device choice.
    void on_init();
    // Host end: every program still lowered gets its volume back at once.
    void on_quit();

    // The output component chose a device: its names for the output type and
    // the index.
    void set_devices(std::vector<stringx> names, int index);
    const ducker_fades& fades() const { return fades_; }
    // One timer step (what the 100 ms timer does).
    void tick() override;

private:
    void on_user_changed(const wchar_t* user) override;
    void on_event(int) override {}
    void on_devices_changed(int output_type, int device_index) override;

    // The device name of the player's endpoint; null for the default one
    // (index 0, or an index that names no device).
    const wchar_t* device_name() const;
    void start_timer();
    void hold_com();
    void release_com();

    ducker_fades fades_;
    std::vector<stringx> device_names_;
    int device_index_ = 0;
    bool com_held_ = false;
};
