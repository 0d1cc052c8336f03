#include "utility.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "utf.h"

namespace {

std::wstring text_of(const wchar_t* path) { return path ? path : L""; }

// Index where the file-name part of a path starts (after the last "\").
size_t name_start(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? 0 : slash + 1;
}

void search_folder(const std::wstring& folder, const std::vector<stringx>& extensions,
                   std::vector<stringx>& files, bool recursive) {
    WIN32_FIND_DATAW entry;
    HANDLE listing = FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE)
        return;
    // Once per folder, so that a long search keeps the windows alive.
    utility::message_pump(nullptr);
    do {
        // Covers "." and ".." as well as hidden names such as ".cache".
        if (entry.cFileName[0] == L'.')
            continue;
        const std::wstring path = folder + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (recursive)
                search_folder(path, extensions, files, recursive);
            continue;
        }
        const wchar_t* dot = wcsrchr(entry.cFileName, L'.');
        const stringx extension(dot ? dot + 1 : entry.cFileName);
        for (const stringx& wanted : extensions) {
            if (extension.equals_ignore_case(wanted)) {
                files.push_back(stringx(path.c_str()));
                break;
            }
        }
    } while (FindNextFileW(listing, &entry));
    FindClose(listing);
}

}  // namespace

stringx utility::find_system_folder(system_folder_t folder) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folder, &list)) || !list)
        return stringx(L"");
    wchar_t path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(list, path);
    CoTaskMemFree(list);
    if (!found)
        return stringx(L"");
    // Callers append "\name"; some systems answer with a trailing separator
    // (Wine does for the documents folder). A drive root keeps its own.
    const size_t length = wcslen(path);
    if (length > 3 && path[length - 1] == L'\\')
        path[length - 1] = 0;
    return stringx(path);
}

stringx utility::get_file_name(const wchar_t* path) {
    const stringx text(path ? path : L"");
    const int slash = text.last_indexof(L'\\');
    // substring gives the whole text when the path ends in the separator.
    return slash < 0 ? text : text.substring(slash + 1);
}

stringx utility::get_file_extension(const wchar_t* path) {
    const stringx text(path ? path : L"");
    const int dot = text.last_indexof(L'.');
    return dot < 0 ? text : text.substring(dot + 1);
}

stringx utility::get_folder_name(const wchar_t* path) {
    const stringx text(path ? path : L"");
    const int slash = text.last_indexof(L'\\');
    return slash < 0 ? stringx(L"") : text.substring(0, slash);
}

bool utility::check_directory(const wchar_t* folder) {
    if (!folder || !*folder)
        return false;
    if (PathFileExistsW(folder) && PathIsDirectoryW(folder))
        return true;
    if (wcslen(folder) >= MAX_PATH)
        return false;
    wchar_t parent[MAX_PATH];
    wcscpy(parent, folder);
    PathRemoveFileSpecW(parent);
    // No parent left (a relative or empty text), or a root that is missing.
    if (!*parent || wcscmp(parent, folder) == 0)
        return false;
    if (!check_directory(parent))
        return false;
    if (CreateDirectoryW(folder, nullptr))
        return true;
    // A path ending in "\" names the parent that was just made: it exists.
    return GetLastError() == ERROR_ALREADY_EXISTS && PathIsDirectoryW(folder);
}

// Only a "." of the file-name part marks the extension: a dot in a folder
// name must not change the folder ("C:\my.dir\file" gives
// "C:\my.dir\file(1)").
stringx utility::make_file_path(const wchar_t* path) {
    std::wstring candidate = text_of(path);
    struct _stat info;
    while (!candidate.empty() && _wstat(candidate.c_str(), &info) == 0) {
        const size_t dot = candidate.rfind(L'.');
        if (dot == std::wstring::npos || dot < name_start(candidate))
            candidate += L"(1)";
        else
            candidate.insert(dot, L"(1)");
    }
    return stringx(candidate.c_str());
}

stringx utility::check_filename(const wchar_t* path) {
    const std::wstring text = text_of(path);
    std::wstring name;
    for (size_t i = name_start(text); i < text.size(); ++i) {
        if (!wcschr(L"?/\\:|*<>\"", text[i]))
            name += text[i];
    }
    return stringx(name.c_str());
}

char* utility::convert_filename(const wchar_t* path) {
    if (!path || !*path)
        return _strdup("");
    // GetShortPathNameW only answers for a file that exists.
    bool created = false;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        if (FILE* file = _wfopen(path, L"wb")) {
            fclose(file);
            created = true;
        }
    }
    DWORD capacity = static_cast<DWORD>(wcslen(path) + 2);
    wchar_t* short_path = static_cast<wchar_t*>(malloc(capacity * sizeof(wchar_t)));
    DWORD length = short_path ? GetShortPathNameW(path, short_path, capacity) : 0;
    if (short_path && length >= capacity) {
        // Too small: length is the size needed, terminator included.
        capacity = length;
        wchar_t* larger = static_cast<wchar_t*>(realloc(short_path, capacity * sizeof(wchar_t)));
        if (larger)
            short_path = larger;
        length = larger ? GetShortPathNameW(path, short_path, capacity) : 0;
    }
    if (created)
        DeleteFileW(path);
    const bool have_short = short_path && length > 0 && length < capacity;
    const stringx ansi = utf::utf16_to_ansi(have_short ? short_path : path);
    free(short_path);
    return _strdup(ansi.value());
}

void utility::find_files(const wchar_t* folder, const wchar_t* extensions,
                         std::vector<stringx>& files, bool recursive) {
    std::vector<stringx> pieces;
    string_tokenizer(extensions, L";", pieces);
    std::vector<stringx> wanted;
    for (const stringx& piece : pieces) {
        if (piece.length() > 0)  // "mp3;wav;" ends in an empty piece: no extension
            wanted.push_back(piece);
    }
    if (folder && *folder && !wanted.empty())
        search_folder(folder, wanted, files, recursive);
    std::sort(files.begin(), files.end());
}

unsigned char* utility::create_drop_files(std::vector<stringx>& paths, unsigned* size) {
    if (size)
        *size = 0;
    if (paths.empty())
        return nullptr;
    // Paths are UTF-16; a narrow one is taken as ANSI.
    std::vector<stringx> names;
    names.reserve(paths.size());
    unsigned long long total = sizeof(DROPFILES) + sizeof(wchar_t);
    for (const stringx& path : paths) {
        names.push_back(path.encoding() == stringx::ASCII ? utf::ansi_to_utf16(path.value()) : path);
        total += (names.back().length() + 1ULL) * sizeof(wchar_t);
    }
    if (total > UINT_MAX / 2)
        return nullptr;
    unsigned char* block = static_cast<unsigned char*>(::operator new(total, std::nothrow));
    if (!block)
        return nullptr;
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    memcpy(block, &header, sizeof header);
    unsigned char* p = block + sizeof header;
    for (const stringx& name : names) {
        const size_t bytes = (name.length() + 1) * sizeof(wchar_t);
        memcpy(p, name.wvalue(), bytes);
        p += bytes;
    }
    memset(p, 0, sizeof(wchar_t));
    if (size)
        *size = static_cast<unsigned>(total);
    return block;
}
