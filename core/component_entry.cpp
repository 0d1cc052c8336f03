// The per-library statics of the component registry. This file is compiled
// into zel_core and into every component library, so each module has its own
// node list, descriptor, core_api pointer, module handle and path.
#include <cwchar>
#include "core_api.h"
#include "service_factory.h"

namespace {
service_factory* g_factory_head = nullptr;
core_api* g_core_api = nullptr;
HINSTANCE g_module = nullptr;
wchar_t g_module_path[MAX_PATH] = L"";

class library_descriptor : public module_descriptor {
public:
    service_factory* first_factory() override { return g_factory_head; }
};
library_descriptor g_descriptor;
}  // namespace

service_factory*& zel_factory_list_head() { return g_factory_head; }

service_factory* module_descriptor::first_factory() { return nullptr; }

core_api* get_core_api() { return g_core_api; }

HINSTANCE get_module_instance() { return g_module; }

const wchar_t* get_module_path() { return g_module_path; }

extern "C" __declspec(dllexport) module_descriptor* __cdecl zel_get_component(core_api* api,
                                                                              HINSTANCE module,
                                                                              const wchar_t* path) {
    g_core_api = api;
    g_module = module;
    g_module_path[0] = L'\0';
    if (path) {
        wcsncpy(g_module_path, path, MAX_PATH - 1);
        g_module_path[MAX_PATH - 1] = L'\0';
    }
    return &g_descriptor;
}
