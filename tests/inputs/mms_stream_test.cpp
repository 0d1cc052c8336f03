// The MMS stream and the Windows Media input driven by a fake reader
// (fake_wm_reader): status texts, open failures, samples, formats, blocks
// and the tail, and a reader that calls back after close.
#include <gtest/gtest.h>
#include <memory>
#include "fake_wm_reader.h"
#include <mmreg.h>
#include "mms_stream.h"
#include "radio_test_support.h"
#include "wm_input.h"

namespace {

const wchar_t* const connecting = L"연결중입니다...";
const wchar_t* const buffering = L"버퍼링 중입니다...";
const wchar_t* const opened = L"MMS 스트림 열기 완료";

class mms_test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(recorder(), nullptr);
        recorder()->clear();
    }
    void TearDown() override {
        EXPECT_TRUE(fake_wm_idle()) << "a fake reader thread or reader outlived the test";
        fake_wm_uninstall();
    }
};

// A reader that opens, then on Start buffers, stops buffering and starts.
fake_wm_script playing_script() {
    fake_wm_script s;
    s.on_open = {wm_step::raise(WMT_CONNECTING), wm_step::raise(WMT_OPENED)};
    s.on_start = {wm_step::raise(WMT_BUFFERING_START), wm_step::raise(WMT_BUFFERING_STOP), wm_step::raise(WMT_STARTED)};
    s.attributes = {{L"Title", WMT_TYPE_STRING, std::string("R\0a\0d\0\0\0", 8)},
                    {L"Bitrate", WMT_TYPE_DWORD, dword_value(128000)}};
    s.format = wave_format(WAVE_FORMAT_PCM, 2, 44100, 16);
    return s;
}

}  // namespace

TEST_F(mms_test, accepts_only_mms_addresses) {
    fake_wm_install(playing_script());
    for (const wchar_t* url : {L"mms://radio.example/a", L"MMSH://radio.example/a", L"mmst://r/a", L"mmsu://r/a"}) {
        std::unique_ptr<mms_stream> s(new mms_stream());
        EXPECT_TRUE(s->open(url)) << url;
        EXPECT_STREQ(s->content_type, L"mms content type");
        EXPECT_STREQ(s->path, url);
        EXPECT_FALSE(s->at_end());
        EXPECT_FALSE(s->busy);
        EXPECT_EQ(fake_wm_state().url, url);
    }
    const int created = fake_wm_state().created;
    for (const wchar_t* url : {L"http://radio.example/a", L"mmsx://r/a", L"mms:/r", L"", static_cast<const wchar_t*>(nullptr)}) {
        std::unique_ptr<mms_stream> s(new mms_stream());
        EXPECT_FALSE(s->open(url));
    }
    EXPECT_EQ(fake_wm_state().created, created) << "no reader for a refused address";
}

TEST_F(mms_test, status_events_become_listener_texts) {
    fake_wm_script script = playing_script();
    script.on_open = {wm_step::raise(WMT_CONNECTING), wm_step::raise(WMT_BUFFERING_START), wm_step::raise(WMT_LOCATING),
                      wm_step::raise(WMT_OPENED)};
    fake_wm_install(script);
    std::unique_ptr<mms_stream> s(new mms_stream());
    ASSERT_TRUE(s->open(L"mms://radio.example/live"));
    for (int id = 0; id < 2; ++id) {
        std::vector<title_event> got = titles(id);
        ASSERT_EQ(got.size(), 3u) << "listener " << id;
        EXPECT_EQ(got[0].text, connecting);
        EXPECT_EQ(got[1].text, buffering);
        EXPECT_EQ(got[2].text, opened);
        for (const title_event& e : got) {
            EXPECT_TRUE(e.station);
            EXPECT_EQ(e.position, 0);
        }
    }
}

TEST_F(mms_test, a_failed_open_returns_without_hanging) {
    struct {
        const char* what;
        HRESULT create_result;
        HRESULT open_result;
        std::vector<wm_step> on_open;
    } cases[] = {
        {"address error", S_OK, S_OK, {wm_step::raise(WMT_CONNECTING), wm_step::raise(WMT_ERROR_WITHURL, E_FAIL)}},
        {"error status", S_OK, S_OK, {wm_step::raise(WMT_ERROR, E_FAIL)}},
        {"opened with a failure", S_OK, S_OK, {wm_step::raise(WMT_OPENED, E_FAIL)}},
        {"Open fails", S_OK, E_INVALIDARG, {}},
        {"no reader", E_OUTOFMEMORY, S_OK, {}},
        {"retry, then an address error", S_OK, S_OK,
         {wm_step::raise(WMT_OPENED, wm_reader::retry_open), wm_step::sleep(50), wm_step::raise(WMT_ERROR_WITHURL, E_FAIL)}},
    };
    for (const auto& c : cases) {
        fake_wm_script script = playing_script();
        script.create_result = c.create_result;
        script.open_result = c.open_result;
        script.on_open = c.on_open;
        fake_wm_install(script);
        std::unique_ptr<mms_stream> s(new mms_stream());
        EXPECT_FALSE(s->open(L"mms://radio.example/live")) << c.what;
        s.reset();
        EXPECT_TRUE(fake_wm_idle()) << c.what;
    }
}

TEST_F(mms_test, a_retried_open_takes_the_second_status) {
    fake_wm_script script = playing_script();
    script.on_open = {wm_step::raise(WMT_OPENED, wm_reader::retry_open), wm_step::sleep(50),
                      wm_step::raise(WMT_SOURCE_SWITCH, S_OK)};
    fake_wm_install(script);
    std::unique_ptr<mms_stream> s(new mms_stream());
    EXPECT_TRUE(s->open(L"mms://radio.example/live"));
}

TEST_F(mms_test, input_reads_the_bitrate_and_maps_the_format) {
    struct {
        const char* what;
        std::string format;
        int tag, channels, rate, bits, mask;
    } cases[] = {
        {"plain PCM", wave_format(WAVE_FORMAT_PCM, 2, 44100, 16), 1, 2, 44100, 16, 0},
        {"extensible float", wave_extensible(6, 48000, 32, 0x3F, true), 3, 6, 48000, 32, 0x3F},
        {"extensible PCM", wave_extensible(2, 96000, 24, 0x3, false), 1, 2, 96000, 24, 0x3},
    };
    for (const auto& c : cases) {
        fake_wm_script script = playing_script();
        script.format = c.format;
        fake_wm_install(script);
        std::unique_ptr<mms_stream> s(new mms_stream());
        ASSERT_TRUE(s->open(L"mms://radio.example/live"));
        std::unique_ptr<wm_input> in(new wm_input());
        ASSERT_TRUE(in->open(s.get(), nullptr)) << c.what;
        audio_format f{};
        EXPECT_EQ(in->get_format(&f), &f);
        EXPECT_EQ(f.format_tag, c.tag) << c.what;
        EXPECT_EQ(f.channels, c.channels) << c.what;
        EXPECT_EQ(f.sample_rate, c.rate) << c.what;
        EXPECT_EQ(f.bits_per_sample, c.bits) << c.what;
        EXPECT_EQ(f.channel_mask, c.mask) << c.what;
        EXPECT_EQ(f.length, 0.0);
        EXPECT_DOUBLE_EQ(f.bitrate, 128.0) << c.what;
        EXPECT_EQ(fake_wm_state().starts, 1);
        in.reset();
        s.reset();
        EXPECT_TRUE(fake_wm_idle());
    }
}

TEST_F(mms_test, input_refuses_what_it_cannot_play) {
    wm_input in;
    audio_format f{};
    in.get_format(&f);
    EXPECT_EQ(f.format_tag, 1);
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.sample_rate, 44100);
    EXPECT_EQ(f.bits_per_sample, 16);
    EXPECT_EQ(f.bitrate, 0.0);
    EXPECT_TRUE(in.accepts_content_type(L"MMS Content Type"));
    for (const wchar_t* type : {L"mp3", L"", static_cast<const wchar_t*>(nullptr)}) EXPECT_FALSE(in.accepts_content_type(type));
    EXPECT_FALSE(in.accepts(nullptr, L"x.wma"));
    EXPECT_FALSE(in.open(nullptr, nullptr));
    char b[16];
    EXPECT_EQ(in.read(b, sizeof(b)), -1);
    EXPECT_EQ(in.position(), 0.0);

    fake_wm_script video = playing_script();
    video.major_type = wm_reader::subtype_float;  // not the audio major type
    fake_wm_install(video);
    std::unique_ptr<mms_stream> s(new mms_stream());
    ASSERT_TRUE(s->open(L"mms://radio.example/video"));
    std::unique_ptr<wm_input> input(new wm_input());
    EXPECT_FALSE(input->open(s.get(), nullptr));
    EXPECT_EQ(fake_wm_state().starts, 0);

    fake_wm_script ended = playing_script();
    ended.on_start = {wm_step::raise(WMT_BUFFERING_START), wm_step::raise(WMT_ERROR, E_FAIL)};
    fake_wm_install(ended);
    std::unique_ptr<mms_stream> s2(new mms_stream());
    ASSERT_TRUE(s2->open(L"mms://radio.example/lost"));
    std::unique_ptr<wm_input> input2(new wm_input());
    EXPECT_FALSE(input2->open(s2.get(), nullptr)) << "the stream ended while buffering";
}

TEST_F(mms_test, input_reads_whole_blocks_then_the_tail) {
    fake_wm_script script = playing_script();
    script.on_start.push_back(wm_step::samples(std::string(1000, 'a')));
    script.on_start.push_back(wm_step::samples(std::string(500, 'x'), 1));  // another output: ignored
    script.on_start.push_back(wm_step::broken_sample());
    script.on_start.push_back(wm_step::hold());
    script.on_start.push_back(wm_step::samples(std::string(3000, 'b')));
    script.on_start.push_back(wm_step::hold());
    script.on_start.push_back(wm_step::raise(WMT_EOF));
    fake_wm_install(script);
    std::unique_ptr<mms_stream> s(new mms_stream());
    ASSERT_TRUE(s->open(L"mms://radio.example/live"));
    std::unique_ptr<wm_input> in(new wm_input());
    ASSERT_TRUE(in->open(s.get(), nullptr));

    ASSERT_TRUE(wait_until([&] { return fake_wm_state().sample_results.size() == 3u; }));
    std::vector<HRESULT> results = fake_wm_state().sample_results;
    EXPECT_EQ(results[0], S_OK);
    EXPECT_EQ(results[1], S_OK);
    EXPECT_EQ(results[2], static_cast<HRESULT>(E_UNEXPECTED));
    EXPECT_EQ(s->buffered(), 1000);

    char block[4096];
    EXPECT_EQ(in->read(block, 2048), 0) << "not a whole block yet";
    fake_wm_go();
    ASSERT_TRUE(wait_until([&] { return s->buffered() == 4000; }));
    ASSERT_EQ(in->read(block, 2048), 2048);
    EXPECT_EQ(std::string(block, 1000), std::string(1000, 'a'));
    EXPECT_EQ(std::string(block + 1000, 1048), std::string(1048, 'b'));
    EXPECT_DOUBLE_EQ(in->position(), 2048.0 / (44100 * 4));
    EXPECT_EQ(in->read(block, 4096), 0);
    EXPECT_FALSE(s->at_end());

    fake_wm_go();
    ASSERT_TRUE(wait_until([&] { return s->ended(); }));
    EXPECT_EQ(in->read(block, 4096), 1952) << "the tail after the end of data";
    EXPECT_EQ(std::string(block, 1952), std::string(1952, 'b'));
    EXPECT_TRUE(s->at_end());
    EXPECT_EQ(in->read(block, 4096), -1);
    EXPECT_DOUBLE_EQ(in->position(), 4000.0 / (44100 * 4));
}

TEST_F(mms_test, a_reader_that_never_reports_closing_is_survived) {
    // The reader answers Close without a closed status and keeps calling the
    // callback after the stream is gone.
    fake_wm_script script = playing_script();
    script.report_closed = false;
    script.after_close = {wm_step::sleep(2500), wm_step::raise(WMT_BUFFERING_START),
                          wm_step::samples(std::string(64, 'z')), wm_step::raise(WMT_CLOSED)};
    fake_wm_install(script);
    std::unique_ptr<mms_stream> s(new mms_stream());
    ASSERT_TRUE(s->open(L"mms://radio.example/live"));
    std::unique_ptr<wm_input> in(new wm_input());
    ASSERT_TRUE(in->open(s.get(), nullptr));
    s.reset();  // close: at most 2 s for the closed status, then the stream is gone
    const size_t before = titles(0).size();
    in.reset();  // releases its references on the callback and the reader after the stream
    ASSERT_TRUE(fake_wm_idle());
    EXPECT_EQ(titles(0).size(), before) << "a late status reached a closed stream";
    std::vector<HRESULT> results = fake_wm_state().sample_results;
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], S_OK);
}
