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
class stream;
class input;
class tag;
class output;
class play_manager;
class list_info;

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

    // Media component lookup, callable from any thread. Objects returned belong
    // to the caller (component::release); text is a malloc'd copy (free).
    //
    // The first stream provider, in registry order, that opens the path.
    static stream* create_stream(const wchar_t* path);
    // An input opened on the stream: by content type, then through the
    // input-and-tag factories, then by the path's extension.
    static input* create_input(stream* source, list_info* info);
    // A tag opened on the stream: factories first, then by extension.
    static tag* create_tag(stream* source, list_info* info);
    // The output whose name equals name ignoring case.
    static output* create_output(const wchar_t* name);
    // "지원하는 모든 파일|<all masks>|<description>|<mask>|..." for open-file dialogs.
    static wchar_t* build_openfile_mask();
    // "mp3;mp2;...;" for folder scans.
    static wchar_t* build_openfolder_mask();
    // The music player (true) or the announcement player (false).
    static play_manager* get_player(bool music);
    // Appends the entries a path stands for: a playlist's entries, an expanded
    // folder, a URL, or one file read through its tag.
    static bool add_file(const wchar_t* path, std::vector<list_info>& entries);

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
