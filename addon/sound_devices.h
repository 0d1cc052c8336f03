#pragma once
// sound_devices: the DirectSound device descriptions of this process, in
// enumeration order; position 0 is DirectSound's entry for the default
// device. Every sound-device index of the settings and instance services is
// a position in this list. The instance registry fills the module's list once
// at start; the launcher link looks names up in the same list.
//
// The platform is reached through sound_device_source, so that tests can
// name devices of their own; the module's list uses the Win32 source.
// Used on the user-interface thread.
#include <vector>
#include "stringx.h"

class sound_device_source {
public:
    virtual ~sound_device_source() = default;
    // The DirectSound device descriptions, in enumeration order.
    virtual std::vector<stringx> enumerate() = 0;
    // The friendly name of the default audio render endpoint (multimedia
    // role): "Unknown" when the value is not text, "" when any step fails.
    virtual stringx default_endpoint_name() = 0;
};

// DirectSoundEnumerateW and the MMDevice enumerator.
sound_device_source& win32_sound_device_source();

class sound_device_table {
public:
    explicit sound_device_table(sound_device_source& source) : source_(source) {}

    // Fills the list from the source; later calls change nothing. Every
    // look-up below loads the list first, so that a program that never asks
    // about sound devices never starts the platform's audio driver.
    void load();
    const std::vector<stringx>& devices();
    // Position of the first description equal to name ignoring case; -1 when
    // none (or for a null name).
    int find(const wchar_t* name);
    stringx default_endpoint_name() { return source_.default_endpoint_name(); }
    // find(default_endpoint_name()), but 0 when the name is not listed.
    int default_device();

private:
    sound_device_source& source_;
    std::vector<stringx> devices_;
    bool loaded_ = false;
};

// The module-wide list over the Win32 source.
sound_device_table& module_sound_devices();
