#pragma once
// A thread object: derived classes put their work in run(). The destructor
// waits for run() to return. A class that wants a stop signal keeps its own
// flag or event. The base destructor runs after the derived part is gone, so a
// derived class that may be destroyed while run() is going (or before it has
// begun) signals and waits for it in its own destructor.
#include <windows.h>
#include "zel_export.h"

class ZEL_CORE_API thread {
public:
    thread();
    virtual ~thread();
    thread(const thread&) = delete;
    thread& operator=(const thread&) = delete;

    // Starts run() on a new thread. The handle and id are stored before the
    // thread is resumed, so run() may use them from its first instruction.
    // False when the system could not start a thread (run() then never runs).
    bool create();
    unsigned resume();
    unsigned suspend();
    // A Windows thread priority (0 normal, 1 above normal, 2 highest, ...).
    bool priority(int value);

    HANDLE get_handle() const { return handle_; }
    unsigned get_id() const { return id_; }

protected:
    virtual void run() = 0;
    static unsigned __stdcall thread_proc(void* object);

    HANDLE handle_;
    unsigned id_;
};
