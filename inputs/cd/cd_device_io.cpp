#include "cd_device_io.h"

namespace cd_device {

namespace {

const cd_device_io g_windows = {
    &GetDriveTypeW, &GetVolumeInformationW, &CreateFileW, &DeviceIoControl, &CloseHandle, &GetVersionExW,
};

const cd_device_io* g_table = &g_windows;

bool version(OSVERSIONINFOW& info) {
    info = OSVERSIONINFOW{};
    info.dwOSVersionInfoSize = sizeof(info);
    return g_table->get_version(&info) != FALSE;
}

}  // namespace

const cd_device_io& io() { return *g_table; }

const cd_device_io* install(const cd_device_io* table) {
    const cd_device_io* previous = g_table;
    g_table = table ? table : &g_windows;
    return previous;
}

const cd_device_io& windows_io() { return g_windows; }

bool is_nt5_or_later() {
    OSVERSIONINFOW info;
    return version(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5;
}

bool is_nt() {
    OSVERSIONINFOW info;
    return version(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace cd_device
