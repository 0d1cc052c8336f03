#pragma once
// A device layer for the CD transports' tests: it takes the place of the
// Windows calls (cd_device_io.h) while it lives, presents chosen drive
// letters as CD-ROM drives backed by virtual drives, answers the SCSI
// address query (or fails it as unsupported) and the pass-through control
// call (checking the request structure, then handing the command to the
// virtual drive), and can fail the next call of a drive with a Windows error.
// One at a time.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "cd_device_io.h"
#include "virtual_cd_drive.h"

class fake_cd_device_io {
public:
    struct letter_entry {
        virtual_cd_drive* drive = nullptr;
        int port = 0;
        int target = 0;
        int lun = 0;
        bool address_supported = true;
        DWORD fail_next = 0;  // Windows error of the next device call, 0 = none
        int passthrough_calls = 0;
    };
    struct open_call {
        std::wstring name;
        DWORD access;
        DWORD share;
    };

    fake_cd_device_io();
    ~fake_cd_device_io();
    fake_cd_device_io(const fake_cd_device_io&) = delete;
    fake_cd_device_io& operator=(const fake_cd_device_io&) = delete;

    // Letter 'C' to 'Z' as a CD-ROM drive on that SCSI address.
    letter_entry& add(wchar_t letter, virtual_cd_drive& drive, int port, int target, int lun = 0,
                      bool address_supported = true);
    letter_entry& at(wchar_t letter) { return letters_.at(letter); }

    // A new disc in the drive; the drive's next device call fails with
    // ERROR_MEDIA_CHANGED (1110).
    void swap_disc(wchar_t letter, const virtual_disc& disc);

    int major_version = 6;           // of the system version the layer reports
    bool refuse_write_open = false;  // opens that ask for write access fail

    std::vector<open_call> opens;
    int open_handles() const { return static_cast<int>(handles_.size()); }
    int malformed_requests = 0;  // pass-through calls whose request structure was wrong

private:
    static fake_cd_device_io* self_;
    static UINT WINAPI get_drive_type(LPCWSTR root);
    static BOOL WINAPI get_volume_information(LPCWSTR root, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR,
                                              DWORD);
    static HANDLE WINAPI create_file(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD,
                                     DWORD, HANDLE);
    static BOOL WINAPI device_io_control(HANDLE device, DWORD code, LPVOID in, DWORD in_size, LPVOID out,
                                         DWORD out_size, LPDWORD returned, LPOVERLAPPED);
    static BOOL WINAPI close_handle(HANDLE handle);
    static BOOL WINAPI get_version(LPOSVERSIONINFOW info);

    BOOL passthrough(letter_entry& e, void* in, DWORD in_size, void* out, DWORD out_size, LPDWORD returned);

    cd_device_io table_;
    const cd_device_io* previous_;
    std::map<wchar_t, letter_entry> letters_;
    std::map<HANDLE, wchar_t> handles_;
    uintptr_t next_handle_ = 0x4000;
};
