// The settings dialog: see settings_dialog.h.
#include "settings_dialog.h"

#include <commctrl.h>
#include <wchar.h>

#include <string>

#include "option_targets.h"
#include "player_options.h"
#include "settings_dialog_ids.h"

namespace {

const wchar_t kApp[] = L"app";

const wchar_t* const priorities[] = {L"보통", L"보통보다 높게", L"아주 높게", L"실시간"};
const wchar_t* const output_types[] = {L"일반", L"가상PC(MS)"};
const wchar_t* const skins[] = {L"파랑", L"주황", L"자주", L"빨강", L"녹색", L"청색", L"회색"};

struct number_field {
    int edit, spin, low, high;
    const wchar_t* refusal;
};
const number_field max_bps_field = {IDC_MAX_BPS, IDC_MAX_BPS_SPIN, 20, 1000, L"최대 수신 패킷은 20 ~ 1000 사이입니다"};
const number_field norm_scale_field = {IDC_NORM_SCALE, IDC_NORM_SCALE_SPIN, 5, 10, L"정규화 수준은 5 ~ 10 사이입니다"};
const number_field buffer_field = {IDC_OUTPUT_BUFFER, IDC_OUTPUT_BUFFER_SPIN, 1000, 6000,
                                   L"출력 버퍼는 1000 ~ 6000 사이입니다"};

void write_number(option_home& home, const wchar_t* key, long value) {
    stringx text;
    text.format(L"%ld", value);
    home.write(kApp, key, text);
}

stringx number_text(long value) {
    stringx text;
    text.format(L"%ld", value);
    return text;
}

}  // namespace

// --- the PC authentication guard ---

bool pc_auth_guard::try_start(unsigned now) {
    // The difference as a signed number: a guard set just before the tick
    // count wraps still ends 60 s later, not 49.7 days later.
    if (armed_ && static_cast<int>(now - until_) < 0)
        return false;
    armed_ = true;
    until_ = now + 60000;
    return true;
}

pc_auth_guard& module_pc_auth_guard() {
    static pc_auth_guard guard;
    return guard;
}

// --- the dialog ---

settings_dialog::settings_dialog(settings_dialog_host& host) : host_(host) {}

int settings_dialog::modal(HWND owner) { return dialog::modal(IDD_SETTINGS, owner); }

int settings_dialog::selected(int id) {
    return static_cast<int>(SendDlgItemMessageW(hwnd_, id, CB_GETCURSEL, 0, 0));
}

bool settings_dialog::checked(int id) { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }

void settings_dialog::check(int id, bool on) { CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED); }

LRESULT settings_dialog::dialog_proc(UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        on_init();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            if (apply())
                EndDialog(hwnd_, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(hwnd_, 2);
            return TRUE;
        case IDC_OUTPUT_TYPE:
            if (HIWORD(wparam) == CBN_SELCHANGE) {
                const int type = selected(IDC_OUTPUT_TYPE);
                fill_devices(type < 0 ? 0 : type, false);
            }
            return TRUE;
        case IDC_PC_AUTH:
            request_pc_auth_code();
            return TRUE;
        case IDC_TRAY_WHEN_MINIMIZE:
            EnableWindow(GetDlgItem(hwnd_, IDC_SHOW_TITLE_WHEN_TRAY), checked(IDC_TRAY_WHEN_MINIMIZE));
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        EndDialog(hwnd_, 2);
        return TRUE;
    default:
        return FALSE;
    }
}

void settings_dialog::on_init() {
    const player_options& o = get_player_options();
    host_.register_window(hwnd_);

    const struct {
        const number_field& field;
        int value;
    } numbers[] = {{max_bps_field, o.max_bps}, {norm_scale_field, o.norm_scale}, {buffer_field, o.output_buffer}};
    for (const auto& n : numbers) {
        SendDlgItemMessageW(hwnd_, n.field.spin, UDM_SETRANGE32, n.field.low, n.field.high);
        SendDlgItemMessageW(hwnd_, n.field.spin, UDM_SETPOS32, 0, n.value);
        // The buddy shows the option as it is, also when it lies outside the
        // range (OK then refuses it).
        SetDlgItemInt(hwnd_, n.field.edit, static_cast<UINT>(n.value), TRUE);
    }

    for (const wchar_t* p : priorities)
        SendDlgItemMessageW(hwnd_, IDC_PRIORITY, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p));
    SendDlgItemMessageW(hwnd_, IDC_PRIORITY, CB_SETCURSEL, static_cast<WPARAM>(o.priority), 0);
    check(IDC_PASSWORD_SAVE, o.password_save);
    check(IDC_AUTO_LOGIN, o.auto_login);
    check(IDC_AUTO_START, o.auto_start);
    check(IDC_NORM, o.norm);
    check(IDC_PACKET_RETRY, o.packet_retry);
    check(IDC_ALWAYS_TOP, o.always_top);
    check(IDC_TRAY_WHEN_MINIMIZE, o.tray_when_minimize);
    check(IDC_SHOW_TITLE_WHEN_TRAY, o.show_title_when_tray);
    EnableWindow(GetDlgItem(hwnd_, IDC_SHOW_TITLE_WHEN_TRAY), o.tray_when_minimize);

    fill_channels();

    for (const wchar_t* s : skins)
        SendDlgItemMessageW(hwnd_, IDC_SKIN, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendDlgItemMessageW(hwnd_, IDC_SKIN, CB_SETCURSEL, static_cast<WPARAM>(o.skin - 1), 0);
    for (const wchar_t* t : output_types)
        SendDlgItemMessageW(hwnd_, IDC_OUTPUT_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
    SendDlgItemMessageW(hwnd_, IDC_OUTPUT_TYPE, CB_SETCURSEL, static_cast<WPARAM>(o.output_type), 0);
    if (o.vm == 1 || o.vm == 2)
        EnableWindow(GetDlgItem(hwnd_, IDC_OUTPUT_TYPE), FALSE);

    fill_devices(o.output_type, true);

    stringx version = host_.ini().read(kApp, L"version");
    stringx text(L"ver ");
    text += version.length() ? version : stringx(L"3.1.0.0.0");
    SetDlgItemTextW(hwnd_, IDC_VERSION, text);
}

void settings_dialog::fill_channels() {
    const player_options& o = get_player_options();
    HWND list = GetDlgItem(hwnd_, IDC_START_CHANNEL);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"프로그램 종료시 재생했던 채널"));
    SendMessageW(list, CB_SETITEMDATA, 0, 0);
    int selection = o.last_channel ? 0 : -1;
    if (host_.logged_in() && host_.internet_connected()) {
        for (const auto& channel : host_.auto_channels()) {
            const LRESULT item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(channel.first.wvalue()));
            if (item >= 0)
                SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(item), channel.second);
        }
    }
    // "<list name>|<channel id>": the channel with that id, unless the last
    // channel is played anyway.
    const std::wstring stored = o.channel.wvalue();
    const size_t bar = stored.find(L'|');
    const bool two_parts = bar != std::wstring::npos && stored.find(L'|', bar + 1) == std::wstring::npos;
    if (!o.last_channel && two_parts) {
        const int id = _wtoi(stored.c_str() + bar + 1);
        const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
        for (int i = 1; i < count; ++i) {
            if (static_cast<int>(SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == id) {
                selection = i;
                break;
            }
        }
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection < 0 ? 0 : selection), 0);
}

void settings_dialog::fill_devices(int output_type, bool marks) {
    const player_options& o = get_player_options();
    HWND list = GetDlgItem(hwnd_, IDC_DEVICE);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const std::vector<stringx> names = host_.devices(output_type);
    for (size_t i = 0; i < names.size(); ++i) {
        const int index = static_cast<int>(i);
        stringx text;
        if (marks && index != o.device && host_.device_in_use(index))
            text = L"* ";
        text += names[i];
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.wvalue()));
    }
    const int count = static_cast<int>(names.size());
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(o.device >= 0 && o.device < count ? o.device : 0), 0);
}

bool settings_dialog::apply() {
    player_options& o = get_player_options();

    // 1. The three numbers, each within its range; a refusal stores nothing.
    int values[3];
    const number_field* fields[] = {&max_bps_field, &norm_scale_field, &buffer_field};
    for (int i = 0; i < 3; ++i) {
        BOOL read = FALSE;
        values[i] = static_cast<int>(GetDlgItemInt(hwnd_, fields[i]->edit, &read, TRUE));
        if (!read || values[i] < fields[i]->low || values[i] > fields[i]->high) {
            host_.message(hwnd_, fields[i]->refusal, 0);
            return false;
        }
    }

    // 2. A device another instance plays on cannot be taken (the one this
    // instance has can be kept).
    int device = selected(IDC_DEVICE);
    if (device < 0)
        device = o.device;
    if (host_.has_instance_registry()) {
        if (device != o.device && host_.device_in_use(device)) {
            host_.message(hwnd_, L"현재 사용중인 사운드 장치입니다", 0);
            return false;
        }
        host_.set_device(device);
    }

    // 3. The options.
    const int output_type = selected(IDC_OUTPUT_TYPE);
    const int priority = selected(IDC_PRIORITY);
    o.max_bps = values[0];
    o.norm_scale = values[1];
    o.output_buffer = values[2];
    if (priority >= 0)
        o.priority = priority;
    o.device = device;
    if (output_type >= 0)
        o.output_type = output_type;
    o.password_save = checked(IDC_PASSWORD_SAVE);
    o.auto_login = checked(IDC_AUTO_LOGIN);
    o.auto_start = checked(IDC_AUTO_START);
    o.norm = checked(IDC_NORM);
    o.always_top = checked(IDC_ALWAYS_TOP);
    o.tray_when_minimize = checked(IDC_TRAY_WHEN_MINIMIZE);
    o.show_title_when_tray = checked(IDC_SHOW_TITLE_WHEN_TRAY);

    // 4. Their homes.
    option_home& ini = host_.ini();
    option_home& store = host_.store();
    write_number(ini, L"password_save", o.password_save);
    write_number(ini, L"auto_login", o.auto_login);
    write_number(ini, L"auto_start", o.auto_start);
    write_number(store, L"max_bps", o.max_bps);
    write_number(store, L"norm", o.norm);
    write_number(store, L"norm_scale", o.norm_scale);
    write_number(store, L"priority", o.priority);
    write_number(store, L"output_type", o.output_type);
    write_number(store, L"output_buffer", o.output_buffer);
    write_number(store, L"device", o.device);
    write_number(store, L"always_top", o.always_top);
    write_number(store, L"tray_when_minimize", o.tray_when_minimize);
    write_number(store, L"show_title_when_tray", o.show_title_when_tray);

    // 5. The lamp and the windows' stacking.
    option_targets& targets = host_.targets();
    host_.show_norm_lamp(o.norm);
    targets.set_always_on_top(o.always_top);

    // 6. The stored login: kept only while saving is on.
    stringx id, password;
    if (o.password_save) {
        if (host_.login_credentials(id, password))
            host_.store_credentials(id, password);
    } else {
        host_.forget_credentials();
    }

    // 7. The components.
    targets.set_playback(o.norm, o.norm_scale, o.priority);
    targets.set_output(o.output_buffer, o.output_type, o.device);
    targets.set_rate_limit(o.max_bps * 1000);

    // 8. The Run value.
    if (host_.apply_auto_start(o.auto_start) < 0) {
        if (o.auto_start) {
            host_.message(hwnd_, L"시작 프로그램 등록에 실패하였습니다.", 0);
            o.auto_start = false;
            ini.write(kApp, L"auto_start", L"0");
        } else {
            host_.message(hwnd_, L"시작 프로그램 해제에 실패하였습니다.", 0);
            o.auto_start = true;
            ini.write(kApp, L"auto_start", L"1");
        }
    }

    // 9. The channel played at start.
    const int channel_item = selected(IDC_START_CHANNEL);
    if (channel_item <= 0) {
        o.last_channel = true;
        ini.write(kApp, L"last_channel", L"1");
    } else if (host_.logged_in()) {
        const int id = static_cast<int>(
            SendDlgItemMessageW(hwnd_, IDC_START_CHANNEL, CB_GETITEMDATA, static_cast<WPARAM>(channel_item), 0));
        const stringx key = host_.channel_list_of(id);
        if (key.length() > 0) {
            stringx text = key;
            text += L"|";
            text += number_text(id);
            ini.write(kApp, L"channel", text);
            ini.write(kApp, L"last_channel", L"0");
            o.last_channel = false;
            o.channel = text;
        }
    }

    // 10. Packet retry.
    o.packet_retry = checked(IDC_PACKET_RETRY);
    write_number(ini, L"packet_retry", o.packet_retry);
    targets.set_packet_retry(o.packet_retry);

    // 11. The skin colour: only a change is told.
    const int skin = selected(IDC_SKIN) + 1;
    if (skin >= 1 && skin != o.skin) {
        o.skin = skin;
        write_number(ini, L"skin", skin);
        host_.skin_changed(skin);
    }
    return true;
}

void settings_dialog::request_pc_auth_code() {
    if (!module_pc_auth_guard().try_start(host_.tick_count())) {
        host_.message(hwnd_, L"이미 인증코드가 전송되었습니다.  ", MB_ICONINFORMATION);
        return;
    }
    const stringx reply = host_.request_pc_auth();
    if (wcsstr(reply.wvalue(), L"Result=Success")) {
        host_.message(hwnd_, L"인증코드를 전송하였습니다.  ", MB_ICONINFORMATION);
    } else {
        host_.write_log(L"사용자 PC 인증 실패");
        host_.message(hwnd_, L"인증코드 전송을 실패하였습니다.  \r\n잠시 후, 다시 시도하여 주시기 바랍니다.",
                      MB_ICONINFORMATION);
    }
}
