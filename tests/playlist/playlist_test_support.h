#pragma once
// Helpers of the playlist format tests: a temporary folder with a "lists"
// subfolder to hold playlists (so that ".." stays inside the temporary
// folder), fixture files copied from tests/playlist/fixtures, and entries.
#include <windows.h>
#include <string>
#include <vector>
#include "list_info.h"
#include "temp_folder.h"
#include "wine_host.h"

// The fixture file's bytes copied to target; false when it cannot be.
inline bool copy_fixture(const char* name, const std::wstring& target) {
    const std::wstring source = wine_host::dos_path(wine_host::source_file("tests/playlist/fixtures/") + name);
    return !source.empty() && CopyFileW(source.c_str(), target.c_str(), FALSE);
}

inline list_info entry_with_path(const std::wstring& path) {
    list_info e;
    list_info::set_string(e.path, path.c_str());
    return e;
}

inline std::vector<std::wstring> paths_of(const std::vector<list_info>& entries) {
    std::vector<std::wstring> paths;
    for (const list_info& e : entries) paths.push_back(e.path ? e.path : L"<null>");
    return paths;
}

inline std::wstring text_or_empty(const wchar_t* text) { return text ? text : L""; }

// A temporary folder T with T\lists made.
class playlist_folder {
public:
    playlist_folder() : folder_(L"zel_playlist") { folder_.make_folder(L"lists"); }
    bool ok() const { return !folder_.path().empty() && temp_folder::is_folder(lists()); }
    std::wstring root() const { return folder_.path(); }
    std::wstring lists() const { return folder_ / L"lists"; }
    std::wstring in_lists(const std::wstring& name) const { return lists() + L"\\" + name; }
    std::wstring in_root(const std::wstring& name) const { return folder_ / name; }

    // The names of the files in the lists folder (no subfolders).
    std::vector<std::wstring> list_files() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((lists() + L"\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
        } while (FindNextFileW(find, &found));
        FindClose(find);
        return names;
    }

private:
    temp_folder folder_;
};
