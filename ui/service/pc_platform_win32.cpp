#include "pc_platform.h"

namespace {

class win32_pc_platform : public pc_platform {
public:
    ULONG adapters_info(IP_ADAPTER_INFO* list, ULONG* size) override { return GetAdaptersInfo(list, size); }

    bool find_file(const wchar_t* path, WIN32_FIND_DATAW& data) override {
        HANDLE search = FindFirstFileW(path, &data);
        if (search == INVALID_HANDLE_VALUE) return false;
        FindClose(search);
        return true;
    }

    UINT system_directory(wchar_t* buffer, UINT size) override { return GetSystemDirectoryW(buffer, size); }

    DWORD module_file_name(HMODULE module, wchar_t* buffer, DWORD size) override {
        return GetModuleFileNameW(module, buffer, size);
    }

    HANDLE open_device(const wchar_t* path) override {
        return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    }

    bool device_control(HANDLE device, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size) override {
        DWORD returned = 0;
        return DeviceIoControl(device, code, in, in_size, out, out_size, &returned, nullptr) != FALSE;
    }

    void close_device(HANDLE device) override { CloseHandle(device); }
};

}  // namespace

pc_platform& system_pc_platform() {
    static win32_pc_platform platform;
    return platform;
}
