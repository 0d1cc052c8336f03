#include "aspi_manager.h"

#include <string>

#include "aspi_srb.h"
#include "cd_device_io.h"
#include "scsi_passthrough.h"

namespace aspi_manager {

namespace {

HMODULE g_library = nullptr;
aspi::support_info_fn g_support_info = nullptr;
aspi::send_request_fn g_send_request = nullptr;

HMODULE load_from(const std::wstring& folder) {
    if (folder.empty()) return nullptr;
    return LoadLibraryW((folder + L"\\wnaspi32.dll").c_str());
}

std::wstring system_folder(UINT(WINAPI* get)(LPWSTR, UINT)) {
    wchar_t path[MAX_PATH] = {};
    const UINT n = get(path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

// The folder of Nero's shared components, where Nero installs its ASPI
// manager.
std::wstring nero_folder() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Ahead\\Shared", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::wstring();
    wchar_t value[MAX_PATH] = {};
    DWORD type = 0, size = sizeof(value) - sizeof(wchar_t);
    std::wstring folder;
    if (RegQueryValueExW(key, L"NeroAPI", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
            ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
        folder = value;
    RegCloseKey(key);
    return folder;
}

int load_library() {
    HMODULE library = LoadLibraryW(L"wnaspi32.dll");
    if (!library) library = load_from(system_folder(&GetSystemDirectoryW));
    if (!library) library = load_from(system_folder(&GetWindowsDirectoryW));
    if (!library) library = load_from(nero_folder());
    if (!library) return cd_device::is_nt() ? 12 : 9;
    auto info = reinterpret_cast<aspi::support_info_fn>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetASPI32SupportInfo")));
    auto send = reinterpret_cast<aspi::send_request_fn>(
        reinterpret_cast<void*>(GetProcAddress(library, "SendASPI32Command")));
    if (!info || !send) {
        FreeLibrary(library);
        return 9;
    }
    g_library = library;
    g_support_info = info;
    g_send_request = send;
    return 0;
}

}  // namespace

int load(int transport) {
    unload();
    if (transport != 1) return load_library();
    if (scsi_passthrough::scan() == 0) {
        scsi_passthrough::clear();
        return 10;
    }
    g_support_info = &scsi_passthrough::support_info;
    g_send_request = &scsi_passthrough::send_request;
    return 0;
}

void unload() {
    if (g_library) FreeLibrary(g_library);
    g_library = nullptr;
    g_support_info = nullptr;
    g_send_request = nullptr;
    scsi_passthrough::clear();
}

DWORD support_info() { return g_support_info ? g_support_info() : aspi::status_no_adapters << 8; }

DWORD send_request(void* block) {
    if (!g_send_request) {
        if (block) static_cast<aspi::srb_header*>(block)->status = aspi::status_error;
        return aspi::status_error;
    }
    return g_send_request(block);
}

int letter_of_address(int adapter_number, int target, int lun) {
    return scsi_passthrough::letter_of_address(adapter_number, target, lun);
}

int letter_of_drive(int adapter_index, int target, int lun) {
    const int number = scsi_passthrough::adapter_number(adapter_index);
    return number < 0 ? 0 : scsi_passthrough::letter_of_address(number, target, lun);
}

}  // namespace aspi_manager
