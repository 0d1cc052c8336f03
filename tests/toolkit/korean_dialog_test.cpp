// A dialog with Korean text, as the player shows them: the dialog font has
// Hangul glyphs (the test prefix maps the Korean dialog fonts to an installed
// Hangul font), the text is drawn, and Korean input arrives. The capture is
// kept in the artifacts folder for a person to look at.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "dialog.h"
#include "toolkit_test_ids.h"
#include "toolkit_test_support.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
class korean_dialog : public dialog {
public:
    std::vector<unsigned> commands;
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM) override {
        if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) commands.push_back(LOWORD(wparam));
        return message == WM_INITDIALOG ? TRUE : FALSE;
    }
};

// True when the window's font has a glyph for every character of text.
bool font_has_glyphs(HWND control, const wchar_t* text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    std::vector<WORD> glyphs(wcslen(text));
    const DWORD n = GetGlyphIndicesW(dc, text, static_cast<int>(glyphs.size()), glyphs.data(),
                                     GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (n != glyphs.size()) return false;
    for (WORD g : glyphs)
        if (g == 0xFFFF) return false;
    return true;
}

// Pixels of the rectangle (client coordinates of the control) darker than
// mid grey.
int dark_pixels(const pixel_image& shot, HWND dialog_window, HWND control) {
    RECT r, frame;
    GetWindowRect(control, &r);
    GetWindowRect(dialog_window, &frame);
    int n = 0;
    for (int y = r.top - frame.top; y < r.bottom - frame.top; ++y)
        for (int x = r.left - frame.left; x < r.right - frame.left; ++x) {
            const COLORREF c = shot.at(x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128) ++n;
        }
    return n;
}
}  // namespace

using korean_text = toolkit_test;

TEST_F(korean_text, a_dialog_shows_and_takes_hangul) {
    korean_dialog d;
    ASSERT_TRUE(d.create(IDD_KOREAN, nullptr));
    HWND hwnd = d.get_hwnd();
    SetWindowPos(hwnd, nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    window_rig::pump_for(100);

    EXPECT_EQ(window_rig::window_text(hwnd), L"VOLQUIN 플레이어");
    HWND message = GetDlgItem(hwnd, IDC_MESSAGE);
    EXPECT_EQ(window_rig::window_text(message), L"사운드 카드를 확인 후 다시 시도하여 주시기 바랍니다.");
    EXPECT_TRUE(font_has_glyphs(message, L"사운드 카드를 확인 후 다시 시도하여 주시기 바랍니다."));
    EXPECT_TRUE(font_has_glyphs(GetDlgItem(hwnd, IDOK), L"확인"));

    HWND edit = GetDlgItem(hwnd, IDC_NAME);
    window_rig::type_text(edit, L"매장 한글");
    EXPECT_EQ(window_rig::window_text(edit), L"매장 한글");
    window_rig::key(GetDlgItem(hwnd, IDOK), VK_SPACE);
    EXPECT_EQ(d.commands, std::vector<unsigned>{IDOK});

    UpdateWindow(hwnd);
    window_rig::pump_for(100);
    pixel_image shot = capture_window(hwnd);
    ASSERT_FALSE(shot.empty());
    save_artifact(shot, L"screenshot");
    EXPECT_GT(dark_pixels(shot, hwnd, message), 150);
    EXPECT_GT(dark_pixels(shot, hwnd, GetDlgItem(hwnd, IDCANCEL)), 20);
    DestroyWindow(hwnd);
}
