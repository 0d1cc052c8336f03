// The texts of the now-playing list.
#include "playlist_view_text.h"

#include <cwctype>

#include "list_info.h"

namespace {
std::wstring text_of(const wchar_t* s) { return s ? s : L""; }

std::wstring lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(towlower(c));
    return s;
}

bool starts_with_ignore_case(const std::wstring& s, const wchar_t* prefix) {
    const std::wstring p(prefix);
    return s.size() >= p.size() && lower(s.substr(0, p.size())) == p;
}

std::wstring number(long long n) { return std::to_wstring(n); }
}  // namespace

bool is_stream_path(const wchar_t* path) {
    const std::wstring p = text_of(path);
    for (const wchar_t* prefix : {L"http://", L"mms://", L"mmst://", L"mmsh://", L"mmsu://"})
        if (starts_with_ignore_case(p, prefix)) return true;
    return false;
}

std::wstring entry_title_text(const list_info& entry) {
    const std::wstring title = text_of(entry.title);
    if (!title.empty()) return title;
    const std::wstring path = text_of(entry.path);
    if (is_stream_path(entry.path)) return path;
    const size_t slash = path.find_last_of(L'\\');
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

std::wstring entry_type_key(const list_info& entry) {
    if (is_stream_path(entry.path)) return L"radio";
    const std::wstring path = text_of(entry.path);
    if (starts_with_ignore_case(path, L"zel://")) return L"zel";
    const size_t dot = path.find_last_of(L'.');
    const size_t slash = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && slash > dot)) return L"";
    return lower(path.substr(dot + 1));
}

std::wstring playlist_status_text(const std::vector<list_info*>& entries) {
    if (entries.empty()) return L"";
    double total = 0.0;
    for (const list_info* e : entries)
        if (e) total += e->time;
    const long long s = static_cast<long long>(total);
    const std::wstring head = L"전체 " + number(static_cast<long long>(entries.size())) + L"곡, 총 ";
    if (total >= 3600.0)
        return head + number(s / 3600) + L"시간 " + number(s / 60 % 60) + L"분 " + number(s % 60) + L"초";
    if (total >= 60.0) return head + number(s / 60) + L"분 " + number(s % 60) + L"초";
    return head + number(s) + L"초";
}

std::wstring channel_status_text(const std::wstring& ini_version) {
    return L"ver " + (ini_version.empty() ? std::wstring(L"1.0.0.0.0") : ini_version);
}

std::wstring played_log_record(unsigned channel_id, const list_info& entry) {
    const std::wstring path = text_of(entry.path);
    std::wstring key;
    const size_t slash = path.find_last_of(L'/');
    if (slash != std::wstring::npos) {
        const size_t bar = path.find(L'|', slash + 1);
        if (bar != std::wstring::npos) key = path.substr(slash + 1, bar - slash - 1);
    }
    const wchar_t sep = L'^';
    return number(channel_id) + sep + text_of(entry.title) + sep + text_of(entry.artist) + sep +
           text_of(entry.album) + sep + text_of(entry.filename) + sep +
           number(static_cast<long long>(static_cast<int>(entry.time))) + sep + key;
}

std::wstring path_key(const wchar_t* path) {
    const std::wstring p = text_of(path);
    const size_t bar = p.find(L'|');
    return bar == std::wstring::npos ? p : p.substr(0, bar);
}
