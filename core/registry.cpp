// The component registry proper: loading the component libraries beside the
// host program and handing out their services by interface GUID.
#include <shlobj.h>
#include <algorithm>
#include <cwchar>
#include <map>
#include <string>
#include <vector>
#include "core.h"
#include "core_api.h"
#include "critsec.h"
#include "service_factory.h"

namespace {
struct guid_order {
    bool operator()(const GUID& a, const GUID& b) const { return guid_less(a, b); }
};

std::map<GUID, std::vector<service_factory*>, guid_order> g_registry;
std::vector<HMODULE> g_kept_libraries;
std::vector<dialog*> g_dialogs;

// Guards the host instance, which any thread may read.
critsec g_core_lock;
HINSTANCE g_host_instance = nullptr;

// Forwards every slot to the `core` static of the same name.
class core_api_impl : public core_api {
public:
    HINSTANCE get_instance() override { return core::get_instance(); }
    void set_instance(HINSTANCE instance) override { core::set_instance(instance); }
    play_manager* get_player(bool music) override { return core::get_player(music); }
    component* enum_create_component(const GUID& iid, int index) override {
        return core::enum_create_component(iid, index);
    }
    int enum_count_component(const GUID& iid) override { return core::enum_count_component(iid); }
    stream* create_stream(const wchar_t* path) override { return core::create_stream(path); }
    input* create_input(stream* source, list_info* info) override { return core::create_input(source, info); }
    tag* create_tag(stream* source, list_info* info) override { return core::create_tag(source, info); }
    output* create_output(const wchar_t* name) override { return core::create_output(name); }
    bool add_file(const wchar_t* path, std::vector<list_info>& entries) override {
        return core::add_file(path, entries);
    }
};
core_api_impl g_core_api;

std::wstring module_folder(HINSTANCE instance) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    std::wstring folder(path, n);
    size_t slash = folder.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}

bool has_dll_extension(const wchar_t* name) {
    const wchar_t* dot = wcsrchr(name, L'.');
    return dot && _wcsicmp(dot + 1, L"dll") == 0;
}

// Full paths of the "*.dll" files of a folder (no subfolders), in plain
// code-unit order.
std::vector<std::wstring> list_libraries(const std::wstring& folder) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (has_dll_extension(data.cFileName)) files.push_back(folder + L"\\" + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(files.begin(), files.end());
    return files;
}

void register_library(const std::wstring& path) {
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) return;
    auto entry = reinterpret_cast<zel_get_component_fn>(
        reinterpret_cast<void*>(GetProcAddress(module, "zel_get_component")));
    if (!entry) {
        FreeLibrary(module);
        return;
    }
    module_descriptor* descriptor = entry(&g_core_api, module, path.c_str());
    service_factory* head = descriptor ? descriptor->first_factory() : nullptr;
    if (!head) {
        FreeLibrary(module);
        return;
    }
    for (service_factory* node = head; node; node = node->next) g_registry[node->iid].push_back(node);
    g_kept_libraries.push_back(module);
}
}  // namespace

void core::load_library() {
    if (!g_kept_libraries.empty()) return;
    std::wstring folder = module_folder(get_instance());
    if (folder.empty()) return;
    for (const std::wstring& path : list_libraries(folder)) register_library(path);
}

void core::free_library() {
    for (HMODULE module : g_kept_libraries) FreeLibrary(module);
    g_kept_libraries.clear();
}

component* core::enum_create_component(const GUID& iid, int index) {
    auto it = g_registry.find(iid);
    if (index < 0 || it == g_registry.end()) return nullptr;
    const std::vector<service_factory*>& nodes = it->second;
    if (static_cast<size_t>(index) >= nodes.size()) return nullptr;
    return nodes[index]->create();
}

int core::enum_count_component(const GUID& iid) {
    auto it = g_registry.find(iid);
    return it == g_registry.end() ? 0 : static_cast<int>(it->second.size());
}

void core::set_instance(HINSTANCE instance) {
    auto_sync lock(g_core_lock);
    g_host_instance = instance;
}

HINSTANCE core::get_instance() {
    auto_sync lock(g_core_lock);
    return g_host_instance;
}

HINSTANCE core::get_core_instance() { return get_module_instance(); }

wchar_t* core::get_appdata_path() {
    wchar_t folder[MAX_PATH] = L"";
    LPITEMIDLIST pidl = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &pidl)) && pidl) {
        if (!SHGetPathFromIDListW(pidl, folder)) folder[0] = L'\0';
        CoTaskMemFree(pidl);
    }
    std::wstring path = std::wstring(folder) + L"\\zel_player";
    wchar_t* copy = static_cast<wchar_t*>(malloc((path.size() + 1) * sizeof(wchar_t)));
    if (copy) wcscpy(copy, path.c_str());
    return copy;
}

std::vector<dialog*>* core::get_dlglist() { return &g_dialogs; }
