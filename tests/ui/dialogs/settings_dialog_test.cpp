// The settings dialog as a real modal dialog: the range checks of its three
// numbers (nothing stored on a refusal), the PC authentication guard, the
// skin change, the sound device, the stored login, the channel played at
// start and the Run value; and the stored credentials in the registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core.h"
#include "modal_script.h"
#include "option_targets.h"
#include "player_options.h"
#include "settings_dialog.h"
#include "settings_dialog_ids.h"
#include "credentials.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {

class recording_home : public option_home {
public:
    stringx read(const wchar_t* section, const wchar_t* key) override {
        auto it = values.find(std::wstring(section) + L"/" + key);
        return stringx(it == values.end() ? L"" : it->second.c_str());
    }
    void write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override {
        values[std::wstring(section) + L"/" + key] = value;
        ++writes;
    }
    std::wstring at(const wchar_t* key) {
        auto it = values.find(std::wstring(L"app/") + key);
        return it == values.end() ? L"(none)" : it->second;
    }
    std::map<std::wstring, std::wstring> values;
    int writes = 0;
};

class recording_targets : public option_targets {
public:
    bool launcher_connected() override { return false; }
    void set_packet_retry(bool on) override { calls.push_back(L"packet_retry " + std::to_wstring(on)); }
    void set_output(int buffer_ms, int type, int device) override {
        calls.push_back(L"output " + std::to_wstring(buffer_ms) + L" " + std::to_wstring(type) + L" " +
                        std::to_wstring(device));
    }
    void set_playback(bool norm, int scale, int priority) override {
        calls.push_back(L"playback " + std::to_wstring(norm) + L" " + std::to_wstring(scale) + L" " +
                        std::to_wstring(priority));
    }
    void set_rate_limit(int bytes) override { calls.push_back(L"rate " + std::to_wstring(bytes)); }
    void set_play_mode(int) override {}
    void set_music_volume(unsigned) override {}
    void set_music_mute(bool) override {}
    void set_always_on_top(bool on) override { calls.push_back(L"top " + std::to_wstring(on)); }
    void clear_favourites() override {}
    void add_favourite(const stringx&) override {}
    std::vector<stringx> favourites() override { return {}; }
    std::vector<std::wstring> calls;
};

class fake_settings_host : public settings_dialog_host {
public:
    void register_window(HWND w) override { registered = w; }
    bool logged_in() override { return logged; }
    bool internet_connected() override { return true; }
    std::vector<std::pair<stringx, int>> auto_channels() override { return channels; }
    std::vector<stringx> devices(int type) override {
        device_types.push_back(type);
        return type == 0 ? device_names : std::vector<stringx>{stringx(L"Virtual PC")};
    }
    bool has_instance_registry() override { return registry; }
    bool device_in_use(int d) override { return in_use.count(d) != 0; }
    void set_device(int d) override { set_devices.push_back(d); }
    void message(HWND, const wchar_t* text, UINT icon) override {
        messages.push_back(text);
        icons.push_back(icon);
    }
    option_home& ini() override { return ini_home; }
    option_home& store() override { return store_home; }
    option_targets& targets() override { return targets_; }
    void show_norm_lamp(bool on) override { lamps.push_back(on); }
    bool login_credentials(stringx& id, stringx& pw) override {
        if (!logged) return false;
        id = L"shop1";
        pw = L"secret";
        return true;
    }
    void store_credentials(const stringx& id, const stringx& pw) override {
        stored.push_back(std::wstring(id.wvalue()) + L"/" + pw.wvalue());
    }
    void forget_credentials() override { ++forgotten; }
    int apply_auto_start(bool on) override {
        auto_starts.push_back(on);
        return auto_start_result;
    }
    stringx channel_list_of(int id) override {
        auto it = lists.find(id);
        return stringx(it == lists.end() ? L"" : it->second.c_str());
    }
    void skin_changed(int skin) override { skins.push_back(skin); }
    unsigned tick_count() override { return tick; }
    stringx request_pc_auth() override {
        ++auth_requests;
        return stringx(auth_reply.c_str());
    }
    void write_log(const wchar_t* line) override { logs.push_back(line); }

    HWND registered = nullptr;
    bool logged = false;
    std::vector<std::pair<stringx, int>> channels;
    std::vector<stringx> device_names{stringx(L"Primary Sound Driver"), stringx(L"Out: default")};
    std::vector<int> device_types;
    bool registry = true;
    std::set<int> in_use;
    std::vector<int> set_devices;
    std::vector<std::wstring> messages;
    std::vector<UINT> icons;
    recording_home ini_home;
    recording_home store_home;
    recording_targets targets_;
    std::vector<bool> lamps;
    std::vector<std::wstring> stored;
    int forgotten = 0;
    std::vector<bool> auto_starts;
    int auto_start_result = 0;
    std::map<int, std::wstring> lists;
    std::vector<int> skins;
    unsigned tick = 1000;
    int auth_requests = 0;
    std::wstring auth_reply = L"Result=Success";
    std::vector<std::wstring> logs;
};

struct settings_dialog_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        get_player_options() = player_options();
        module_pc_auth_guard().clear();
        InitCommonControls();
    }

    // Shows the dialog, runs step on it once it is up, presses OK and, when
    // OK kept it open (still shown), Cancel. The dialog's result.
    int run(const std::function<void(HWND)>& step) {
        settings_dialog dialog(host);
        modal_script script([&] {
            HWND w = dialog.get_hwnd();
            if (!w || !IsWindowVisible(w)) return false;
            step(w);
            SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            if (IsWindowVisible(w)) SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        });
        return dialog.modal(nullptr);
    }

    static void set_text(HWND w, int id, const wchar_t* text) { SetDlgItemTextW(w, id, text); }
    static void select(HWND w, int id, int item) {
        SendDlgItemMessageW(w, id, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageW(w, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(w, id)));
    }
    static std::vector<std::wstring> items(HWND w, int id) {
        std::vector<std::wstring> out;
        const int n = static_cast<int>(SendDlgItemMessageW(w, id, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t text[256] = {};
            SendDlgItemMessageW(w, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
        return out;
    }

    fake_settings_host host;
};

TEST_F(settings_dialog_test, numbers_within_their_ranges_are_stored_and_others_refused_with_nothing_stored) {
    struct field_case {
        int id;
        const wchar_t* text;
        const wchar_t* refusal;  // null: accepted
    };
    const field_case cases[] = {
        {IDC_MAX_BPS, L"20", nullptr},
        {IDC_MAX_BPS, L"1000", nullptr},
        {IDC_MAX_BPS, L"19", L"최대 수신 패킷은 20 ~ 1000 사이입니다"},
        {IDC_MAX_BPS, L"1001", L"최대 수신 패킷은 20 ~ 1000 사이입니다"},
        {IDC_MAX_BPS, L"", L"최대 수신 패킷은 20 ~ 1000 사이입니다"},
        {IDC_NORM_SCALE, L"5", nullptr},
        {IDC_NORM_SCALE, L"10", nullptr},
        {IDC_NORM_SCALE, L"4", L"정규화 수준은 5 ~ 10 사이입니다"},
        {IDC_NORM_SCALE, L"11", L"정규화 수준은 5 ~ 10 사이입니다"},
        {IDC_OUTPUT_BUFFER, L"1000", nullptr},
        {IDC_OUTPUT_BUFFER, L"6000", nullptr},
        {IDC_OUTPUT_BUFFER, L"999", L"출력 버퍼는 1000 ~ 6000 사이입니다"},
        {IDC_OUTPUT_BUFFER, L"6001", L"출력 버퍼는 1000 ~ 6000 사이입니다"},
    };
    for (const field_case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " = " << std::string(c.text, c.text + wcslen(c.text)));
        host = fake_settings_host();
        get_player_options() = player_options();
        const int result = run([&](HWND w) { set_text(w, c.id, c.text); });
        const player_options& o = get_player_options();
        if (c.refusal) {
            EXPECT_EQ(result, 2);
            ASSERT_EQ(host.messages.size(), 1u);
            EXPECT_EQ(host.messages[0], c.refusal);
            EXPECT_EQ(host.ini_home.writes + host.store_home.writes, 0);
            EXPECT_TRUE(host.targets_.calls.empty());
            EXPECT_TRUE(host.set_devices.empty());
            EXPECT_EQ(host.forgotten, 0);
            EXPECT_EQ(o.max_bps, 60);
            EXPECT_EQ(o.norm_scale, 5);
            EXPECT_EQ(o.output_buffer, 3000);
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_TRUE(host.messages.empty());
            const int value = _wtoi(c.text);
            const wchar_t* key = c.id == IDC_MAX_BPS ? L"max_bps" : c.id == IDC_NORM_SCALE ? L"norm_scale" : L"output_buffer";
            EXPECT_EQ(host.store_home.at(key), c.text);
            if (c.id == IDC_MAX_BPS) {
                EXPECT_EQ(o.max_bps, value);
                EXPECT_NE(std::find(host.targets_.calls.begin(), host.targets_.calls.end(),
                                    L"rate " + std::to_wstring(value * 1000)),
                          host.targets_.calls.end());
            }
        }
    }
}

TEST_F(settings_dialog_test, accepted_options_reach_their_homes_and_the_components) {
    player_options& o = get_player_options();
    o.norm = false;
    o.tray_when_minimize = false;
    const int result = run([&](HWND w) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, IDC_SHOW_TITLE_WHEN_TRAY)));
        CheckDlgButton(w, IDC_TRAY_WHEN_MINIMIZE, BST_CHECKED);
        SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_TRAY_WHEN_MINIMIZE, BN_CLICKED), 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w, IDC_SHOW_TITLE_WHEN_TRAY)));
        CheckDlgButton(w, IDC_NORM, BST_CHECKED);
        CheckDlgButton(w, IDC_ALWAYS_TOP, BST_CHECKED);
        CheckDlgButton(w, IDC_PACKET_RETRY, BST_CHECKED);
        select(w, IDC_PRIORITY, 3);
        set_text(w, IDC_NORM_SCALE, L"7");
        set_text(w, IDC_OUTPUT_BUFFER, L"2500");
    });
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(o.norm);
    EXPECT_EQ(o.priority, 3);
    EXPECT_EQ(host.store_home.at(L"norm"), L"1");
    EXPECT_EQ(host.store_home.at(L"priority"), L"3");
    EXPECT_EQ(host.store_home.at(L"always_top"), L"1");
    EXPECT_EQ(host.store_home.at(L"tray_when_minimize"), L"1");
    EXPECT_EQ(host.ini_home.at(L"packet_retry"), L"1");
    EXPECT_EQ(host.ini_home.at(L"password_save"), L"0");
    EXPECT_EQ(host.lamps, std::vector<bool>{true});
    EXPECT_EQ(host.targets_.calls, (std::vector<std::wstring>{L"top 1", L"playback 1 7 3", L"output 2500 0 0",
                                                              L"rate 60000", L"packet_retry 1"}));
    EXPECT_TRUE(host.registered != nullptr);
}

TEST_F(settings_dialog_test, a_second_pc_authentication_within_a_minute_sends_nothing) {
    const auto press = [&](unsigned tick) {
        host.tick = tick;
        settings_dialog dialog(host);
        modal_script script([&] {
            HWND w = dialog.get_hwnd();
            if (!w || !IsWindowVisible(w)) return false;
            SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_PC_AUTH, BN_CLICKED), 0);
            SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        });
        dialog.modal(nullptr);
    };
    press(1000);
    EXPECT_EQ(host.auth_requests, 1);
    EXPECT_EQ(host.messages.back(), L"인증코드를 전송하였습니다.  ");
    EXPECT_EQ(host.icons.back(), static_cast<UINT>(MB_ICONINFORMATION));
    press(1000 + 59999);
    EXPECT_EQ(host.auth_requests, 1);
    EXPECT_EQ(host.messages.back(), L"이미 인증코드가 전송되었습니다.  ");
    host.auth_reply = L"Result=Fail";
    press(1000 + 60000);
    EXPECT_EQ(host.auth_requests, 2);
    EXPECT_EQ(host.logs, std::vector<std::wstring>{L"사용자 PC 인증 실패"});
    EXPECT_EQ(host.messages.back(), L"인증코드 전송을 실패하였습니다.  \r\n잠시 후, 다시 시도하여 주시기 바랍니다.");
    EXPECT_TRUE(host.ini_home.values.empty());
}

// The guard compares tick counts by their difference, so that the wrap of
// the tick count after 49.7 days does not refuse requests for another 49.7.
TEST(pc_auth_guard, a_minute_whatever_the_tick_count) {
    const unsigned near_wrap = 0xFFFFFFFFu - 70000u;
    const struct {
        unsigned first, second;
        bool second_allowed;
    } cases[] = {
        {1000, 1000 + 59999, false},
        {1000, 1000 + 60000, true},
        {near_wrap, near_wrap + 59999u, false},  // past the wrap, inside the minute
        {near_wrap, near_wrap + 75001u, true},   // past the wrap and the minute
        {0x90000000u, 0x90000000u + 10, false},  // the first request is never refused
    };
    for (const auto& c : cases) {
        pc_auth_guard guard;
        EXPECT_TRUE(guard.try_start(c.first)) << c.first;
        EXPECT_EQ(guard.try_start(c.second), c.second_allowed) << c.first << " then " << c.second;
    }
}

TEST_F(settings_dialog_test, choosing_the_same_skin_tells_nobody) {
    get_player_options().skin = 3;
    ASSERT_EQ(run([&](HWND w) { EXPECT_EQ(SendDlgItemMessageW(w, IDC_SKIN, CB_GETCURSEL, 0, 0), 2); }), 1);
    EXPECT_TRUE(host.skins.empty());
    EXPECT_EQ(host.ini_home.at(L"skin"), L"(none)");
    ASSERT_EQ(run([&](HWND w) { select(w, IDC_SKIN, 4); }), 1);
    EXPECT_EQ(host.skins, std::vector<int>{5});
    EXPECT_EQ(host.ini_home.at(L"skin"), L"5");
    EXPECT_EQ(get_player_options().skin, 5);
}

TEST_F(settings_dialog_test, the_current_device_can_be_kept_and_another_instances_cannot_be_taken) {
    host.device_names = {stringx(L"Primary Sound Driver"), stringx(L"Out: default"), stringx(L"USB")};
    host.in_use = {1, 2};  // this instance plays on 1; another one on 2
    get_player_options().device = 1;
    std::vector<std::wstring> shown;
    ASSERT_EQ(run([&](HWND w) {
                  shown = items(w, IDC_DEVICE);
                  EXPECT_EQ(SendDlgItemMessageW(w, IDC_DEVICE, CB_GETCURSEL, 0, 0), 1);
              }),
              1);
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"Primary Sound Driver", L"Out: default", L"* USB"}));
    EXPECT_EQ(host.set_devices, std::vector<int>{1});
    EXPECT_EQ(host.store_home.at(L"device"), L"1");

    host = fake_settings_host();
    host.device_names = {stringx(L"Primary Sound Driver"), stringx(L"Out: default"), stringx(L"USB")};
    host.in_use = {1, 2};
    ASSERT_EQ(run([&](HWND w) { select(w, IDC_DEVICE, 2); }), 2);
    EXPECT_EQ(host.messages, std::vector<std::wstring>{L"현재 사용중인 사운드 장치입니다"});
    EXPECT_TRUE(host.set_devices.empty());
    EXPECT_EQ(host.ini_home.writes + host.store_home.writes, 0);
    EXPECT_EQ(get_player_options().device, 1);
}

TEST_F(settings_dialog_test, another_output_type_lists_its_devices_without_marks) {
    host.in_use = {0};
    get_player_options().device = 1;
    std::vector<std::wstring> before, after;
    run([&](HWND w) {
        before = items(w, IDC_DEVICE);
        select(w, IDC_OUTPUT_TYPE, 1);
        after = items(w, IDC_DEVICE);
        EXPECT_EQ(SendDlgItemMessageW(w, IDC_DEVICE, CB_GETCURSEL, 0, 0), 0);  // no device 1 there
    });
    EXPECT_EQ(before, (std::vector<std::wstring>{L"* Primary Sound Driver", L"Out: default"}));
    EXPECT_EQ(after, std::vector<std::wstring>{L"Virtual PC"});
    EXPECT_EQ(host.device_types, (std::vector<int>{0, 1}));
}

TEST_F(settings_dialog_test, password_saving_keeps_or_forgets_the_login) {
    host.logged = true;
    get_player_options().password_save = false;
    ASSERT_EQ(run([&](HWND w) { CheckDlgButton(w, IDC_PASSWORD_SAVE, BST_CHECKED); }), 1);
    EXPECT_EQ(host.stored, std::vector<std::wstring>{L"shop1/secret"});
    EXPECT_EQ(host.forgotten, 0);
    ASSERT_EQ(run([&](HWND w) { CheckDlgButton(w, IDC_PASSWORD_SAVE, BST_UNCHECKED); }), 1);
    EXPECT_EQ(host.stored.size(), 1u);
    EXPECT_EQ(host.forgotten, 1);
    EXPECT_EQ(host.ini_home.at(L"password_save"), L"0");
}

// Turning password saving off leaves nothing of the login in the registry.
TEST(stored_credentials, forgetting_deletes_the_id_and_the_password) {
    const credential_key key{HKEY_CURRENT_USER, L"Software\\ZEL Player Test\\credentials"};
    write_credential(true, L"상점1", key);
    write_credential(false, L"pass word", key);
    EXPECT_STREQ(read_credential(true, key).wvalue(), L"상점1");
    EXPECT_STREQ(read_credential(false, key).wvalue(), L"pass word");
    // The stored bytes are not the text.
    HKEY k;
    ASSERT_EQ(RegOpenKeyExW(key.root, key.path, 0, KEY_READ, &k), ERROR_SUCCESS);
    char raw[64] = {};
    DWORD size = sizeof(raw), type = 0;
    EXPECT_EQ(RegQueryValueExW(k, L"password", nullptr, &type, reinterpret_cast<BYTE*>(raw), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 10u);
    EXPECT_NE(std::string(raw, 9), "pass word");
    RegCloseKey(k);

    delete_caption_value(key);
    EXPECT_STREQ(read_credential(true, key).wvalue(), L"");
    EXPECT_STREQ(read_credential(false, key).wvalue(), L"");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZEL Player Test");
}

TEST_F(settings_dialog_test, the_start_channel_is_stored_with_its_list) {
    host.logged = true;
    host.channels = {{stringx(L"Jazz"), 11}, {stringx(L"Pop"), 22}};
    host.lists = {{22, L"3"}};
    player_options& o = get_player_options();
    o.last_channel = false;
    o.channel = L"음악방송|22";
    std::vector<std::wstring> shown;
    ASSERT_EQ(run([&](HWND w) {
                  shown = items(w, IDC_START_CHANNEL);
                  EXPECT_EQ(SendDlgItemMessageW(w, IDC_START_CHANNEL, CB_GETCURSEL, 0, 0), 2);
              }),
              1);
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"프로그램 종료시 재생했던 채널", L"Jazz", L"Pop"}));
    EXPECT_EQ(host.ini_home.at(L"channel"), L"3|22");
    EXPECT_EQ(host.ini_home.at(L"last_channel"), L"0");
    EXPECT_STREQ(o.channel.wvalue(), L"3|22");

    // A channel no category holds changes nothing; the first item means the
    // last channel.
    host.ini_home.values.clear();
    ASSERT_EQ(run([&](HWND w) { select(w, IDC_START_CHANNEL, 1); }), 1);
    EXPECT_EQ(host.ini_home.at(L"channel"), L"(none)");
    EXPECT_FALSE(o.last_channel);
    ASSERT_EQ(run([&](HWND w) { select(w, IDC_START_CHANNEL, 0); }), 1);
    EXPECT_EQ(host.ini_home.at(L"last_channel"), L"1");
    EXPECT_TRUE(o.last_channel);
}

TEST_F(settings_dialog_test, a_run_value_that_cannot_be_written_turns_auto_start_off) {
    host.auto_start_result = -2;
    ASSERT_EQ(run([&](HWND w) { CheckDlgButton(w, IDC_AUTO_START, BST_CHECKED); }), 1);
    EXPECT_EQ(host.auto_starts, std::vector<bool>{true});
    EXPECT_EQ(host.messages, std::vector<std::wstring>{L"시작 프로그램 등록에 실패하였습니다."});
    EXPECT_FALSE(get_player_options().auto_start);
    EXPECT_EQ(host.ini_home.at(L"auto_start"), L"0");

    host.messages.clear();
    ASSERT_EQ(run([&](HWND w) { CheckDlgButton(w, IDC_AUTO_START, BST_UNCHECKED); }), 1);
    EXPECT_EQ(host.messages, std::vector<std::wstring>{L"시작 프로그램 해제에 실패하였습니다."});
    EXPECT_TRUE(get_player_options().auto_start);
    EXPECT_EQ(host.ini_home.at(L"auto_start"), L"1");
}

TEST_F(settings_dialog_test, cancel_changes_nothing_and_the_version_shows) {
    host.ini_home.values[L"app/version"] = L"3.2.1.0.0";
    settings_dialog dialog(host);
    std::wstring version;
    modal_script script([&] {
        HWND w = dialog.get_hwnd();
        if (!w || !IsWindowVisible(w)) return false;
        version = window_rig::window_text(GetDlgItem(w, IDC_VERSION));
        SetDlgItemTextW(w, IDC_MAX_BPS, L"500");
        SendMessageW(w, WM_CLOSE, 0, 0);
        return true;
    });
    EXPECT_EQ(dialog.modal(nullptr), 2);
    EXPECT_EQ(version, L"ver 3.2.1.0.0");
    EXPECT_EQ(host.ini_home.writes + host.store_home.writes, 0);
    EXPECT_EQ(get_player_options().max_bps, 60);
}

// A picture of the dialog as a store sees it, kept in the artifacts folder.
TEST_F(settings_dialog_test, picture) {
    host.logged = true;
    host.channels = {{stringx(L"재즈 카페"), 11}};
    settings_dialog dialog(host);
    pixel_image shot;
    modal_script script([&] {
        HWND w = dialog.get_hwnd();
        if (!w || !IsWindowVisible(w)) return false;
        SetWindowPos(w, HWND_TOP, 30, 30, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        shot = capture_window(w);
        SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    });
    dialog.modal(nullptr);
    ASSERT_FALSE(shot.empty());
    save_artifact(shot, L"settings");
    EXPECT_GT(shot.width, 250);
    EXPECT_GT(shot.height, 350);
}

}  // namespace
