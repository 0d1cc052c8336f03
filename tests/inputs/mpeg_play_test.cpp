// A local MP3 end to end: core::create_stream finds the file stream of
// zel_in_std, core::create_input its MPEG input, and a playback engine plays
// it into the capture output of zel_output, which must take exactly the
// decoder's PCM. The program runs in a folder that holds zel_core,
// zel_output and zel_in_std only.
#include <gtest/gtest.h>

#include "core.h"
#include "input.h"
#include "list_info.h"
#include "mpeg_media_support.h"
#include "output_capture.h"
#include "play_manager.h"
#include "playback_engine.h"
#include "playback_settings.h"
#include "stream.h"
#include "temp_folder.h"

namespace {
// A player with nothing to play after the current entry.
class single_entry_player : public play_manager {
public:
    const GUID* get_guid() override { return &play_manager::iid; }
    void release() override {}
    int index() override { return 0; }
};

// Dispatches the thread's messages (the engine's reaper runs on a timer)
// until done() holds; false after timeout_ms of wall time.
template <class Done>
bool pump_until(Done done, DWORD timeout_ms = 60000) {
    const DWORD begin = GetTickCount();
    while (!done()) {
        if (GetTickCount() - begin > timeout_ms) return done();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(1);
    }
    return true;
}

// Loads the libraries beside the program, selects the capture output on a
// fast clock and turns every processing stage and fade off.
capture_control* start_play_rig() {
    capture_control* capture = start_capture(500);
    if (!capture) return nullptr;
    capture->set_auto_clock(50.0);
    auto* settings = static_cast<playback_settings*>(core::enum_create_component(playback_settings::iid, 0));
    if (settings) {
        settings->set_normalize(false, 0);
        settings->set_auto_cross(false, 0);
        settings->set_force_cross(false, 0);
        settings->set_fade(false, 0);
        settings->set_seek_fade(false, 0);
        settings->set_visual(false, 100);
    }
    return capture;
}

list_info entry_for(const std::wstring& path) {
    list_info entry;
    list_info::set_string(entry.path, path.c_str());
    return entry;
}
}  // namespace

TEST(mpeg_play, a_local_mp3_plays_through_stream_input_and_engine_as_the_decoder_decodes_it) {
    temp_folder dir;
    const struct {
        const char* fixture;
        const wchar_t* file;
        int channels, rate;
    } rows[] = {
        {"l3_cbr128_44k_joint.mp3", L"Song.MP3", 2, 44100},
        {"l3_vbr_44k_xing.mp3", L"vbr.mp3", 2, 44100},
        {"l3_cbr96_48k_mono_hot.mp3", L"mono.mp3", 1, 48000},
        {"l2_192_48k_stereo.mp2", L"layer2.mp2", 2, 48000},
        {"l3_mpeg2_22k_stereo.mp3", L"lsf.mpga", 2, 22050},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.fixture);
        const std::wstring path = dir / r.file;
        const bytes data = read_fixture(r.fixture);
        ASSERT_TRUE(write_file(path, data));
        capture_control* capture = start_play_rig();
        ASSERT_NE(capture, nullptr) << "zel_output.dll beside the program";

        // The lookup the playback thread makes.
        component_ptr<stream> s(core::create_stream(path.c_str()));
        ASSERT_TRUE(s);
        EXPECT_TRUE(s->is_seekable());
        EXPECT_EQ(std::wstring(s->path), path);
        list_info entry = entry_for(path);
        component_ptr<input> in(core::create_input(s.get(), &entry));
        ASSERT_TRUE(in);
        audio_format format = {};
        in->get_format(&format);
        EXPECT_EQ(format.channels, r.channels);
        EXPECT_EQ(format.sample_rate, r.rate);
        const double length = format.length;
        in.reset();
        s.reset();

        single_entry_player player;
        component_ptr<playback_engine> engine(
            static_cast<playback_engine*>(core::enum_create_component(playback_engine::iid, 0)));
        ASSERT_TRUE(engine);
        ASSERT_TRUE(engine->play(&entry, &player));
        capture_state state = {};
        ASSERT_TRUE(pump_until([&] {
            return !engine->is_playing() && capture->output_count() == 1 && capture->state(0, &state) &&
                   state.released;
        }));
        std::vector<capture_track> tracks;
        capture->tracks(0, tracks);
        ASSERT_EQ(tracks.size(), 1u);
        EXPECT_EQ(tracks[0].format.format_tag, 1);
        EXPECT_EQ(tracks[0].format.channels, r.channels);
        EXPECT_EQ(tracks[0].format.sample_rate, r.rate);
        EXPECT_EQ(tracks[0].format.bits_per_sample, 16);
        EXPECT_EQ(tracks[0].start_length, length);
        const bytes expected = decode_all(data);
        EXPECT_EQ(expected, reference_pcm(r.fixture));
        EXPECT_TRUE(tracks[0].pcm == expected) << tracks[0].pcm.size() << " bytes for " << expected.size();
    }
}

TEST(mpeg_play, files_that_are_not_mpeg_audio_find_no_input) {
    temp_folder dir;
    ASSERT_TRUE(start_play_rig());
    ASSERT_TRUE(write_file(dir / L"junk.mp3", random_junk(80000, 4)));
    ASSERT_TRUE(write_file(dir / L"empty.mp3", {}));
    EXPECT_EQ(core::create_stream((dir / L"empty.mp3").c_str()), nullptr);
    EXPECT_EQ(core::create_stream((dir / L"missing.mp3").c_str()), nullptr);
    component_ptr<stream> s(core::create_stream((dir / L"junk.mp3").c_str()));
    ASSERT_TRUE(s);
    EXPECT_EQ(std::wstring(s->content_type), L"mp3");
    list_info entry = entry_for(dir / L"junk.mp3");
    EXPECT_EQ(core::create_input(s.get(), &entry), nullptr);
}
