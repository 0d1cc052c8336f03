// Field texts of the launcher link and the launcher's command line.
#include "launcher_fields.h"

#include <cwchar>

#include "cmd_line.h"

namespace launcher_fields {

std::wstring escape_field(const std::wstring& field) {
    std::wstring out;
    out.reserve(field.size());
    for (wchar_t c : field) {
        if (c == L'|' || c == L'\\')
            out += L'\\';
        out += c;
    }
    return out;
}

std::wstring join_fields(const std::vector<std::wstring>& fields) {
    std::wstring out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += L'|';
        out += escape_field(fields[i]);
    }
    return out;
}

std::vector<std::wstring> split_fields(const std::wstring& text) {
    std::vector<std::wstring> fields(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\\' && i + 1 < text.size() && (text[i + 1] == L'|' || text[i + 1] == L'\\')) {
            fields.back() += text[++i];
        } else if (c == L'|') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

namespace {

bool has_control_character(const std::wstring& value) {
    for (wchar_t c : value)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}

}  // namespace

std::wstring launcher_parameters(const std::wstring& id, const std::wstring& password,
                                 const std::wstring& ids, long time_offset, unsigned long process_id,
                                 int device_index, const std::wstring& device_name) {
    wchar_t number[32];
    _snwprintf(number, 31, L"%ld", time_offset);
    number[31] = 0;
    const std::wstring time_text = number;
    _snwprintf(number, 31, L"%lu", process_id);
    number[31] = 0;
    const std::wstring pid_text = number;
    _snwprintf(number, 31, L"%d", device_index);
    number[31] = 0;
    const std::wstring dev_text = join_fields({number, device_name});

    const std::wstring arguments[6] = {L"id=" + id,        L"pw=" + password,   L"ids=" + ids,
                                       L"time=" + time_text, L"pid=" + pid_text, L"dev=" + dev_text};
    for (const std::wstring& value : {id, password, ids, device_name})
        if (has_control_character(value))
            return std::wstring();
    for (int i = 0; i < 6; ++i) {
        if (i != 4 && arguments[i].find(L"pid=") != std::wstring::npos)
            return std::wstring();
        if (i != 2 && arguments[i].find(L"ids=") != std::wstring::npos)
            return std::wstring();
    }

    std::wstring text;
    for (int i = 0; i < 6; ++i) {
        if (i)
            text += L' ';
        text += L'"' + arguments[i] + L'"';
    }
    // The launcher reads its arguments back with cmd_line, after the program
    // path: they must come back as exactly these six texts.
    const cmd_line parsed((L"zel_mtplayer.exe " + text).c_str());
    if (parsed.count() != 7)
        return std::wstring();
    for (int i = 0; i < 6; ++i)
        if (arguments[i] != parsed.argument(i + 1))
            return std::wstring();
    return text;
}

}  // namespace launcher_fields
