// The module's sound-device list and its look-ups.
#include "sound_devices.h"

#include <cstddef>

void sound_device_table::load() {
    if (loaded_)
        return;
    loaded_ = true;
    devices_ = source_.enumerate();
}

const std::vector<stringx>& sound_device_table::devices() {
    load();
    return devices_;
}

int sound_device_table::find(const wchar_t* name) {
    load();
    if (!name)
        return -1;
    const stringx wanted(name);
    for (size_t i = 0; i < devices_.size(); ++i)
        if (devices_[i].equals_ignore_case(wanted))
            return static_cast<int>(i);
    return -1;
}

int sound_device_table::default_device() {
    const stringx name = default_endpoint_name();
    const int index = find(name);
    return index < 0 ? 0 : index;
}

sound_device_table& module_sound_devices() {
    static sound_device_table table(win32_sound_device_source());
    return table;
}
