#include "fake_cd_device_io.h"

#include <ntddscsi.h>
#include <winioctl.h>

#include <cstddef>
#include <cwctype>

fake_cd_device_io* fake_cd_device_io::self_ = nullptr;

fake_cd_device_io::fake_cd_device_io() {
    table_ = {&get_drive_type,    &get_volume_information, &create_file,
              &device_io_control, &close_handle,           &get_version};
    self_ = this;
    previous_ = cd_device::install(&table_);
}

fake_cd_device_io::~fake_cd_device_io() {
    cd_device::install(previous_);
    self_ = nullptr;
}

fake_cd_device_io::letter_entry& fake_cd_device_io::add(wchar_t letter, virtual_cd_drive& drive, int port,
                                                        int target, int lun, bool address_supported) {
    letter_entry& e = letters_[static_cast<wchar_t>(towupper(letter))];
    e.drive = &drive;
    e.port = port;
    e.target = target;
    e.lun = lun;
    e.address_supported = address_supported;
    return e;
}

void fake_cd_device_io::swap_disc(wchar_t letter, const virtual_disc& disc) {
    letter_entry& e = at(letter);
    e.drive->disc = disc;
    e.drive->medium = true;
    e.fail_next = 1110;
}

UINT WINAPI fake_cd_device_io::get_drive_type(LPCWSTR root) {
    if (!root || !root[0]) return DRIVE_NO_ROOT_DIR;
    return self_->letters_.count(static_cast<wchar_t>(towupper(root[0]))) ? DRIVE_CDROM : DRIVE_NO_ROOT_DIR;
}

BOOL WINAPI fake_cd_device_io::get_volume_information(LPCWSTR root, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD,
                                                      LPWSTR, DWORD) {
    auto it = root ? self_->letters_.find(static_cast<wchar_t>(towupper(root[0]))) : self_->letters_.end();
    if (it == self_->letters_.end() || !it->second.drive->medium) {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    return TRUE;
}

HANDLE WINAPI fake_cd_device_io::create_file(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                                             DWORD, DWORD, HANDLE) {
    self_->opens.push_back({name ? name : L"", access, share});
    const std::wstring n = name ? name : L"";
    if (n.size() != 6 || n.compare(0, 4, L"\\\\.\\") != 0 || n[5] != L':' ||
        !self_->letters_.count(static_cast<wchar_t>(towupper(n[4])))) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (self_->refuse_write_open && (access & GENERIC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = reinterpret_cast<HANDLE>(self_->next_handle_++);
    self_->handles_[h] = static_cast<wchar_t>(towupper(n[4]));
    return h;
}

BOOL WINAPI fake_cd_device_io::close_handle(HANDLE handle) {
    if (!self_->handles_.erase(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI fake_cd_device_io::get_version(LPOSVERSIONINFOW info) {
    if (!info) return FALSE;
    info->dwMajorVersion = static_cast<DWORD>(self_->major_version);
    info->dwMinorVersion = 0;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    return TRUE;
}

BOOL WINAPI fake_cd_device_io::device_io_control(HANDLE device, DWORD code, LPVOID in, DWORD in_size,
                                                 LPVOID out, DWORD out_size, LPDWORD returned, LPOVERLAPPED) {
    auto h = self_->handles_.find(device);
    if (h == self_->handles_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    letter_entry& e = self_->letters_.at(h->second);
    if (code == IOCTL_SCSI_PASS_THROUGH_DIRECT) ++e.passthrough_calls;
    if (e.fail_next) {
        SetLastError(e.fail_next);
        e.fail_next = 0;
        return FALSE;
    }
    if (code == IOCTL_SCSI_GET_ADDRESS) {
        if (!e.address_supported) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        if (!out || out_size < sizeof(SCSI_ADDRESS)) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        auto* a = static_cast<SCSI_ADDRESS*>(out);
        a->Length = sizeof(SCSI_ADDRESS);
        a->PortNumber = static_cast<UCHAR>(e.port);
        a->PathId = 0;
        a->TargetId = static_cast<UCHAR>(e.target);
        a->Lun = static_cast<UCHAR>(e.lun);
        if (returned) *returned = sizeof(SCSI_ADDRESS);
        return TRUE;
    }
    if (code == IOCTL_SCSI_PASS_THROUGH_DIRECT)
        return self_->passthrough(e, in, in_size, out, out_size, returned);
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}

BOOL fake_cd_device_io::passthrough(letter_entry& e, void* in, DWORD in_size, void* out, DWORD out_size,
                                    LPDWORD returned) {
    auto* r = static_cast<SCSI_PASS_THROUGH_DIRECT*>(in);
    const bool well_formed = in && in == out && in_size == out_size &&
                             in_size >= sizeof(SCSI_PASS_THROUGH_DIRECT) &&
                             r->Length == sizeof(SCSI_PASS_THROUGH_DIRECT) &&
                             (r->CdbLength == 6 || r->CdbLength == 10 || r->CdbLength == 12) &&
                             r->DataIn <= 2 && r->SenseInfoOffset >= sizeof(SCSI_PASS_THROUGH_DIRECT) &&
                             r->SenseInfoOffset + r->SenseInfoLength <= in_size &&
                             (r->DataTransferLength == 0 || r->DataBuffer) && r->TimeOutValue > 0;
    if (!well_formed) {
        ++malformed_requests;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BYTE* sense = static_cast<BYTE*>(in) + r->SenseInfoOffset;
    r->ScsiStatus = e.drive->execute(r->Cdb, r->CdbLength, r->DataIn, r->DataBuffer, r->DataTransferLength,
                                     sense, r->SenseInfoLength);
    if (returned) *returned = in_size;
    return TRUE;
}
