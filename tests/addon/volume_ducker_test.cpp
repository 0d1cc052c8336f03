// The volume ducker over fake audio sessions and a fake clock: the fades'
// steps, who is left alone, the restore at quit, overlapping fades; and the
// live sessions of this platform.
#include <gtest/gtest.h>

#include <objbase.h>

#include <cmath>
#include <memory>
#include <vector>

#include "ducker_fades.h"
#include "volume_ducker_impl.h"

namespace {

class fake_session : public audio_session {
public:
    fake_session(DWORD pid, std::wstring exe, float volume, bool system = false)
        : pid_(pid), exe_(std::move(exe)), volume_(volume), system_(system) {}
    DWORD process_id() override { return pid_; }
    std::wstring exe_name() override { return exe_; }
    bool is_system_sounds() override { return system_; }
    bool get_volume(float* volume) override {
        if (unreadable)
            return false;
        *volume = volume_;
        return true;
    }
    void set_volume(float volume) override {
        volume_ = volume;
        ++sets;
    }
    // Percent, rounded to the nearest whole number.
    int percent() const { return static_cast<int>(std::lround(volume_ * 100.0)); }

    int sets = 0;
    bool unreadable = false;

private:
    DWORD pid_;
    std::wstring exe_;
    float volume_;
    bool system_;
};

class fake_source : public audio_session_source {
public:
    std::vector<audio_session_ptr> sessions(const wchar_t* device_name) override {
        asked.push_back(device_name ? device_name : L"(default)");
        return list;
    }
    std::shared_ptr<fake_session> add(DWORD pid, const wchar_t* exe, float volume, bool system = false) {
        auto s = std::make_shared<fake_session>(pid, exe, volume, system);
        list.push_back(s);
        return s;
    }
    std::vector<audio_session_ptr> list;
    std::vector<std::wstring> asked;
};

class fake_clock : public tick_clock {
public:
    unsigned now() override { return t; }
    unsigned t = 1000;
};

constexpr DWORD own_pid = 100;
const wchar_t own_exe[] = L"zel_player.exe";

struct rig {
    fake_source source;
    fake_clock clock;
    ducker_fades fades{source, clock, own_pid, own_exe};

    // Steps every 100 ms until the fade ends; the number of steps taken.
    int run(int limit = 1000) {
        int steps = 0;
        while (fades.fading() && steps < limit) {
            clock.t += 100;
            fades.step();
            ++steps;
        }
        return steps;
    }
};

TEST(volume_ducker, duck_lowers_in_linear_steps_and_restore_brings_back) {
    rig r;
    auto music = r.source.add(200, L"winamp.exe", 0.8f);
    r.fades.duck(3000, 0, nullptr);
    ASSERT_EQ(r.fades.saved().size(), 1u);
    EXPECT_NEAR(r.fades.saved().at(200), 80.0, 0.001);

    // 30 steps of 100 ms in 3000 ms: each step takes (80 - 0) / 30 = 2 whole
    // percent; at the end of the time the rest goes at once.
    std::vector<int> levels;
    while (r.fades.fading()) {
        r.clock.t += 100;
        r.fades.step();
        levels.push_back(music->percent());
    }
    ASSERT_EQ(levels.size(), 30u);
    for (size_t i = 0; i + 1 < levels.size(); ++i)
        EXPECT_EQ(levels[i], 78 - 2 * static_cast<int>(i)) << "step " << i;
    EXPECT_EQ(levels.back(), 0);

    // Up again: (80 / 30) = 2 per step from 0, the rest at the end of the time.
    r.fades.restore(3000, nullptr);
    levels.clear();
    while (r.fades.fading()) {
        r.clock.t += 100;
        r.fades.step();
        levels.push_back(music->percent());
    }
    ASSERT_EQ(levels.size(), 30u);
    for (size_t i = 0; i + 1 < levels.size(); ++i)
        EXPECT_EQ(levels[i], 2 + 2 * static_cast<int>(i)) << "step " << i;
    EXPECT_EQ(levels.back(), 80);
    EXPECT_TRUE(r.fades.saved().empty());
}

TEST(volume_ducker, late_timer_steps_keep_the_fade_linear) {
    rig r;
    auto music = r.source.add(200, L"a.exe", 0.6f);
    r.fades.duck(1000, 0, nullptr);
    // A 250 ms tick counts as 1000 / 250 = 4 steps of the whole fade: 15 each.
    r.clock.t += 250;
    r.fades.step();
    EXPECT_EQ(music->percent(), 45);
    // A tick at the same time as the last one changes nothing.
    r.fades.step();
    EXPECT_EQ(music->percent(), 45);
    r.clock.t += 500;
    r.fades.step();  // 2 steps of 30
    EXPECT_EQ(music->percent(), 15);
}

TEST(volume_ducker, own_process_other_instances_and_system_sounds_are_never_touched) {
    rig r;
    auto self = r.source.add(own_pid, L"zel_player.exe", 0.9f);
    auto other_instance = r.source.add(300, L"ZEL_Player.EXE", 0.7f);
    auto system = r.source.add(0, L"", 0.5f, true);
    auto music = r.source.add(400, L"music.exe", 0.8f);
    r.fades.duck(500, 0, nullptr);
    r.run();
    r.fades.restore(500, nullptr);
    r.run();
    r.fades.duck(500, 0, nullptr);
    r.run();
    r.fades.quit(nullptr);
    for (auto* s : {self.get(), other_instance.get(), system.get()})
        EXPECT_EQ(s->sets, 0);
    EXPECT_EQ(self->percent(), 90);
    EXPECT_EQ(other_instance->percent(), 70);
    EXPECT_EQ(system->percent(), 50);
    EXPECT_EQ(music->percent(), 80);
    EXPECT_EQ(r.fades.saved().count(own_pid), 0u);
}

TEST(volume_ducker, restore_without_a_duck_does_nothing) {
    rig r;
    auto music = r.source.add(200, L"a.exe", 0.3f);
    r.fades.restore(3000, nullptr);
    EXPECT_FALSE(r.fades.fading());
    EXPECT_TRUE(r.source.asked.empty());
    EXPECT_EQ(music->sets, 0);
}

TEST(volume_ducker, quit_puts_lowered_programs_back_at_once) {
    rig r;
    auto a = r.source.add(200, L"a.exe", 0.8f);
    auto b = r.source.add(201, L"b.exe", 0.4f);
    r.fades.duck(3000, 0, nullptr);
    r.clock.t += 100;
    r.fades.step();  // part-way down, still fading
    ASSERT_TRUE(r.fades.fading());
    r.fades.quit(nullptr);
    EXPECT_FALSE(r.fades.fading());
    EXPECT_EQ(a->percent(), 80);
    EXPECT_EQ(b->percent(), 40);
    // The saved volumes stay (a later quit would do the same again).
    EXPECT_EQ(r.fades.saved().size(), 2u);
}

TEST(volume_ducker, sessions_at_or_below_the_target_are_set_to_it) {
    rig r;
    auto quiet = r.source.add(200, L"quiet.exe", 0.1f);
    auto loud = r.source.add(201, L"loud.exe", 0.8f);
    auto broken = r.source.add(202, L"broken.exe", 0.9f);
    broken->unreadable = true;  // counts as volume 0
    r.fades.duck(1000, 20, nullptr);
    r.clock.t += 100;
    r.fades.step();
    EXPECT_EQ(quiet->percent(), 20);  // raised to the target
    EXPECT_EQ(broken->sets, 1);
    EXPECT_EQ(loud->percent(), 80 - 6);  // (80 - 20) / 10 = 6 per step
}

TEST(volume_ducker, a_program_that_starts_after_the_duck_is_left_alone) {
    rig r;
    auto early = r.source.add(200, L"a.exe", 0.8f);
    r.fades.duck(300, 0, nullptr);
    r.run();
    auto late = r.source.add(201, L"b.exe", 0.6f);
    r.fades.restore(300, nullptr);
    r.run();
    EXPECT_EQ(late->sets, 0);
    EXPECT_EQ(early->percent(), 80);
}

// Two announcements close together: the second duck comes while the first
// restore is still raising the others, and a restore comes while a duck
// still lowers them. Everyone ends at the level from before the first duck.
TEST(volume_ducker, overlapping_ducks_and_restores_end_with_everyone_restored) {
    rig r;
    auto a = r.source.add(200, L"a.exe", 0.8f);
    auto b = r.source.add(201, L"b.exe", 0.5f);
    r.fades.duck(1000, 0, nullptr);
    r.run();
    ASSERT_EQ(a->percent(), 0);
    r.fades.restore(1000, nullptr);
    for (int i = 0; i < 4; ++i) {
        r.clock.t += 100;
        r.fades.step();
    }
    ASSERT_GT(a->percent(), 0);
    ASSERT_LT(a->percent(), 80);
    r.fades.duck(1000, 0, nullptr);  // half-way up
    for (int i = 0; i < 3; ++i) {
        r.clock.t += 100;
        r.fades.step();
    }
    r.fades.restore(1000, nullptr);  // half-way down
    r.run();
    EXPECT_EQ(a->percent(), 80);
    EXPECT_EQ(b->percent(), 50);
    EXPECT_TRUE(r.fades.saved().empty());
    // And a duck after that starts from the real levels again.
    r.fades.duck(1000, 0, nullptr);
    EXPECT_NEAR(r.fades.saved().at(200), 80.0, 0.001);
}

TEST(volume_ducker, the_players_device_chooses_the_endpoint) {
    fake_source source;
    fake_clock clock;
    volume_ducker_impl ducker(source, clock, own_pid, own_exe);
    source.add(200, L"a.exe", 0.8f);
    ducker.duck(100, 0);
    ducker.set_devices({stringx(L"Primary Sound Driver"), stringx(L"Out: default")}, 1);
    ducker.duck(100, 0);
    ducker.set_devices({stringx(L"Primary Sound Driver")}, 5);  // no such position
    ducker.duck(100, 0);
    ducker.on_quit();
    ASSERT_EQ(source.asked.size(), 4u);
    EXPECT_EQ(source.asked[0], L"(default)");
    EXPECT_EQ(source.asked[1], L"Out: default");
    EXPECT_EQ(source.asked[2], L"(default)");
}

// This platform's audio may list no sessions at all: then a duck lowers
// nothing, saves nothing and its fade ends at once, without an error.
TEST(volume_ducker, live_sessions_degrade_to_none_without_error) {
    // The session objects are used and released while COM is still up.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool none = false;
    {
        std::vector<audio_session_ptr> sessions = win32_audio_session_source().sessions(nullptr);
        std::vector<audio_session_ptr> named = win32_audio_session_source().sessions(L"no such device");
        for (const audio_session_ptr& s : sessions) {
            float v = -1;
            EXPECT_TRUE(s->get_volume(&v));
            EXPECT_GE(v, 0.0f);
        }
        EXPECT_EQ(named.size(), sessions.size());
        none = sessions.empty();
    }
    CoUninitialize();

    volume_ducker_impl ducker;
    ducker.duck(3000, 0);
    if (none) {
        EXPECT_TRUE(ducker.fades().saved().empty());
        EXPECT_FALSE(ducker.fades().fading());
    }
    ducker.on_quit();
    EXPECT_FALSE(ducker.fades().fading());
    EXPECT_FALSE(own_exe_name().empty());
}

}  // namespace
