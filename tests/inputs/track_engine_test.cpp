// A track URL played by the playback engine, as the players play it: from
// the stand-in server the first time, from the complete cache file the
// second time, with the same PCM at the output as a local decoding of the
// file.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "engine_rig.h"
#include "file_stream.h"
#include "mpeg_input.h"
#include "track_test_support.h"
#include "utility.h"
#include "wine_host.h"
#include "zel_save_reader.h"

namespace {
const char k_fixture[] = ZEL_MPEG_FIXTURE_DIR "/l3_cbr128_44k_joint.mp3";

std::vector<unsigned char> local_pcm() {
    file_stream local;
    if (!local.open(wine_host::dos_path(k_fixture).c_str())) return {};
    mpeg_input in;
    list_info info;
    if (!in.open(&local, &info)) return {};
    std::vector<unsigned char> pcm;
    unsigned char buffer[8192];
    for (int i = 0; i < 100000; ++i) {
        const int n = in.read(buffer, sizeof buffer);
        if (n < 0) break;
        pcm.insert(pcm.end(), buffer, buffer + n);
    }
    return pcm;
}

std::vector<unsigned char> play(const std::wstring& url) {
    engine_rig rig;
    playback_engine* engine = rig.new_engine();
    if (!engine) return {};
    list_info entry = entry_for(url);
    std::vector<unsigned char> pcm;
    if (engine->play(&entry, &rig.music) && rig.drive_to_finish()) pcm = rig.all_pcm(0);
    engine->release();
    return pcm;
}
}  // namespace

TEST(track_engine, a_track_url_plays_the_same_pcm_from_the_network_and_from_its_cache_file) {
    track_test::served served;
    ASSERT_TRUE(served.start()) << served.error();
    canned_reply file;
    file.file = k_fixture;
    ASSERT_TRUE(served.server().set_replies({file}));
    // The engine's zel_in_std keeps its cache in the application-data folder.
    const std::wstring url = served.url(L"engine.mp3");
    const std::wstring cache_file = track_url::cache_file(url.c_str()).wvalue();
    ASSERT_TRUE(utility::check_directory(track_url::cache_folder(url.c_str()).wvalue()));
    DeleteFileW(cache_file.c_str());

    const std::vector<unsigned char> reference = local_pcm();
    ASSERT_GT(reference.size(), 100000u);

    const std::vector<unsigned char> from_network = play(url);
    const size_t requests = served.server().requests().size();
    EXPECT_EQ(requests, 1u);

    track_log::set_sink([](bool, const wchar_t*) {});
    track_net::linger_ms = 0;
    track_net::rate_limit = 0;
    {
        zel_save_reader saver;
        ASSERT_TRUE(saver.open(url.c_str()));
        ASSERT_TRUE(track_test::wait_until([&] { return saver.is_finished(); }));
    }
    ASSERT_EQ(track_test::read_file(cache_file).size(), 39287u);
    const size_t after_download = served.server().requests().size();

    const std::vector<unsigned char> from_cache = play(url);
    // From the cache only the length is asked.
    EXPECT_EQ(served.server().requests().size(), after_download + 1);
    DeleteFileW(cache_file.c_str());

    EXPECT_TRUE(from_network == reference) << from_network.size() << " " << reference.size();
    EXPECT_TRUE(from_cache == reference) << from_cache.size() << " " << reference.size();
}
