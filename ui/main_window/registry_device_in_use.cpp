// The instance registry as the sound-device chooser asks it. The registry is
// a service of zel_addv2, reached through the component registry by its
// GUID; the chooser needs only its slot 4, device_in_use.
#include "core.h"
#include "device_dialog.h"

namespace {
class instance_registry_slots : public component {
public:
    virtual bool register_user(const wchar_t* name, int device) = 0;
    virtual bool set_device(int device) = 0;
    virtual bool device_in_use(int device) = 0;
};
const GUID instance_registry_iid = {0xD035B27B, 0x3409, 0x443B, {0xB0, 0x48, 0x2C, 0x0B, 0xE7, 0xF3, 0xFB, 0xE0}};
}  // namespace

bool registry_device_in_use(int number) {
    component* registry = core::enum_create_component(instance_registry_iid, 0);
    if (!registry) return false;
    const bool in_use = static_cast<instance_registry_slots*>(registry)->device_in_use(number);
    registry->release();
    return in_use;
}
