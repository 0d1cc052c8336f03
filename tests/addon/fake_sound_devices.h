#pragma once
// A sound-device list of the tests' own, named as Wine names its devices over
// an ALSA null device, with one more device; the default endpoint is the
// second entry.
#include "sound_devices.h"

class fake_sound_devices : public sound_device_source {
public:
    std::vector<stringx> enumerate() override {
        return {stringx(L"Primary Sound Driver"), stringx(L"Out: default"), stringx(L"Out: 스피커 2")};
    }
    stringx default_endpoint_name() override { return stringx(L"OUT: DEFAULT"); }
};
