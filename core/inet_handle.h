#pragma once
// Owns a WinINet handle and closes it when it goes out of scope. Internal to
// zel_core.
#include <windows.h>
#include <wininet.h>

class inet_handle {
public:
    explicit inet_handle(HINTERNET handle) : handle_(handle) {}
    ~inet_handle() {
        if (handle_) InternetCloseHandle(handle_);
    }
    inet_handle(const inet_handle&) = delete;
    inet_handle& operator=(const inet_handle&) = delete;
    HINTERNET get() const { return handle_; }

private:
    HINTERNET handle_;
};
