#pragma once
// Helpers of the instance-registry tests: tables of their own names, the raw
// block as other instances see it, and peer processes (instance_peer.exe).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "instance_table.h"

namespace instance_test {

// Names no other test program uses (each case runs in its own process).
inline instance_table_names table_names(const wchar_t* tag) {
    const std::wstring base =
        L"zel_test_instances_" + std::wstring(tag) + L"_" + std::to_wstring(GetCurrentProcessId());
    return {base, base + L".owners", base + L".lock"};
}

struct raw_entry {
    std::wstring name;
    int device;
};

// The block as stored: the count and the first count entries; count -1 when
// the table does not exist.
struct raw_table {
    int count = -1;
    std::vector<raw_entry> entries;
    std::vector<unsigned char> bytes;
};

inline raw_table read_raw(const std::wstring& mapping) {
    raw_table table;
    HANDLE h = OpenFileMappingW(FILE_MAP_READ, FALSE, mapping.c_str());
    if (!h)
        return table;
    const unsigned char* view =
        static_cast<const unsigned char*>(MapViewOfFile(h, FILE_MAP_READ, 0, 0, instance_table::block_bytes));
    if (view) {
        table.bytes.assign(view, view + instance_table::block_bytes);
        std::memcpy(&table.count, view + instance_table::count_offset, 4);
        for (int i = 0; i < table.count && i < instance_table::capacity; ++i) {
            const wchar_t* name = reinterpret_cast<const wchar_t*>(view + instance_table::entry_bytes * i);
            raw_entry e;
            e.name.assign(name, wcsnlen(name, instance_table::name_chars));
            std::memcpy(&e.device, view + instance_table::entry_bytes * i + 400, 4);
            table.entries.push_back(e);
        }
        UnmapViewOfFile(view);
    }
    CloseHandle(h);
    return table;
}

// Writes entries and count into an existing block as a program that keeps no
// owner records would.
inline bool write_raw(const std::wstring& mapping, const std::vector<raw_entry>& entries) {
    HANDLE h = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, mapping.c_str());
    if (!h)
        return false;
    unsigned char* view =
        static_cast<unsigned char*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, instance_table::block_bytes));
    if (view) {
        std::memset(view, 0, instance_table::block_bytes);
        int count = 0;
        for (const raw_entry& e : entries) {
            std::memcpy(view + instance_table::entry_bytes * count, e.name.c_str(), e.name.size() * 2);
            std::memcpy(view + instance_table::entry_bytes * count + 400, &e.device, 4);
            ++count;
        }
        std::memcpy(view + instance_table::count_offset, &count, 4);
        UnmapViewOfFile(view);
    }
    CloseHandle(h);
    return view != nullptr;
}

inline std::wstring own_folder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

inline std::wstring temp_file(const wchar_t* tag) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    return std::wstring(base) + L"zel_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(GetTickCount()) + L".txt";
}

inline std::vector<std::string> read_lines(const std::wstring& path) {
    std::vector<std::string> lines;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f)
        return lines;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    fclose(f);
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    return lines;
}

inline bool has_line(const std::wstring& path, const std::string& line) {
    for (const std::string& l : read_lines(path))
        if (l == line)
            return true;
    return false;
}

// Waits (at most 60 s) until the file holds the line.
inline bool wait_for_line(const std::wstring& path, const std::string& line) {
    for (int i = 0; i < 6000; ++i) {
        if (has_line(path, line))
            return true;
        Sleep(10);
    }
    return false;
}

// A running peer; the destructor waits for it (bounded) and closes it.
class peer {
public:
    peer(const instance_table_names& names, const std::wstring& out, const std::wstring& commands) {
        std::wstring line = L"\"" + own_folder() + L"\\instance_peer.exe\" \"" + names.mapping + L"\" \"" + out +
                            L"\" " + commands;
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        started_ = CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != 0;
    }
    ~peer() {
        if (started_) {
            WaitForSingleObject(pi_.hProcess, 60000);
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
        }
    }
    peer(const peer&) = delete;
    peer& operator=(const peer&) = delete;

    bool started() const { return started_; }
    // Waits (at most 60 s) for the peer's end; its exit code, or -1.
    int finish() {
        if (!started_ || WaitForSingleObject(pi_.hProcess, 60000) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return static_cast<int>(code);
    }

private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

}  // namespace instance_test
