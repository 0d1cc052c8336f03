// The instance registry as the sound-device chooser asks it: a singleton
// service of zel_addv2, missing when zel_addv2 is not loaded (the chooser
// then offers every device).
#include "core.h"
#include "device_dialog.h"
#include "instance_registry.h"

bool registry_device_in_use(int number) {
    component* registry = core::enum_create_component(instance_registry::iid, 0);
    return registry && static_cast<instance_registry*>(registry)->device_in_use(number);
}
