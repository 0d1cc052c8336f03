// The MPEG tag, the WAV wrapper and the "MPEG Audio" file type as
// zel_in_std.dll registers them, through zel_core's lookup. The program runs
// in a folder that holds zel_core and zel_in_std only.
#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>

#include "core.h"
#include "file_type.h"
#include "info_list.h"
#include "input.h"
#include "mpeg_tag_test_support.h"
#include "stream.h"
#include "tag.h"
#include "temp_folder.h"

using namespace mpeg_tag_test;

namespace {

bytes tagged(const bytes& tag, const char* fixture) {
    bytes file = tag;
    const bytes audio = read_fixture(fixture);
    file.insert(file.end(), audio.begin(), audio.end());
    return file;
}

// Seconds of the fixture's audio by its frame index (the Info frame of
// lame's streams is no audio frame).
double index_seconds(const char* fixture, int samples_per_frame, int rate, bool info_frame) {
    const std::vector<int64_t> index = read_index(fixture);
    if (index.size() < 2) return -1.0;
    const double frames = double(index.size() - 1) - (info_frame ? 1 : 0);
    return frames * samples_per_frame / rate;
}

// A stream and the tag core::create_tag finds for it; both released at the end.
struct found_tag {
    explicit found_tag(const std::wstring& path) {
        load_components();
        list_info::set_string(entry.path, path.c_str());
        s.reset(core::create_stream(path.c_str()));
        if (s) t.reset(core::create_tag(s.get(), &entry));
    }
    const wchar_t* pair(const wchar_t* name) const {
        const info_list* l = t ? t->get_info_list() : nullptr;
        return l ? l->get(name) : nullptr;
    }
    list_info entry;
    component_ptr<stream> s;
    component_ptr<tag> t;
};

int pcm_bytes(input* in, int limit = 100000) {
    char buffer[4608];
    int total = 0;
    for (int calls = 0; total < limit && calls < 1000; ++calls) {
        const int n = in->read(buffer, sizeof buffer);
        if (n < 0) break;
        total += n;
    }
    return total;
}

}  // namespace

TEST(mpeg_tag_registry, add_file_fills_the_entry_from_tags_and_audio) {
    temp_folder dir;
    const std::wstring path = dir / L"봄날.mp3";
    ASSERT_TRUE(write_file(path, tagged(korean_tag(true), "l3_cbr128_44k_joint.mp3")));

    list_info e;
    ASSERT_TRUE(read_entry(path, e));
    EXPECT_STREQ(e.path, path.c_str());
    EXPECT_STREQ(e.title, title);
    EXPECT_STREQ(e.artist, artist);
    EXPECT_STREQ(e.album, album);
    EXPECT_STREQ(e.date, L"2016");
    EXPECT_EQ(e.track, 3);
    EXPECT_DOUBLE_EQ(e.track_gain, -7.5);
    EXPECT_DOUBLE_EQ(e.track_peak, 0.912345);
    EXPECT_DOUBLE_EQ(e.album_gain, -6.25);
    EXPECT_DOUBLE_EQ(e.album_peak, 0.998);
    EXPECT_EQ(e.channel, 2);
    EXPECT_EQ(e.samplerate, 44100);
    EXPECT_EQ(e.bitrate, 128);
    const double seconds = index_seconds("l3_cbr128_44k_joint.mp3", 1152, 44100, true);
    EXPECT_NEAR(e.time, seconds, 2 * 1152.0 / 44100) << seconds;
}

TEST(mpeg_tag_registry, audio_properties_and_descriptions_by_stream_kind) {
    const struct {
        const char* fixture;
        const wchar_t* name;
        const wchar_t* format;
        const wchar_t* mode;
        int channels, rate, kbps, samples_per_frame;
        bool crc;
    } rows[] = {
        {"l3_cbr128_44k_joint.mp3", L"a.mp3", L"Mpeg 1.0 Layer 3", L"Joint Stereo", 2, 44100, 128, 1152, false},
        {"l3_cbr96_48k_mono_hot.mp3", L"b.MP3", L"Mpeg 1.0 Layer 3", L"Mono", 1, 48000, 96, 1152, false},
        {"l3_cbr64_32k_stereo_crc.mp3", L"c.mp3", L"Mpeg 1.0 Layer 3", L"Stereo", 2, 32000, 64, 1152, true},
        {"l3_mpeg25_11k_stereo.mp3", L"d.mpga", L"Mpeg 2.5 Layer 3", L"Joint Stereo", 2, 11025, 24, 576, false},
        {"l3_mpeg25_8k_mono.mp3", L"e.mp3", L"Mpeg 2.5 Layer 3", L"Mono", 1, 8000, 8, 576, false},
        {"l2_mpeg2_22k_stereo.mp2", L"f.mp2", L"Mpeg 2.0 Layer 2", L"Stereo", 2, 22050, 96, 1152, false},
        {"l2_mpeg2_24k_mono_crc.mp2", L"g.mp2", L"Mpeg 2.0 Layer 2", L"Mono", 1, 24000, 64, 1152, true},
        {"l1_384_44k_stereo.mp1", L"h.MP1", L"Mpeg 1.0 Layer 1", L"Stereo", 2, 44100, 384, 384, false},
    };
    temp_folder dir;
    for (const auto& r : rows) {
        const bytes audio = read_fixture(r.fixture);
        ASSERT_FALSE(audio.empty()) << r.fixture;
        const std::wstring path = dir / r.name;
        ASSERT_TRUE(write_file(path, audio));
        found_tag f(path);
        ASSERT_TRUE(f.t) << r.fixture;
        EXPECT_STREQ(f.t->path(), path.c_str());
        EXPECT_STREQ(f.entry.path, path.c_str());
        const audio_format* a = f.t->info();
        EXPECT_EQ(a->format_tag, 1) << r.fixture;
        EXPECT_EQ(a->bits_per_sample, 16) << r.fixture;
        EXPECT_EQ(a->channels, r.channels) << r.fixture;
        EXPECT_EQ(a->sample_rate, r.rate) << r.fixture;
        EXPECT_EQ(a->bitrate, double(r.kbps)) << r.fixture;
        const bool lame = r.fixture[1] == '3';
        const double seconds = index_seconds(r.fixture, r.samples_per_frame, r.rate, lame);
        EXPECT_NEAR(a->length, seconds, 2.0 * r.samples_per_frame / r.rate) << r.fixture;

        const info_list* l = f.t->get_info_list();
        ASSERT_NE(l, nullptr);
        static const wchar_t* const names[] = {L"Path",       L"FileSize",   L"Format",       L"Decoder",
                                               L"Sub Decoder", L"Copyright", L"Original",     L"Protection",
                                               L"Frame Length", L"ID3V2 Size", L"Emphasis",   L"Mode"};
        ASSERT_EQ(l->count, 12) << r.fixture;
        for (int i = 0; i < 12; ++i) EXPECT_STREQ(l->pairs[i].name, names[i]) << r.fixture;
        EXPECT_STREQ(f.pair(L"Path"), path.c_str());
        EXPECT_EQ(std::wstring(f.pair(L"FileSize")), std::to_wstring(audio.size()));
        EXPECT_STREQ(f.pair(L"Format"), r.format) << r.fixture;
        EXPECT_STREQ(f.pair(L"Decoder"), L"ZEL Mpeg Parser");
        EXPECT_STREQ(f.pair(L"Sub Decoder"), L"mpg123");
        // The first frame's header, as the file holds it.
        const std::vector<int64_t> index = read_index(r.fixture);
        ASSERT_FALSE(index.empty());
        const unsigned char* h = audio.data() + index[0];
        EXPECT_STREQ(f.pair(L"Protection"), (h[1] & 1) ? L"Yes" : L"No") << r.fixture;
        EXPECT_EQ((h[1] & 1) == 0, r.crc) << r.fixture;
        EXPECT_STREQ(f.pair(L"Copyright"), (h[3] & 8) ? L"Yes" : L"No") << r.fixture;
        EXPECT_STREQ(f.pair(L"Original"), (h[3] & 4) ? L"Yes" : L"No") << r.fixture;
        EXPECT_STREQ(f.pair(L"Emphasis"), L"None");
        EXPECT_STREQ(f.pair(L"Mode"), r.mode) << r.fixture;
        EXPECT_STREQ(f.pair(L"ID3V2 Size"), L"0");
        const int frame_length = _wtoi(f.pair(L"Frame Length"));
        EXPECT_GE(frame_length, int(index[1] - index[0]) - 1) << r.fixture;
        EXPECT_LE(frame_length, int(index[1] - index[0]) + 1) << r.fixture;
    }
}

TEST(mpeg_tag_registry, replay_gain_fields_add_four_pairs) {
    temp_folder dir;
    const bytes with = korean_tag(true), without = korean_tag(false);
    ASSERT_TRUE(write_file(dir / L"with.mp3", tagged(with, "l3_cbr128_44k_joint.mp3")));
    ASSERT_TRUE(write_file(dir / L"without.mp3", tagged(without, "l3_cbr128_44k_joint.mp3")));

    found_tag plain(dir / L"without.mp3");
    ASSERT_TRUE(plain.t);
    EXPECT_EQ(plain.t->get_info_list()->count, 12);
    EXPECT_EQ(std::wstring(plain.pair(L"ID3V2 Size")), std::to_wstring(without.size()));

    found_tag gained(dir / L"with.mp3");
    ASSERT_TRUE(gained.t);
    const info_list* l = gained.t->get_info_list();
    ASSERT_EQ(l->count, 16);
    const wchar_t* const names[] = {L"replaygain_track_gain", L"replaygain_track_peak", L"replaygain_album_gain",
                                    L"replaygain_album_peak"};
    const wchar_t* const values[] = {L"-7.50 dB", L"0.912345", L"-6.25 dB", L"0.998000"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(l->pairs[12 + i].name, names[i]);
        EXPECT_STREQ(l->pairs[12 + i].value, values[i]);
    }
    EXPECT_STREQ(gained.pair(L"Mode"), L"Joint Stereo");
    EXPECT_EQ(std::wstring(gained.pair(L"ID3V2 Size")), std::to_wstring(with.size()));
    EXPECT_STREQ(gained.t->get_field(L"TITLE"), title);
    EXPECT_STREQ(gained.t->get_field(L"Mood"), L"");
}

TEST(mpeg_tag_registry, set_field_and_update_write_the_tag_back) {
    temp_folder dir;
    const std::wstring path = dir / L"edit.mp3";
    ASSERT_TRUE(write_file(path, tagged(korean_tag(false), "l3_cbr128_44k_joint.mp3")));
    list_info before;
    ASSERT_TRUE(read_entry(path, before));
    {
        found_tag f(path);
        ASSERT_TRUE(f.t);
        f.t->set_field(L"Title", L"새 노래");
        f.t->set_field(L"replaygain_track_gain", L"-3.00 dB");
        f.t->set_field(L"Album", L"");
        EXPECT_STREQ(f.t->get_field(L"title"), L"새 노래");
        EXPECT_TRUE(f.t->update());
    }
    list_info after;
    ASSERT_TRUE(read_entry(path, after));
    EXPECT_STREQ(after.title, L"새 노래");
    EXPECT_STREQ(after.artist, artist);
    EXPECT_TRUE(after.album == nullptr || *after.album == 0);
    EXPECT_EQ(after.track, 3);
    EXPECT_DOUBLE_EQ(after.track_gain, -3.0);
    EXPECT_NEAR(after.time, before.time, 1e-9);
    EXPECT_EQ(after.bitrate, before.bitrate);

    {
        found_tag f(path);
        ASSERT_TRUE(f.t);
        f.t->remove();
    }
    list_info bare;
    ASSERT_TRUE(read_entry(path, bare));
    EXPECT_TRUE(bare.title == nullptr || *bare.title == 0);
    EXPECT_NEAR(bare.time, before.time, 1e-9);
}

TEST(mpeg_tag_registry, accepts_local_mpeg_extensions_only) {
    load_components();
    component_ptr<tag> t(static_cast<tag*>(core::enum_create_component(tag::iid, 0)));
    ASSERT_TRUE(t);
    const struct {
        const wchar_t* path;
        bool accepted;
    } rows[] = {
        {L"C:\\music\\a.mp3", true},   {L"a.MP2", true},         {L"a.Mp1", true},
        {L"a.mpga", true},             {L"a.wav", false},        {L"a.ogg", false},
        {L"http://host/a.mp3", false}, {L"zel://x/a.mp3", false}, {L"C:\\a://b.mp3", false},
        {L"a.mp3.txt", false},
    };
    for (const auto& r : rows) EXPECT_EQ(t->accepts(nullptr, r.path), r.accepted) << narrow(r.path);

    memory_stream s(bytes(100, 0), true, L"x");
    wcscpy(s.path, L"D:\\song.mp3");
    EXPECT_TRUE(t->accepts(&s, nullptr));
    EXPECT_TRUE(t->accepts(&s, L""));
    EXPECT_FALSE(t->accepts(&s, L"D:\\song.wav"));
    EXPECT_FALSE(t->accepts(nullptr, nullptr));
    EXPECT_STREQ(t->path(), L"");
    EXPECT_EQ(t->get_info_list(), nullptr);
    EXPECT_FALSE(t->open(nullptr, nullptr));
}

TEST(mpeg_tag_registry, a_wav_file_carrying_mpeg_opens_through_the_factory) {
    temp_folder dir;
    const bytes mp3 = read_fixture("l3_cbr128_44k_joint.mp3");
    const bytes mp2 = read_fixture("l2_192_48k_stereo.mp2");
    ASSERT_FALSE(mp3.empty());
    ASSERT_FALSE(mp2.empty());
    const struct {
        const wchar_t* name;
        bytes file;
        const wchar_t* format;
        int rate;
    } rows[] = {
        {L"layer3.wav", riff_file("WAVE", 85, {}, mp3, nullptr), L"Mpeg 1.0 Layer 3", 44100},
        {L"LAYER3.WAV", riff_file("WAVE", 85, bytes(33, 0), mp3, nullptr), L"Mpeg 1.0 Layer 3", 44100},
        {L"layer2.wav", riff_file("WAVE", 80, {}, mp2, nullptr), L"Mpeg 1.0 Layer 2", 48000},
    };
    for (const auto& r : rows) {
        const std::wstring path = dir / r.name;
        ASSERT_TRUE(write_file(path, r.file));
        found_tag f(path);
        ASSERT_TRUE(f.s);
        ASSERT_TRUE(f.t) << narrow(r.name);
        EXPECT_STREQ(f.pair(L"Format"), r.format);
        EXPECT_EQ(f.t->info()->sample_rate, r.rate);
        EXPECT_GT(f.t->info()->length, 1.0);

        // A RIFF file keeps its header: no ID3v2 tag is written before it.
        f.t->set_field(L"Title", L"x");
        EXPECT_FALSE(f.t->update());
        f.t->remove();
        EXPECT_TRUE(read_file(path) == r.file) << narrow(r.name);

        list_info entry;
        list_info::set_string(entry.path, path.c_str());
        component_ptr<stream> s(core::create_stream(path.c_str()));
        ASSERT_TRUE(s);
        component_ptr<input> in(core::create_input(s.get(), &entry));
        ASSERT_TRUE(in) << narrow(r.name);
        EXPECT_GT(pcm_bytes(in.get()), 50000) << narrow(r.name);
    }
}

TEST(mpeg_tag_registry, a_wav_file_without_mpeg_is_refused_cleanly) {
    load_components();
    temp_folder dir;
    const bytes mp3 = read_fixture("l3_cbr128_44k_joint.mp3");
    ASSERT_FALSE(mp3.empty());
    bytes data_first = chunk("data", mp3);
    const bytes fmt = chunk("fmt ", fmt_body(85));
    const struct {
        const wchar_t* name;
        bytes file;
    } rows[] = {
        {L"pcm.wav", riff_file("WAVE", 1, {}, bytes(176400, 0), nullptr)},
        {L"pcm_mp3_data.wav", riff_file("WAVE", 1, {}, mp3, nullptr)},
        {L"data_first.wav", wave({data_first, fmt})},
        {L"not_riff.wav", mp3},
    };
    for (const auto& r : rows) {
        const std::wstring path = dir / r.name;
        ASSERT_TRUE(write_file(path, r.file));
        list_info entry;
        list_info::set_string(entry.path, path.c_str());
        component_ptr<stream> s(core::create_stream(path.c_str()));
        ASSERT_TRUE(s);
        EXPECT_EQ(core::create_input(s.get(), &entry), nullptr) << narrow(r.name);
        EXPECT_EQ(s->tell(), 0);
        EXPECT_EQ(core::create_tag(s.get(), &entry), nullptr) << narrow(r.name);
        EXPECT_EQ(s->tell(), 0);

        component* c = core::enum_create_component(input_tag_factory::iid, 0);
        ASSERT_NE(c, nullptr);
        auto* factory = static_cast<input_tag_factory*>(c);
        EXPECT_EQ(factory->create_input(s.get(), &entry), nullptr);
        EXPECT_EQ(factory->create_tag(s.get(), &entry), nullptr);
        EXPECT_EQ(factory->create_tag(nullptr, &entry), nullptr);
        c->release();

        std::vector<list_info> entries;
        EXPECT_FALSE(core::add_file(path.c_str(), entries)) << narrow(r.name);
        EXPECT_TRUE(entries.empty());
    }
}

TEST(mpeg_tag_registry, the_factory_wants_the_wav_extension) {
    temp_folder dir;
    const bytes file = riff_file("WAVE", 85, {}, read_fixture("l3_cbr128_44k_joint.mp3"), nullptr);
    const std::wstring path = dir / L"wrapped.riff";
    ASSERT_TRUE(write_file(path, file));
    load_components();
    component_ptr<stream> s(core::create_stream(path.c_str()));
    ASSERT_TRUE(s);
    component* c = core::enum_create_component(input_tag_factory::iid, 0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(static_cast<input_tag_factory*>(c)->create_tag(s.get(), nullptr), nullptr);
    c->release();
}

TEST(mpeg_tag_registry, open_file_mask_lists_mpeg_audio) {
    load_components();
    wchar_t* mask = core::build_openfile_mask();
    ASSERT_NE(mask, nullptr);
    const std::wstring text = mask;
    free(mask);
    EXPECT_NE(text.find(L"|MPEG Audio|*.mp3;*.mp2;*.mpga;*.wav|"), std::wstring::npos) << narrow(text);
    EXPECT_EQ(text.rfind(L"지원하는 모든 파일|", 0), 0u);

    wchar_t* folder_mask = core::build_openfolder_mask();
    ASSERT_NE(folder_mask, nullptr);
    EXPECT_NE(std::wstring(folder_mask).find(L"mp3;mp2;mpga;wav;"), std::wstring::npos);
    free(folder_mask);
}

TEST(mpeg_tag_registry, mpeg_providers_come_first_among_the_library_s) {
    load_components();
    // input: the MPEG input claims MP3 files; the Windows Media input after it
    // claims nothing by extension.
    const int inputs = core::enum_count_component(input::iid);
    ASSERT_GE(inputs, 2);
    component_ptr<input> first_input(static_cast<input*>(core::enum_create_component(input::iid, 0)));
    ASSERT_TRUE(first_input);
    EXPECT_TRUE(first_input->accepts(nullptr, L"a.mp3"));
    EXPECT_TRUE(first_input->accepts_content_type(L"audio/mpeg"));
    component_ptr<input> second_input(static_cast<input*>(core::enum_create_component(input::iid, 1)));
    ASSERT_TRUE(second_input);
    EXPECT_FALSE(second_input->accepts(nullptr, L"a.mp3"));

    component_ptr<tag> first_tag(static_cast<tag*>(core::enum_create_component(tag::iid, 0)));
    ASSERT_TRUE(first_tag);
    EXPECT_TRUE(first_tag->accepts(nullptr, L"a.mp3"));

    // Singletons: the same object every time.
    component* a = core::enum_create_component(input_tag_factory::iid, 0);
    component* b = core::enum_create_component(input_tag_factory::iid, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(guid_equal(*a->get_guid(), input_tag_factory::iid));

    component* t = core::enum_create_component(file_type::iid, 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t, core::enum_create_component(file_type::iid, 0));
    EXPECT_STREQ(static_cast<file_type*>(t)->description(), L"MPEG Audio");
    EXPECT_STREQ(static_cast<file_type*>(t)->extensions(), L"*.mp3;*.mp2;*.mpga;*.wav");
}
