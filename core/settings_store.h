#pragma once
// settings_store: the per-user XML settings service of zel_addv2, behind
// config_var2. It keeps, for each store user who logs in, sections of keys
// with text values in "zel_player.xml" in the application-data folder; the
// settings before any login belong to the user "Local".
//
// Ownership: a singleton. Callers take it with
// core::enum_create_component(settings_store::iid, 0) and never release it
// (release does nothing). It is optional: without zel_addv2 nobody registers
// it, and callers then read empty values and write nothing.
//
// Threading: read and write may run on any thread; a write loads and saves
// the file and a read loads it when it changed since the last load, guarded
// across threads and processes. set_user and
// add_listener run on the user-interface thread.
#include "component.h"

// Told by settings_store::set_user about the new user. Listeners are static
// objects of their modules: the store never frees or removes them. Not a
// registered component.
class settings_listener {
public:
    // Slot 0: the user name as set_user received it, valid during the call.
    // Runs on the thread that called set_user, under the store's listener lock.
    virtual void on_user_changed(const wchar_t* user) = 0;

protected:
    ~settings_listener() = default;
};

class settings_store : public component {
public:
    static constexpr GUID iid = {0x2ECCE681, 0xE21E, 0x4E8A, {0x92, 0x4F, 0x9F, 0xFA, 0x46, 0x4C, 0x9D, 0x64}};

    // Slot 2: appends the listener unless the same pointer is listed already.
    virtual void add_listener(settings_listener* listener) = 0;
    // Slot 3: makes name the current user (an empty name goes back to
    // "Local"), creates the folders "temp", "temp\music" and "temp\info" of
    // the application-data folder, then tells every listener in
    // registration order. The file is not touched.
    virtual void set_user(const wchar_t* name) = 0;
    // Slots 4 and 5: "<application data>\temp\music" and "...\temp\info"
    // after set_user, "" before. The text belongs to the store.
    virtual const wchar_t* music_cache_folder() = 0;
    virtual const wchar_t* info_cache_folder() = 0;
    // Slot 6: the value of key in section of user (null: the current user)
    // as a malloc'd copy that the caller frees with free; "" (also malloc'd)
    // when anything is missing or section or key is null. Null only when
    // memory runs out.
    virtual wchar_t* read(const wchar_t* section, const wchar_t* key, const wchar_t* user) = 0;
    // Slot 7: sets the value (creating the section and key as needed) and
    // saves the file; nothing when section, key or value is null.
    virtual void write(const wchar_t* section, const wchar_t* key, const wchar_t* value, const wchar_t* user) = 0;
};
