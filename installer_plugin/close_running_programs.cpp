// Closing and ending the system's programs: window messages first, so that a
// program can save its state, then the Tool Help process list.
#include "close_running_programs.h"

// The ANSI process list: the name test works on the file name in the ANSI
// code page, whatever the rest of the build uses.
#pragma push_macro("UNICODE")
#undef UNICODE
#include <tlhelp32.h>
#pragma pop_macro("UNICODE")

#include "process_name.h"

namespace zel_nsis {
namespace {

// Every access right of a process as the oldest supported systems define it
// (the newer, larger mask is refused there).
constexpr DWORD process_all_access = 0x1F0FFF;

// Walks a snapshot of the processes; false when none could be taken.
template <typename Visit>
bool for_each_process(Visit visit) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (!visit(entry)) break;
    }
    CloseHandle(snapshot);
    return true;
}

// Ends one process; false when it cannot be opened or ended.
bool end_process(DWORD pid) {
    HANDLE process = OpenProcess(process_all_access, FALSE, pid);
    if (!process) return false;
    DWORD code = 0;
    bool ended = true;
    // A process that has already ended keeps its code; only a running one is ended.
    if (!GetExitCodeProcess(process, &code) || code == STILL_ACTIVE)
        ended = TerminateProcess(process, ended_exit_code) != 0;
    // TerminateProcess only starts the end: until the process is gone its
    // files stay open and the installer's next write could find them locked.
    if (ended) ended = WaitForSingleObject(process, ended_wait_ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

// Sends WM_CLOSE to the top-level window of the class and waits for the answer,
// for at most close_answer_ms.
void close_window(const wchar_t* window_class) {
    HWND window = FindWindowW(window_class, nullptr);
    if (!IsWindow(window)) return;
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, close_answer_ms, &answer);
}

// Ends every process that matches program except the calling one; a process
// that cannot be opened is skipped.
void terminate_all_others(const char* program) {
    const DWORD self = GetCurrentProcessId();
    for_each_process([&](const PROCESSENTRY32& entry) {
        if (entry.th32ProcessID != self && process_name_matches(entry.szExeFile, program))
            end_process(entry.th32ProcessID);
        return true;
    });
}

}  // namespace

bool terminate_first_process(const char* program) {
    DWORD pid = 0;
    bool found = false;
    for_each_process([&](const PROCESSENTRY32& entry) {
        found = process_name_matches(entry.szExeFile, program);
        if (found) pid = entry.th32ProcessID;
        return !found;
    });
    return found && end_process(pid);
}

void close_running_programs() {
    close_window(L"ZELClientWindow");
    terminate_first_process("zel_client.exe");
    terminate_all_others("zel_player.exe");
    close_window(L"ZELMultiWindow");
    terminate_first_process("zel_mtplayer.exe");
    terminate_first_process("zel_manager.exe");
}

}  // namespace zel_nsis
