// instance_peer.exe: a second player instance for the instance-registry
// tests, so that two processes work on one shared table.
//
//   instance_peer TABLE OUT COMMAND...
//
// TABLE names the table's mappings and mutex (as the tests name theirs); the
// peer opens it as a starting instance does and runs the commands in order,
// appending one line per command to the file OUT ("<command> <args> = 1|0"):
//   register NAME DEVICE | set DEVICE | in_use DEVICE | is NAME
//   register_many PREFIX COUNT   registers PREFIX0 ... PREFIX<COUNT-1>; the
//                                line gives how many were entered
//   ready                        writes "ready"
//   wait FILE                    waits (at most 60 s) until FILE exists
//   quit                         leaves the table as an instance at its end
//   crash                        ends the process at once, without leaving
// Its sound devices are the tests' fake list.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "fake_sound_devices.h"
#include "instance_registry_impl.h"

namespace {

std::wstring out_path;

void say(const std::wstring& line) {
    FILE* f = _wfopen(out_path.c_str(), L"ab");
    if (!f)
        return;
    fprintf(f, "%ls\n", line.c_str());
    fclose(f);
}

bool wait_for(const std::wstring& path) {
    for (int i = 0; i < 6000; ++i) {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        Sleep(10);
    }
    return false;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3)
        return 2;
    const std::wstring table = argv[1];
    out_path = argv[2];
    fake_sound_devices source;
    sound_device_table devices(source);
    instance_registry_impl registry({table, table + L".owners", table + L".lock"}, devices);
    registry.on_init();
    for (int i = 3; i < argc; ++i) {
        const std::wstring command = argv[i];
        auto arg = [&](int k) { return i + k < argc ? std::wstring(argv[i + k]) : std::wstring(); };
        if (command == L"register") {
            const bool ok = registry.register_user(arg(1).c_str(), _wtoi(arg(2).c_str()));
            say(L"register " + arg(1) + L" " + arg(2) + L" = " + (ok ? L"1" : L"0"));
            i += 2;
        } else if (command == L"register_many") {
            int entered = 0;
            for (int k = 0; k < _wtoi(arg(2).c_str()); ++k)
                if (registry.register_user((arg(1) + std::to_wstring(k)).c_str(), 1 + k))
                    ++entered;
            say(L"register_many " + arg(1) + L" = " + std::to_wstring(entered));
            i += 2;
        } else if (command == L"set") {
            say(L"set " + arg(1) + L" = " + (registry.set_device(_wtoi(arg(1).c_str())) ? L"1" : L"0"));
            i += 1;
        } else if (command == L"in_use") {
            say(L"in_use " + arg(1) + L" = " + (registry.device_in_use(_wtoi(arg(1).c_str())) ? L"1" : L"0"));
            i += 1;
        } else if (command == L"is") {
            say(L"is " + arg(1) + L" = " + (registry.is_registered(arg(1).c_str()) ? L"1" : L"0"));
            i += 1;
        } else if (command == L"ready") {
            say(L"ready");
        } else if (command == L"wait") {
            if (!wait_for(arg(1)))
                say(L"wait timed out");
            i += 1;
        } else if (command == L"quit") {
            registry.on_quit();
            say(L"quit");
        } else if (command == L"crash") {
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
    return 0;
}
