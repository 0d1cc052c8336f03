// The start of the user interface against the service's stand-in, one row
// per way a start can go: stored credentials with automatic login, the
// automatic login of a known PC, the login dialog's cases, refusals, the
// sound check, the Run value, multi-store hand-over and the launcher's own
// login. Real windows: the message boxes and the login dialog are answered
// by a scripted user on the test's thread.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "credentials.h"
#include "player_options.h"
#include "stand_in_server.h"
#include "start_up.h"
#include "startup_rig.h"
#include "ui_service.h"
#include "window_messages.h"
#include "utf.h"
#include "window_rig.h"

namespace {
typedef scripted_user::step step;

std::string field(const recorded_request& request, const char* name) {
    for (const auto& f : request.decoded_fields())
        if (f.first == name) return f.second;
    return "<absent>";
}

// The login requests' passwords, in order.
std::vector<std::string> login_passwords(const stand_in_server& server) {
    std::vector<std::string> out;
    for (const recorded_request& r : server.requests())
        if (r.path() == "/rux/rux_login_check.php") out.push_back(field(r, "userpw"));
    return out;
}

int pc_logins(const stand_in_server& server) {
    int n = 0;
    for (const recorded_request& r : server.requests())
        if (r.path() == "/rux/rux_player_state.php" && field(r, "player_state") == "<absent>") ++n;
    return n;
}

std::wstring program_path() {
    wchar_t path[520] = L"";
    GetModuleFileNameW(nullptr, path, 520);
    return path;
}

const wchar_t k_no_internet[] =
    L"인터넷에 연결할 수 없습니다.\n\n연결 상태를 확인하신 후, 다시 실행해 주시기 바랍니다.";
const wchar_t k_no_sound[] = L"[사운드 카드 에러]\n사운드 카드를 확인 후 다시 시도하여 주시기 바랍니다.";

// The user's steps on the login dialog.
step type_and_enter(const wchar_t* id, const wchar_t* password, dialog_fields* seen) {
    std::wstring i = id, p = password;
    return scripted_user::with_dialog([i, p, seen](HWND dialog) {
        if (seen) *seen = read_dialog(dialog);
        SetDlgItemTextW(dialog, 1000, i.c_str());
        SetDlgItemTextW(dialog, 1001, p.c_str());
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
}
step close_button(dialog_fields* seen) {
    return scripted_user::with_dialog([seen](HWND dialog) {
        if (seen) *seen = read_dialog(dialog);
        SendMessageW(dialog, WM_COMMAND, 2, -1);
    });
}
step window_close(dialog_fields* seen) {
    return scripted_user::with_dialog([seen](HWND dialog) {
        if (seen) *seen = read_dialog(dialog);
        SendMessageW(dialog, WM_CLOSE, 0, 0);
    });
}
// Enter in the id edit, through the dialog's keyboard handling.
step enter_untouched(dialog_fields* seen) {
    return scripted_user::with_dialog([seen](HWND dialog) {
        if (seen) *seen = read_dialog(dialog);
        HWND edit = GetDlgItem(dialog, 1000);
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC01C0001);
    });
}

struct start_case {
    const char* name;
    std::string login_keys = "";          // keys of store01's login reply (JSON members)
    std::string scenario_extra = "";      // more top-level members
    std::vector<stand_in_fault> faults;
    const wchar_t* stored_id = nullptr;
    const wchar_t* stored_password = nullptr;
    const wchar_t* password_save = L"1";
    const wchar_t* auto_login = L"1";
    const wchar_t* auto_start = L"0";
    int sound_devices = 2;
    bool launcher_registered = false;
    bool launcher_connected = false;
    const wchar_t* launcher_password = L"pw01";
    bool run_value_before = false;
    std::function<std::vector<step>(dialog_fields*)> user = [](dialog_fields*) { return std::vector<step>(); };

    // Expected.
    bool main_returned = true;
    bool window_made = true;
    bool window_closes = false;
    std::vector<std::string> passwords;  // of the login requests
    int pc_login_requests = 0;
    std::vector<std::wstring> boxes;
    int listener_calls = 1;
    const wchar_t* credential_id = L"store01";  // stored after the start
    const wchar_t* credential_password = L"pw01";
    bool run_value_after = false;
    std::wstring launcher_report;
    dialog_fields dialog;  // what the dialog showed first (when it opened)
    bool dialog_opens = false;
};

void run_case(start_case& c) {
    SCOPED_TRACE(c.name);
    get_player_options() = player_options();
    stand_in_server server;
    std::string scenario = R"({"users": [{"userid": "store01", "userpw": "pw01", "login": {)" + c.login_keys + "}}]" +
                           c.scenario_extra + "}";
    ASSERT_TRUE(server.start_scenario(scenario)) << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    SetEnvironmentVariableW(L"ZEL_SERVICE_WEB_HOST", nullptr);
    if (!c.faults.empty()) {
        ASSERT_TRUE(server.set_faults(c.faults));
    }

    rig_services services;
    services.sound_devices = c.sound_devices;
    services.launcher_registered = c.launcher_registered;
    services.launcher_connected = c.launcher_connected;
    services.launcher_id = L"store01";
    services.launcher_password = c.launcher_password;
    services.store_credentials(c.stored_id, c.stored_password);
    services.set_ini(L"password_save", c.password_save);
    services.set_ini(L"auto_login", c.auto_login);
    services.set_ini(L"auto_start", c.auto_start);
    if (c.run_value_before) {
        const run_keys keys = services.run_value_keys();
        ASSERT_EQ(set_string_value(keys.run_root, keys.run_path, k_run_value_name, L"C:\\old.exe"), 0);
        services.put_player_value(L"multi_id_1", L"x");
    }

    dialog_fields seen;
    bool dialog_seen = false;
    std::vector<step> steps = c.user(&seen);
    // Each dialog step notes that the dialog opened.
    for (step& s : steps) {
        step inner = s;
        s = [inner, &dialog_seen]() -> scripted_user::action {
            scripted_user::action act = inner();
            if (act && scripted_user::login_window()) dialog_seen = true;
            return act;
        };
    }
    scripted_user user(steps);
    HWND main = run_start_up(GetModuleHandleW(nullptr), services);
    EXPECT_TRUE(user.finished()) << "steps done: " << user.done() << " of " << steps.size();
    EXPECT_EQ(user.unexpected(), 0);

    EXPECT_EQ(services.window.creations, c.window_made ? 1 : 0);
    EXPECT_EQ(main != nullptr, c.main_returned);
    if (main) {
        EXPECT_EQ(main, services.window.main_window());
    }
    if (c.window_made) {
        // A start that must close has posted WM_CLOSE: the window goes once
        // messages are pumped, as the host's loop would.
        window_rig::pump_until([&] { return services.window.closed; }, c.window_closes ? 20000 : 300);
        EXPECT_EQ(services.window.closed, c.window_closes);
    }
    EXPECT_EQ(login_passwords(server), c.passwords);
    EXPECT_EQ(pc_logins(server), c.pc_login_requests);

    std::vector<std::wstring> texts;
    for (const shown_box& b : services.boxes) {
        texts.push_back(b.text);
        // The sound-card box has no owner (no window exists); the others
        // belong to the main window.
        if (b.text == k_no_sound) {
            EXPECT_EQ(b.owner, nullptr);
        } else {
            EXPECT_NE(b.owner, nullptr);
        }
        if (b.text == k_no_internet) {
            EXPECT_EQ(b.type, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
            EXPECT_EQ(services.anne_log, (std::vector<std::wstring>{L"인증된 PC 확인(로그인 전, ID 없을 경우) 실패"}));
        }
    }
    EXPECT_EQ(texts, c.boxes);
    EXPECT_EQ(services.listener_calls, c.listener_calls);
    EXPECT_EQ(dialog_seen, c.dialog_opens);
    if (c.dialog_opens) {
        EXPECT_EQ(seen.id, c.dialog.id);
        EXPECT_EQ(seen.password, c.dialog.password);
        EXPECT_EQ(seen.password_visible, c.dialog.password_visible);
        EXPECT_EQ(seen.masked_visible, c.dialog.masked_visible);
    }
    const credential_key key = services.credentials();
    EXPECT_EQ(std::wstring(read_credential(true, key).wvalue()), c.credential_id ? c.credential_id : L"");
    EXPECT_EQ(std::wstring(read_credential(false, key).wvalue()),
              c.credential_password ? c.credential_password : L"");
    if (c.window_made) {
        bool exists = false;
        const std::wstring value = services.run_value(&exists);
        EXPECT_EQ(exists, c.run_value_after);
        if (c.run_value_after) {
            EXPECT_EQ(value, program_path());
        }
    }
    if (!c.launcher_report.empty()) {
        bool reported = false;
        for (const auto& e : services.events) reported |= e == L"launcher_report:" + c.launcher_report;
        EXPECT_TRUE(reported);
    }
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
}

stand_in_fault pc_reply(const std::string& body) {
    stand_in_fault f = stand_in_fault::of("rux_player_state.php", "text");
    f.body = body;
    return f;
}
}  // namespace

TEST(start_up, every_way_of_starting) {
    std::vector<start_case> cases;
    {
        start_case c;
        c.name = "stored credentials and automatic login reach the main window";
        c.stored_id = L"store01";
        c.stored_password = L"pw01";
        c.passwords = {"pw01"};
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "a missing stored password asks the PC login; its reply in capitals logs in";
        c.stored_id = L"someone";
        c.faults = {pc_reply("Result=Success\r\nLOGIN=TRUE\r\nUserID = store01\r\nuserpw=pw01\r\n")};
        c.pc_login_requests = 1;
        c.passwords = {"pw01"};
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "an unknown PC leaves the dialog with empty fields; its close button closes the player";
        c.pc_login_requests = 1;
        c.user = [](dialog_fields* seen) { return std::vector<step>{close_button(seen)}; };
        c.dialog_opens = true;
        c.dialog.password_visible = true;
        c.main_returned = false;
        c.window_closes = true;
        c.listener_calls = 0;
        c.credential_id = c.credential_password = nullptr;
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "a PC login without a password opens the dialog; the dialog's login stores what the user typed";
        c.faults = {pc_reply("Result=Success\r\nlogin=true\r\nuserid=store01\r\nuserpw=\r\n")};
        c.pc_login_requests = 1;
        c.user = [](dialog_fields* seen) { return std::vector<step>{type_and_enter(L"store01", L"pw01", seen)}; };
        c.dialog_opens = true;
        c.dialog.id = L"store01";
        c.dialog.password_visible = true;
        c.passwords = {"pw01"};
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "a PC login without a good reply shows its box and closes the player";
        c.faults = {stand_in_fault::of("rux_player_state.php", "empty")};
        c.pc_login_requests = 1;
        c.user = [](dialog_fields*) { return std::vector<step>{scripted_user::answer_box(IDOK)}; };
        c.boxes = {k_no_internet};
        c.main_returned = false;
        c.window_closes = true;
        c.listener_calls = 0;
        c.credential_id = c.credential_password = nullptr;
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "with password saving off the stored credentials are not used";
        c.stored_id = L"store01";
        c.stored_password = L"pw01";
        c.password_save = L"0";
        c.user = [](dialog_fields* seen) { return std::vector<step>{window_close(seen)}; };
        c.dialog_opens = true;
        c.dialog.password_visible = true;
        c.main_returned = false;
        c.window_closes = true;
        c.listener_calls = 0;
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "automatic login off: the dialog masks the stored password, Enter logs in with it";
        c.stored_id = L"store01";
        c.stored_password = L"pw01";
        c.auto_login = L"0";
        c.user = [](dialog_fields* seen) { return std::vector<step>{enter_untouched(seen)}; };
        c.dialog_opens = true;
        c.dialog.id = L"store01";
        c.dialog.masked_visible = true;
        c.passwords = {"pw01"};
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "a refused stored login shows the service's message with OK and Cancel, then the dialog";
        c.stored_id = L"store01";
        c.stored_password = L"old";
        c.scenario_extra = R"(, "refusal": {"message": "비밀번호가 틀렸습니다.", "url": "http://127.0.0.1/help"})";
        c.user = [](dialog_fields* seen) {
            return std::vector<step>{scripted_user::answer_box(IDCANCEL), close_button(seen)};
        };
        c.boxes = {L"비밀번호가 틀렸습니다."};
        c.passwords = {"old"};
        c.dialog_opens = true;
        c.dialog.id = L"store01";
        c.dialog.masked_visible = true;
        c.main_returned = false;
        c.window_closes = true;
        c.listener_calls = 0;
        c.credential_password = L"old";
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "a single sound entry shows the sound-card box and makes no window";
        c.stored_id = L"store01";
        c.stored_password = L"pw01";
        c.sound_devices = 1;
        c.user = [](dialog_fields*) { return std::vector<step>{scripted_user::answer_box(IDOK)}; };
        c.boxes = {k_no_sound};
        c.main_returned = false;
        c.window_made = false;
        c.listener_calls = 0;
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "auto-start on writes the Run value";
        c.stored_id = L"store01";
        c.stored_password = L"pw01";
        c.auto_start = L"1";
        c.passwords = {"pw01"};
        c.run_value_after = true;
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "auto-start off deletes the Run value";
        c.stored_id = L"store01";
        c.stored_password = L"pw01";
        c.run_value_before = true;
        c.passwords = {"pw01"};
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "a multi-store reply hands over to the launcher and the window closes";
        c.stored_id = L"store01";
        c.stored_password = L"pw01";
        c.login_keys = R"("multi_play": "2※a¶b※c¶d")";
        c.launcher_registered = true;
        c.passwords = {"pw01"};
        c.window_closes = true;
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "a launcher's player logs in with the launcher's credentials and stores none";
        c.launcher_registered = c.launcher_connected = true;
        c.passwords = {"pw01"};
        c.credential_id = c.credential_password = nullptr;
        cases.push_back(c);
    }
    {
        start_case c;
        c.name = "a refused launcher login is reported to the launcher and the player closes";
        c.launcher_registered = c.launcher_connected = true;
        c.launcher_password = L"bad";
        c.passwords = {"bad"};
        c.main_returned = false;
        c.window_closes = true;
        c.listener_calls = 0;
        c.credential_id = c.credential_password = nullptr;
        c.launcher_report = L"아이디 또는 비밀번호가 일치하지 않습니다.";
        cases.push_back(c);
    }
    for (start_case& c : cases) run_case(c);
}

TEST(start_up, the_steps_before_the_login_come_in_order) {
    get_player_options() = player_options();
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario("{}")) << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    rig_services services;
    services.store_credentials(L"store01", L"pw01");
    services.set_ini(L"password_save", L"1");
    services.set_ini(L"auto_login", L"1");
    services.launcher_registered = true;
    HWND main = run_start_up(GetModuleHandleW(nullptr), services);
    ASSERT_TRUE(main);
    EXPECT_EQ(services.events, (std::vector<std::wstring>{L"launcher_window", L"ui_ready", L"tray_off",
                                                           L"sounds_off", L"listeners"}));
    EXPECT_TRUE(IsWindowVisible(main));
    // The announcement window is hidden after a direct login (nothing plays),
    // once the start's messages have run.
    EXPECT_TRUE(window_rig::pump_until([&] { return !IsWindowVisible(services.window.info_window()); }, 5000));
    EXPECT_NE(services.window.login_tick, 0u);
    const player_options& o = get_player_options();
    EXPECT_EQ(std::wstring(o.user_id.wvalue()), L"store01");
    EXPECT_EQ(std::wstring(o.usermac.wvalue()), L"001A2B3C4D5E");
    // The PC identity went out with the login.
    bool sent = false;
    for (const recorded_request& r : server.requests())
        if (r.path() == "/rux/rux_login_check.php") {
            sent = field(r, "hddidx") == "S3R1AL";
        }
    EXPECT_TRUE(sent);
    // The four window classes exist.
    for (const wchar_t* name : {L"ZELMainWindow", L"ZELPlaylist", L"ZELInfoWindow", L"ZELLibrary"}) {
        WNDCLASSW wc;
        EXPECT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), name, &wc)) << utf::utf16_to_utf8(name).value();
    }
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
}

TEST(start_up, the_stale_equalizer_preset_alone_is_reset) {
    const double stale[11] = {4.4, 3.6, 0, -4.8, -3.2, 1, 5.1, 6.7, 7.4, 7.4, -6.3};
    EXPECT_TRUE(is_stale_equalizer_preset(stale));
    for (int i = 0; i < 11; ++i) {
        double other[11];
        for (int j = 0; j < 11; ++j) other[j] = stale[j];
        other[i] += 0.1;
        EXPECT_FALSE(is_stale_equalizer_preset(other)) << "value " << i;
    }
    // Through the start: the stale preset becomes zeros before the window.
    get_player_options() = player_options();
    rig_services services;
    services.has_equalizer = true;
    for (int i = 0; i < 11; ++i) services.bands[i] = stale[i];
    services.set_ini(L"password_save", L"0");
    services.set_ini(L"auto_login", L"0");
    scripted_user user({window_close(nullptr)});
    EXPECT_EQ(run_start_up(GetModuleHandleW(nullptr), services), nullptr);
    EXPECT_TRUE(user.finished());
    EXPECT_EQ(user.unexpected(), 0);
    ASSERT_FALSE(services.events.empty());
    EXPECT_EQ(services.events.front(), L"equalizer_set");
    for (double v : services.bands) EXPECT_EQ(v, 0.0);
}

TEST(main_ui, the_expanded_mode_is_told_to_the_windows_once_per_change) {
    rig_services services;
    ui_service ui(services, []() -> HINSTANCE { return GetModuleHandleW(nullptr); });
    EXPECT_EQ(ui.main_window(), nullptr);  // no window yet
    HWND main = services.window.create(nullptr);
    window_rig::message_recorder main_log({msg_expanded_mode}), info_log({msg_expanded_mode});
    main_log.init(main);
    info_log.init(services.window.info_window());
    EXPECT_EQ(ui.main_window(), main);
    EXPECT_EQ(ui.info_window(), services.window.info_window());
    EXPECT_EQ(ui.playlist_window(), nullptr);

    EXPECT_FALSE(ui.expanded());
    ui.set_expanded(false);
    ui.set_expanded(true);
    ui.set_expanded(true);
    ui.set_expanded(false);
    EXPECT_FALSE(ui.expanded());
    for (const window_rig::message_recorder* log : {&main_log, &info_log}) {
        ASSERT_EQ(log->log.size(), 2u);
        EXPECT_EQ(log->log[0].wparam, 1u);
        EXPECT_EQ(log->log[1].wparam, 0u);
    }
    // A window that is gone is no window.
    DestroyWindow(main);
    EXPECT_EQ(ui.main_window(), nullptr);
}
