// The start of the user interface (see start_up.h).
#include "start_up.h"
#include <commctrl.h>
#include "core.h"
#include "credentials.h"
#include "info_window.h"
#include "login_dialog.h"
#include "after_login.h"
#include "login_manager.h"
#include "pc_identity.h"
#include "player_options.h"
#include "player_window_service.h"
#include "service_reply.h"
#include "startup_services.h"
#include "system_registry.h"
#include "window_messages.h"

namespace {
const wchar_t* const k_window_classes[] = {L"ZELMainWindow", L"ZELPlaylist", L"ZELInfoWindow", L"ZELLibrary"};

// The four window classes: copies of the system dialog class under their
// own names. A class that is registered already stays.
void register_window_classes(HINSTANCE module) {
    for (const wchar_t* name : k_window_classes) {
        WNDCLASSW wc;
        if (!GetClassInfoW(module, L"#32770", &wc)) continue;
        wc.lpszClassName = name;
        wc.hInstance = module;
        RegisterClassW(&wc);
    }
}

stringx program_path(HINSTANCE host) {
    wchar_t path[520] = L"";
    GetModuleFileNameW(host, path, 520);
    path[519] = L'\0';
    return stringx(path);
}

// The automatic login of a known PC. False when the reply is not good; a
// good reply whose "login" is "true" (any case) gives the id and password.
bool pc_login(startup_services& services, const pc_identity& pc, stringx& id, stringx& password) {
    const service_reply reply = services.post_pc_login(pc);
    if (!reply.connected() || !reply.has_success()) return false;
    reply_map keys;
    keys.read(reply.lines(), 0);
    if (keys.get(L"login").lower().equals(stringx(L"true"))) {
        id = keys.get(L"userid");
        password = keys.get(L"userpw");
        player_options& o = get_player_options();
        o.user_id = id;
        o.password = password;
    }
    return true;
}

// Shows a refused login's message, and its page when the user wants it.
void show_refusal(startup_services& services, HWND owner, const stringx& message, const stringx& url) {
    if (message.length() == 0) return;
    const bool page = url.length() > 0;
    const int answer = services.message_box(owner, message.wvalue(), page ? MB_OKCANCEL : MB_OK);
    if (answer == IDOK && page) services.open_page(url.wvalue());
}

// The login dialog with its fields; 1 logged in, 2 given up.
int run_login_dialog(startup_services& services, HWND owner, const stringx& id, const stringx& password,
                     const stringx& saved_password) {
    login_dialog dialog(services);
    dialog.user_id = id;
    dialog.password = password;
    dialog.saved_password = saved_password;
    const int result = dialog.modal(owner);
    return result == 1 ? 1 : 2;
}

void delete_old_run_value(const run_keys& keys) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(keys.run_root, keys.run_path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, L"ZEL Client");
    RegCloseKey(key);
}

// The Run value follows the auto_start option; stored is the INI value read
// at the start (0 when it was missing).
void follow_auto_start(startup_services& services, HWND main, const stringx& path, int stored) {
    player_options& o = get_player_options();
    option_home& ini = services.ini();
    const int result = apply_auto_start(o.auto_start, path.wvalue(), services.run_value_keys());
    stringx text;
    if (!o.auto_start) {
        if (result == 0) {
            if (stored != 0) ini.write(L"app", L"auto_start", L"0");
            return;
        }
        text.format(L"시작프로그램 해제에 실패하였습니다.(%d)", result);
        services.message_box(main, text.wvalue(), MB_OK);
        o.auto_start = stored != 0;
        ini.write(L"app", L"auto_start", o.auto_start ? L"1" : L"0");
        return;
    }
    if (result == 0) {
        if (stored != 1) ini.write(L"app", L"auto_start", L"1");
        return;
    }
    text.format(L"시작프로그램 등록에 실패하였습니다.(%d)", result);
    services.message_box(main, text.wvalue(), MB_OK);
    o.auto_start = false;
    ini.write(L"app", L"auto_start", L"0");
}

// The login of the start-up, the main window saying meanwhile that it logs in.
bool login_showing(login_manager& manager, HWND main, const stringx& id, const stringx& password, stringx& message,
                   stringx& url) {
    SendMessageW(main, msg_login_state, 1, 0);
    const bool ok = manager.login(main, id.wvalue(), password.wvalue(), message, url);
    if (IsWindow(main)) SendMessageW(main, msg_login_state, 0, 0);
    return ok;
}

HWND close_player(HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    return nullptr;
}

// Hiding a window may wait on the window system (under Wine without a window
// manager, two seconds for the window's withdrawn state): the announcement
// window is hidden by a timer, a second after the login's work, so that the
// channel that the login starts reaches its first sound first. An
// announcement that the login resumed meanwhile keeps the window shown.
const UINT hide_delay_ms = 1000;
HWND g_info_to_hide = nullptr;

struct info_window_hider {
    static void CALLBACK on_timer(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND info = g_info_to_hide;
        g_info_to_hide = nullptr;
        if (!info || !IsWindow(info)) return;
        info_window* w = info_window::current();
        if (w && w->get_hwnd() == info && w->announcement_active) return;
        ShowWindow(info, SW_HIDE);
    }
};

void hide_after_login_work(HWND info) {
    g_info_to_hide = info;
    if (SetTimer(nullptr, 0, hide_delay_ms, &info_window_hider::on_timer)) return;
    g_info_to_hide = nullptr;
    ShowWindow(info, SW_HIDE);
}
}  // namespace

bool is_stale_equalizer_preset(const double (&values)[11]) {
    static const double stale[11] = {4.4, 3.6, 0, -4.8, -3.2, 1, 5.1, 6.7, 7.4, 7.4, -6.3};
    for (int i = 0; i < 11; ++i)
        if (values[i] != stale[i]) return false;
    return true;
}

HWND run_start_up(HINSTANCE host, startup_services& services) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);

    if (services.sound_device_count() < 2) {
        services.message_box(nullptr, L"[사운드 카드 에러]\n사운드 카드를 확인 후 다시 시도하여 주시기 바랍니다.",
                             MB_OK);
        return nullptr;
    }

    player_options& o = get_player_options();
    o.live_anne_on = false;
    const HINSTANCE ui = services.ui_module();
    core::set_instance(ui);

    stringx launcher_id, launcher_password;
    int launcher_device = -1;
    const bool has_launcher = services.has_launcher_link();
    if (has_launcher) services.launcher_connect(launcher_id, launcher_password, launcher_device);

    const stringx path = program_path(host);
    const pc_identity pc = services.collect_pc_identity(host);
    o.usermac = pc.usermac;
    o.pc_ostime = pc.pc_ostime;
    o.pc_pgtime = pc.pc_pgtime;
    o.hddidx = pc.hddidx;

    // A missing auto_start counts as 0 here, so that the option's default
    // (on) gets written once.
    option_home& ini = services.ini();
    const stringx stored_text = ini.read(L"app", L"auto_start");
    const int stored_auto_start = stored_text.length() > 0 ? stored_text.toint() : 0;
    load_start_options(o, ini, services.targets());

    double bands[11];
    if (services.equalizer_bands(bands) && is_stale_equalizer_preset(bands)) {
        const double zeros[11] = {};
        services.set_equalizer_bands(zeros);
    }

    register_window_classes(ui);

    player_window_service* windows = services.player_window();
    HWND main = windows ? windows->create(ui) : nullptr;
    if (!main) return nullptr;
    if (has_launcher) services.launcher_add_window(main);
    ShowWindow(main, SW_SHOWNORMAL);

    services.tell_ui_ready();
    services.hide_tray_icon();
    services.silence_system_sounds();

    // The login.
    stringx id, password, message, url;
    bool from_launcher = false;
    bool direct = false;
    int dialog_result = 0;
    o.server_password.empty();
    login_manager& manager = services.login();

    if (has_launcher && services.launcher_is_connected()) {
        id = launcher_id;
        password = launcher_password;
        from_launcher = true;
        o.device = launcher_device;
        o.output_type = 0;
        if (!login_showing(manager, main, id, password, message, url)) {
            services.launcher_report(message.wvalue());
            return close_player(main);
        }
        direct = true;
    } else {
        const credential_key key = services.credentials();
        id = read_credential(true, key);
        password = read_credential(false, key);
        if (!o.password_save) {
            id.empty();
            password.empty();
        }
        if (o.password_save && (id.length() == 0 || password.length() == 0)) {
            if (!pc_login(services, pc, id, password)) {
                services.write_anne_log(L"인증된 PC 확인(로그인 전, ID 없을 경우) 실패");
                services.message_box(main,
                                     L"인터넷에 연결할 수 없습니다.\n\n연결 상태를 확인하신 후, 다시 실행해 주시기 "
                                     L"바랍니다.",
                                     MB_ICONINFORMATION | MB_OK);
                return close_player(main);
            }
        }
        if (o.auto_login && id.length() > 0 && password.length() > 0) {
            if (login_showing(manager, main, id, password, message, url)) {
                direct = true;
            } else {
                show_refusal(services, main, message, url);
                dialog_result = run_login_dialog(services, main, id, stringx(), password);
            }
        } else if (o.auto_login) {
            dialog_result = run_login_dialog(services, main, id, password, stringx());
        } else {
            dialog_result = run_login_dialog(services, main, id, stringx(), password);
        }
    }

    if (direct) {
        if (!services.announcement_playing()) {
            HWND info = windows->info_window();
            if (info) hide_after_login_work(info);
        }
        o.user_id = id;
        o.password = o.server_password.length() > 0 ? o.server_password : password;
        const stringx app_data = services.app_data_folder();
        clear_music_cache_when_off(manager, app_data);
        refresh_logo_files(manager, app_data);
        write_client_id(ini, id);
        delete_old_run_value(services.run_value_keys());
        services.tell_login_listeners();
    }

    follow_auto_start(services, main, path, stored_auto_start);

    if (dialog_result == 2) return close_player(main);

    if (o.password_save && !from_launcher) {
        const credential_key key = services.credentials();
        write_credential(true, o.user_id.wvalue(), key);
        write_credential(false, o.password.wvalue(), key);
    }
    windows->set_login_tick(GetTickCount());

    if (has_launcher && services.launcher_started()) PostMessageW(main, WM_CLOSE, 0, 0);
    return main;
}
