#pragma once
// The Windows calls through which the CD transports reach drives: drive
// types, volume information, device handles, device control and the system
// version. They go through one replaceable table so that tests can put a
// drive of their own behind the real pass-through code; by default every
// entry is the Windows function of the same name.
//
// Not thread-safe: a test installs its table before the extractor starts and
// removes it after the extractor is gone.
#include <windows.h>

struct cd_device_io {
    UINT(WINAPI* get_drive_type)(LPCWSTR root);
    BOOL(WINAPI* get_volume_information)
    (LPCWSTR root, LPWSTR name, DWORD name_size, LPDWORD serial, LPDWORD max_component, LPDWORD flags,
     LPWSTR fs_name, DWORD fs_name_size);
    HANDLE(WINAPI* create_file)
    (LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
     DWORD attributes, HANDLE template_file);
    BOOL(WINAPI* device_io_control)
    (HANDLE device, DWORD code, LPVOID in, DWORD in_size, LPVOID out, DWORD out_size, LPDWORD returned,
     LPOVERLAPPED overlapped);
    BOOL(WINAPI* close_handle)(HANDLE handle);
    BOOL(WINAPI* get_version)(LPOSVERSIONINFOW info);
};

namespace cd_device {

// The table in use.
const cd_device_io& io();

// Replaces the table (null restores the Windows one); returns the previous.
const cd_device_io* install(const cd_device_io* table);

// The Windows calls themselves.
const cd_device_io& windows_io();

// True on Windows NT 5 (2000) or later, as the table's get_version says.
bool is_nt5_or_later();

// True on the Windows NT family.
bool is_nt();

}  // namespace cd_device
