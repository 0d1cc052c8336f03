#pragma once
// The launcher's list of sound devices: the DirectSound descriptions in
// enumeration order, without the primary sound driver (the entry with no
// GUID). Filled once, when the launcher window starts; the rows offer these
// names and start players on them. User-interface thread.
#include <string>
#include <vector>

namespace sound_device_list {

// Enumerates the devices, unless a list was given with set (a machine
// without sound devices, or a test, decides the list itself).
void fill();
const std::vector<std::wstring>& devices();
// Replaces the list; fill keeps it from then on.
void set(const std::vector<std::wstring>& devices);
// The list from the environment variable ZEL_LAUNCHER_SOUND_DEVICES ("|"
// between names) when it is set: for machines whose driver lists nothing.
void set_from_environment();

}  // namespace sound_device_list
