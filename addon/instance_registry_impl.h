#pragma once
// The instance registry of zel_addv2 (interface: core/instance_registry.h)
// over the shared table (instance_table.h) and the module's sound-device
// list (sound_devices.h). Tests give it a table name and a device list of
// their own.
#include <string>

#include "instance_registry.h"
#include "instance_table.h"
#include "sound_devices.h"

class instance_registry_impl : public singleton_component<instance_registry> {
public:
    instance_registry_impl();
    instance_registry_impl(const instance_table_names& names, sound_device_table& devices);

    bool register_user(const wchar_t* name, int device) override;
    bool set_device(int device) override;
    bool device_in_use(int device) override;
    bool is_registered(const wchar_t* name) override;

    // The init hook: opens the table, or creates it when no instance has.
    void on_init();
    // The quit hook: removes every entry of this instance's name, moving the
    // others up in their order, and closes the table.
    void on_quit();

    // The lower-cased id this instance registered last; "" before.
    const std::wstring& own_name() const { return own_name_; }

private:
    int resolve(int device);

    instance_table table_;
    sound_device_table& devices_;
    std::wstring own_name_;
};

// The lower-cased form that the table stores.
std::wstring lower_name(const wchar_t* name);
