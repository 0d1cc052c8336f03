#pragma once
// Process-wide statics of zel_core: the component registry, the host instance,
// the application-data path and the list of live dialogs.
//
// The registry is filled once by load_library on the host's thread before any
// lookup, and only read afterwards (from any thread, without a lock).
#include <windows.h>
#include <vector>
#include "component.h"
#include "zel_export.h"

class dialog;

class ZEL_CORE_API core {
public:
    // Loads every "*.dll" beside the host instance's module, in file-name order,
    // and files the registration nodes of each component library. A second call
    // does nothing once a library was kept.
    static void load_library();
    // Frees the kept libraries in load order. Nothing may be enumerated or
    // created afterwards: the nodes lived in the freed libraries.
    static void free_library();

    // The index-th object registered under iid: a new object for per-use types
    // (the caller releases it), the same one for singletons; null past the end.
    static component* enum_create_component(const GUID& iid, int index);
    static int enum_count_component(const GUID& iid);

    // The module whose resources the user interface uses; load_library takes
    // the component folder from it.
    static void set_instance(HINSTANCE instance);
    static HINSTANCE get_instance();
    // zel_core's own module handle, null until load_library registered it.
    static HINSTANCE get_core_instance();

    // "<CSIDL_APPDATA>\zel_player" as a malloc'd copy the caller frees.
    static wchar_t* get_appdata_path();

    // The live dialogs, for the host's message loop (user-interface thread).
    static std::vector<dialog*>* get_dlglist();

    core& operator=(const core&) { return *this; }

private:
    core() = delete;
};

// Calls `slot` on every object registered under Interface::iid, in registry
// order, releasing each object after the call.
template <class Interface, class Fn>
void for_each_component(Fn slot) {
    for (int i = 0;; ++i) {
        component* c = core::enum_create_component(Interface::iid, i);
        if (!c) break;
        slot(static_cast<Interface*>(c));
        c->release();
    }
}
