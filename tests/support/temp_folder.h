#pragma once
// temp_folder: a fresh folder under the user's temporary folder for one test,
// removed with everything in it when the object goes away.
#include <windows.h>

#include <cstdio>
#include <string>

class temp_folder {
public:
    explicit temp_folder(const wchar_t* tag = L"zel") {
        wchar_t base[MAX_PATH];
        const DWORD n = GetTempPathW(MAX_PATH, base);
        std::wstring root(base, n);
        if (!root.empty() && root.back() == L'\\')
            root.pop_back();
        for (unsigned i = 0; path_.empty() && i < 1000; ++i) {
            wchar_t name[64];
            _snwprintf(name, 63, L"\\%s_%lu_%u", tag, GetCurrentProcessId(), GetTickCount() + i);
            name[63] = 0;
            if (CreateDirectoryW((root + name).c_str(), nullptr))
                path_ = root + name;
        }
    }
    ~temp_folder() {
        if (!path_.empty())
            remove_tree(path_);
    }
    temp_folder(const temp_folder&) = delete;
    temp_folder& operator=(const temp_folder&) = delete;

    // The folder's path without a trailing backslash; empty when it could not
    // be made.
    const std::wstring& path() const { return path_; }
    // path() + "\" + relative.
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

    // Writes a file (relative to the folder) holding text; true on success.
    bool write(const std::wstring& relative, const char* text = "") const {
        FILE* f = _wfopen((*this / relative).c_str(), L"wb");
        if (!f)
            return false;
        const bool ok = fputs(text, f) >= 0;
        return fclose(f) == 0 && ok;
    }
    bool make_folder(const std::wstring& relative) const {
        return CreateDirectoryW((*this / relative).c_str(), nullptr) != 0;
    }

    static bool exists(const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    static bool is_folder(const std::wstring& path) {
        const DWORD a = GetFileAttributesW(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }

private:
    static void remove_tree(const std::wstring& folder) {
        WIN32_FIND_DATAW entry;
        HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &entry);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = entry.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring path = folder + L"\\" + name;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    remove_tree(path);
                } else {
                    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(h, &entry));
            FindClose(h);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring path_;
};
