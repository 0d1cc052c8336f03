// The launcher window: its start (settings, devices, skin, logo, clock,
// rows and placement), its layout on resize, its commands and its end.
#include "launcher_window.h"

#include "logo_view.h"
#include "sound_device_list.h"
#include "timex.h"

namespace {
const UINT_PTR kClockTimer = 0;
const int kLogoW = 328, kLogoH = 80, kLogoTop = 37;

RECT work_area_of(HWND hwnd) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    return info.rcWork;
}

RECT window_rect(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}
}  // namespace

launcher_window::launcher_window() : previous_client_{}, initial_client_{} {}

launcher_window::~launcher_window() {
    if (hwnd_ && IsWindow(hwnd_)) {
        quit_on_destroy = false;
        DestroyWindow(hwnd_);
    }
    skin_.release();
}

bool launcher_window::register_class(HINSTANCE module) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(module, class_name, &wc)) return true;
    if (!GetClassInfoExW(nullptr, L"#32770", &wc)) return false;
    wc.cbSize = sizeof wc;
    wc.hInstance = module;
    wc.lpszClassName = class_name;
    return RegisterClassExW(&wc) != 0;
}

bool launcher_window::confirm_close() {
    return MessageBoxW(hwnd_, L"플레이어를 종료하시겠습니까?", L"VOLQUIN 플레이어", MB_YESNO) == IDYES;
}

void launcher_window::on_init_dialog() {
    launcher_settings settings(settings_path);
    settings.load();
    RECT saved = {};
    if (!settings.saved_rect(saved)) saved = RECT{};

    sound_device_list::fill();
    skin_.build(hwnd_);

    HWND logo = GetDlgItem(hwnd_, logo_id);
    if (logo) {
        const RECT r = launcher_skin::logo_rect();
        MoveWindow(logo, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        (new logo_view(logo_path))->attach(logo);
    }
    if (skin* look = skin_.get()) look->set_caption(launcher_skin::version_id, launcher_version_caption().c_str());
    SetTimer(hwnd_, kClockTimer, 300, nullptr);
    update_clock();

    GetClientRect(hwnd_, &previous_client_);
    initial_client_ = previous_client_;
    rows_.init(hwnd_, launcher_skin::rows_rect(), &skin_);
    place(saved);
}

void launcher_window::place(const RECT& saved) {
    // The skin's size (the window's own may not have caught up with it yet).
    RECT base = window_rect(hwnd_);
    OffsetRect(&base, -base.left, -base.top);
    if (skin* look = skin_.get()) base = look->base_size();
    const int w = base.right - base.left;
    RECT target;
    if (IsRectEmpty(&saved)) {
        const int h = base.bottom - base.top + (row_count >= 2 ? 100 : 0);
        const RECT work = work_area_of(hwnd_);
        target = RECT{work.right - w, work.bottom - h, work.right, work.bottom};
    } else {
        target = saved;
    }
    SetWindowPos(hwnd_, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (skin* look = skin_.get()) {
        const RECT size = {0, 0, target.right - target.left, target.bottom - target.top};
        look->refresh_resize_skin(&size, 1);
    }
    layout();
    if (!IsRectEmpty(&saved)) {
        // A rectangle whose centre lies off the work area (a monitor that is
        // gone) comes back to the bottom-right corner, with its size.
        const RECT work = work_area_of(hwnd_);
        const POINT centre = {saved.left + (saved.right - saved.left) / 2, saved.top + (saved.bottom - saved.top) / 2};
        if (!PtInRect(&work, centre)) {
            const RECT now = window_rect(hwnd_);
            SetWindowPos(hwnd_, nullptr, work.right - (now.right - now.left), work.bottom - (now.bottom - now.top), 0,
                         0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

void launcher_window::layout() {
    RECT client = {};
    GetClientRect(hwnd_, &client);
    const int w = client.right - client.left, h = client.bottom - client.top;
    const int dw = w - (initial_client_.right - initial_client_.left);
    const int dh = h - (initial_client_.bottom - initial_client_.top);
    if (HWND logo = GetDlgItem(hwnd_, logo_id)) MoveWindow(logo, (w - kLogoW) / 2, kLogoTop, kLogoW, kLogoH, TRUE);
    if (skin* look = skin_.get()) {
        const struct {
            int id;
            RECT rect;
        } captions[] = {{launcher_skin::clock_id, {16, 317 + dh, 187 + dw / 2, 330 + dh}},
                        {launcher_skin::version_id, {193 + dw / 2, 317 + dh, 334 + dw, 330 + dh}}};
        for (const auto& c : captions) {
            skin_static* s = look->get_static(static_cast<unsigned>(c.id));
            if (!s) continue;
            s->rect = c.rect;
            // The face beneath the caption's new place, as it is now.
            const int cw = c.rect.right - c.rect.left, ch = c.rect.bottom - c.rect.top;
            if (cw > 0 && ch > 0 && s->background.create(cw, ch, 24))
                BitBlt(s->background.get_memdc(), 0, 0, cw, ch, look->get_dc(), c.rect.left, c.rect.top, SRCCOPY);
            look->refresh_static(static_cast<unsigned>(c.id));
        }
    }
    if (HWND list = rows_.get_container()) {
        RECT r = {};
        GetWindowRect(list, &r);
        const int grow_w = w - (previous_client_.right - previous_client_.left);
        const int grow_h = h - (previous_client_.bottom - previous_client_.top);
        const RECT at = launcher_skin::rows_rect();
        MoveWindow(list, at.left, at.top, r.right - r.left + grow_w, r.bottom - r.top + grow_h, TRUE);
    }
    previous_client_ = client;
}

void launcher_window::update_clock() {
    skin* look = skin_.get();
    if (!look) return;
    const timex now;
    look->set_caption(launcher_skin::clock_id, now.to_string(false).wvalue());
}

void launcher_window::save_settings() {
    launcher_settings settings(settings_path);
    settings.load();
    settings.set_position(window_rect(hwnd_));
    std::vector<launcher_store> stores;
    for (const player_row& r : rows_.rows()) stores.push_back({r.id, r.device, r.autostart});
    settings.set_stores(stores);
    settings.save();
    save_launcher_credential(true, account_id, credentials);
    save_launcher_credential(false, account_password, credentials);
}

LRESULT launcher_window::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_INITDIALOG: {
        dialog_base::window_proc(msg, wparam, lparam);
        on_init_dialog();
        return 1;
    }
    case WM_COPYDATA:
        return on_copydata(reinterpret_cast<HWND>(wparam), reinterpret_cast<const COPYDATASTRUCT*>(lparam));
    case WM_COMMAND:
        if (LOWORD(wparam) == launcher_skin::minimise_id) {
            ShowWindow(hwnd_, SW_MINIMIZE);
            return 0;
        }
        if (LOWORD(wparam) == launcher_skin::close_id) {
            if (confirm_close()) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd_, kClockTimer);
        save_settings();
        break;
    case WM_NCDESTROY: {
        const bool quit = quit_on_destroy;
        const LRESULT result = dialog_base::window_proc(msg, wparam, lparam);
        if (quit) PostQuitMessage(0);
        return result;
    }
    case WM_TIMER:
        update_clock();
        break;
    case msg_skin_resized:
        layout();
        return 0;
    default:
        break;
    }
    return dialog_base::window_proc(msg, wparam, lparam);
}
