// Media component lookup against a library of logged fake providers.
#include <gtest/gtest.h>
#include "test_text.h"
#include <windows.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "core.h"
#include "input.h"
#include "list_info.h"
#include "media_probe.h"
#include "play_manager.h"
#include "stream.h"
#include "tag.h"

namespace {
media_probe* probe() { return static_cast<media_probe*>(core::enum_create_component(media_probe::iid, 0)); }

std::string calls() { return probe()->log(); }

list_info entry_at(const wchar_t* path) {
    list_info e;
    list_info::set_string(e.path, path);
    return e;
}


struct media_lookup : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        core::load_library();
        ASSERT_NE(probe(), nullptr);
    }
};
}  // namespace

TEST_F(media_lookup, first_stream_provider_that_opens_wins) {
    probe()->clear();
    stream* s = core::create_stream(L"fake:song.fk");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->length(), 0);  // provider 0
    EXPECT_STREQ(s->content_type, L"fk");
    EXPECT_EQ(calls(), "stream0.open ");
    s->release();

    probe()->clear();
    EXPECT_EQ(core::create_stream(L"fake:song.none"), nullptr);
    EXPECT_EQ(calls(), "stream0.open stream1.open ");
}

TEST_F(media_lookup, input_search_runs_three_passes) {
    struct row {
        const wchar_t* path;
        bool with_stream;
        bool found;
        const char* calls;
    } rows[] = {
        // Claims the content type but fails to open: the search goes on.
        {L"fake:a.ct", true, false,
         "inputA.type inputA.open inputB.type factory.input inputA.ext inputB.ext "},
        // Found by extension in the third pass.
        {L"fake:a.fk", true, true, "inputA.type inputB.type factory.input inputA.ext inputB.ext inputB.open "},
        // Made by the factory.
        {L"fake:a.fac", true, true, "inputA.type inputB.type factory.input "},
        // Without a stream the content-type pass is skipped.
        {L"fake:a.fac", false, true, "factory.input "},
    };
    for (const row& r : rows) {
        stream* s = r.with_stream ? core::create_stream(r.path) : nullptr;
        list_info info = entry_at(r.path);
        probe()->clear();
        input* in = core::create_input(s, &info);
        EXPECT_EQ(in != nullptr, r.found) << r.calls;
        EXPECT_EQ(calls(), r.calls);
        if (in) in->release();
        if (s) s->release();
    }
}

TEST_F(media_lookup, tags_come_from_factories_then_by_extension) {
    stream* s = core::create_stream(L"fake:a.fk");
    list_info info = entry_at(L"fake:a.fk");
    probe()->clear();
    tag* t = core::create_tag(s, &info);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(calls(), "factory.tag ");
    t->release();
    list_info other = entry_at(L"fake:a.xyz");
    EXPECT_EQ(core::create_tag(s, &other), nullptr);
    s->release();
}

TEST_F(media_lookup, open_file_and_folder_masks) {
    EXPECT_EQ(take_heap_text(core::build_openfile_mask()),
              L"지원하는 모든 파일|*.mp3;*.mp2;*.mpga;*.wav;*.pls|MPEG Audio|*.mp3;*.mp2;*.mpga;*.wav|"
              L"PLS Playlist|*.pls|");
    EXPECT_EQ(take_heap_text(core::build_openfolder_mask()), L"mp3;mp2;mpga;wav;pls;bad;");
}

TEST_F(media_lookup, players_are_found_by_their_index) {
    play_manager* music = core::get_player(true);
    play_manager* announcements = core::get_player(false);
    ASSERT_NE(music, nullptr);
    ASSERT_NE(announcements, nullptr);
    EXPECT_EQ(music->index(), 0);
    EXPECT_EQ(announcements->index(), 1);
}

TEST_F(media_lookup, add_file_reads_a_file_through_its_tag) {
    std::vector<list_info> entries;
    ASSERT_TRUE(core::add_file(L"fake:one.fk", entries));
    ASSERT_EQ(entries.size(), 1u);
    const list_info& e = entries[0];
    EXPECT_STREQ(e.path, L"fake:one.fk");
    EXPECT_DOUBLE_EQ(e.time, 12.5);
    EXPECT_EQ(e.channel, 2);
    EXPECT_EQ(e.samplerate, 44100);
    EXPECT_EQ(e.bitrate, 128);
    EXPECT_DOUBLE_EQ(e.track_gain, -6.5);
    EXPECT_DOUBLE_EQ(e.album_gain, 1.25);
    EXPECT_DOUBLE_EQ(e.track_peak, 0.98);
    EXPECT_DOUBLE_EQ(e.album_peak, 1.02);
    EXPECT_STREQ(e.artist, L"가수");
    EXPECT_STREQ(e.title, L"노래");
    EXPECT_STREQ(e.date, L"2016");
    EXPECT_EQ(e.track, 7);

    EXPECT_FALSE(core::add_file(L"fake:untagged.xyz", entries));
    EXPECT_FALSE(core::add_file(L"", entries));
    EXPECT_FALSE(core::add_file(nullptr, entries));
    EXPECT_EQ(entries.size(), 1u);
}

TEST_F(media_lookup, add_file_expands_urls_playlists_and_folders) {
    struct row {
        const wchar_t* path;
        std::vector<std::wstring> paths;
        bool titles_dropped;
    } rows[] = {
        {L"zel://server/track.mp3", {L"zel://server/track.mp3"}, true},
        // An address is known by its scheme in any case.
        {L"HTTP://Server/Track.mp3", {L"HTTP://Server/Track.mp3"}, true},
        {L"MmsH://server/live", {L"MmsH://server/live"}, true},
        // Local list: each entry read through its tag; the untagged one is skipped.
        {L"fake:list.fpl", {L"fake:one.fk"}, false},
        // Remote list with titles: entries keep their path alone.
        {L"http://host/list.fpl", {L"fake:one.fk", L"fake:untagged.xyz"}, true},
        {L"fake:dir", {L"fake:dir\\a.fk", L"fake:dir\\b.fk"}, true},
    };
    for (const row& r : rows) {
        probe()->clear();
        std::vector<list_info> entries;
        ASSERT_TRUE(core::add_file(r.path, entries));
        ASSERT_EQ(entries.size(), r.paths.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(std::wstring(entries[i].path), r.paths[i]);
            if (r.titles_dropped) {
                EXPECT_EQ(entries[i].title, nullptr);
            }
        }
    }
    probe()->clear();
    std::vector<list_info> entries;
    core::add_file(L"zel://server/track.mp3", entries);
    EXPECT_EQ(calls(), "");  // a URL opens nothing
}

TEST_F(media_lookup, playlists_that_list_themselves_end) {
    std::vector<list_info> entries;
    ASSERT_TRUE(core::add_file(L"fake:self.fpl", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_STREQ(entries[0].path, L"fake:one.fk");

    entries.clear();
    ASSERT_TRUE(core::add_file(L"fake:loop_a.fpl", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_STREQ(entries[0].path, L"fake:two.fk");
}

TEST_F(media_lookup, nested_playlists_are_each_loaded_once_per_call) {
    // Regression: a playlist listing the next one k times, eight levels
    // deep, was loaded k^level times over (hours for k = 10). Each playlist
    // now loads once per outermost call; a playlist listed again adds
    // nothing more.
    for (int round = 0; round < 2; ++round) {  // the second call loads them all afresh
        probe()->clear();
        std::vector<list_info> entries;
        ASSERT_TRUE(core::add_file(L"fake:nest0.fpl", entries));
        std::vector<std::wstring> paths;
        for (const list_info& e : entries) paths.push_back(e.path);
        std::vector<std::wstring> expected;
        for (int level = 0; level < 8; ++level) expected.push_back(L"zel://server/level" + std::to_wstring(level) + L".mp3");
        EXPECT_EQ(paths, expected);
        size_t loads = 0;
        for (size_t at = 0; (at = calls().find("loader.load", at)) != std::string::npos; ++at) ++loads;
        EXPECT_EQ(loads, 8u);
    }
}

TEST_F(media_lookup, add_file_appends_a_list_after_the_entries_already_there) {
    // The entries of a list are gathered in the list's own vector and take
    // the caller's place when it is empty; otherwise they follow its entries.
    for (const wchar_t* list : {L"http://host/list.fpl", L"fake:nest0.fpl"}) {
        std::vector<list_info> alone, after;
        ASSERT_TRUE(core::add_file(list, alone));
        ASSERT_TRUE(core::add_file(L"zel://server/first.mp3", after));
        ASSERT_TRUE(core::add_file(list, after));
        ASSERT_EQ(after.size(), alone.size() + 1);
        EXPECT_STREQ(after[0].path, L"zel://server/first.mp3");
        for (size_t i = 0; i < alone.size(); ++i) EXPECT_STREQ(after[i + 1].path, alone[i].path);
    }
}
