#include "critsec.h"

critsec::critsec() : lock_count_(0) { InitializeCriticalSection(&section_); }

critsec::~critsec() { DeleteCriticalSection(&section_); }

int critsec::enter() {
    EnterCriticalSection(&section_);
    return ++lock_count_;
}

int critsec::leave() {
    int count = --lock_count_;
    LeaveCriticalSection(&section_);
    return count;
}

int critsec::get_lock_count() const { return lock_count_; }

int critsec::get_lock_count_check() {
    EnterCriticalSection(&section_);
    int count = lock_count_;
    LeaveCriticalSection(&section_);
    return count;
}

auto_sync::auto_sync(critsec* lock) : lock_(lock) { lock_->enter(); }

auto_sync::auto_sync(critsec& lock) : lock_(&lock) { lock_->enter(); }

auto_sync::~auto_sync() { lock_->leave(); }
