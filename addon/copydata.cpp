// Sending and reading the launcher's WM_COPYDATA messages.
#include "copydata.h"

#include <cstring>

#include "stringx.h"
#include "utf.h"

namespace copydata {

namespace {
// The message's data: text as UTF-8 with its NUL, or none; utf8 holds the
// bytes.
COPYDATASTRUCT frame(ULONG_PTR code, const wchar_t* text, stringx& utf8) {
    COPYDATASTRUCT data = {};
    data.dwData = code;
    if (text) {
        utf8 = utf::utf16_to_utf8(text);
        const char* bytes = utf8;
        data.lpData = const_cast<char*>(bytes ? bytes : "");
        data.cbData = static_cast<DWORD>(std::strlen(static_cast<const char*>(data.lpData)) + 1);
    }
    return data;
}
}  // namespace

LRESULT send(HWND to, HWND from, ULONG_PTR code, const wchar_t* text) {
    if (!to || !IsWindow(to))
        return 0;
    stringx utf8;
    COPYDATASTRUCT data = frame(code, text, utf8);
    return SendMessageW(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&data));
}

bool send_within(HWND to, HWND from, ULONG_PTR code, const wchar_t* text, unsigned timeout_ms, LRESULT* result) {
    if (result)
        *result = 0;
    if (!to || !IsWindow(to))
        return false;
    stringx utf8;
    COPYDATASTRUCT data = frame(code, text, utf8);
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&data),
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout_ms, &answer))
        return false;
    if (result)
        *result = static_cast<LRESULT>(answer);
    return true;
}

std::wstring text_of(const COPYDATASTRUCT* data) {
    if (!data || !data->lpData || !data->cbData)
        return std::wstring();
    const char* bytes = static_cast<const char*>(data->lpData);
    size_t n = 0;
    while (n < data->cbData && bytes[n])
        ++n;
    const std::string utf8(bytes, n);
    const stringx wide = utf::utf8_to_utf16(utf8.c_str());
    const wchar_t* w = wide;
    return w ? std::wstring(w) : std::wstring();
}

}  // namespace copydata
