// The real common dialogs under Wine, driven to OK or Cancel by a timer of
// the test's thread: an Open dialog, a Save As dialog cancelled, and the
// folder browser, which keeps the chosen folder in the INI file.
//
// The folder tests change "app"/"open_folder" of the user's INI file; the
// test program holds a lock so that no two of them run at once, and each
// puts the earlier value back.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "config_var.h"
#include "dialog_driver.h"
#include "file_dialog.h"
#include "folder_dialog.h"
#include "temp_folder.h"
#include "toolkit_test_support.h"
#include "utility.h"
#include "window_rig.h"

namespace {
std::wstring lower(std::wstring s) {
    CharLowerBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

// The folder a path names, as the shell writes it (long form, case folded),
// so that two spellings of one folder compare equal.
std::wstring canonical(const std::wstring& path) {
    wchar_t full[MAX_PATH] = L"";
    if (!GetLongPathNameW(path.c_str(), full, MAX_PATH)) return lower(path);
    std::wstring s = full;
    while (s.size() > 3 && s.back() == L'\\') s.pop_back();
    return lower(s);
}

struct common_dialogs_test : toolkit_test {
    window_rig::host_window owner{20, 20, 100, 60};
    temp_folder folder{L"zel_dialogs"};
};

// The text of a tree item ("" when it has none).
std::wstring item_text(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = L"";
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    if (!item || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return L"";
    return text;
}

HWND browser_tree(HWND browser) { return FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr); }

// The text of the folder selected in the browser's tree.
std::wstring browser_selection(HWND browser) {
    HWND tree = browser_tree(browser);
    if (!tree) return L"";
    return item_text(tree, reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

// Selects, as a click in the tree would, the sub-folder `name` of the
// selected folder.
bool select_sub_folder(HWND browser, const std::wstring& name) {
    HWND tree = browser_tree(browser);
    if (!tree) return false;
    const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return false;
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    for (auto child = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                                               reinterpret_cast<LPARAM>(item)));
         child; child = reinterpret_cast<HTREEITEM>(
                    SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
        if (item_text(tree, child) == name)
            return SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child)) != 0;
    return false;
}

// The folder names along a path ("C:\a\b" gives "C:", "a", "b").
std::vector<std::wstring> path_names(const std::wstring& path) {
    std::vector<std::wstring> names;
    size_t start = 0;
    for (size_t slash; (slash = path.find(L'\\', start)) != std::wstring::npos; start = slash + 1)
        if (slash > start) names.push_back(path.substr(start, slash - start));
    if (start < path.size()) names.push_back(path.substr(start));
    return names;
}

// Keeps "app"/"open_folder" as it was before the test.
struct kept_open_folder {
    std::wstring before;
    kept_open_folder() : before(config_var().read(L"app", L"open_folder").wvalue()) {}
    ~kept_open_folder() { config_var().write(L"app", L"open_folder", before.c_str()); }
};
}  // namespace

TEST_F(common_dialogs_test, an_open_dialog_confirmed_gives_the_chosen_file) {
    ASSERT_TRUE(folder.write(L"\xB178\xB798.mp3", "ID3"));  // 노래.mp3
    const std::wstring path = folder / L"\xB178\xB798.mp3";
    file_dialog d(true, nullptr, path.c_str(), OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                  L"\xC9C0\xC6D0\xD558\xB294 \xBAA8\xB4E0 \xD30C\xC77C|*.mp3;*.wav|", owner.hwnd());
    dialog_driver driver([](HWND dlg) { PostMessageW(dlg, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(d.modal(), 1);
    EXPECT_TRUE(driver.acted());
    EXPECT_FALSE(driver.gave_up());
    EXPECT_EQ(canonical(d.get_path().wvalue()), canonical(path));
    EXPECT_STREQ(d.get_file().wvalue(), L"\xB178\xB798.mp3");
    EXPECT_STREQ(d.get_extension().wvalue(), L"mp3");
    EXPECT_STREQ(d.get_title().wvalue(), L"\xB178\xB798");
    void* cursor = d.get_start_position();
    EXPECT_EQ(canonical(d.get_next_path(cursor).wvalue()), canonical(path));
    EXPECT_EQ(cursor, nullptr);
}

TEST_F(common_dialogs_test, several_files_chosen_in_an_open_dialog_are_walked_one_by_one) {
    ASSERT_TRUE(folder.write(L"a.mp3"));
    ASSERT_TRUE(folder.write(L"b.mp3"));
    // The dialog starts in the folder of its initial name.
    const std::wstring start = folder / L"a.mp3";
    file_dialog d(true, nullptr, start.c_str(), OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                  L"MP3|*.mp3|", owner.hwnd());
    dialog_driver driver([](HWND dlg) {
        const wchar_t* names = L"\"a.mp3\" \"b.mp3\"";
        if (!SetDlgItemTextW(dlg, cmb13, names)) SetDlgItemTextW(dlg, edt1, names);
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    ASSERT_EQ(d.modal(), 1);
    std::vector<std::wstring> paths;
    void* cursor = d.get_start_position();
    while (cursor && paths.size() < 10) paths.push_back(canonical(d.get_next_path(cursor).wvalue()));
    EXPECT_EQ(paths, (std::vector<std::wstring>{canonical(folder / L"a.mp3"), canonical(folder / L"b.mp3")}));
}

TEST_F(common_dialogs_test, a_cancelled_save_dialog_returns_2_and_keeps_its_buffers) {
    file_dialog d(false, L"cpl", L"playlist.cpl", OFN_OVERWRITEPROMPT, L"Playlist|*.cpl|", owner.hwnd());
    dialog_driver driver([](HWND dlg) { PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(d.modal(), 2);
    EXPECT_TRUE(driver.acted());
    EXPECT_STREQ(d.get_path().wvalue(), L"playlist.cpl");
    EXPECT_STREQ(d.get_file().wvalue(), L"");
}

TEST_F(common_dialogs_test, the_first_folder_dialog_starts_in_my_documents_and_writes_it) {
    kept_open_folder kept;
    config_var().write(L"app", L"open_folder", L"");
    const std::wstring documents = utility::find_system_folder(utility::folder_personal).wvalue();
    ASSERT_FALSE(documents.empty());
    folder_dialog d;
    EXPECT_EQ(std::wstring(d.get_path()), documents);
    EXPECT_EQ(std::wstring(config_var().read(L"app", L"open_folder").wvalue()), documents);
}

TEST_F(common_dialogs_test, a_folder_chosen_in_the_browser_is_remembered_for_the_next_one) {
    kept_open_folder kept;
    ASSERT_TRUE(folder.make_folder(L"\xC74C\xC545"));  // 음악
    const std::wstring chosen = folder / L"\xC74C\xC545";
    config_var().write(L"app", L"open_folder", folder.path().c_str());
    folder_dialog d;
    EXPECT_EQ(std::wstring(d.get_path()), folder.path());
    HWND seen_browser = nullptr;
    dialog_driver driver([&](HWND dlg) {
        seen_browser = d.get_browse_window();
        // The browser opens on the remembered folder, walking its tree down
        // the path while it runs its messages; asked again meanwhile, it may
        // start over and stop short. Where it stops on the way, the walk is
        // finished in the tree, as a user would click down to it.
        EXPECT_TRUE(window_rig::pump_until(
            [&] {
                const std::wstring shown = browser_selection(dlg);
                if (shown == L"\xC74C\xC545") return true;
                const std::vector<std::wstring> names = path_names(chosen);
                for (size_t i = names.size() - 1; i-- > 0;)
                    if (lower(names[i]) == lower(shown)) {
                        select_sub_folder(dlg, names[i + 1]);
                        break;
                    }
                return false;
            },
            10000))
            << "the browser shows " << testing::PrintToString(browser_selection(dlg));
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(d.modal(owner.hwnd()), 1);
    EXPECT_TRUE(driver.acted());
    EXPECT_NE(seen_browser, nullptr);
    EXPECT_EQ(canonical(d.get_path()), canonical(chosen));
    EXPECT_EQ(canonical(config_var().read(L"app", L"open_folder").wvalue()), canonical(chosen));
    folder_dialog next;
    EXPECT_EQ(canonical(next.get_path()), canonical(chosen));
}

TEST_F(common_dialogs_test, a_cancelled_folder_browser_returns_2_and_changes_nothing) {
    kept_open_folder kept;
    config_var().write(L"app", L"open_folder", folder.path().c_str());
    folder_dialog d;
    dialog_driver driver([&](HWND dlg) { PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(d.modal(owner.hwnd()), 2);
    EXPECT_TRUE(driver.acted());
    EXPECT_EQ(std::wstring(d.get_path()), folder.path());
    EXPECT_EQ(std::wstring(config_var().read(L"app", L"open_folder").wvalue()), folder.path());
}

// An INI value longer than the path buffer (an edited file) is cut.
TEST_F(common_dialogs_test, an_overlong_remembered_folder_is_cut) {
    kept_open_folder kept;
    const std::wstring long_path = L"C:\\" + std::wstring(400, L'd');
    config_var().write(L"app", L"open_folder", long_path.c_str());
    folder_dialog d;
    EXPECT_EQ(std::wstring(d.get_path()), long_path.substr(0, folder_dialog::path_size - 1));
}

