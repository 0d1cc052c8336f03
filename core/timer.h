#pragma once
// A millisecond timer of the user-interface thread: derived classes put their
// work in tick(). It fires when that thread's message loop dispatches the timer
// message. set, kill and the destructor must be called on that thread only.
#include <windows.h>
#include "zel_export.h"

class ZEL_CORE_API timer {
public:
    // Restarts the timer with a new interval (and a new id); false when the
    // system gives no timer, and the timer stays stopped.
    bool set(unsigned ms);
    void kill();
    bool is_running() const { return id_ != 0; }

    timer(const timer&) = delete;
    timer& operator=(const timer&) = delete;

protected:
    timer();
    // Slot 0 of the virtual table; may kill, re-set or delete its own timer.
    virtual void tick() = 0;
    // Slot 1.
    virtual ~timer();
    static void CALLBACK timer_proc(HWND window, UINT message, UINT_PTR id, DWORD time);

private:
    UINT_PTR id_;
};
