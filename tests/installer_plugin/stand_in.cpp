// zel_nsis_stand_in.exe: the programs the installer plug-in closes and ends,
// copied by the tests under the system's program names. One of:
//   [run [log FILE]]                runs, doing nothing, for at most two
//                                   minutes; "ready NAME" (its file name) goes
//                                   to the log once it runs
//   window CLASS keep|destroy|hang [observer HWND] [log FILE]
//       owns a top-level window of CLASS. On WM_CLOSE it tells the observer
//       window (WM_COPYDATA with the class name, sent, so the sender waits)
//       and appends "close CLASS" to the log, then keeps its window (a client
//       that asks its user first) or destroys it and goes on running (a
//       program that ends later). "hang" never answers a message at all.
//       "ready CLASS" goes to the log once the window exists.
//   call EXPORT DLL                 loads the plug-in and calls the export as
//                                   the installer would; exit code 0 once it
//                                   has returned.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD lifetime_ms = 120000;

struct window_role {
    std::wstring window_class;
    std::wstring on_close;
    HWND observer = nullptr;
    std::wstring log;
};
window_role role;

void append_log(const wchar_t* event, const std::wstring& name) {
    if (role.log.empty()) return;
    FILE* f = _wfopen(role.log.c_str(), L"ab");
    if (!f) return;
    fprintf(f, "%ls %ls\n", event, name.c_str());
    fclose(f);
}

// The program's own file name, as it was copied.
std::wstring own_name() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full(path, n);
    return full.substr(full.find_last_of(L'\\') + 1);
}

// The options after the role: observer HWND, log FILE.
void read_options(wchar_t** argv, int first, int argc) {
    for (int i = first; i + 1 < argc; i += 2) {
        if (!wcscmp(argv[i], L"observer"))
            role.observer = reinterpret_cast<HWND>(static_cast<INT_PTR>(_wcstoui64(argv[i + 1], nullptr, 10)));
        else if (!wcscmp(argv[i], L"log"))
            role.log = argv[i + 1];
    }
}

void tell_observer() {
    if (!role.observer) return;
    COPYDATASTRUCT data;
    data.dwData = 1;
    data.cbData = static_cast<DWORD>((role.window_class.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(role.window_class.c_str());
    SendMessageW(role.observer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) {
        tell_observer();
        append_log(L"close", role.window_class);
        if (role.on_close == L"destroy") DestroyWindow(window);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int own_window() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = role.window_class.c_str();
    if (!RegisterClassW(&wc)) return 3;
    HWND window = CreateWindowExW(0, role.window_class.c_str(), role.window_class.c_str(), WS_OVERLAPPEDWINDOW,
                                  0, 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return 3;
    append_log(L"ready", role.window_class);
    if (role.on_close == L"hang") {
        Sleep(lifetime_ms);
        return 0;
    }
    SetTimer(nullptr, 0, lifetime_ms, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd) break;
        DispatchMessageW(&msg);
    }
    return 0;
}

// The installer's side of a plug-in call: a parent window, the variables
// and their length, the string stack and the extra parameters.
typedef void(__cdecl* plugin_entry)(HWND, int, void*, void**, void*);

int call_plugin(const wchar_t* export_name, const wchar_t* dll) {
    HMODULE plugin = LoadLibraryW(dll);
    if (!plugin) return 2;
    char name[64];
    WideCharToMultiByte(CP_ACP, 0, export_name, -1, name, sizeof name, nullptr, nullptr);
    auto entry = reinterpret_cast<plugin_entry>(reinterpret_cast<void*>(GetProcAddress(plugin, name)));
    if (!entry) return 2;
    static wchar_t variables[25 * 1024];
    void* stack_top = nullptr;
    static char extra[256];
    entry(nullptr, 1024, variables, &stack_top, extra);
    FreeLibrary(plugin);
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring mode = argv && argc >= 2 ? argv[1] : L"run";
    if (mode == L"call" && argc == 4) return call_plugin(argv[2], argv[3]);
    if (mode == L"window" && argc >= 4) {
        role.window_class = argv[2];
        role.on_close = argv[3];
        read_options(argv, 4, argc);
        return own_window();
    }
    if (mode != L"run") return 1;
    read_options(argv, 2, argc);
    append_log(L"ready", own_name());
    Sleep(lifetime_ms);
    return 0;
}
