// Skinned scroll bar: position and pixel conversions, the thumb drag, the
// held end buttons, and painting from the four images.
//
// A held end button steps on a window timer rather than in a nested message
// loop: the loop would end only on the button-up message, so a capture taken
// away by another window (a message box, another control) would keep it
// stepping forever, it would swallow a WM_QUIT posted meanwhile, and a step
// that destroyed the window would return into a deleted object. The timer
// stops on the button-up, on losing the capture, on disabling and with the
// window.
#include "scroll_ctrl.h"

#include <algorithm>
#include <cstdlib>

#include "control_input.h"
#include "core.h"

namespace {
const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255);
const UINT_PTR kRepeatTimer = 1;
}  // namespace

scroll_ctrl::scroll_ctrl()
    : max_(0),
      min_(0),
      pos_(0),
      page_(0),
      vertical_(false),
      enabled_(true),
      focused_(false),
      dragging_(false),
      client_(),
      width_(0),
      height_(0),
      drag_offset_(0),
      channel_(nullptr),
      thumb_(nullptr),
      minus_(nullptr),
      plus_(nullptr),
      notify_(nullptr),
      repeat_step_(0) {}

scroll_ctrl::~scroll_ctrl() {
    if (hwnd_ && IsWindow(hwnd_)) KillTimer(hwnd_, kRepeatTimer);
    back_buffer_.clear();
}

void scroll_ctrl::init(HWND parent, HWND notify, int width, int height, bool vertical, unsigned int id) {
    notify_ = notify;
    vertical_ = vertical;
    width_ = width;
    height_ = height;
    HWND hwnd = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 0, width, height,
                                parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), core::get_instance(),
                                this);
    if (!hwnd) return;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    GetClientRect(hwnd, &client_);
    back_buffer_.create(width, height, 24);
    subclass::init(hwnd);
}

void scroll_ctrl::reinit(unsigned int length) {
    if (vertical_)
        height_ = static_cast<int>(length);
    else
        width_ = static_cast<int>(length);
    if (!hwnd_) return;
    SetWindowPos(hwnd_, nullptr, 0, 0, width_, height_, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(hwnd_, &client_);
    width_ = client_.right - client_.left;
    height_ = client_.bottom - client_.top;
    back_buffer_.create(width_, height_, 24);
}

void scroll_ctrl::set_range(int min, int max, bool repaint) {
    set_range_min(min, false);
    set_range_max(max, repaint);
}

void scroll_ctrl::set_range_min(int min, bool repaint) {
    const bool changed = min != min_;
    min_ = min;
    if (changed && repaint && hwnd_ && IsWindowVisible(hwnd_)) invalidate(true);
}

void scroll_ctrl::set_range_max(int max, bool repaint) {
    const bool changed = max != max_;
    max_ = max;
    if (changed && repaint && hwnd_ && IsWindowVisible(hwnd_)) invalidate(true);
}

void scroll_ctrl::set_pos(int pos) {
    const int old = pos_;
    pos_ = std::max(std::min(pos, max_), min_);
    if (pos != old && hwnd_ && IsWindowVisible(hwnd_)) invalidate(true);
}

int scroll_ctrl::set_page_size(int size) {
    const int old = page_;
    page_ = size;
    return old;
}

void scroll_ctrl::enable(bool enabled) {
    enabled_ = enabled;
    if (!enabled && dragging_) end_drag(false);
    invalidate(false);
}

void scroll_ctrl::get_range(int& min, int& max) const {
    min = min_;
    max = max_;
}

scroll_ctrl::geometry scroll_ctrl::measure() const {
    auto size = [this](const dib* image) {
        return image ? (vertical_ ? image->get_height() : image->get_width()) : 0;
    };
    geometry g;
    g.length = vertical_ ? height_ : width_;
    g.minus = size(minus_);
    g.plus = size(plus_);
    g.thumb = size(thumb_);
    return g;
}

bool scroll_ctrl::thumb_shown(const geometry& g) const { return max_ != min_ && g.travel() > 0; }

int scroll_ctrl::pos_to_pixel(const geometry& g, int pos) const {
    const double fraction = static_cast<double>(pos - min_) / (static_cast<double>(max_) - min_);
    return static_cast<int>(g.travel() * fraction) + g.thumb / 2 + g.minus;
}

int scroll_ctrl::pixel_to_pos(const geometry& g, int pixel) const {
    const double offset = static_cast<double>(pixel - g.thumb / 2 - g.minus) / g.travel();
    const int pos = static_cast<int>(offset * (static_cast<double>(max_) - min_) + min_);
    return std::min(pos, max_);
}

void scroll_ctrl::post_scroll(int code) {
    PostMessageW(notify_, vertical_ ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos_)),
                 reinterpret_cast<LPARAM>(hwnd_));
}

void scroll_ctrl::invalidate(bool erase) {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, erase);
}

void scroll_ctrl::on_button_down(POINT pt) {
    if (!enabled_) return;
    if (GetCapture() != hwnd_) SetCapture(hwnd_);
    SetFocus(hwnd_);
    dragging_ = true;
    const geometry g = measure();
    const RECT minus = vertical_ ? RECT{0, 0, width_, g.minus} : RECT{0, 0, g.minus, height_};
    const RECT plus = vertical_ ? RECT{0, g.length - g.plus, width_, g.length}
                                : RECT{g.length - g.plus, 0, g.length, height_};
    if (PtInRect(&minus, pt)) {
        start_repeat(-1);
        return;
    }
    if (PtInRect(&plus, pt)) {
        start_repeat(+1);
        return;
    }
    drag_offset_ = 0;
    if (thumb_shown(g)) {
        const int distance = along(pt) - pos_to_pixel(g, pos_);
        if (std::abs(distance) <= g.thumb / 2) drag_offset_ = distance;
    }
    on_mouse_move(pt);
    invalidate(false);
}

void scroll_ctrl::on_mouse_move(POINT pt) {
    if (enabled_) control_input::show_cursor(IDC_HAND);
    // While an end button is held the mouse does not drag the thumb.
    if (!dragging_ || !enabled_ || repeat_step_) return;
    if (along(pt) < 0) return;
    const geometry g = measure();
    if (!thumb_shown(g)) return;
    int wanted = along(pt) - drag_offset_;
    if (vertical_)
        wanted = std::max(std::min(wanted, g.last_centre()), g.first_centre());
    else
        wanted = std::min(std::max(wanted, g.first_centre()), g.last_centre());
    if (wanted == pos_to_pixel(g, pos_)) return;
    set_pos(pixel_to_pos(g, wanted));
    post_scroll(SB_THUMBPOSITION);
}

void scroll_ctrl::on_button_up() {
    if (!enabled_) return;
    end_drag(true);
}

void scroll_ctrl::end_drag(bool post_end) {
    // dragging_ is cleared before the capture goes, so that the
    // WM_CAPTURECHANGED this causes does not end the drag a second time.
    dragging_ = false;
    if (repeat_step_) {
        repeat_step_ = 0;
        KillTimer(hwnd_, kRepeatTimer);
    }
    if (GetCapture() == hwnd_) ReleaseCapture();
    invalidate(false);
    if (post_end) post_scroll(SB_ENDSCROLL);
}

void scroll_ctrl::start_repeat(int step) {
    repeat_step_ = step;
    repeat_step();
    SetTimer(hwnd_, kRepeatTimer, vertical_ ? vertical_repeat_ms : horizontal_repeat_ms, nullptr);
}

void scroll_ctrl::repeat_step() {
    set_pos(pos_ + repeat_step_);
    post_scroll(SB_THUMBPOSITION);
}

void scroll_ctrl::paint(HDC dc) {
    const int w = client_.right - client_.left, h = client_.bottom - client_.top;
    dib picture;
    if (!picture.create(w, h, 24)) return;
    const RECT all = {0, 0, w, h};
    dib::fill_solid_rect(picture.get_memdc(), &all, kKey);
    dib::fill_solid_rect(back_buffer_.get_memdc(), &all, kWhite);
    const geometry g = measure();
    if (channel_) {
        const int middle_length = g.length - g.minus - g.plus;
        dib middle;
        const int mw = vertical_ ? channel_->get_width() : middle_length;
        const int mh = vertical_ ? middle_length : channel_->get_height();
        if (middle.create(mw, mh, 24)) channel_->draw_tile(middle.get_memdc(), 0, 0, mw, mh);
        if (minus_) minus_->draw(picture.get_memdc(), 0, 0);
        if (middle.get_memdc()) {
            if (vertical_)
                middle.draw(picture.get_memdc(), 0, g.minus);
            else
                middle.draw(picture.get_memdc(), g.minus, 0);
        }
        if (plus_) {
            const int at = g.minus + std::max(middle_length, 0);
            if (vertical_)
                plus_->draw(picture.get_memdc(), 0, at);
            else
                plus_->draw(picture.get_memdc(), at, 0);
        }
    }
    if (thumb_ && enabled_ && thumb_shown(g)) {
        const int centre = pos_to_pixel(g, pos_);
        if (vertical_)
            thumb_->draw_trans(picture.get_memdc(), (width_ - thumb_->get_width()) / 2,
                               centre - thumb_->get_height() / 2, kKey);
        else
            thumb_->draw_trans(picture.get_memdc(), centre - thumb_->get_width() / 2,
                               (height_ - thumb_->get_height()) / 2, kKey);
    }
    picture.draw_trans(back_buffer_.get_memdc(), 0, 0, kKey);
    BitBlt(dc, 0, 0, w, h, back_buffer_.get_memdc(), 0, 0, SRCCOPY);
}

LRESULT scroll_ctrl::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_DESTROY:
        KillTimer(hwnd_, kRepeatTimer);
        repeat_step_ = 0;
        dragging_ = false;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        focused_ = msg == WM_SETFOCUS;
        invalidate(false);
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        paint(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        paint(reinterpret_cast<HDC>(wparam));
        return 1;
    case WM_KEYDOWN:
    case WM_MOUSEWHEEL:
        SendMessageW(notify_, msg, wparam, lparam);
        break;
    case WM_MOUSEMOVE:
        on_mouse_move(control_input::message_point(lparam));
        break;
    case WM_LBUTTONDOWN:
        on_button_down(control_input::message_point(lparam));
        break;
    case WM_LBUTTONUP:
        on_button_up();
        break;
    case WM_TIMER:
        if (wparam != kRepeatTimer) break;
        if (dragging_ && repeat_step_)
            repeat_step();
        else
            KillTimer(hwnd_, kRepeatTimer);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the drag or the held button ends as
        // if the button had come up.
        if (dragging_ && reinterpret_cast<HWND>(lparam) != hwnd_) end_drag(true);
        break;
    default:
        break;
    }
    return subclass::window_proc(msg, wparam, lparam);
}
