// The engine in a program folder without an audio output component: the
// thread finds no output and says so.
#include <gtest/gtest.h>
#include <windows.h>
#include <vector>
#include "core.h"
#include "engine_recorder.h"
#include "list_info.h"
#include "output.h"
#include "play_manager.h"
#include "playback_engine.h"

namespace {
class idle_player : public play_manager {
public:
    const GUID* get_guid() override { return &play_manager::iid; }
    void release() override {}
    int index() override { return 0; }
};
}  // namespace

TEST(playback_engine_without_output, reports_error_2_then_finishes_without_starting) {
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
    ASSERT_EQ(core::enum_count_component(output_manager::iid), 0);
    auto* recorder = static_cast<engine_recorder*>(core::enum_create_component(engine_recorder::iid, 0));
    ASSERT_NE(recorder, nullptr);
    idle_player player;
    recorder->follow(0, &player);
    auto* engine = static_cast<playback_engine*>(core::enum_create_component(playback_engine::iid, 0));
    ASSERT_NE(engine, nullptr);
    list_info entry;
    list_info::set_string(entry.path, L"synth:a?secs=1");
    ASSERT_TRUE(engine->play(&entry, &player));
    DWORD begin = GetTickCount();
    while (recorder->count(0, engine_event_kind::finish) == 0 && GetTickCount() - begin < 30000) Sleep(1);
    std::vector<engine_event> ev;
    recorder->events(0, ev);
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].kind, engine_event_kind::error);
    EXPECT_EQ(ev[0].value, 2);
    EXPECT_FALSE(ev[0].has_path);
    EXPECT_EQ(ev[1].kind, engine_event_kind::finish);
    EXPECT_EQ(ev[1].value, 1);
    recorder->follow(0, nullptr);
    engine->release();
}
