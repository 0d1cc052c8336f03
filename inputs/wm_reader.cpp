#include "wm_reader.h"

namespace wm_reader {

namespace {

HRESULT WINAPI platform_create(IUnknown* certificate, DWORD rights, IWMReader** reader) {
    static create_fn found = nullptr;
    static bool looked = false;
    if (!looked) {
        // Kept loaded for the process's life: readers may outlive any stream.
        HMODULE module = LoadLibraryW(L"wmvcore.dll");
        if (module) found = reinterpret_cast<create_fn>(reinterpret_cast<void*>(GetProcAddress(module, "WMCreateReader")));
        looked = true;
    }
    if (!found) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    return found(certificate, rights, reader);
}

create_fn g_factory = &platform_create;

}  // namespace

HRESULT create(IWMReader** reader) {
    if (!reader) return E_POINTER;
    *reader = nullptr;
    return g_factory(nullptr, 0, reader);
}

create_fn set_factory(create_fn factory) {
    create_fn previous = g_factory;
    g_factory = factory ? factory : &platform_create;
    return previous;
}

}  // namespace wm_reader
