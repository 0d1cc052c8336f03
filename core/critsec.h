#pragma once
// A recursive lock with a nesting count, and its scope guard.
#include <windows.h>
#include "zel_export.h"

class ZEL_CORE_API critsec {
public:
    critsec();
    ~critsec();
    critsec(const critsec&) = delete;
    critsec& operator=(const critsec&) = delete;

    // Both return the new nesting count held by the owning thread.
    int enter();
    int leave();
    int get_lock_count() const;   // read without locking
    int get_lock_count_check();   // read while holding the lock
    void assert_locked() {}
    void assert_not_locked() {}

private:
    friend class auto_sync;
    CRITICAL_SECTION section_;
    int lock_count_;
};

class ZEL_CORE_API auto_sync {
public:
    explicit auto_sync(critsec* lock);
    explicit auto_sync(critsec& lock);
    ~auto_sync();
    auto_sync(const auto_sync&) = delete;
    auto_sync& operator=(const auto_sync&) = delete;

private:
    critsec* lock_;
};
