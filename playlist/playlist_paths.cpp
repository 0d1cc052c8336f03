#include "playlist_paths.h"
#include <cwchar>
#include <vector>

namespace {

// The parts between "\" separators, empty ones dropped.
std::vector<std::wstring> split_parts(const std::wstring& path) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool same_part(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

// "\\" for a network path, "\" for a rooted one, "" otherwise.
std::wstring leading_separators(const std::wstring& path) {
    if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\";
    if (!path.empty() && path[0] == L'\\') return L"\\";
    return L"";
}

}  // namespace

std::wstring folder_of(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring make_relative_path(const std::wstring& folder, const std::wstring& path) {
    std::vector<std::wstring> f = split_parts(folder);
    std::vector<std::wstring> p = split_parts(path);
    if (f.empty() || p.empty() || !same_part(f[0], p[0]) ||
        leading_separators(folder) != leading_separators(path))
        return path;
    size_t common = 0;
    while (common < f.size() && p.size() - common > 1 && same_part(f[common], p[common])) ++common;
    std::wstring relative;
    for (size_t i = common; i < f.size(); ++i) relative += L"..\\";
    for (size_t i = common; i < p.size(); ++i) {
        if (i > common) relative += L'\\';
        relative += p[i];
    }
    return relative;
}

bool is_absolute_playlist_path(const std::wstring& path) {
    if (path.find(L"://") != std::wstring::npos || path.find(L'|') != std::wstring::npos) return true;
    if (path.compare(0, 2, L"..") == 0) return false;
    return (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') || (!path.empty() && path[0] == L'\\');
}

std::wstring resolve_relative_path(const std::wstring& folder, const std::wstring& path) {
    if (path.empty() || is_absolute_playlist_path(path)) return path;
    std::vector<std::wstring> f = split_parts(folder);
    const std::wstring prefix = leading_separators(folder);
    // Parts that ".." never takes away: the drive, or server and share.
    size_t root = 0;
    if (prefix == L"\\\\")
        root = f.size() < 2 ? f.size() : 2;
    else if (!f.empty() && f[0].size() == 2 && f[0][1] == L':')
        root = 1;

    std::vector<std::wstring> p = split_parts(path);
    if (p.empty()) return std::wstring();
    const bool ends_in_separator = path.back() == L'\\';
    std::wstring file_name = ends_in_separator ? std::wstring() : p.back();
    if (!ends_in_separator) p.pop_back();
    std::vector<std::wstring> kept;
    for (const std::wstring& part : p) {
        if (part == L".") continue;
        if (part == L"..") {
            if (!kept.empty())
                kept.pop_back();
            else if (f.size() > root)
                f.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::wstring result = prefix;
    for (const std::wstring& part : f) result += part + L"\\";
    for (const std::wstring& part : kept) result += part + L"\\";
    return result + file_name;
}
