// Named mutex of a file (see file_lock.h).
#include "file_lock.h"
#include <cwchar>
#include <string>

namespace {
// Mutex names may not hold backslashes and are limited in length, so the
// upper-cased path is hashed (64-bit FNV-1a).
std::wstring mutex_name(const wchar_t* path) {
    std::wstring key = path ? path : L"";
    if (!key.empty()) CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    unsigned long long hash = 14695981039346656037ull;
    for (wchar_t c : key) {
        hash ^= static_cast<unsigned short>(c);
        hash *= 1099511628211ull;
    }
    wchar_t name[64];
    _snwprintf(name, 63, L"zel_player_file_%08lX%08lX", static_cast<unsigned long>(hash >> 32),
               static_cast<unsigned long>(hash & 0xFFFFFFFFu));
    name[63] = L'\0';
    return name;
}
}  // namespace

file_lock::file_lock(const wchar_t* path, DWORD wait_ms) : mutex_(nullptr), owned_(false) {
    mutex_ = CreateMutexW(nullptr, FALSE, mutex_name(path).c_str());
    if (!mutex_) return;
    DWORD result = WaitForSingleObject(mutex_, wait_ms);
    // An abandoned mutex (its owner ended) is ours all the same.
    owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

file_lock::~file_lock() {
    if (owned_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
}
