#include "track_url.h"
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include "core.h"
#include "utility.h"

namespace {
std::wstring g_root_override;

stringx hash_text(const wchar_t* text) {
    uint64_t h = 14695981039346656037ull;
    for (const wchar_t* p = text; *p; ++p) {
        const unsigned unit = static_cast<unsigned short>(*p);
        h = (h ^ (unit & 0xFF)) * 1099511628211ull;
        h = (h ^ (unit >> 8)) * 1099511628211ull;
    }
    wchar_t out[17];
    for (int i = 15; i >= 0; --i, h >>= 4) out[i] = L"0123456789abcdef"[h & 15];
    out[16] = 0;
    return stringx(out);
}
}  // namespace

namespace track_url {

bool is_track_url(const wchar_t* url) {
    return url && (_wcsnicmp(url, L"zel://", 6) == 0 || _wcsnicmp(url, L"zel2://", 7) == 0);
}

bool is_info_url(const wchar_t* url) { return url && _wcsnicmp(url, L"zel2://", 7) == 0; }

bool parse(const wchar_t* url, parts& out) {
    out = parts();
    if (!url || !*url || !is_track_url(url)) return false;
    const stringx text(url);
    const stringx http = is_info_url(url) ? text.replace(L"zel2://", L"http://") : text.replace(L"zel://", L"http://");
    utility::string_tokenizer(http.wvalue(), L"|", out.pieces);
    if (out.pieces.empty()) return false;
    out.address = out.pieces[0];
    if (out.pieces.size() >= 2) {
        out.start = wcstod(out.pieces[1].wvalue(), nullptr);
        if (!(out.start > 0.0)) out.start = 0.0;  // negative (or not a number): from the beginning
    }
    return true;
}

stringx cache_file_name(const wchar_t* url) {
    parts p;
    if (!parse(url, p)) return stringx();
    std::wstring name(url);
    const size_t slash = name.rfind(L'/');
    if (slash != std::wstring::npos) name = name.substr(slash + 1);
    if (p.pieces.size() >= 2) name = name.substr(0, name.find(L'|'));
    // A segment without "." leaves the base name empty: the hash alone names it.
    const size_t dot = name.find(L'.');
    name = dot == std::wstring::npos ? std::wstring() : name.substr(0, dot);
    std::wstring result = name.empty() ? std::wstring() : name + L"_";
    result += hash_text(p.address.wvalue()).wvalue();
    result += L".tmp";
    return stringx(result.c_str());
}

stringx cache_root() {
    if (!g_root_override.empty()) return stringx(g_root_override.c_str());
    wchar_t* appdata = core::get_appdata_path();
    stringx root(appdata ? appdata : L"");
    free(appdata);
    return root;
}

void set_cache_root(const wchar_t* folder) { g_root_override = folder ? folder : L""; }

stringx cache_folder(const wchar_t* url) {
    stringx folder = cache_root();
    folder += stringx(is_info_url(url) ? L"\\temp\\info" : L"\\temp\\music");
    return folder;
}

stringx cache_file(const wchar_t* url) {
    const stringx name = cache_file_name(url);
    if (name.length() == 0) return stringx();
    stringx path = cache_folder(url);
    path += stringx(L"\\");
    path += name;
    return path;
}

stringx download_file(const wchar_t* url) {
    stringx path = cache_file(url);
    if (path.length() == 0) return path;
    path += stringx(L".part");
    return path;
}

int id3v2_size(const unsigned char* h) {
    if (h[0] != 'I' || h[1] != 'D' || h[2] != '3') return 0;
    if (h[5] & 0x0F) return 0;
    if ((h[6] | h[7] | h[8] | h[9]) & 0x80) return 0;
    int size = (h[6] << 21) | (h[7] << 14) | (h[8] << 7) | h[9];
    size += 10;
    if (h[5] & 0x10) size += 10;
    return size;
}

}  // namespace track_url
