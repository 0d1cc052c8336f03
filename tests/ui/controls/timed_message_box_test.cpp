// Deferred message boxes on real windows: the caller goes on first, each box
// closes with its own OK, and a box whose owner is gone still shows and
// closes. The boxes are driven by a timer of this thread, which their own
// modal loops keep running.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "timed_message_box.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
// The visible message boxes of this thread with their captions.
struct box {
    HWND hwnd;
    std::wstring caption;
};
std::vector<box> open_boxes() {
    std::vector<box> found;
    struct visit {
        static BOOL CALLBACK one(HWND hwnd, LPARAM lparam) {
            wchar_t name[16] = L"";
            GetClassNameW(hwnd, name, 16);
            if (IsWindowVisible(hwnd) && lstrcmpW(name, L"#32770") == 0)
                reinterpret_cast<std::vector<box>*>(lparam)->push_back({hwnd, window_rig::window_text(hwnd)});
            return TRUE;
        }
    };
    EnumThreadWindows(GetCurrentThreadId(), visit::one, reinterpret_cast<LPARAM>(&found));
    return found;
}
HWND find_box(const wchar_t* caption) {
    for (const box& b : open_boxes())
        if (b.caption == caption) return b.hwnd;
    return nullptr;
}
// The text shown in a box (its static child).
std::wstring box_text(HWND hwnd) {
    std::wstring text;
    struct visit {
        static BOOL CALLBACK one(HWND child, LPARAM lparam) {
            wchar_t name[16] = L"";
            GetClassNameW(child, name, 16);
            if (lstrcmpiW(name, L"Static") == 0) {
                std::wstring t = window_rig::window_text(child);
                if (!t.empty()) *reinterpret_cast<std::wstring*>(lparam) = t;
            }
            return TRUE;
        }
    };
    EnumChildWindows(hwnd, visit::one, reinterpret_cast<LPARAM>(&text));
    return text;
}

// Steps run one after the other from a 20 ms timer of this thread: each
// step waits until its condition holds, then acts. After give_up_ms every
// open box is cancelled, so that a failing test ends instead of hanging.
class box_script {
public:
    struct step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    explicit box_script(std::vector<step> steps, DWORD give_up_ms = 30000)
        : steps_(std::move(steps)), give_up_ms_(give_up_ms), started_(GetTickCount()) {
        current() = this;
        timer_ = SetTimer(nullptr, 0, 20, &box_script::tick);
    }
    ~box_script() {
        KillTimer(nullptr, timer_);
        current() = nullptr;
    }
    bool finished() const { return next_ == steps_.size(); }
    bool gave_up() const { return gave_up_; }

private:
    static box_script*& current() {
        static box_script* script = nullptr;
        return script;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        box_script* self = current();
        if (!self || self->finished()) return;
        if (GetTickCount() - self->started_ > self->give_up_ms_) {
            self->gave_up_ = true;
            // The boxes as they stood, for the failure's record.
            for (const box& b : open_boxes()) {
                save_artifact(capture_window(b.hwnd), L"stuck_box");
                PostMessageW(b.hwnd, WM_COMMAND, IDCANCEL, 0);
            }
            return;
        }
        step& s = self->steps_[self->next_];
        if (!s.ready()) return;
        ++self->next_;
        s.act();
    }
    std::vector<step> steps_;
    size_t next_ = 0;
    DWORD give_up_ms_, started_;
    UINT_PTR timer_;
    bool gave_up_ = false;
};

void press_ok(HWND hwnd) { PostMessageW(hwnd, WM_COMMAND, IDOK, 0); }
}  // namespace

TEST(timed_message_box, the_caller_returns_first_and_two_boxes_close_on_their_own) {
    ASSERT_EQ(timed_message_box::pending(), 0);
    show_timed_message_box(nullptr, L"첫 번째", L"box one");
    show_timed_message_box(nullptr, L"second", nullptr);
    // Nothing is shown before the message loop turns.
    EXPECT_TRUE(open_boxes().empty());
    EXPECT_EQ(timed_message_box::pending(), 2);

    std::wstring first_text, second_text;
    bool second_open_after_first_closed = false;
    HWND one = nullptr, two = nullptr;
    box_script script({
        {[&] { return (one = find_box(L"box one")) && (two = find_box(L"VOLQUIN 플레이어")); },
         [&] {
             first_text = box_text(one);
             second_text = box_text(two);
             press_ok(one);
         }},
        {[&] { return !IsWindow(one) || !IsWindowVisible(one); },
         [&] {
             second_open_after_first_closed = IsWindow(two) && IsWindowVisible(two);
             press_ok(two);
         }},
    });
    const bool closed = window_rig::pump_until([] { return timed_message_box::pending() == 0; }, 60000);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(script.gave_up());
    EXPECT_EQ(first_text, L"첫 번째");
    EXPECT_EQ(second_text, L"second");
    EXPECT_TRUE(second_open_after_first_closed);
    EXPECT_TRUE(open_boxes().empty());
}

TEST(timed_message_box, a_box_whose_owner_is_gone_still_shows_and_closes) {
    HWND owner = nullptr;
    {
        window_rig::host_window host(0, 0, 100, 60);
        owner = host.hwnd();
        show_timed_message_box(owner, L"owner gone", L"orphan");
    }  // the owner is destroyed before the box is due
    ASSERT_FALSE(IsWindow(owner));
    HWND box_window = nullptr;
    HWND box_owner = owner;
    box_script script({
        {[&] { return (box_window = find_box(L"orphan")) != nullptr; },
         [&] {
             box_owner = GetWindow(box_window, GW_OWNER);
             press_ok(box_window);
         }},
    });
    const bool closed = window_rig::pump_until([] { return timed_message_box::pending() == 0; }, 60000);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(script.gave_up());
    EXPECT_EQ(box_owner, nullptr);
}
