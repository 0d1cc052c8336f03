// Dialogs of the launcher's framework: bound to their window from its first
// message by the creation hook, and created in the system's message font
// whatever their template names; the template copy that carries the font.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core.h"
#include "dialog_base.h"
#include "dialog_template.h"

namespace {
struct recording_dialog : dialog_base {
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_NCCREATE || msg == WM_CREATE || msg == WM_INITDIALOG || msg == WM_NCDESTROY)
            order.push_back(msg);
        return dialog_base::window_proc(msg, wparam, lparam);
    }
    void on_init() override { order.push_back(0); }  // 0 marks on_init
    std::vector<UINT> order;
};

// The class a template may name: a copy of the dialog class, as the
// launcher registers its own.
void register_dialog_copy(const wchar_t* name) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return;
    GetClassInfoExW(nullptr, L"#32770", &wc);
    wc.cbSize = sizeof wc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

LOGFONTW message_font() {
    LOGFONTW lf = {};
    HFONT font = dialog_template::create_font();
    if (font) {
        GetObjectW(font, sizeof lf, &lf);
        DeleteObject(font);
    }
    return lf;
}

int screen_dpi() {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

struct dialog_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        register_dialog_copy(L"ZELFrameworkTest");
    }
};
}  // namespace

TEST_F(dialog_test, a_dialog_is_bound_from_its_first_message_whatever_its_class) {
    const struct {
        unsigned id;
        const wchar_t* class_name;
    } cases[] = {{201, L"#32770"}, {204, L"ZELFrameworkTest"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        recording_dialog d;
        ASSERT_TRUE(d.create_modeless(c.id, nullptr));
        EXPECT_EQ(lstrcmpiW(d.class_name().c_str(), c.class_name), 0) << d.class_name();
        EXPECT_TRUE(d.hooked());
        EXPECT_TRUE(d.attached());
        EXPECT_EQ(dialog_base::find(d.hwnd()), &d);
        // WM_NCCREATE first, on_init right after WM_CREATE, then WM_INITDIALOG.
        EXPECT_EQ(d.order, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, 0, WM_INITDIALOG}));
        // The three controls came through the creation.
        for (int id : {11, 12, 13}) EXPECT_NE(GetDlgItem(d.hwnd(), id), nullptr) << id;
        HWND hwnd = d.hwnd();
        DestroyWindow(hwnd);
        EXPECT_EQ(d.order.back(), static_cast<UINT>(WM_NCDESTROY));
        EXPECT_FALSE(d.attached());
        EXPECT_EQ(dialog_base::find(hwnd), nullptr);
    }
    // No hook stays behind: a later dialog-class window of the thread is
    // bound to nothing.
    HWND other = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(window_base::newest(other), nullptr);
    EXPECT_EQ(dialog_base::find(other), nullptr);
    DestroyWindow(other);
}

TEST_F(dialog_test, every_template_comes_up_in_the_message_font) {
    const LOGFONTW expected = message_font();
    ASSERT_NE(expected.lfFaceName[0], L'\0');
    const int points = MulDiv(expected.lfHeight < 0 ? -expected.lfHeight : expected.lfHeight, 72, screen_dpi());
    // 201: extended, "굴림" 9; 202: plain without a font; 203: extended
    // without a font; 204: extended, another class, "Tahoma" 8.
    for (unsigned id : {201u, 202u, 203u, 204u}) {
        SCOPED_TRACE(id);
        recording_dialog d;
        ASSERT_TRUE(d.create_modeless(id, nullptr));
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(d.hwnd(), WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW got = {};
        ASSERT_EQ(GetObjectW(font, sizeof got, &got), static_cast<int>(sizeof got));
        EXPECT_STREQ(got.lfFaceName, expected.lfFaceName);
        EXPECT_EQ(MulDiv(got.lfHeight < 0 ? -got.lfHeight : got.lfHeight, 72, screen_dpi()), points);
        // The items behind the rewritten font block are whole.
        wchar_t text[32] = {};
        GetDlgItemTextW(d.hwnd(), 13, text, 32);
        EXPECT_STREQ(text, L"OK");
        DestroyWindow(d.hwnd());
    }
}

namespace {
struct old_font_dialog : recording_dialog {
    bool use_message_font() override { return false; }
};
}  // namespace

TEST_F(dialog_test, a_dialog_may_keep_its_templates_font) {
    old_font_dialog d;
    ASSERT_TRUE(d.create_modeless(204, nullptr));
    LOGFONTW got = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(d.hwnd(), WM_GETFONT, 0, 0)), sizeof got, &got);
    EXPECT_STREQ(got.lfFaceName, L"Tahoma");
    DestroyWindow(d.hwnd());
}

TEST_F(dialog_test, a_missing_template_makes_no_window_and_leaves_no_hook) {
    recording_dialog d;
    EXPECT_FALSE(d.create_modeless(299, nullptr));
    EXPECT_EQ(d.hwnd(), nullptr);
    EXPECT_EQ(d.run_modal(299, nullptr), -1);
    recording_dialog bound;
    ASSERT_TRUE(bound.create_modeless(202, nullptr));
    EXPECT_TRUE(bound.attached());
    EXPECT_FALSE(d.attached());
    DestroyWindow(bound.hwnd());
}

TEST_F(dialog_test, a_new_font_block_keeps_the_template_whole) {
    // Faces shorter, longer and much longer than the block they replace (or
    // fill where there was none): the copy grows as needed, the items stay
    // aligned, and the class stays.
    const wchar_t* faces[] = {L"A", L"Segoe", L"A face name thirty chars long"};
    for (unsigned id : {201u, 202u, 203u, 204u}) {
        for (const wchar_t* face : faces) {
            SCOPED_TRACE(std::to_wstring(id) + L" " + face);
            dialog_template t;
            ASSERT_TRUE(t.load(id));
            const std::wstring class_name = t.class_name();
            EXPECT_EQ(t.had_no_font(), id == 202 || id == 203);
            ASSERT_TRUE(t.set_font(face, 11));
            EXPECT_FALSE(t.had_no_font());
            EXPECT_EQ(dialog_template::size(t.get(), t.byte_size()), t.byte_size());
            EXPECT_EQ(t.font_face(), face);
            EXPECT_EQ(t.font_points(), 11);
            EXPECT_EQ(t.class_name(), class_name);
            HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.get(), nullptr, nullptr, 0);
            ASSERT_NE(hwnd, nullptr);
            wchar_t text[32] = {};
            GetDlgItemTextW(hwnd, 13, text, 32);
            EXPECT_STREQ(text, L"OK");
            EXPECT_NE(GetDlgItem(hwnd, 12), nullptr);
            DestroyWindow(hwnd);
        }
    }
}

TEST_F(dialog_test, a_template_cut_short_or_a_bad_face_is_refused) {
    dialog_template whole;
    ASSERT_TRUE(whole.load(201));
    const size_t n = whole.byte_size();
    std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(whole.get()), reinterpret_cast<const BYTE*>(whole.get()) + n);
    for (size_t cut : {size_t(0), size_t(10), size_t(30), n / 2, n - 1}) {
        SCOPED_TRACE(cut);
        dialog_template t;
        EXPECT_FALSE(t.load(bytes.data(), cut));
        EXPECT_FALSE(t.set_font(L"A", 9));
    }
    EXPECT_FALSE(whole.set_font(L"", 9));
    EXPECT_FALSE(whole.set_font(std::wstring(40, L'x').c_str(), 9));
    EXPECT_EQ(whole.byte_size(), n);
}
