// The ASPI manager transport over a stand-in "wnaspi32.dll" that lies beside
// this test program: loading it, the drive scan through it, and requests
// that complete later (the event wait) or never (the time-out).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include <cstring>

#include "aspi_srb.h"
#include "cd_extractor.h"
#include "cd_ripper.h"

namespace {

using hold_fn = void(__cdecl*)(int);

// The stand-in, when it is the library that the transport loaded (a Wine
// that prefers its own "wnaspi32.dll" would load that instead).
hold_fn stand_in_hold() {
    HMODULE module = GetModuleHandleW(L"wnaspi32.dll");
    return module
               ? reinterpret_cast<hold_fn>(reinterpret_cast<void*>(GetProcAddress(module, "fake_aspi_hold")))
               : nullptr;
}

// Wine loads its own "wnaspi32.dll" before one beside the program unless
// told otherwise for this program; it reads that when a program starts.
void prefer_the_stand_in() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\cd_aspi_test.exe\\DllOverrides", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const wchar_t native[] = L"native";
    RegSetValueExW(key, L"wnaspi32", 0, REG_SZ, reinterpret_cast<const BYTE*>(native), sizeof(native));
    RegCloseKey(key);
}

// Runs this test once more in a new process of this program; its exit code.
DWORD run_again() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + exe + L"\" --gtest_filter=aspi_manager.*";
    SetEnvironmentVariableW(L"ZEL_ASPI_SECOND_RUN", L"1");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return 2;
    DWORD code = 3;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace

TEST(aspi_manager, rips_through_a_manager_library_and_waits_for_its_requests) {
    prefer_the_stand_in();
    const int started = cd_ripper::init(cd_ripper::transport_aspi);
    hold_fn hold = stand_in_hold();
    if (!hold) {  // the first run of this program in a new Wine prefix
        cd_ripper::deinit();
        ASSERT_EQ(GetEnvironmentVariableW(L"ZEL_ASPI_SECOND_RUN", nullptr, 0), 0u)
            << "the system's own wnaspi32.dll was loaded, not the stand-in beside the program";
        EXPECT_EQ(run_again(), 0u);
        return;
    }
    ASSERT_EQ(started, 0);
    ASSERT_EQ(cd_ripper::drive_count(), 1);
    cd_drive_settings s;
    ASSERT_EQ(cd_ripper::get_drive_settings(s), 0);
    EXPECT_STREQ(s.drive_name, "FAKEASPIMANAGED DRIVE   ");
    EXPECT_EQ(s.target, 3);
    EXPECT_EQ(cd_ripper::transport(), cd_ripper::transport_aspi);

    ASSERT_EQ(cd_ripper::read_toc(), 0);  // answered 20 ms later, on the manager's thread
    EXPECT_EQ(cd_ripper::toc_count(), 1);
    EXPECT_EQ(cd_ripper::toc_entry(1), 0x0000AA1000000000ull | 12000u);

    // A request that is still pending after 10 s counts as failed.
    hold(1);
    const DWORD before = GetTickCount();
    ASSERT_EQ(cd_ripper::read_toc(), 0);
    EXPECT_GE(GetTickCount() - before, 9000u);  // the wait did take place
    EXPECT_EQ(cd_ripper::toc_count(), -1);
    hold(0);

    // A request the manager answers only after its wait ended: the late
    // answer must not land in the caller's buffer, which is the caller's
    // again (or freed) once the request has timed out.
    using delay_fn = void(__cdecl*)(int);
    auto delay = reinterpret_cast<delay_fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"wnaspi32.dll"), "fake_aspi_delay")));
    ASSERT_NE(delay, nullptr);
    delay(500);
    {
        cd_extractor extractor;
        extractor.request_timeout_ms = 100;
        BYTE data[36];
        const BYTE inquiry[6] = {0x12, 0, 0, 0, sizeof(data), 0};
        EXPECT_EQ(extractor.send_to(0, 3, 0, true, inquiry, 6, data, sizeof(data)), aspi::status_timed_out);
        memset(data, 0xEE, sizeof(data));
        Sleep(1200);  // the manager answers meanwhile
        int changed = 0;
        for (BYTE b : data) changed += b != 0xEE;
        EXPECT_EQ(changed, 0) << "the late answer was written into the caller's buffer";
        // A request answered in time still brings its data back.
        extractor.request_timeout_ms = 5000;
        EXPECT_EQ(extractor.send_to(0, 3, 0, true, inquiry, 6, data, sizeof(data)), aspi::status_completed);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data) + 8, 15), "FAKEASPIMANAGED");
    }
    delay(20);
    EXPECT_EQ(cd_ripper::deinit(), 0);
}
