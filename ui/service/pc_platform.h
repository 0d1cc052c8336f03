#pragma once
// pc_platform: the system calls behind the PC identity (pc_identity.h), one
// thin seam so that tests can stand in for the network adapters, the folders
// and the system disk. system_pc_platform() makes the real calls.
#include <windows.h>
#include <iphlpapi.h>

class pc_platform {
public:
    virtual ~pc_platform() {}

    // GetAdaptersInfo: the adapter list into list (size bytes); a result of
    // ERROR_BUFFER_OVERFLOW sets size to the bytes needed.
    virtual ULONG adapters_info(IP_ADAPTER_INFO* list, ULONG* size) = 0;
    // FindFirstFileW on the path itself, the search closed at once: true
    // with the find data when the path exists.
    virtual bool find_file(const wchar_t* path, WIN32_FIND_DATAW& data) = 0;
    // GetSystemDirectoryW.
    virtual UINT system_directory(wchar_t* buffer, UINT size) = 0;
    // GetModuleFileNameW.
    virtual DWORD module_file_name(HMODULE module, wchar_t* buffer, DWORD size) = 0;
    // CreateFileW for reading and writing, shared for both, OPEN_EXISTING;
    // INVALID_HANDLE_VALUE on failure.
    virtual HANDLE open_device(const wchar_t* path) = 0;
    // DeviceIoControl; true when the call succeeded.
    virtual bool device_control(HANDLE device, DWORD code, void* in, DWORD in_size, void* out,
                                DWORD out_size) = 0;
    virtual void close_device(HANDLE device) = 0;
};

// The platform's own calls (a static object; any thread).
pc_platform& system_pc_platform();
