#pragma once
// file_lock: serialises the load-change-save cycles of one file across the
// threads and processes of the Windows user (two player instances share the
// user's settings files). A named mutex whose name derives from the file's
// path (ignoring case) is held for the object's lifetime. A mutex that
// cannot be had within the wait is given up on and the caller goes ahead
// unguarded rather than hang.
#include <windows.h>
#include "zel_export.h"

class ZEL_CORE_API file_lock {
public:
    explicit file_lock(const wchar_t* path, DWORD wait_ms = 10000);
    ~file_lock();
    file_lock(const file_lock&) = delete;
    file_lock& operator=(const file_lock&) = delete;

    bool held() const { return owned_; }

private:
    HANDLE mutex_;
    bool owned_;
};
