#pragma once
// Runs a step from a modal loop of the test's thread (a dialog's, a message
// box's), by a thread timer, again and again until the step says it is done.
#include <windows.h>

#include <functional>
#include <utility>

class modal_script {
public:
    explicit modal_script(std::function<bool()> step) : step_(std::move(step)) {
        current() = this;
        timer_ = SetTimer(nullptr, 0, 10, &modal_script::tick);
    }
    ~modal_script() {
        KillTimer(nullptr, timer_);
        current() = nullptr;
    }
    modal_script(const modal_script&) = delete;
    modal_script& operator=(const modal_script&) = delete;

private:
    static modal_script*& current() {
        static modal_script* script = nullptr;
        return script;
    }
    // Runs the step until it says it is done.
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        modal_script* self = current();
        if (!self || self->done_ || self->busy_) return;
        self->busy_ = true;
        self->done_ = self->step_();
        self->busy_ = false;
    }
    std::function<bool()> step_;
    UINT_PTR timer_;
    bool done_ = false;
    bool busy_ = false;
};
