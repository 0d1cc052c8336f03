// The login dialog (see login_dialog.h).
#include "login_dialog.h"
#include "window_messages.h"
#include <string>
#include "after_login.h"
#include "core.h"
#include "login_manager.h"
#include "player_options.h"
#include "player_window_service.h"
#include "service_host.h"
#include "skin.h"
#include "skin_control.h"
#include "startup_services.h"

namespace {
const COLORREF k_key = RGB(255, 0, 255);

struct push_def {
    unsigned id;
    RECT draw;
    RECT hit;
    const wchar_t* tooltip;
};

// The buttons and links show the face beneath them; their words are tooltips.
const push_def k_pushes[] = {
    {2, {319, 8, 339, 27}, {319, 8, 339, 27}, L"취소"},
    {1, {252, 189, 310, 231}, {252, 189, 310, 231}, L"로그인"},
    {101, {25, 315, 71, 327}, {25, 315, 71, 327}, L"회원 가입"},
    {102, {86, 315, 203, 327}, {86, 315, 203, 327}, L"아이디 / 비밀번호 찾기"},
    {103, {218, 315, 277, 327}, {218, 315, 277, 327}, L"서비스 결제"},
    {104, {292, 315, 330, 327}, {292, 315, 330, 327}, L"도움말"},
};

// The checks: their box shows the unchecked or checked look, the whole hit
// rectangle reacts.
const push_def k_checks[] = {
    {login_dialog::check_password_save, {58, 261, 70, 272}, {58, 261, 150, 272}, L"비밀 번호 저장"},
    {login_dialog::check_auto_login, {173, 261, 185, 272}, {173, 261, 247, 272}, L"자동 로그인"},
    {login_dialog::check_auto_start, {58, 280, 70, 292}, {58, 280, 205, 292}, L"윈도우 시작시 자동 실행"},
};
const RECT k_check_normal = {71, 362, 83, 374};

// The words on the face: the face image carries none, the dialog writes them
// in the skin's text colour before the window's shape and controls are made.
struct face_word {
    RECT rect;
    UINT format;
    const wchar_t* text;
};
const COLORREF k_text_colour = RGB(0x98, 0xCB, 0xF1);
const UINT k_left = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
const UINT k_right = DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
const UINT k_centre = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
const face_word k_words[] = {
    {{30, 188, 110, 206}, k_right, L"아이디"},
    {{30, 212, 110, 230}, k_right, L"비밀번호"},
    {{74, 258, 168, 275}, k_left, L"비밀 번호 저장"},
    {{189, 258, 300, 275}, k_left, L"자동 로그인"},
    {{74, 277, 300, 295}, k_left, L"윈도우 시작시 자동 실행"},
    {{21, 312, 75, 330}, k_centre, L"회원 가입"},
    {{80, 312, 209, 330}, k_centre, L"아이디 / 비밀번호 찾기"},
    {{212, 312, 283, 330}, k_centre, L"서비스 결제"},
    {{286, 312, 336, 330}, k_centre, L"도움말"},
};

void write_face_words(HDC dc, HFONT font) {
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF colour = SetTextColor(dc, k_text_colour);
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    for (const face_word& w : k_words) {
        RECT r = w.rect;
        DrawTextW(dc, w.text, -1, &r, w.format);
    }
    if (old) SelectObject(dc, old);
    SetTextColor(dc, colour);
    SetBkMode(dc, mode);
}
const RECT k_check_pressed = {58, 362, 70, 374};

skin_button* make_push(const push_def& d) {
    skin_button* b = new skin_button;
    b->id = static_cast<int>(d.id);
    skin_copy_text(b->tooltip, d.tooltip);
    b->draw_rect = d.draw;
    b->hit_rect = d.hit;
    return b;
}

stringx control_text(HWND dialog, int id) {
    wchar_t text[1025] = L"";
    GetDlgItemTextW(dialog, id, text, 1025);
    return stringx(text);
}

void write_flag(option_home& ini, const wchar_t* key, bool value) { ini.write(L"app", key, value ? L"1" : L"0"); }
}  // namespace

login_dialog::login_dialog(startup_services& services) : services_(services) {}

login_dialog::~login_dialog() = default;

int login_dialog::modal(HWND owner) { return dialog::modal(template_id, owner); }

bool login_dialog::checked(unsigned id) const {
    skin_control* c = skin_ ? skin_->get_control(id) : nullptr;
    return c && static_cast<skin_button*>(c)->checked;
}

void login_dialog::build_skin() {
    skin_ = std::make_unique<skin>(0);
    skin_->subclassing(hwnd_);
    dib* image = skin::load_png_resource(L"PNG", face_png);
    if (!image) image = new dib;
    // The store's logo when it was downloaded and reads, else the player's.
    const std::wstring logo_path = std::wstring(services_.app_data_folder().wvalue()) + L"\\logo.png";
    dib* logo = skin::load_png_from_file(logo_path.c_str());
    if (!logo) logo = skin::load_png_resource(L"PNG", logo_png);
    if (logo && image->get_memdc()) logo->draw(image->get_memdc(), 1, 37);
    delete logo;
    if (image->get_memdc())
        write_face_words(image->get_memdc(), reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));

    const POINT origin = {0, 0};
    const RECT face = {0, 0, 350, 360};
    _region* region = skin_->add_region(&origin, &face, image);
    skin_->create_skin(k_key, &face);
    for (const push_def& d : k_pushes) skin_->add_control(region, make_push(d));
    for (const push_def& d : k_checks) {
        skin_button* b = make_push(d);
        b->normal_src = k_check_normal;
        b->pressed_src = k_check_pressed;
        skin_->add_control(region, b);
    }
    skin_->delete_backup_image();
    SetWindowTextW(hwnd_, L"로그인");
}

void login_dialog::on_init() {
    build_skin();

    // Centred on the main window horizontally, and vertically on the main
    // window's rectangle extended 400 pixels downwards.
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    RECT main = {}, self = {};
    if (owner && GetWindowRect(owner, &main) && GetWindowRect(hwnd_, &self)) {
        const int left = main.left + ((main.right - main.left) - (self.right - self.left)) / 2;
        const int top = main.top + ((main.bottom - main.top + 400) - (self.bottom - self.top)) / 2;
        SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }

    const bool masked = saved_password.length() > 0;
    MoveWindow(GetDlgItem(hwnd_, id_edit), 117, 190, 116, 14, TRUE);
    MoveWindow(GetDlgItem(hwnd_, password_edit), 117, 214, 116, 14, TRUE);
    MoveWindow(GetDlgItem(hwnd_, masked_field), 117, 214, 116, 14, TRUE);
    ShowWindow(GetDlgItem(hwnd_, password_edit), masked ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(hwnd_, masked_field), masked ? SW_SHOW : SW_HIDE);
    SetDlgItemTextW(hwnd_, id_edit, user_id.wvalue());
    SetDlgItemTextW(hwnd_, password_edit, password.wvalue());
    SetDlgItemTextW(hwnd_, masked_field, L"*****");

    const player_options& o = get_player_options();
    skin_->set_check(check_password_save, o.password_save);
    skin_->set_check(check_auto_login, o.auto_login);
    skin_->set_check(check_auto_start, o.auto_start);
}

void login_dialog::store_checks() {
    player_options& o = get_player_options();
    o.password_save = checked(check_password_save);
    o.auto_login = checked(check_auto_login);
    o.auto_start = checked(check_auto_start);
    option_home& ini = services_.ini();
    write_flag(ini, L"password_save", o.password_save);
    write_flag(ini, L"auto_login", o.auto_login);
    write_flag(ini, L"auto_start", o.auto_start);
}

bool login_dialog::login() {
    skin_->set_enable(1, false);
    const stringx id = control_text(hwnd_, id_edit);
    stringx typed = control_text(hwnd_, password_edit);
    if (typed.length() == 0 && saved_password.length() > 0) typed = saved_password;
    if (id.length() == 0) {
        services_.message_box(hwnd_, L"아이디를 입력하세요", MB_OK);
        SetFocus(GetDlgItem(hwnd_, id_edit));
        return false;
    }
    if (typed.length() == 0) {
        services_.message_box(hwnd_, L"비밀번호를 입력하세요", MB_OK);
        SetFocus(GetDlgItem(hwnd_, password_edit));
        return false;
    }

    login_manager& manager = services_.login();
    stringx message, url;
    // The main window behind the dialog says that it logs in meanwhile.
    HWND main = GetWindow(hwnd_, GW_OWNER);
    if (main) SendMessageW(main, msg_login_state, 1, 0);
    const bool logged_in = manager.login(hwnd_, id.wvalue(), typed.wvalue(), message, url);
    if (main && IsWindow(main)) SendMessageW(main, msg_login_state, 0, 0);
    if (!logged_in) {
        if (message.length() > 0) {
            const bool page = url.length() > 0;
            const int answer = services_.message_box(hwnd_, message.wvalue(), page ? MB_OKCANCEL : MB_OK);
            if (answer == IDOK && page) services_.open_page(url.wvalue());
        }
        return false;
    }

    store_checks();
    player_options& o = get_player_options();
    o.user_id = id;
    write_client_id(services_.ini(), id);
    // The password the start-up stores with the id: the one the service
    // sent back when it sent one, else the one that logged in. Without this
    // a first login through the dialog would store the id alone.
    o.password = o.server_password.length() > 0 ? o.server_password : typed;
    const stringx app_data = services_.app_data_folder();
    refresh_logo_files(manager, app_data);
    services_.tell_login_listeners();
    clear_music_cache_when_off(manager, app_data);
    return true;
}

void login_dialog::on_destroy() {
    if (!services_.announcement_playing()) {
        if (player_window_service* windows = services_.player_window()) {
            HWND info = windows->info_window();
            if (info) ShowWindow(info, SW_HIDE);
        }
    }
    if (skin_) skin_->unsubclass();
    skin_.reset();
}

LRESULT login_dialog::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        on_init();
        return TRUE;
    case WM_COMMAND: {
        const unsigned id = LOWORD(wparam);
        if (id == 1) {
            if (login())
                EndDialog(hwnd_, 1);
            else if (skin_)
                skin_->set_enable(1, true);
        } else if (id == 2) {
            store_checks();
            EndDialog(hwnd_, 2);
        } else if (id >= 101 && id <= 104) {
            stringx url;
            url.format(L"http://%s/rux/loginpage.php?mode=%d", service_host::web_host().wvalue(), id - 100);
            services_.open_page(url.wvalue());
        } else if (id >= check_password_save && id <= check_auto_start) {
            skin_->set_check(id, !checked(id));
        } else {
            return FALSE;
        }
        return TRUE;
    }
    case WM_CLOSE:
        EndDialog(hwnd_, 2);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_LBUTTONDOWN: {
        HWND masked = GetDlgItem(hwnd_, masked_field);
        const int x = static_cast<short>(LOWORD(lparam)), y = static_cast<short>(HIWORD(lparam));
        if (IsWindowVisible(masked) && x >= 118 && x <= 232 && y >= 215 && y <= 227) {
            ShowWindow(masked, SW_HIDE);
            HWND edit = GetDlgItem(hwnd_, password_edit);
            ShowWindow(edit, SW_SHOW);
            SetFocus(edit);
            return 1;
        }
        return FALSE;
    }
    case WM_DESTROY:
        on_destroy();
        return FALSE;
    default:
        return FALSE;
    }
}
