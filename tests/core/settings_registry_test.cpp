// The playback settings as zel_core registers them, in a program folder that
// holds zel_core alone (so no settings store either).
#include <gtest/gtest.h>
#include <windows.h>
#include "config_var.h"
#include "config_var2.h"
#include "core.h"
#include "init_quit.h"
#include "playback_settings.h"
#include "playback_settings_file.h"

namespace {
void load_once() {
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
}

playback_settings* settings() {
    return static_cast<playback_settings*>(core::enum_create_component(playback_settings::iid, 0));
}

// Remembers the last value handed to each setter.
struct snapshot : playback_settings {
    int pairs[6][2] = {};
    const GUID* get_guid() override { return &iid; }
    void release() override {}
    int priority() override { return 0; }
    void set_priority(int) override {}
    void normalize(bool*, int*) override {}
    void set_normalize(bool e, int v) override { keep(0, e, v); }
    void auto_cross(bool*, int*) override {}
    void set_auto_cross(bool e, int v) override { keep(1, e, v); }
    void force_cross(bool*, int*) override {}
    void set_force_cross(bool e, int v) override { keep(2, e, v); }
    void fade(bool*, int*) override {}
    void set_fade(bool e, int v) override { keep(3, e, v); }
    void seek_fade(bool*, int*) override {}
    void set_seek_fade(bool e, int v) override { keep(4, e, v); }
    void visual(bool*, int*) override {}
    void set_visual(bool e, int v) override { keep(5, e, v); }
    void keep(int i, bool e, int v) {
        pairs[i][0] = e;
        pairs[i][1] = v;
    }
};

void read_pairs(playback_settings* s, int out[6][2]) {
    void (playback_settings::*getters[6])(bool*, int*) = {
        &playback_settings::normalize, &playback_settings::auto_cross, &playback_settings::force_cross,
        &playback_settings::fade,      &playback_settings::seek_fade,  &playback_settings::visual};
    for (int i = 0; i < 6; ++i) {
        bool e = false;
        int v = 0;
        (s->*getters[i])(&e, &v);
        out[i][0] = e;
        out[i][1] = v;
    }
}
}  // namespace

TEST(playback_settings, is_one_object_that_starts_at_zero_and_keeps_what_is_set) {
    load_once();
    playback_settings* s = settings();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(settings(), s);
    EXPECT_EQ(core::enum_count_component(playback_settings::iid), 1);
    s->release();  // a singleton stays

    int pairs[6][2];
    read_pairs(s, pairs);
    for (auto& p : pairs) EXPECT_TRUE(p[0] == 0 && p[1] == 0);
    EXPECT_EQ(s->priority(), 0);

    s->set_priority(2);
    s->set_normalize(true, 7);
    s->set_fade(false, 10);
    s->set_force_cross(false, -10);
    s->set_visual(true, -5);  // no range checks
    EXPECT_EQ(s->priority(), 2);
    read_pairs(s, pairs);
    EXPECT_TRUE(pairs[0][0] == 1 && pairs[0][1] == 7);
    EXPECT_TRUE(pairs[2][0] == 0 && pairs[2][1] == -10);
    EXPECT_TRUE(pairs[3][0] == 0 && pairs[3][1] == 10);
    EXPECT_TRUE(pairs[5][0] == 1 && pairs[5][1] == -5);
    bool e = true;
    s->seek_fade(&e, nullptr);  // either pointer may be null
    s->seek_fade(nullptr, nullptr);
    EXPECT_FALSE(e);
}

TEST(playback_settings, start_hook_loads_the_playback_section_of_the_ini_file) {
    load_once();
    playback_settings* s = settings();
    ASSERT_NE(s, nullptr);
    s->set_priority(3);
    s->set_normalize(true, 5);
    for_each_component<init_quit>([](init_quit* hook) { hook->on_init(); });

    // Whatever the user's file holds (other tests share it), the hook applies
    // exactly what the file's loader reads, and leaves priority and normalizer.
    config_var file;
    snapshot expected;
    expected.keep(0, true, 5);
    playback_settings_file::apply(file, expected);
    int pairs[6][2];
    read_pairs(s, pairs);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(pairs[i][0], expected.pairs[i][0]) << i;
        EXPECT_EQ(pairs[i][1], expected.pairs[i][1]) << i;
    }
    EXPECT_EQ(s->priority(), 3);
}

TEST(config_var2, with_no_store_in_the_program_folder_reads_empty_text) {
    load_once();
    EXPECT_EQ(core::enum_create_component(GUID{0x2ECCE681, 0xE21E, 0x4E8A, {0x92, 0x4F, 0x9F, 0xFA, 0x46, 0x4C, 0x9D, 0x64}}, 0),
              nullptr);
    config_var2 cfg;
    cfg.write_int(L"app", L"device", 4);
    EXPECT_STREQ(cfg.read(L"app", L"device").wvalue(), L"");
}
