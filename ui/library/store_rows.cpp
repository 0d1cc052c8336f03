#include "store_rows.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace store_rows {

namespace {

std::wstring text_of(const stringx& s) { return std::wstring(s.wvalue()); }

std::wstring lower(const std::wstring& s) {
    std::wstring out(s);
    for (auto& c : out) c = static_cast<wchar_t>(std::towlower(c));
    return out;
}

int compare_nocase(const stringx& a, const stringx& b) {
    return lower(text_of(a)).compare(lower(text_of(b)));
}

int number_at(const std::wstring& s, int start, int count) {
    return std::wcstol(s.substr(start, count).c_str(), nullptr, 10);
}

long long seconds_of(const SYSTEMTIME& t) {
    FILETIME ft;
    if (!SystemTimeToFileTime(&t, &ft)) return 0;
    ULARGE_INTEGER v;
    v.LowPart = ft.dwLowDateTime;
    v.HighPart = ft.dwHighDateTime;
    return static_cast<long long>(v.QuadPart / 10000000ULL);
}

const stringx& field_of(const store_record& r, int field) {
    if (field == 1) return r.storename;
    if (field == 2) return r.channel_title;
    return r.userid;
}

}  // namespace

store_state state_of(const store_record& r) {
    if (r.connections > 0) return connected;
    if (r.waiting > 0) return waiting;
    return not_connected;
}

std::wstring id_text(const store_record& r) {
    std::wstring id = text_of(r.userid);
    if (r.connections >= 2) id += L"(" + std::to_wstring(r.connections) + L")";
    return id;
}

std::wstring duration_text(const std::wstring& access_time, const SYSTEMTIME& now) {
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(number_at(access_time, 0, 4));
    t.wMonth = static_cast<WORD>(number_at(access_time, 4, 2));
    t.wDay = static_cast<WORD>(number_at(access_time, 6, 2));
    t.wHour = static_cast<WORD>(number_at(access_time, 8, 2));
    t.wMinute = static_cast<WORD>(number_at(access_time, 10, 2));
    t.wSecond = static_cast<WORD>(number_at(access_time, 12, 2));
    const long long span = seconds_of(now) - seconds_of(t);
    const long long hours = span / 3600;
    const long long minutes = (span / 60) % 60;
    wchar_t buf[64];
    if (hours < 1)
        swprintf(buf, 64, L"%d\uBD84", static_cast<int>(minutes));
    else
        swprintf(buf, 64, L"%d\uC2DC\uAC04 %d\uBD84", static_cast<int>(hours), static_cast<int>(minutes));
    return buf;
}

std::wstring status_text(const store_record& r, const SYSTEMTIME& now) {
    switch (state_of(r)) {
    case connected:
        if (r.access_time.length() == 14) return duration_text(text_of(r.access_time), now);
        return L"\uB300\uAE30\uC911";  // 대기중
    case waiting:
        return L"\uB300\uAE30\uC911";  // 대기중
    default:
        return L"\uBBF8\uC811\uC18D";  // 미접속
    }
}

std::wstring access_text(const std::wstring& t) {
    if (t.size() != 14) return L"";
    wchar_t buf[64];
    swprintf(buf, 64, L"%04d-%02d-%02d %02d:%02d:%02d", number_at(t, 0, 4), number_at(t, 4, 2),
             number_at(t, 6, 2), number_at(t, 8, 2), number_at(t, 10, 2), number_at(t, 12, 2));
    return buf;
}

std::vector<store_record> filter_state(const std::vector<store_record>& rows, int filter) {
    if (filter <= 0 || filter > 3) return rows;
    std::vector<store_record> out;
    for (const auto& r : rows)
        if (static_cast<int>(state_of(r)) == filter) out.push_back(r);
    return out;
}

std::vector<store_record> filter_search(const std::vector<store_record>& rows, int field,
                                        const std::wstring& text) {
    if (text.empty()) return rows;
    const std::wstring wanted = lower(text);
    std::vector<store_record> out;
    for (const auto& r : rows) {
        const std::wstring value = lower(text_of(field_of(r, field)));
        if (!value.empty() && value.find(wanted) != std::wstring::npos) out.push_back(r);
    }
    return out;
}

bool sort_by(std::vector<store_record>& rows, int column) {
    if (column == 7) {
        sort_by_time(rows);
        return true;
    }
    if (column < 2 || column > 4) return false;
    const int field = column - 2;
    std::stable_sort(rows.begin(), rows.end(), [field](const store_record& a, const store_record& b) {
        return compare_nocase(field_of(a, field), field_of(b, field)) < 0;
    });
    return true;
}

void sort_by_time(std::vector<store_record>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const store_record& a, const store_record& b) {
        return compare_nocase(a.access_time, b.access_time) > 0;
    });
}

namespace {

std::wstring escaped(const stringx& value) {
    const std::wstring w = text_of(value);
    std::string utf8;
    if (!w.empty()) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0,
                                          nullptr, nullptr);
        utf8.resize(n);
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &utf8[0], n, nullptr, nullptr);
    }
    std::wstring out;
    static const wchar_t hex[] = L"0123456789ABCDEF";
    for (unsigned char c : utf8) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += static_cast<wchar_t>(c);
        } else {
            out += L'%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace

std::wstring detail_address(const std::wstring& server, const store_record& r) {
    std::wstring base = server;
    if (!base.empty() && base.back() != L'/') base += L'/';
    return base + L"rux/mana/ad_shopinfo.php?storetop=" + escaped(r.storetop) + L"&storemother=" +
           escaped(r.storemother) + L"&storecode=" + escaped(r.storecode) + L"&userid=" + escaped(r.userid);
}

}  // namespace store_rows
