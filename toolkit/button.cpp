// Bitmap button: every change of the shown state copies one image into the
// back buffer and invalidates the window; painting only copies the back
// buffer.
#include "button.h"

#include <commctrl.h>

#include <cwchar>

#include "control_input.h"
#include "core.h"

button::button()
    : pressed_(false), tooltip_(nullptr), normal_(nullptr), hover_(nullptr), pressed_image_(nullptr) {
    tooltip_text_[0] = 0;
}

button::~button() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    destroy_tooltip();
    back_buffer_.clear();
}

// A child window cannot own another window: the tooltip created with the
// button as its owner is owned by the button's top-level window and would
// outlive the button, so it goes with the button explicitly.
void button::destroy_tooltip() {
    if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
    tooltip_ = nullptr;
}

void button::init(HWND parent, unsigned int id, RECT& rect, dib* normal, dib* hover, dib* pressed) {
    back_buffer_.create(rect.right - rect.left, rect.bottom - rect.top, 24);
    normal_ = normal;
    hover_ = hover;
    pressed_image_ = pressed;
    pressed_ = false;
    if (normal_) normal_->draw(back_buffer_.get_memdc(), 0, 0);
    HWND hwnd = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_NOTIFY, rect.left, rect.top,
                                back_buffer_.get_width(), back_buffer_.get_height(), parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), core::get_instance(), this);
    if (!hwnd) return;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    subclass::init(hwnd);
}

void button::set_bitmap(dib* normal, dib* hover, dib* pressed) {
    normal_ = normal;
    hover_ = hover;
    pressed_image_ = pressed;
    show(normal_);
}

void button::set_tooltip(const wchar_t* text) {
    if (!tooltip_) return;
    // Texts longer than the buffer are cut rather than overrun it.
    lstrcpynW(tooltip_text_, text ? text : L"", tooltip_size);
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = hwnd_;
    info.uId = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd_));
    info.hinst = core::get_instance();
    info.lpszText = tooltip_text_;
    GetClientRect(hwnd_, &info.rect);
    TOOLINFOW known = info;
    known.lpszText = nullptr;  // asks only whether the tool exists
    if (SendMessageW(tooltip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&known)))
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    else
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void button::on_subclass() {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, core::get_instance(), nullptr);
}

void button::show(dib* image) {
    if (image) image->draw(back_buffer_.get_memdc(), 0, 0);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void button::post_click() {
    PostMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), 0), reinterpret_cast<LPARAM>(hwnd_));
}

void button::on_mouse_down() {
    SetFocus(hwnd_);
    control_input::show_cursor(IDC_HAND);
    if (GetCapture() != hwnd_) SetCapture(hwnd_);
    if (pressed_image_) show(pressed_image_);
    pressed_ = true;
}

// The hover look after a release is chosen by where the release happened
// (the message's own position, which is where the cursor was).
void button::on_mouse_up(LPARAM lparam) {
    control_input::show_cursor(IDC_HAND);
    if (GetCapture() == hwnd_) ReleaseCapture();
    post_click();
    pressed_ = false;
    if (pressed_image_) {
        RECT client;
        GetClientRect(hwnd_, &client);
        const bool inside = PtInRect(&client, control_input::message_point(lparam)) != 0;
        show(hover_ && inside ? hover_ : normal_);
    }
}

void button::on_mouse_move() {
    control_input::show_cursor(IDC_HAND);
    if (pressed_) return;
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd_, 0};
    TrackMouseEvent(&track);
    if (hover_) show(hover_);
}

void button::on_mouse_leave() {
    if (hover_ && !pressed_) show(normal_);
}

void button::on_key_down(WPARAM key) {
    if (key != VK_RETURN) return;
    if (pressed_image_) show(pressed_image_);
    pressed_ = true;
}

void button::on_key_up(WPARAM key) {
    if (key != VK_RETURN) return;
    post_click();
    pressed_ = false;
    if (pressed_image_) show(normal_);
}

LRESULT button::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_DESTROY:
        destroy_tooltip();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        show(normal_);
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        back_buffer_.draw(dc, 0, 0);
        EndPaint(hwnd_, &ps);
        break;
    }
    case WM_ERASEBKGND:
        subclass::window_proc(msg, wparam, lparam);
        back_buffer_.draw(reinterpret_cast<HDC>(wparam), 0, 0);
        return 1;
    case WM_GETDLGCODE:
        return control_input::dialog_code();
    case WM_KEYDOWN:
        on_key_down(wparam);
        break;
    case WM_KEYUP:
        on_key_up(wparam);
        break;
    case WM_MOUSEMOVE: {
        if (tooltip_) {
            MSG relayed = {hwnd_, msg, wparam, lparam, 0, {0, 0}};
            SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
        }
        on_mouse_move();
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        on_mouse_down();
        return 0;
    case WM_LBUTTONUP:
        on_mouse_up(lparam);
        return 0;
    case WM_MOUSELEAVE:
        on_mouse_leave();
        break;
    default:
        break;
    }
    return subclass::window_proc(msg, wparam, lparam);
}
