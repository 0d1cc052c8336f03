#include "timer.h"
#include <vector>

namespace {
// The running timers in the order they were set. Touched only on the
// user-interface thread, so it has no lock.
std::vector<timer*>& running_timers() {
    static std::vector<timer*> list;
    return list;
}
}  // namespace

timer::timer() : id_(0) {}

timer::~timer() {
    if (id_) kill();
}

bool timer::set(unsigned ms) {
    kill();
    UINT_PTR id = SetTimer(nullptr, 0, ms, &timer::timer_proc);
    if (id == 0) return false;
    id_ = id;
    running_timers().push_back(this);
    return true;
}

void timer::kill() {
    if (id_ == 0) return;
    KillTimer(nullptr, id_);
    auto& list = running_timers();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->id_ == id_) {
            list.erase(it);
            break;
        }
    }
    id_ = 0;
}

void CALLBACK timer::timer_proc(HWND, UINT, UINT_PTR id, DWORD) {
    for (timer* t : running_timers()) {
        if (t->id_ == id) {
            // The tick may kill, re-set or delete this timer: touch neither the
            // list nor the object afterwards.
            t->tick();
            return;
        }
    }
}
