#pragma once
// The WM_COPYDATA messages between a player and the launcher: dwData = the
// code, lpData = UTF-8 text and one NUL byte, cbData = the text's byte
// length + 1 (no data at all for the launcher's quit), wParam = the sending
// window; always sent, never posted; the receiver answers 1.
#include <windows.h>

#include <string>

namespace copydata {

enum code : ULONG_PTR {
    copydata_register = 1001,
    copydata_channel = 1002,
    copydata_show = 1003,
    copydata_quit = 1004,
    copydata_message = 1005,
    copydata_playing = 1006,
};

// Sends code with text (null: no data) from the window from to the window to;
// the receiver's result, 0 when to is no window.
LRESULT send(HWND to, HWND from, ULONG_PTR code, const wchar_t* text);

// send, but waiting at most timeout_ms for the receiver (its messages to the
// sender are handled meanwhile): false when it did not answer in time (a
// hung program) or to is no window; else true with its result in *result.
bool send_within(HWND to, HWND from, ULONG_PTR code, const wchar_t* text, unsigned timeout_ms, LRESULT* result);

// The text of a received message: the UTF-8 bytes up to the first NUL, but
// never beyond cbData; "" for no data.
std::wstring text_of(const COPYDATASTRUCT* data);

}  // namespace copydata
