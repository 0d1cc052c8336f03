// The live side of the ducker: the audio sessions of a render endpoint
// through the MMDevice enumerator and IAudioSessionManager2, the tick count,
// and the process names from a Tool Help snapshot. Any step that fails gives
// no sessions (Wine, for one, does not enumerate sessions).
#include <windows.h>
#include <objbase.h>
#include <mmdeviceapi.h>
#include <audioclient.h>
#include <audiopolicy.h>
#include <propsys.h>
#include <propidl.h>
#include <tlhelp32.h>
#include <wchar.h>

#include "com_ptr.h"
#include "ducker_sessions.h"

namespace {

// {A45C254E-DF1C-4EFD-8020-67D146A850E0}, 14
const PROPERTYKEY friendly_name_key = {
    {0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}}, 14};
const CLSID clsid_device_enumerator = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};

std::wstring file_part(const wchar_t* path) {
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

std::wstring exe_of_process(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return std::wstring();
    std::wstring name;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == pid) {
            name = file_part(entry.szExeFile);
            break;
        }
    }
    CloseHandle(snapshot);
    return name;
}

class live_session : public audio_session {
public:
    live_session(IAudioSessionControl2* control, ISimpleAudioVolume* volume) : control_(control), volume_(volume) {}
    ~live_session() override {
        volume_->Release();
        control_->Release();
    }
    DWORD process_id() override {
        DWORD pid = 0;
        if (FAILED(control_->GetProcessId(&pid)))
            return 0;
        return pid;
    }
    std::wstring exe_name() override { return exe_of_process(process_id()); }
    bool is_system_sounds() override { return control_->IsSystemSoundsSession() == S_OK; }
    bool get_volume(float* volume) override { return SUCCEEDED(volume_->GetMasterVolume(volume)); }
    void set_volume(float volume) override { volume_->SetMasterVolume(volume, nullptr); }

private:
    IAudioSessionControl2* control_;
    ISimpleAudioVolume* volume_;
};

bool name_matches(IMMDevice* device, const wchar_t* wanted) {
    com_ptr<IPropertyStore> properties;
    if (FAILED(device->OpenPropertyStore(STGM_READ, properties.put())))
        return false;
    PROPVARIANT value;
    PropVariantInit(&value);
    if (FAILED(properties->GetValue(friendly_name_key, &value)))
        return false;
    const wchar_t* name = (value.vt == VT_LPWSTR && value.pwszVal) ? value.pwszVal : L"Unknown";
    const bool same = _wcsicmp(name, wanted) == 0;
    PropVariantClear(&value);
    return same;
}

// The active render endpoint named device_name, else the default one.
bool find_endpoint(IMMDeviceEnumerator* enumerator, const wchar_t* device_name, com_ptr<IMMDevice>& out) {
    if (device_name && *device_name) {
        com_ptr<IMMDeviceCollection> endpoints;
        UINT count = 0;
        if (SUCCEEDED(enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, endpoints.put())) &&
            SUCCEEDED(endpoints->GetCount(&count))) {
            for (UINT i = 0; i < count; ++i) {
                com_ptr<IMMDevice> device;
                if (SUCCEEDED(endpoints->Item(i, device.put())) && name_matches(device.get(), device_name)) {
                    IMMDevice* found = device.get();
                    found->AddRef();
                    *out.put() = found;
                    return true;
                }
            }
        }
    }
    return SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eRender, eMultimedia, out.put()));
}

class live_source : public audio_session_source {
public:
    std::vector<audio_session_ptr> sessions(const wchar_t* device_name) override {
        std::vector<audio_session_ptr> found;
        com_ptr<IMMDeviceEnumerator> enumerator;
        if (FAILED(CoCreateInstance(clsid_device_enumerator, nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                    enumerator.put_void())))
            return found;
        com_ptr<IMMDevice> endpoint;
        if (!find_endpoint(enumerator.get(), device_name, endpoint))
            return found;
        com_ptr<IAudioSessionManager2> manager;
        if (FAILED(endpoint->Activate(__uuidof(IAudioSessionManager2), CLSCTX_ALL, nullptr, manager.put_void())))
            return found;
        com_ptr<IAudioSessionEnumerator> list;
        int count = 0;
        if (FAILED(manager->GetSessionEnumerator(list.put())) || FAILED(list->GetCount(&count)))
            return found;
        for (int i = 0; i < count; ++i) {
            com_ptr<IAudioSessionControl> control;
            if (FAILED(list->GetSession(i, control.put())))
                continue;
            IAudioSessionControl2* control2 = nullptr;
            if (FAILED(control->QueryInterface(__uuidof(IAudioSessionControl2), reinterpret_cast<void**>(&control2))))
                continue;
            ISimpleAudioVolume* volume = nullptr;
            if (FAILED(control->QueryInterface(__uuidof(ISimpleAudioVolume), reinterpret_cast<void**>(&volume)))) {
                control2->Release();
                continue;
            }
            found.push_back(std::make_shared<live_session>(control2, volume));
        }
        return found;
    }
};

class live_clock : public tick_clock {
public:
    unsigned now() override { return GetTickCount(); }
};

}  // namespace

audio_session_source& win32_audio_session_source() {
    static live_source source;
    return source;
}

tick_clock& system_tick_clock() {
    static live_clock clock;
    return clock;
}

DWORD own_process_id() { return GetCurrentProcessId(); }

std::wstring own_exe_name() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2)
        return std::wstring();
    return file_part(path);
}
