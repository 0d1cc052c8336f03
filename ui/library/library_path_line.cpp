// The library window's path line (library_path_line.h).
#include "library_path_line.h"

#include <cwchar>

namespace {
const wchar_t kMusic[] = L"음악방송 > ";
const wchar_t kSchedule[] = L"[스케쥴방송]";

std::wstring trim(const std::wstring& s) {
    const wchar_t* blanks = L" \t";
    const size_t a = s.find_first_not_of(blanks);
    if (a == std::wstring::npos) return std::wstring();
    const size_t b = s.find_last_not_of(blanks);
    return s.substr(a, b - a + 1);
}
}  // namespace

std::wstring join_path(const std::vector<std::wstring>& parts) {
    std::wstring out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += L" > ";
        out += trim(parts[i]);
    }
    return out;
}

path_line_text make_path_line(const path_line_input& in) {
    if (in.first_playlist) return {kMusic + in.track_title, false};
    if (in.playing_node) {
        std::vector<std::wstring> parts = in.path;
        parts.push_back(in.channel_title);
        return {join_path(parts), true};
    }
    if (in.service_title.compare(0, wcslen(kSchedule), kSchedule) == 0) return {kMusic + in.service_title, true};
    if (in.channel_is_login_channel && !in.last_title.empty()) return {in.last_title, false};
    return {kMusic + in.login_channel_title, false};
}
