// The registry functions in a throw-away key of the test's own: the event
// sounds parked and given back, the Run value following the start-with-
// Windows option, the multi-instance values, and failures reported.
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <string>
#include "system_registry.h"
#include "temp_folder.h"

namespace {
// HKEY_CURRENT_USER\Software\zel_test_<pid>_<tick>, removed at the end.
struct scratch_key {
    std::wstring path = L"Software\\zel_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                        std::to_wstring(GetTickCount());
    ~scratch_key() { RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
    std::wstring operator/(const std::wstring& sub) const { return path + L"\\" + sub; }
};

// A value written with its byte size given as is (terminator or not).
void put(const std::wstring& key_path, const wchar_t* name, DWORD type, const std::wstring& text,
         bool terminated = true) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const DWORD bytes = static_cast<DWORD>((text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

void make_key(const std::wstring& key_path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// Every value below the key: "sub\key|name" -> "type:text".
void snapshot(const std::wstring& key_path, const std::wstring& relative, std::map<std::wstring, std::wstring>& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD length = 512, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &got);
        data.resize(got / sizeof(wchar_t));
        while (!data.empty() && data.back() == L'\0') data.pop_back();
        out[relative + L"|" + name] = std::to_wstring(type) + L":" + data;
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD length = 512;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.push_back(name);
    }
    RegCloseKey(key);
    for (const std::wstring& sub : subkeys) snapshot(key_path + L"\\" + sub, relative + L"\\" + sub, out);
}
std::map<std::wstring, std::wstring> snapshot(const std::wstring& key_path) {
    std::map<std::wstring, std::wstring> out;
    snapshot(key_path, L"", out);
    return out;
}
const std::wstring sz = std::to_wstring(REG_SZ) + L":";
const std::wstring expand_sz = std::to_wstring(REG_EXPAND_SZ) + L":";
}  // namespace

TEST(system_sounds, wav_sounds_are_parked_and_given_back) {
    scratch_key scratch;
    const std::wstring apps = scratch / L"Apps";
    const std::wstring long_path = L"C:\\" + std::wstring(200, L'x') + L".wav";  // more than 255 bytes
    put(apps + L"\\.Default\\SystemAsterisk\\.Current", nullptr, REG_SZ, L"C:\\Windows\\Media\\chord.WAV");
    put(apps + L"\\.Default\\Notify\\.Current", nullptr, REG_SZ, L"C:\\media\\ding.wav");
    put(apps + L"\\.Default\\Notify\\.Current", L"other", REG_SZ, L"C:\\media\\keep.wav");
    put(apps + L"\\.Default\\Expand\\.Current", nullptr, REG_EXPAND_SZ, L"%SystemRoot%\\media\\x.Wav");
    put(apps + L"\\.Default\\Bare\\.Current", nullptr, REG_SZ, L"C:\\media\\bare.wav", false);
    put(apps + L"\\.Default\\Long\\.Current", nullptr, REG_SZ, long_path);
    put(apps + L"\\Player\\Music\\.Current", nullptr, REG_SZ, L"C:\\media\\song.mp3");
    put(apps + L"\\Player\\NoDot\\.Current", nullptr, REG_SZ, L"wav");
    make_key(apps + L"\\Player\\Silent\\.Current");
    put(apps + L"\\Player\\Crashed\\.Current", L"_ZEL", REG_SZ, L"C:\\media\\old.wav");  // parked by a run that crashed
    const auto before = snapshot(apps);

    set_system_sounds(HKEY_CURRENT_USER, apps.c_str(), false);
    auto parked = snapshot(apps);
    const std::map<std::wstring, std::wstring> expected_parked = {
        {L"\\.Default\\SystemAsterisk\\.Current|_ZEL", sz + L"C:\\Windows\\Media\\chord.WAV"},
        {L"\\.Default\\Notify\\.Current|_ZEL", sz + L"C:\\media\\ding.wav"},
        {L"\\.Default\\Notify\\.Current|other", sz + L"C:\\media\\keep.wav"},
        {L"\\.Default\\Expand\\.Current|_ZEL", expand_sz + L"%SystemRoot%\\media\\x.Wav"},
        {L"\\.Default\\Bare\\.Current|_ZEL", sz + L"C:\\media\\bare.wav"},
        {L"\\.Default\\Long\\.Current|_ZEL", sz + long_path},
        {L"\\Player\\Music\\.Current|", sz + L"C:\\media\\song.mp3"},
        {L"\\Player\\NoDot\\.Current|", sz + L"wav"},
        {L"\\Player\\Crashed\\.Current|_ZEL", sz + L"C:\\media\\old.wav"},
    };
    EXPECT_EQ(parked, expected_parked);

    // Parking twice changes nothing.
    set_system_sounds(HKEY_CURRENT_USER, apps.c_str(), false);
    EXPECT_EQ(snapshot(apps), expected_parked);

    // Closing gives every sound back, the one of the crashed run too.
    set_system_sounds(HKEY_CURRENT_USER, apps.c_str(), true);
    auto restored = snapshot(apps);
    auto expected_restored = before;
    expected_restored.erase(L"\\Player\\Crashed\\.Current|_ZEL");
    expected_restored[L"\\Player\\Crashed\\.Current|"] = sz + L"C:\\media\\old.wav";
    EXPECT_EQ(restored, expected_restored);

    // A scheme key that does not exist is passed over.
    set_system_sounds(HKEY_CURRENT_USER, (scratch / L"missing").c_str(), false);
}

TEST(system_registry, the_run_value_follows_auto_start) {
    scratch_key scratch;
    run_keys keys;
    const std::wstring run = scratch / L"Run", player = scratch / L"ZEL Player";
    keys.run_root = keys.player_root = HKEY_CURRENT_USER;
    keys.run_path = run.c_str();
    keys.player_path = player.c_str();

    // Without a Run key nothing is written or deleted.
    put(player, L"multi_id_1", REG_SZ, L"a");
    EXPECT_EQ(apply_auto_start(true, L"C:\\zel\\zel_player.exe", keys), -1);
    EXPECT_EQ(apply_auto_start(false, L"", keys), -1);
    EXPECT_EQ(snapshot(player).size(), 1u);

    make_key(run);
    put(run, L"Other program", REG_SZ, L"C:\\other.exe");
    EXPECT_EQ(apply_auto_start(true, L"C:\\zel\\zel_player.exe", keys), 0);
    EXPECT_EQ(snapshot(run)[std::wstring(L"|") + k_run_value_name], sz + L"C:\\zel\\zel_player.exe");

    // Off: the value goes, and with it the multi-instance values, adjacent
    // ones included; the rest stays.
    put(player, L"multi_id_2", REG_SZ, L"b");
    put(player, L"password", REG_SZ, L"c");
    EXPECT_EQ(apply_auto_start(false, L"", keys), 0);
    EXPECT_EQ(snapshot(run), (std::map<std::wstring, std::wstring>{{L"|Other program", sz + L"C:\\other.exe"}}));
    EXPECT_EQ(snapshot(player), (std::map<std::wstring, std::wstring>{{L"|password", sz + L"c"}}));

    // A player key that does not exist yet is no failure of the Run value.
    keys.player_path = L"Software\\zel_missing_player_key";
    put(run, k_run_value_name, REG_SZ, L"C:\\zel\\zel_player.exe");
    EXPECT_EQ(apply_auto_start(false, L"", keys), 0);
    EXPECT_EQ(snapshot(run), (std::map<std::wstring, std::wstring>{{L"|Other program", sz + L"C:\\other.exe"}}));
}

TEST(system_registry, failures_are_reported_and_an_empty_text_deletes_nothing) {
    scratch_key scratch;
    const std::wstring key = scratch / L"k";
    put(key, L"a", REG_SZ, L"1");
    put(key, L"b", REG_SZ, L"2");
    EXPECT_EQ(delete_values_containing(HKEY_CURRENT_USER, key.c_str(), L""), 0);
    EXPECT_EQ(delete_values_containing(HKEY_CURRENT_USER, key.c_str(), nullptr), 0);
    EXPECT_EQ(snapshot(key).size(), 2u);
    EXPECT_EQ(delete_values_containing(HKEY_CURRENT_USER, (scratch / L"none").c_str(), L"a"), -1);

    EXPECT_EQ(set_string_value(HKEY_CURRENT_USER, key.c_str(), L"c", L"3"), 0);
    EXPECT_EQ(snapshot(key)[L"|c"], sz + L"3");
    EXPECT_EQ(set_string_value(HKEY_CURRENT_USER, (scratch / L"none").c_str(), L"c", L"3"), -1);
    // A value name longer than the registry allows is refused by the key.
    const std::wstring too_long(20000, L'n');
    EXPECT_EQ(set_string_value(HKEY_CURRENT_USER, key.c_str(), too_long.c_str(), L"3"), -2);
}

TEST(system_registry, remove_file_deletes_read_only_files) {
    temp_folder folder(L"remove_file");
    ASSERT_TRUE(folder.write(L"a.txt", "x"));
    const std::wstring path = folder / L"a.txt";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(remove_file(path.c_str()));
    EXPECT_FALSE(temp_folder::exists(path));
    EXPECT_FALSE(remove_file(path.c_str()));
}

// A run that crashed left its sounds parked, and "_ZEL" sits beside a
// default that is no sound file. The start gives the parked sound back before
// it parks, so the closing restores the user's sound, not the stale default.
TEST(system_sounds, a_start_after_a_crash_gives_back_the_parked_sounds_first) {
    scratch_key scratch;
    const std::wstring apps = scratch / L"Apps";
    const std::wstring crashed = apps + L"\\.Default\\Crashed\\.Current";
    put(crashed, L"_ZEL", REG_SZ, L"C:\\media\\old.wav");
    put(crashed, nullptr, REG_SZ, L"");
    put(apps + L"\\.Default\\Notify\\.Current", nullptr, REG_SZ, L"C:\\media\\ding.wav");

    park_system_sounds(HKEY_CURRENT_USER, apps.c_str());
    const std::map<std::wstring, std::wstring> parked = {
        {L"\\.Default\\Crashed\\.Current|_ZEL", sz + L"C:\\media\\old.wav"},
        {L"\\.Default\\Notify\\.Current|_ZEL", sz + L"C:\\media\\ding.wav"},
    };
    EXPECT_EQ(snapshot(apps), parked);

    set_system_sounds(HKEY_CURRENT_USER, apps.c_str(), true);
    const std::map<std::wstring, std::wstring> given_back = {
        {L"\\.Default\\Crashed\\.Current|", sz + L"C:\\media\\old.wav"},
        {L"\\.Default\\Notify\\.Current|", sz + L"C:\\media\\ding.wav"},
    };
    EXPECT_EQ(snapshot(apps), given_back);
}

namespace {
// The key is deleted while delete_values_containing works on it: a window of
// the working thread deletes it when the function's message pump delivers
// the posted message. Every later enumeration then fails the same way.
struct vanishing_key_run {
    std::wstring path;
    int result = 1;
    static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_APP) {
            auto* run = reinterpret_cast<vanishing_key_run*>(lparam);
            RegDeleteTreeW(HKEY_CURRENT_USER, run->path.c_str());
            RegDeleteKeyW(HKEY_CURRENT_USER, run->path.c_str());
            return 0;
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }
    static DWORD WINAPI thread(void* context) {
        auto* run = static_cast<vanishing_key_run*>(context);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = window_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"zel_vanishing_key";
        RegisterClassW(&wc);
        HWND window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        PostMessageW(window, WM_APP, 0, reinterpret_cast<LPARAM>(run));
        run->result = delete_values_containing(HKEY_CURRENT_USER, run->path.c_str(), L"multi_id_");
        DestroyWindow(window);
        return 0;
    }
};
}  // namespace

TEST(system_registry, deleting_values_stops_when_the_key_goes_away) {
    scratch_key scratch;
    vanishing_key_run run;
    run.path = scratch / L"k";
    put(run.path, L"a", REG_SZ, L"1");
    put(run.path, L"b", REG_SZ, L"2");
    put(run.path, L"multi_id_1", REG_SZ, L"3");
    HANDLE thread = CreateThread(nullptr, 0, vanishing_key_run::thread, &run, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const DWORD waited = WaitForSingleObject(thread, 10000);
    if (waited != WAIT_OBJECT_0) TerminateThread(thread, 1);
    CloseHandle(thread);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the walk over a deleted key did not end";
    EXPECT_EQ(run.result, -2);
}
