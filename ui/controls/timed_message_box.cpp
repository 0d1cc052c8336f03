// Deferred message boxes (timed_message_box.h).
#include "timed_message_box.h"
#include <new>

namespace {
const wchar_t k_default_caption[] = L"VOLQUIN 플레이어";
int g_pending = 0;  // user-interface thread only
}  // namespace

timed_message_box::timed_message_box(HWND owner, const wchar_t* text, const wchar_t* caption)
    : owner_(owner), text_(text ? text : L""), caption_(caption ? caption : k_default_caption) {
    ++g_pending;
}

timed_message_box::~timed_message_box() { --g_pending; }

int timed_message_box::pending() { return g_pending; }

void timed_message_box::tick() {
    kill();
    // A box owned by a window that no longer exists would not show at all.
    HWND owner = owner_ && IsWindow(owner_) ? owner_ : nullptr;
    MessageBoxW(owner, text_.c_str(), caption_.c_str(), MB_OK);
    delete this;
}

bool timed_message_box::start(HWND owner, const wchar_t* text, const wchar_t* caption) {
    timed_message_box* box = new (std::nothrow) timed_message_box(owner, text, caption);
    if (!box) return false;
    // A period of 0: the box comes at the next timer turn of the message loop.
    if (box->set(0)) return true;
    delete box;  // no timer: nothing would ever show or free it
    return false;
}

void show_timed_message_box(HWND owner, const wchar_t* text, const wchar_t* caption) {
    timed_message_box::start(owner, text, caption);
}
