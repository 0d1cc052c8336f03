#include "wine_host.h"
#include <cstdlib>

#ifndef ZEL_SOURCE_DIR
#error "ZEL_SOURCE_DIR must name the project folder (Linux path)"
#endif
#ifndef ZEL_STATE_DIR
#error "ZEL_STATE_DIR must name the folder for the tests' exchange files (Linux path)"
#endif

namespace wine_host {
namespace {

// Wine's path converters, exported by its kernel32; both return memory of
// the process heap.
typedef char*(__cdecl* to_unix_fn)(const wchar_t*);
typedef wchar_t*(__cdecl* to_dos_fn)(const char*);

void* wine_export(const char* name) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<void*>(GetProcAddress(kernel, name)) : nullptr;
}

// One argument of a Windows command line, quoted by the runtime's rules
// (Wine splits the line back into the Linux program's argv with them).
std::wstring quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

std::wstring widen(const std::string& text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], n);
    return out;
}

}  // namespace

std::string unix_path(const std::wstring& windows_path) {
    auto convert = reinterpret_cast<to_unix_fn>(wine_export("wine_get_unix_file_name"));
    if (!convert) return std::string();
    char* converted = convert(windows_path.c_str());
    if (!converted) return std::string();
    std::string out(converted);
    HeapFree(GetProcessHeap(), 0, converted);
    return out;
}

std::wstring dos_path(const std::string& unix_path) {
    auto convert = reinterpret_cast<to_dos_fn>(wine_export("wine_get_dos_file_name"));
    if (!convert) return std::wstring();
    wchar_t* converted = convert(unix_path.c_str());
    if (!converted) return std::wstring();
    std::wstring out(converted);
    HeapFree(GetProcessHeap(), 0, converted);
    return out;
}

std::string source_file(const char* relative) { return std::string(ZEL_SOURCE_DIR) + "/" + relative; }

bool start_python(const std::vector<std::string>& args, std::string& error) {
    const char* configured = getenv("ZEL_PYTHON");
    std::string python = configured && *configured ? configured : "/usr/bin/python3";
    std::wstring program = dos_path(python);
    if (program.empty()) {
        error = "not running under Wine (no wine_get_dos_file_name)";
        return false;
    }
    std::wstring line = quote(program);
    for (const std::string& arg : args) line += L" " + quote(widen(arg));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        error = "cannot start " + python + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    // A Linux program comes back without handles; a Windows one would not.
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    return true;
}

bool run_python_tool(const std::vector<std::string>& args, std::string& output, std::string& error,
                     DWORD timeout_ms) {
    std::wstring folder;
    std::string unix_folder;
    if (!make_state_folder("tool", folder, unix_folder)) {
        error = "cannot make a state folder";
        return false;
    }
    std::vector<std::string> full = args;
    full.push_back("--out");
    full.push_back(unix_folder + "/out.txt");
    bool ok = start_python(full, error);
    if (ok && !wait_for_file(folder + L"\\out.txt", timeout_ms)) {
        error = "the tool wrote no result within " + std::to_string(timeout_ms) + " ms";
        ok = false;
    }
    if (ok) output = read_file(folder + L"\\out.txt");
    remove_state_folder(folder);
    return ok;
}

bool make_state_folder(const char* tag, std::wstring& folder, std::string& unix_folder) {
    static LONG counter = 0;
    std::string base = ZEL_STATE_DIR;
    std::wstring dos_base = dos_path(base);
    if (dos_base.empty()) return false;
    CreateDirectoryW(dos_base.c_str(), nullptr);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = std::string(tag) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(InterlockedIncrement(&counter));
        std::wstring candidate = dos_base + L"\\" + widen(name);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            folder = candidate;
            unix_folder = base + "/" + name;
            return true;
        }
    }
    return false;
}

void remove_state_folder(const std::wstring& folder) {
    const char* keep = getenv("ZEL_KEEP_STATE");
    if ((keep && *keep) || folder.empty()) return;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                WIN32_FIND_DATAW inner;
                HANDLE sub = FindFirstFileW((path + L"\\*").c_str(), &inner);
                if (sub != INVALID_HANDLE_VALUE) {
                    do {
                        if (!(inner.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                            DeleteFileW((path + L"\\" + inner.cFileName).c_str());
                    } while (FindNextFileW(sub, &inner));
                    FindClose(sub);
                }
                RemoveDirectoryW(path.c_str());
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool wait_for_file(const std::wstring& path, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    while (!file_exists(path)) {
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(10);
    }
    return true;
}

std::string read_file(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string data;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) data.append(buffer, got);
    CloseHandle(file);
    return data;
}

bool write_file_atomic(const std::wstring& path, const std::string& data) {
    std::wstring temp = path + L".tmp";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
              written == data.size();
    CloseHandle(file);
    return ok && MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace wine_host
