#pragma once
// event_record: the one reused record of an event kind that a listener fills
// on a playback or player thread and whose address it posts to a window.
//
// The listener writes the record under the record's lock; the receiver, on
// the user-interface thread, never reads it in place but takes a copy under
// the same lock (copy, or read for a partial copy). The next event of the
// same kind may overwrite the record at any moment after the post, so a
// receiver keeps neither the pointer nor anything it pointed to: strings,
// buffers and the like are copied out while the lock is held.
//
// The record lives as long as its listener (a registration node of the
// library), so a message still queued after a later event reads the later
// values, never freed memory.
#include <windows.h>

#include "critsec.h"

template <class T>
class event_record {
public:
    event_record() = default;
    explicit event_record(const T& initial) : value_(initial) {}
    event_record(const event_record&) = delete;
    event_record& operator=(const event_record&) = delete;

    // The writer's side: fill(value) runs under the lock.
    template <class Fn>
    void write(Fn fill) {
        auto_sync guard(lock_);
        fill(value_);
    }
    void store(const T& value) {
        auto_sync guard(lock_);
        value_ = value;
    }

    // The reader's side: look(value) runs under the lock and copies what it
    // needs; nothing it saw may be kept after it returns.
    template <class Fn>
    void read(Fn look) const {
        auto_sync guard(lock_);
        look(static_cast<const T&>(value_));
    }
    T copy() const {
        auto_sync guard(lock_);
        return value_;
    }

    LPARAM as_lparam() const { return reinterpret_cast<LPARAM>(this); }
    // The record a message carries in lParam (or wParam).
    static const event_record* from(LPARAM param) { return reinterpret_cast<const event_record*>(param); }

private:
    mutable critsec lock_;
    T value_;
};
