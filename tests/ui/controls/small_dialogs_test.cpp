// The small dialogs as real modal dialogs: the sound-device chooser's list
// and choice, the track-adding progress dialog's text, cancel and result,
// its blocking companion, and the ends that must not hang.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core.h"
#include "device_dialog.h"
#include "main_ui.h"
#include "modal_script.h"
#include "player_login_services.h"
#include "progress_dialog.h"
#include "small_dialog_ids.h"
#include "window_rig.h"

namespace {
struct small_dialogs_test : ::testing::Test {
    void SetUp() override { core::set_instance(GetModuleHandleW(nullptr)); }
};

// ---------------------------------------------------------------------------
// The sound-device chooser

class scripted_devices : public device_dialog {
public:
    std::vector<std::wstring> names;
    std::set<int> in_use;
    std::vector<std::wstring> messages;
    bool real_enumeration = false;

protected:
    void enumerate_devices() override {
        if (real_enumeration) return device_dialog::enumerate_devices();
        for (const std::wstring& name : names) on_device(nullptr, name.c_str(), L"", this);
    }
    bool device_in_use(int number) override { return in_use.count(number) != 0; }
    void show_message(const wchar_t* text) override { messages.push_back(text); }
};

struct listed_device {
    std::wstring name;
    int number;
};

std::vector<listed_device> listed(HWND dialog) {
    std::vector<listed_device> out;
    HWND combo = GetDlgItem(dialog, IDC_SOUND_DEVICE_LIST);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        out.push_back({text, static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, i, 0))});
    }
    return out;
}

}  // namespace

TEST_F(small_dialogs_test, the_device_list_leaves_out_devices_in_use_and_keeps_their_numbers) {
    window_rig::host_window owner{40, 40, 200, 100};
    for (int showing = 0; showing < 2; ++showing) {
        scripted_devices chooser;
        chooser.names = {L"Primary Sound Driver", L"Speakers", L"Headphones", L"USB Audio"};
        chooser.in_use = {0, 2};
        std::vector<listed_device> seen;
        int preselected = -2;
        modal_script script([&] {
            HWND dialog = chooser.get_hwnd();
            if (!dialog || !IsWindowVisible(dialog)) return false;
            seen = listed(dialog);
            preselected = chooser.selection;
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            return true;
        });
        ASSERT_EQ(chooser.modal(owner.hwnd()), 1) << showing;
        // The same numbers at every showing: the numbering starts afresh.
        ASSERT_EQ(seen.size(), 2u) << showing;
        EXPECT_EQ(seen[0].name, L"Speakers");
        EXPECT_EQ(seen[0].number, 1);
        EXPECT_EQ(seen[1].name, L"USB Audio");
        EXPECT_EQ(seen[1].number, 3);
        EXPECT_EQ(preselected, 1);
        EXPECT_EQ(chooser.selection, 1);
        EXPECT_TRUE(chooser.messages.empty());
    }
}

TEST_F(small_dialogs_test, the_chosen_device_follows_the_list_and_no_free_device_only_allows_cancel) {
    window_rig::host_window owner{40, 40, 200, 100};
    {
        scripted_devices chooser;
        chooser.names = {L"Default", L"A", L"B"};
        modal_script script([&] {
            HWND dialog = chooser.get_hwnd();
            if (!dialog || !IsWindowVisible(dialog)) return false;
            HWND combo = GetDlgItem(dialog, IDC_SOUND_DEVICE_LIST);
            SendMessageW(combo, CB_SETCURSEL, 2, 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SOUND_DEVICE_LIST, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            return true;
        });
        EXPECT_EQ(chooser.modal(owner.hwnd()), 1);
        EXPECT_EQ(chooser.selection, 2);
    }
    {
        scripted_devices chooser;
        chooser.names = {L"Default", L"A"};
        chooser.in_use = {0, 1};
        bool stayed = false;
        modal_script script([&] {
            HWND dialog = chooser.get_hwnd();
            if (!dialog || !IsWindowVisible(dialog)) return false;
            EXPECT_TRUE(listed(dialog).empty());
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            stayed = IsWindow(dialog) && chooser.messages.size() == 1;
            PostMessageW(dialog, WM_CLOSE, 0, 0);
            return true;
        });
        EXPECT_EQ(chooser.modal(owner.hwnd()), 2);
        EXPECT_TRUE(stayed);
        EXPECT_EQ(chooser.selection, -1);
        ASSERT_EQ(chooser.messages.size(), 1u);
        EXPECT_EQ(chooser.messages[0], L"사운드 장치를 선택하십시오");
    }
}

TEST_F(small_dialogs_test, the_device_list_shows_what_directsound_enumerates) {
    window_rig::host_window owner{40, 40, 200, 100};
    scripted_devices chooser;
    chooser.real_enumeration = true;
    std::vector<listed_device> seen;
    modal_script script([&] {
        HWND dialog = chooser.get_hwnd();
        if (!dialog || !IsWindowVisible(dialog)) return false;
        seen = listed(dialog);
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    EXPECT_EQ(chooser.modal(owner.hwnd()), 2);
    // The test machine's sound device: the default entry and the device.
    ASSERT_GE(seen.size(), 2u);
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].number, static_cast<int>(i));
        EXPECT_FALSE(seen[i].name.empty());
    }
}

// The login asks the player's services for another device when the stored
// one is in use: they used to answer "cancelled" without showing anything,
// so a second player on a busy device simply failed its login.
TEST_F(small_dialogs_test, the_logins_device_question_shows_the_chooser) {
    window_rig::host_window owner{40, 40, 200, 100};
    struct found {
        static BOOL CALLBACK chooser(HWND window, LPARAM out) {
            if (!GetDlgItem(window, IDC_SOUND_DEVICE_LIST) || !IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(out) = window;
            return FALSE;
        }
    };
    auto find_chooser = [] {
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &found::chooser, reinterpret_cast<LPARAM>(&dialog));
        return dialog;
    };
    player_login_services services;
    {
        HWND owner_seen = nullptr;
        modal_script script([&] {
            HWND dialog = find_chooser();
            if (!dialog) return false;
            owner_seen = GetWindow(dialog, GW_OWNER);
            HWND combo = GetDlgItem(dialog, IDC_SOUND_DEVICE_LIST);
            SendMessageW(combo, CB_SETCURSEL, 1, 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SOUND_DEVICE_LIST, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            return true;
        });
        EXPECT_EQ(services.choose_device(owner.hwnd(), 0, 0), 1);  // the test machine's second device
        EXPECT_EQ(owner_seen, owner.hwnd());
    }
    {
        modal_script script([&] {
            HWND dialog = find_chooser();
            if (!dialog) return false;
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        EXPECT_EQ(services.choose_device(owner.hwnd(), 0, 0), -1);
    }
}

// ---------------------------------------------------------------------------
// The progress dialog

TEST(progress_text, counts_and_whole_percent_truncated) {
    const struct {
        int count, total;
        const wchar_t* text;
    } cases[] = {
        {99, 200, L"99 / 200 ( 49% )"},
        // 29 / 100 x 100 is 28.999... in floating point: still 29 %.
        {29, 100, L"29 / 100 ( 29% )"},
        {57, 100, L"57 / 100 ( 57% )"},
        {1, 3, L"1 / 3 ( 33% )"},
        {2, 3, L"2 / 3 ( 66% )"},
        {200, 200, L"200 / 200 ( 100% )"},
        {0, 60, L"0 / 60 ( 0% )"},
        {0, 0, L"0 / 0 ( 0% )"},
    };
    for (const auto& c : cases) EXPECT_EQ(progress_dialog::progress_text(c.count, c.total), c.text);
}

namespace {
// The user interface's two player windows.
class fake_ui : public main_ui {
public:
    const GUID* get_guid() override { return &main_ui::iid; }
    void release() override {}
    HINSTANCE instance() override { return GetModuleHandleW(nullptr); }
    HWND run(HINSTANCE) override { return nullptr; }
    HWND main_window() override { return main; }
    HWND playlist_window() override { return playlist; }
    HWND info_window() override { return nullptr; }
    HWND library_window() override { return nullptr; }
    bool expanded() override { return false; }
    void set_expanded(bool) override {}
    HWND main = nullptr;
    HWND playlist = nullptr;
};

// Expands each path into one entry; parks on the path given in hold until it
// is released or the add is cancelled.
class scripted_progress : public progress_dialog {
public:
    scripted_progress(HWND owner, const std::vector<stringx>* paths, fake_ui* ui)
        : progress_dialog(owner, paths), ui_(ui) {
        parked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~scripted_progress() override {
        SetEvent(release);
        // The threads end before the events go.
        end_threads();
        CloseHandle(parked);
        CloseHandle(release);
    }
    int hold = -1;
    std::atomic<int> expanded{0};
    HANDLE parked;
    HANDLE release;

protected:
    bool expand(const wchar_t* path, std::vector<list_info>& entries) override {
        if (expanded.load() == hold) {
            SetEvent(parked);
            while (WaitForSingleObject(release, 1) == WAIT_TIMEOUT && !cancelled()) {
            }
        }
        list_info e;
        list_info::set_string(e.path, path);
        entries.push_back(std::move(e));
        ++expanded;
        return true;
    }
    main_ui* user_interface() override { return ui_; }

private:
    fake_ui* ui_;
};

std::vector<stringx> numbered_paths(int n) {
    std::vector<stringx> paths;
    for (int i = 0; i < n; ++i) {
        wchar_t text[32];
        _snwprintf(text, 31, L"C:\\music\\%03d.mp3", i);
        text[31] = 0;
        paths.push_back(stringx(text));
    }
    return paths;
}

bool is_set(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

struct progress_test : small_dialogs_test {
    window_rig::host_window main{20, 20, 200, 120};
    window_rig::host_window playlist{240, 20, 200, 120};
    fake_ui ui;
    void SetUp() override {
        small_dialogs_test::SetUp();
        ui.main = main.hwnd();
        ui.playlist = playlist.hwnd();
    }
};
}  // namespace

TEST_F(progress_test, a_cancel_returns_the_finished_paths_and_the_progress_shows_in_the_dialog) {
    const std::vector<stringx> paths = numbered_paths(200);
    scripted_progress adder(main.hwnd(), &paths, &ui);
    adder.hold = 100;  // the 101st path
    std::wstring caption, text;
    bool owner_disabled = false, other_disabled = false, other_owns = false;
    modal_script script([&] {
        HWND dialog = adder.get_hwnd();
        if (!dialog || !is_set(adder.parked) || !adder.blocking_window()) return false;
        wchar_t buffer[128] = {};
        GetWindowTextW(dialog, buffer, 127);
        caption = buffer;
        SendMessageW(dialog, WM_TIMER, 0, 0);
        GetDlgItemTextW(dialog, IDC_TRACK_PROGRESS, buffer, 127);
        text = buffer;
        owner_disabled = !IsWindowEnabled(main.hwnd());
        other_disabled = !IsWindowEnabled(playlist.hwnd());
        other_owns = GetWindow(adder.blocking_window(), GW_OWNER) == playlist.hwnd();
        SendMessageW(dialog, WM_COMMAND, IDC_TRACK_CANCEL, 0);
        SetEvent(adder.release);
        return true;
    });
    const std::vector<list_info> entries = adder.run();
    EXPECT_EQ(caption, L"트랙 추가중입니다");
    EXPECT_EQ(text, L"99 / 200 ( 49% )");
    // While the add runs both player windows are disabled.
    EXPECT_TRUE(owner_disabled);
    EXPECT_TRUE(other_disabled);
    EXPECT_TRUE(other_owns);
    // The path in work was finished; no later one was started.
    ASSERT_EQ(entries.size(), 101u);
    for (size_t i = 0; i < entries.size(); ++i) EXPECT_STREQ(entries[i].path, paths[i]) << i;
    // Both windows work again, and the companion is gone.
    EXPECT_TRUE(IsWindowEnabled(main.hwnd()));
    EXPECT_TRUE(window_rig::pump_until([&] { return IsWindowEnabled(playlist.hwnd()) != FALSE; }, INFINITE));
    EXPECT_EQ(adder.blocking_window(), nullptr);
}

TEST_F(progress_test, a_finished_add_returns_every_entry_and_the_companion_is_owned_by_the_other_window) {
    const std::vector<stringx> paths = numbered_paths(60);
    // Owned by the playlist window, the companion blocks the main window.
    scripted_progress adder(playlist.hwnd(), &paths, &ui);
    adder.hold = 30;
    bool main_blocked = false;
    modal_script script([&] {
        if (!is_set(adder.parked) || !adder.blocking_window()) return false;
        main_blocked = !IsWindowEnabled(main.hwnd()) &&
                       GetWindow(adder.blocking_window(), GW_OWNER) == main.hwnd();
        SetEvent(adder.release);
        return true;
    });
    const std::vector<list_info> entries = adder.run();
    EXPECT_TRUE(main_blocked);
    EXPECT_EQ(entries.size(), 60u);
    EXPECT_EQ(adder.count(), 60);
}

TEST_F(progress_test, closing_the_owner_while_the_worker_runs_does_not_hang) {
    const std::vector<stringx> paths = numbered_paths(200);
    auto owner = std::make_unique<window_rig::host_window>(20, 150, 200, 120);
    ui.main = owner->hwnd();
    scripted_progress adder(owner->hwnd(), &paths, &ui);
    adder.hold = 10;  // parked until the cancel of the closing dialog
    modal_script script([&] {
        if (!is_set(adder.parked) || !adder.blocking_window()) return false;
        // The owner goes, and the dialog with it, while the worker is busy;
        // the worker finishes while the dialog is being destroyed.
        owner.reset();
        return true;
    });
    const std::vector<list_info> entries = adder.run();
    EXPECT_EQ(entries.size(), 11u);
    EXPECT_TRUE(window_rig::pump_until([&] { return IsWindowEnabled(playlist.hwnd()) != FALSE; }, INFINITE));
    EXPECT_EQ(adder.blocking_window(), nullptr);
}

TEST_F(progress_test, a_companion_closed_first_is_not_used_by_the_ending_worker) {
    const std::vector<stringx> paths = numbered_paths(20);
    scripted_progress adder(main.hwnd(), &paths, &ui);
    adder.hold = 5;
    HWND companion = nullptr;
    int step = 0;
    modal_script script([&] {
        if (step == 0) {
            if (!is_set(adder.parked) || !adder.blocking_window()) return false;
            companion = adder.blocking_window();
            PostMessageW(companion, WM_CLOSE, 0, 0);
            step = 1;
            return false;
        }
        // Its window is gone and forgotten before the worker ends.
        if (IsWindow(companion) || adder.blocking_window()) return false;
        SetEvent(adder.release);
        return true;
    });
    const std::vector<list_info> entries = adder.run();
    EXPECT_EQ(step, 1);
    EXPECT_EQ(entries.size(), 20u);
    EXPECT_TRUE(IsWindowEnabled(playlist.hwnd()));
}
