// critsec, thread and timer.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include "critsec.h"
#include "thread.h"
#include "timer.h"

namespace {
// Runs this thread's message loop until done() or the deadline passes.
template <class Done>
bool pump_until(Done done, DWORD timeout_ms = 3000) {
    DWORD start = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - start > timeout_ms) return false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
    return true;
}

void pump_for(DWORD ms) {
    DWORD start = GetTickCount();
    pump_until([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}
}  // namespace

TEST(critsec, is_recursive_and_counts_nesting) {
    critsec lock;
    EXPECT_EQ(lock.enter(), 1);
    EXPECT_EQ(lock.enter(), 2);
    {
        auto_sync guard(lock);
        EXPECT_EQ(lock.get_lock_count(), 3);
        EXPECT_EQ(lock.get_lock_count_check(), 3);
    }
    EXPECT_EQ(lock.leave(), 1);
    EXPECT_EQ(lock.leave(), 0);
    EXPECT_EQ(lock.get_lock_count(), 0);
}

TEST(critsec, excludes_other_threads) {
    critsec lock;
    std::atomic<int> inside{0};
    std::atomic<bool> overlap{false};
    struct worker : thread {
        critsec* lock;
        std::atomic<int>* inside;
        std::atomic<bool>* overlap;
        void run() override {
            for (int i = 0; i < 200; ++i) {
                auto_sync guard(lock);
                if (++*inside != 1) *overlap = true;
                Sleep(0);
                --*inside;
            }
        }
    } a, b;
    a.lock = b.lock = &lock;
    a.inside = b.inside = &inside;
    a.overlap = b.overlap = &overlap;
    ASSERT_TRUE(a.create());
    ASSERT_TRUE(b.create());
    WaitForSingleObject(a.get_handle(), 10000);
    WaitForSingleObject(b.get_handle(), 10000);
    EXPECT_FALSE(overlap);
    EXPECT_EQ(lock.get_lock_count(), 0);
}

TEST(thread, run_sees_its_handle_and_id_from_the_first_instruction) {
    struct probe : thread {
        HANDLE seen_handle = nullptr;
        unsigned seen_id = 0;
        DWORD real_id = 0;
        void run() override {
            seen_handle = handle_;
            seen_id = id_;
            real_id = GetCurrentThreadId();
        }
    };
    for (int i = 0; i < 20; ++i) {
        probe* p = new probe;
        ASSERT_TRUE(p->create());
        HANDLE h = p->get_handle();
        ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
        EXPECT_EQ(p->seen_handle, h);
        EXPECT_NE(p->seen_id, 0u);
        EXPECT_EQ(p->seen_id, p->real_id);
        delete p;
    }
}

TEST(thread, destructor_waits_for_run_to_return) {
    struct slow : thread {
        std::atomic<bool>* started;
        std::atomic<bool>* finished;
        void run() override {
            *started = true;
            Sleep(200);
            *finished = true;
        }
    };
    std::atomic<bool> started{false}, finished{false};
    slow* s = new slow;
    s->started = &started;
    s->finished = &finished;
    ASSERT_TRUE(s->create());
    // run() must be under way before the derived object goes: the base
    // destructor waits, but by then the derived part no longer exists.
    while (!started) Sleep(1);
    EXPECT_FALSE(finished);
    delete s;
    EXPECT_TRUE(finished);
}

TEST(thread, priority_and_suspend_reach_the_system_thread) {
    struct waiter : thread {
        HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::atomic<bool> started{false};
        void run() override {
            started = true;
            WaitForSingleObject(go, 10000);
        }
        ~waiter() override {
            SetEvent(go);
            WaitForSingleObject(handle_, INFINITE);
            CloseHandle(go);
        }
    } w;
    ASSERT_TRUE(w.create());
    while (!w.started) Sleep(1);
    EXPECT_TRUE(w.priority(THREAD_PRIORITY_HIGHEST));
    EXPECT_EQ(GetThreadPriority(w.get_handle()), THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(w.suspend(), 0u);
    EXPECT_EQ(w.resume(), 1u);
    SetEvent(w.go);
}

namespace {
struct counting_timer : timer {
    int ticks = 0;
    int kill_at = 0;        // kill itself on this tick
    int reset_at = 0;       // re-set itself on this tick
    bool delete_self = false;
    bool* deleted = nullptr;
    void tick() override {
        ++ticks;
        if (ticks == reset_at) set(15);
        if (ticks == kill_at) kill();
        if (delete_self) {
            *deleted = true;
            delete this;
        }
    }
    ~counting_timer() override {}
    static void call_proc(UINT_PTR id) { timer_proc(nullptr, WM_TIMER, id, 0); }
};
}  // namespace

TEST(timer, fires_on_the_message_loop_until_killed) {
    counting_timer t;
    EXPECT_FALSE(t.is_running());
    ASSERT_TRUE(t.set(10));
    EXPECT_TRUE(t.is_running());
    EXPECT_TRUE(pump_until([&] { return t.ticks >= 3; }));
    t.kill();
    EXPECT_FALSE(t.is_running());
    int after = t.ticks;
    pump_for(80);
    EXPECT_EQ(t.ticks, after);
    t.kill();  // killing a stopped timer does nothing
    EXPECT_FALSE(t.is_running());
}

TEST(timer, tick_may_kill_reset_or_delete_its_own_timer) {
    counting_timer killer;
    killer.kill_at = 2;
    ASSERT_TRUE(killer.set(10));
    EXPECT_TRUE(pump_until([&] { return !killer.is_running(); }));
    pump_for(60);
    EXPECT_EQ(killer.ticks, 2);

    counting_timer resetter;
    resetter.reset_at = 1;
    resetter.kill_at = 3;
    ASSERT_TRUE(resetter.set(10));
    EXPECT_TRUE(pump_until([&] { return !resetter.is_running(); }));
    EXPECT_EQ(resetter.ticks, 3);

    bool deleted = false;
    auto* doomed = new counting_timer;
    doomed->delete_self = true;
    doomed->deleted = &deleted;
    ASSERT_TRUE(doomed->set(10));
    EXPECT_TRUE(pump_until([&] { return deleted; }));
    pump_for(60);  // the deleted timer was killed by its destructor
}

TEST(timer, a_stray_timer_message_is_ignored) {
    counting_timer t;
    ASSERT_TRUE(t.set(10000));
    // A timer message for an id that no running timer holds.
    counting_timer::call_proc(0x7FFF1234);
    EXPECT_EQ(t.ticks, 0);
    EXPECT_TRUE(t.is_running());
}
