// Keys and values of the launcher's arguments.
#include "launcher_arguments.h"

#include <cwctype>

namespace launcher_arguments {
namespace {
std::wstring trimmed(const std::wstring& text) {
    size_t a = 0, b = text.size();
    while (a < b && (text[a] == L' ' || text[a] == L'\t')) ++a;
    while (b > a && (text[b - 1] == L' ' || text[b - 1] == L'\t')) --b;
    return text.substr(a, b - a);
}
}  // namespace

std::wstring key_of(const std::wstring& argument) {
    const size_t equals = argument.find(L'=');
    if (equals == std::wstring::npos) return std::wstring();
    std::wstring key = trimmed(argument.substr(0, equals));
    for (wchar_t& c : key) c = static_cast<wchar_t>(towlower(c));
    return key;
}

std::wstring value_of(const std::wstring& argument) {
    const size_t equals = argument.find(L'=');
    return equals == std::wstring::npos ? std::wstring() : trimmed(argument.substr(equals + 1));
}

early read_early(const std::vector<std::wstring>& arguments) {
    early out;
    for (const std::wstring& argument : arguments) {
        const std::wstring key = key_of(argument);
        if (key == L"pid") out.pid = static_cast<DWORD>(wcstoul(value_of(argument).c_str(), nullptr, 10));
        if (key == L"ids") {
            const std::wstring value = value_of(argument);
            if (!value.empty())
                out.row_count = static_cast<int>(wcstol(value.substr(0, value.find(L'\u203B')).c_str(), nullptr, 10));
        }
    }
    return out;
}

}  // namespace launcher_arguments
