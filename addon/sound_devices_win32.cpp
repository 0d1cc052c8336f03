// The platform side of the sound-device list: DirectSound's device
// enumeration and the default render endpoint's friendly name.
#include <windows.h>
#include <objbase.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <dsound.h>
#include <mmdeviceapi.h>
#include <propsys.h>
#include <propidl.h>

#include <string>

#include "com_ptr.h"
#include "sound_devices.h"

namespace {

BOOL CALLBACK collect_device(GUID*, LPCWSTR description, LPCWSTR, LPVOID context) {
    static_cast<std::vector<stringx>*>(context)->push_back(stringx(description ? description : L""));
    return TRUE;  // always ask for more
}

// {A45C254E-DF1C-4EFD-8020-67D146A850E0}, 14
const PROPERTYKEY friendly_name_key = {
    {0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}}, 14};
const CLSID clsid_device_enumerator = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
const IID iid_device_enumerator = {
    0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};

// Names longer than this many characters are cut to it.
constexpr size_t max_endpoint_name = 255;

class win32_source : public sound_device_source {
public:
    std::vector<stringx> enumerate() override {
        std::vector<stringx> devices;
        DirectSoundEnumerateW(&collect_device, &devices);
        return devices;
    }

    stringx default_endpoint_name() override {
        const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        stringx name = read_name();
        if (SUCCEEDED(init))
            CoUninitialize();
        return name;
    }

private:
    static stringx read_name() {
        com_ptr<IMMDeviceEnumerator> enumerator;
        if (FAILED(CoCreateInstance(clsid_device_enumerator, nullptr, CLSCTX_ALL, iid_device_enumerator,
                                    enumerator.put_void())))
            return stringx();
        com_ptr<IMMDevice> device;
        if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eMultimedia, device.put())))
            return stringx();
        com_ptr<IPropertyStore> properties;
        if (FAILED(device->OpenPropertyStore(STGM_READ, properties.put())))
            return stringx();
        PROPVARIANT value;
        PropVariantInit(&value);
        if (FAILED(properties->GetValue(friendly_name_key, &value)))
            return stringx();
        stringx name;
        if (value.vt == VT_LPWSTR && value.pwszVal) {
            std::wstring text(value.pwszVal);
            if (text.size() > max_endpoint_name)
                text.resize(max_endpoint_name);
            name = text.c_str();
        } else {
            name = L"Unknown";
        }
        PropVariantClear(&value);
        return name;
    }
};

}  // namespace

sound_device_source& win32_sound_device_source() {
    static win32_source source;
    return source;
}
