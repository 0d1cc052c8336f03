// The launcher's sound devices from DirectSoundEnumerateW.
#include "sound_device_list.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

namespace {
std::vector<std::wstring> g_devices;
bool g_given = false;

BOOL CALLBACK add_device(GUID* guid, const wchar_t* description, const wchar_t*, void* context) {
    // The primary sound driver has no GUID; a GUID that gives no text is
    // left out as well.
    wchar_t text[64];
    if (guid && description && StringFromGUID2(*guid, text, 64) > 0)
        static_cast<std::vector<std::wstring>*>(context)->push_back(description);
    return TRUE;
}
}  // namespace

namespace sound_device_list {

void fill() {
    if (g_given) return;
    g_devices.clear();
    DirectSoundEnumerateW(&add_device, &g_devices);
}

const std::vector<std::wstring>& devices() { return g_devices; }

void set(const std::vector<std::wstring>& devices) {
    g_devices = devices;
    g_given = true;
}

void set_from_environment() {
    wchar_t value[4096];
    const DWORD n = GetEnvironmentVariableW(L"ZEL_LAUNCHER_SOUND_DEVICES", value, 4096);
    if (n == 0 || n >= 4096) return;
    std::vector<std::wstring> list;
    std::wstring text(value, n), item;
    for (wchar_t c : text) {
        if (c == L'|') {
            if (!item.empty()) list.push_back(item);
            item.clear();
        } else {
            item.push_back(c);
        }
    }
    if (!item.empty()) list.push_back(item);
    set(list);
}

}  // namespace sound_device_list
