#pragma once
// instance_registry: the running player instances of this Windows session,
// each with its logged-in user id and its sound device, in shared memory, so
// that a second login with the same id is refused and a sound device is not
// given to two instances. A service of zel_addv2.
//
// Ownership: a singleton; callers take it with
// core::enum_create_component(instance_registry::iid, 0) and never release
// it. It may be missing (no zel_addv2): callers then go on as if alone.
//
// Sound-device indexes are positions in the DirectSound device list of the
// calling instance; index 0, DirectSound's default-device entry, stands for
// the default render endpoint's own position and is replaced by it before it
// is stored or compared. A negative index is refused. User ids compare
// without regard to case and are stored lower-cased. An entry whose process
// ended without leaving (a crash) no longer counts.
//
// Threading: the user-interface thread.
#include "component.h"

class instance_registry : public component {
public:
    static constexpr GUID iid = {0xD035B27B, 0x3409, 0x443B, {0xB0, 0x48, 0x2C, 0x0B, 0xE7, 0xF3, 0xFB, 0xE0}};

    // Slot 2 (`register` in the system's texts, a reserved word in C++):
    // enters this instance under name with device. When the name is entered
    // already, changes this instance's own entry to device instead (false
    // when this instance has none). False for a null, empty or overlong
    // (more than 199 characters) name, a negative device or a full table
    // (50 entries); true without any change when the shared memory is
    // missing.
    virtual bool register_user(const wchar_t* name, int device) = 0;
    // Slot 3: changes the device of this instance's entry; false for a
    // negative device or before this instance registered.
    virtual bool set_device(int device) = 0;
    // Slot 4: some entry, this instance's own included, holds the device.
    virtual bool device_in_use(int device) = 0;
    // Slot 5: some entry holds the name (ignoring case).
    virtual bool is_registered(const wchar_t* name) = 0;
};
