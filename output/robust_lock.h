#pragma once
// A recursive lock that survives the death of its owner: a Windows mutex,
// which the system hands on, abandoned, when the owning thread ends. The
// player terminates playback threads that hang at shutdown; one of them may
// die inside a capture output while holding the lock that the test still
// needs.
#include <windows.h>

class robust_lock {
public:
    robust_lock() : mutex_(CreateMutexW(nullptr, FALSE, nullptr)) {}
    ~robust_lock() {
        if (mutex_) CloseHandle(mutex_);
    }
    robust_lock(const robust_lock&) = delete;
    robust_lock& operator=(const robust_lock&) = delete;

    // WAIT_ABANDONED also gives the mutex to the caller.
    void enter() { WaitForSingleObject(mutex_, INFINITE); }
    void leave() { ReleaseMutex(mutex_); }

private:
    HANDLE mutex_;
};

class robust_guard {
public:
    explicit robust_guard(robust_lock& lock) : lock_(lock) { lock_.enter(); }
    ~robust_guard() { lock_.leave(); }
    robust_guard(const robust_guard&) = delete;
    robust_guard& operator=(const robust_guard&) = delete;

private:
    robust_lock& lock_;
};
