#pragma once
// The object zel_core passes to every library's `zel_get_component`. Each slot
// forwards to the `core` static of the same name. Component libraries call only
// enum_create_component through it; every other `core` static they call as an
// ordinary export of zel_core.
#include <windows.h>
#include <vector>

class component;
class stream;
class input;
class tag;
class output;
class play_manager;
class list_info;

class core_api {
public:
    virtual HINSTANCE get_instance() = 0;
    virtual void set_instance(HINSTANCE instance) = 0;
    virtual play_manager* get_player(bool music) = 0;
    virtual component* enum_create_component(const GUID& iid, int index) = 0;
    virtual int enum_count_component(const GUID& iid) = 0;
    virtual stream* create_stream(const wchar_t* path) = 0;
    virtual input* create_input(stream* source, list_info* info) = 0;
    virtual tag* create_tag(stream* source, list_info* info) = 0;
    virtual output* create_output(const wchar_t* name) = 0;
    virtual bool add_file(const wchar_t* path, std::vector<list_info>& entries) = 0;
};

// The export every library provides: stores the three arguments in the
// library's statics and returns the library's descriptor.
extern "C" __declspec(dllexport) class module_descriptor* __cdecl zel_get_component(core_api* api, HINSTANCE module,
                                                              const wchar_t* path);
typedef module_descriptor*(__cdecl* zel_get_component_fn)(core_api*, HINSTANCE, const wchar_t*);
