#include "thread.h"
#include <process.h>

thread::thread() : handle_(nullptr), id_(0) {}

thread::~thread() {
    if (handle_) {
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

bool thread::create() {
    unsigned id = 0;
    uintptr_t h = _beginthreadex(nullptr, 0, &thread::thread_proc, this, CREATE_SUSPENDED, &id);
    if (h == 0) return false;
    id_ = id;
    handle_ = reinterpret_cast<HANDLE>(h);
    ResumeThread(handle_);
    return true;
}

unsigned thread::resume() { return ResumeThread(handle_); }

unsigned thread::suspend() { return SuspendThread(handle_); }

bool thread::priority(int value) { return SetThreadPriority(handle_, value) != FALSE; }

unsigned __stdcall thread::thread_proc(void* object) {
    static_cast<thread*>(object)->run();
    return 0;
}
