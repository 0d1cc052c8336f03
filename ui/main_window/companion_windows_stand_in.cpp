// The least stand-ins of the windows around the main window: plain popups
// of each window's size, owned by the main window, that paint their name,
// keep the announcement window's flags and record what reaches them.
#include "companion_windows.h"

#include "core.h"
#include "service_records.h"
#include "window_messages.h"

namespace {
const wchar_t k_class[] = L"ZELStandInWindow";

struct stand_in_data {
    stand_in_companions* owner;
    COLORREF colour;
};

bool register_class() {
    WNDCLASSW wc = {};
    if (GetClassInfoW(core::get_instance(), k_class, &wc)) return true;
    wc.lpfnWndProc = stand_in_companions::window_proc;
    wc.hInstance = core::get_instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = k_class;
    return RegisterClassW(&wc) != 0;
}
}  // namespace

stand_in_companions::stand_in_companions() = default;

stand_in_companions::~stand_in_companions() {
    for (HWND w : {equalizer, library, info, playlist})
        if (w && IsWindow(w)) DestroyWindow(w);
}

HWND stand_in_companions::make(HWND owner, const wchar_t* title, int w, int h, COLORREF colour) {
    if (!register_class()) return nullptr;
    auto* data = new stand_in_data{this, colour};
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, k_class, title, WS_POPUP | WS_BORDER, 0, 0, w, h, owner, nullptr,
                                core::get_instance(), data);
    if (!hwnd) delete data;
    return hwnd;
}

HWND stand_in_companions::create_playlist(HWND main) {
    return playlist = make(main, L"재생 목록", 320, 300, RGB(0xE8, 0xEC, 0xF4));
}

HWND stand_in_companions::create_info(HWND main, HWND) {
    return info = make(main, L"안내 방송", 320, 90, RGB(0xF4, 0xEC, 0xE0));
}

HWND stand_in_companions::create_library(HWND main, dib*, dib*) {
    return library = make(main, L"라이브러리", 400, 540, RGB(0xE4, 0xF2, 0xE4));
}

HWND stand_in_companions::create_equalizer(HWND main) {
    ++equalizers_created;
    return equalizer = make(main, L"이퀄라이저", 250, 150, RGB(0xEE, 0xE4, 0xF4));
}

void stand_in_companions::run_settings(HWND) { ++settings_runs; }

LRESULT CALLBACK stand_in_companions::window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* data = reinterpret_cast<stand_in_data*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!data) return DefWindowProcW(hwnd, msg, wparam, lparam);
    stand_in_companions* self = data->owner;
    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self->equalizer == hwnd) self->equalizer = nullptr;
        if (self->library == hwnd) self->library = nullptr;
        if (self->info == hwnd) self->info = nullptr;
        if (self->playlist == hwnd) self->playlist = nullptr;
        delete data;
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH brush = CreateSolidBrush(data->colour);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        wchar_t title[64] = {};
        GetWindowTextW(hwnd, title, 64);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, title, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_COMMAND:
    case msg_store_list_changed:
    case msg_store_record_changed:
        self->log.push_back({hwnd, msg, wparam, lparam});
        // The announcement window's WM_COMMAND 0 hides it.
        if (msg == WM_COMMAND && hwnd == self->info && LOWORD(wparam) == 0) {
            ShowWindow(hwnd, SW_HIDE);
            self->kept = false;
            self->hidden = true;
        }
        return 0;
    case msg_anne_handover:
    case msg_anne_play_now: {
        self->log.push_back({hwnd, msg, wparam, lparam});
        const anne_record* r = reinterpret_cast<const anne_record*>(lparam);
        if (r)
            self->announcements.push_back(std::wstring(r->title.wvalue()) + L"|" + r->url.wvalue() + L"|" +
                                          r->start_text.wvalue());
        return msg == msg_anne_handover ? self->handover_reply : 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}
