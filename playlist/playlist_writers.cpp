// Writing playlist files: the M3U, M3U8 and PLS writers, and the safe save
// that puts a finished file in the target's place.
#include <sys/stat.h>
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include "playlist_formats.h"
#include "playlist_paths.h"
#include "utf.h"
#include "utility.h"

namespace {

enum class writer { none, cpl, m3u, m3u8, pls };

writer writer_for(const wchar_t* target) {
    const stringx extension = utility::get_file_extension(target);
    const wchar_t* e = extension.wvalue();
    if (!_wcsicmp(e, L"cpl")) return writer::cpl;
    if (!_wcsicmp(e, L"m3u")) return writer::m3u;
    if (!_wcsicmp(e, L"m3u8")) return writer::m3u8;
    if (!_wcsicmp(e, L"pls")) return writer::pls;
    return writer::none;
}

bool write_with(writer kind, const wchar_t* file, const std::vector<list_info>& entries) {
    switch (kind) {
        case writer::cpl:
            return write_cpl_document(file, entries);
        case writer::m3u:
            return write_m3u_file(file, entries, false);
        case writer::m3u8:
            return write_m3u_file(file, entries, true);
        case writer::pls:
            return write_pls_file(file, entries);
        default:
            return false;
    }
}

// Writes through a new file beside the target, then replaces the target
// with it; the target is untouched when anything fails.
bool write_in_place_of(const wchar_t* target, writer kind, const std::vector<list_info>& entries) {
    const std::wstring temporary = temporary_name_in(folder_of(target));
    if (temporary.empty()) return false;
    bool ok = write_with(kind, temporary.c_str(), entries) &&
              MoveFileExW(temporary.c_str(), target, MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

bool starts_with_ignoring_case(const wchar_t* text, const wchar_t* prefix) {
    return _wcsnicmp(text, prefix, wcslen(prefix)) == 0;
}

// Entries the last playlist cannot replay: stream addresses and local files
// that are gone.
bool left_out_of_last_playlist(const list_info& e) {
    if (!e.path || !*e.path) return false;
    for (const wchar_t* scheme : {L"http://", L"mms://", L"mmst://", L"mmsh://", L"mmsu://"})
        if (starts_with_ignoring_case(e.path, scheme)) return true;
    struct _stat info;
    return !wcsstr(e.path, L"://") && _wstat(e.path, &info) != 0;
}

}  // namespace

std::wstring temporary_name_in(const std::wstring& folder) {
    static LONG counter = 0;
    for (int attempt = 0; attempt < 256; ++attempt) {
        const unsigned mixed = GetCurrentProcessId() * 7919u + GetTickCount() +
                               static_cast<unsigned>(InterlockedIncrement(&counter)) * 104729u;
        wchar_t name[16];
        _snwprintf(name, 15, L"~zl%05X.tmp", mixed & 0xFFFFFu);
        name[15] = 0;
        const std::wstring path = folder.empty() ? std::wstring(name) : folder + L"\\" + name;
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
            return path;
    }
    return std::wstring();
}

bool write_m3u_file(const wchar_t* file, const std::vector<list_info>& entries, bool utf8) {
    if (!file || !*file) return false;
    FILE* f = _wfopen(file, L"w");  // text mode: every line ends in CR LF
    if (!f) return false;
    // The byte order mark goes before the first path: no entries, no bytes.
    bool ok = !utf8 || entries.empty() || fwrite("\xEF\xBB\xBF", 1, 3, f) == 3;
    for (const list_info& e : entries) {
        const wchar_t* path = e.path ? e.path : L"";
        const stringx bytes = utf8 ? utf::utf16_to_utf8(path) : utf::utf16_to_ansi(path);
        ok = ok && fputs(bytes.value(), f) >= 0 && fputs("\n", f) >= 0;
    }
    return fclose(f) == 0 && ok;
}

bool write_pls_file(const wchar_t* file, const std::vector<list_info>& entries) {
    if (!file || !*file) return false;
    const stringx path(file);
    const stringx section(L"playlist");
    bool ok = utility::write_profile_string(path, section, L"NumberOfEntries",
                                            std::to_wstring(entries.size()).c_str()) != 0;
    for (size_t i = 0; ok && i < entries.size(); ++i) {
        const list_info& e = entries[i];
        const std::wstring n = std::to_wstring(i + 1);
        ok = utility::write_profile_string(path, section, (L"File" + n).c_str(), e.path ? e.path : L"") != 0;
        if (ok && e.filename && *e.filename)
            ok = utility::write_profile_string(path, section, (L"Title" + n).c_str(), e.filename) != 0;
        if (ok)
            ok = utility::write_profile_string(path, section, (L"Length" + n).c_str(),
                                               std::to_wstring(static_cast<int>(e.time)).c_str()) != 0;
    }
    ok = ok && utility::write_profile_string(path, section, L"Version", L"2") != 0;
    // Flush and drop the platform's cached copy of the file before it is
    // renamed, so that nothing of it lingers under this name.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file);
    return ok;
}

bool save_playlist_file(const wchar_t* target, const std::vector<list_info>& entries) {
    if (!target || !*target) return false;
    const writer kind = writer_for(target);
    if (kind == writer::none) return false;
    const std::wstring folder = folder_of(target);
    std::vector<list_info> relative = entries;
    for (list_info& e : relative)
        if (e.path) list_info::set_string(e.path, make_relative_path(folder, e.path).c_str());
    return write_in_place_of(target, kind, relative);
}

bool save_last_playlist(const wchar_t* path, const std::vector<list_info>& entries) {
    if (!path || !*path) return false;
    std::vector<list_info> kept;
    for (const list_info& e : entries)
        if (!left_out_of_last_playlist(e)) kept.push_back(e);
    return write_in_place_of(path, writer::cpl, kept);
}
