#pragma once
// skinned_label: a static text painted over the piece of the skin that lies
// under it, so that the label sits on the skin's face instead of a plain
// box. The background is taken once, when the label is attached; the object
// deletes itself when the label's window is destroyed.
#include <windows.h>

#include "dib.h"
#include "subclass.h"

class skinned_label : public subclass {
public:
    // Attaches to the label and copies the w x h background at x, y of the
    // skin's back buffer (the label's place in the window).
    static void attach(HWND label, HDC skin_back, int x, int y, int w, int h);
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    void paint(HDC dc);
    dib background_;
};
