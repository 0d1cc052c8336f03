#pragma once
// timed_message_box: a message box shown a moment later, at the next tick of
// a timer of the user-interface thread, so that a caller on any code path of
// that thread can report something without waiting for the user. The object
// deletes itself once the box is closed. Several boxes are independent: a
// second can open while the first is still open, and each closes with its
// own OK.
#include <windows.h>
#include <string>
#include "timer.h"

class timed_message_box : public timer {
public:
    // A new box on its timer; false when none could be made.
    static bool start(HWND owner, const wchar_t* text, const wchar_t* caption);
    // The boxes created and not yet closed (for tests).
    static int pending();

protected:
    timed_message_box(HWND owner, const wchar_t* text, const wchar_t* caption);
    ~timed_message_box() override;
    void tick() override;

private:
    HWND owner_;
    std::wstring text_;
    std::wstring caption_;
};

// Shows text in a box with an OK button at the next turn of the message
// loop; a null caption becomes "VOLQUIN 플레이어". Returns at once. On the
// user-interface thread only. When the owner is gone by then, the box is
// shown without one.
void show_timed_message_box(HWND owner, const wchar_t* text, const wchar_t* caption = nullptr);
