// The library window's notice line: rotation, stepping and opening links.
#include "notice_line.h"

#include <commctrl.h>

#include <cwctype>

namespace {

bool is_web_address(const std::wstring& url) {
    auto starts = [&](const wchar_t* scheme) {
        const size_t n = wcslen(scheme);
        if (url.size() <= n) return false;
        for (size_t i = 0; i < n; ++i)
            if (std::towlower(url[i]) != scheme[i]) return false;
        return true;
    };
    return starts(L"http://") || starts(L"https://");
}

LRESULT CALLBACK hand_cursor_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, hand_cursor_proc, 1);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wparam, lparam);
}

}  // namespace

void notice_line::show_shown(const std::vector<notice_record>& list) {
    if (list.empty() || shown_notice_ >= list.size()) return;
    s_.show(list[shown_notice_].text.wvalue());
}

void notice_line::tick() {
    if (tick_count_ == 0) {
        s_.notices(true);
        next_notice_ = 0;
        shown_notice_ = 0;
    }
    if (tick_count_ % ticks_per_notice == 0) {
        const std::vector<notice_record> list = s_.notices(false);
        if (next_notice_ >= list.size()) next_notice_ = 0;
        shown_notice_ = next_notice_;
        show_shown(list);
        next_notice_ += 1;
    }
    tick_count_ = (tick_count_ + 1) % ticks_per_fetch;
}

void notice_line::previous() {
    const std::vector<notice_record> list = s_.notices(false);
    const unsigned count = static_cast<unsigned>(list.size());
    shown_notice_ = shown_notice_ > 0 ? shown_notice_ - 1 : count - 1;
    next_notice_ = shown_notice_;
    show_shown(list);
}

void notice_line::next() {
    const std::vector<notice_record> list = s_.notices(false);
    const unsigned count = static_cast<unsigned>(list.size());
    shown_notice_ = shown_notice_ < count - 1 ? shown_notice_ + 1 : 0;
    next_notice_ = shown_notice_;
    show_shown(list);
}

void notice_line::open_shown() {
    const std::vector<notice_record> list = s_.notices(false);
    if (list.empty() || shown_notice_ >= list.size()) return;
    const std::wstring link = list[shown_notice_].value.wvalue();
    if (is_web_address(link)) s_.open_in_browser(link);
}

void notice_line::use_hand_cursor(HWND line) {
    if (line) SetWindowSubclass(line, hand_cursor_proc, 1, 0);
}
