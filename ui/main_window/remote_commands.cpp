// Reading the remote commands' texts. The block comes from another program:
// nothing past its cbData bytes is read, whatever its text says.
#include "remote_commands.h"

#include <cwchar>
#include <cwctype>

bool copydata_text(const COPYDATASTRUCT* data, std::wstring& text) {
    text.clear();
    if (!data || !data->lpData || data->cbData == 0 || data->cbData > copydata_limit) return false;
    const char* bytes = static_cast<const char*>(data->lpData);
    int length = 0;
    while (static_cast<DWORD>(length) < data->cbData && bytes[length] != 0) ++length;
    if (length == 0) return true;
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
    if (wide <= 0) return false;
    text.resize(wide);
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, &text[0], wide);
    return true;
}

std::vector<std::wstring> split_text(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> pieces;
    if (text.empty()) return pieces;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        if (at == std::wstring::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

std::wstring copydata_value(const std::vector<std::wstring>& tokens, const wchar_t* key) {
    const size_t n = std::wcslen(key);
    for (const std::wstring& token : tokens) {
        if (token.size() >= n && _wcsnicmp(token.c_str(), key, n) == 0) return token.substr(n);
    }
    return std::wstring();
}

std::wstring trim_blanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    const size_t last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

long text_number(const std::wstring& text) { return std::wcstol(text.c_str(), nullptr, 10); }
