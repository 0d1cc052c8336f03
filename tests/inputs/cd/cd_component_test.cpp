// The Audio CD services of zel_in_std.dll as the player reaches them: the
// registry, core::add_file of drive names and ".cda" files, tracks played by
// the playback engine into the capture output, the cd_tool service and the
// media-change window. The program runs in a folder that holds zel_core,
// zel_output, zel_in_std, the engine tests' recording listeners and the
// recording drive listeners; the virtual drives of the CD test rig are put
// behind zel_in_std's own copy of the CD layer through its export.
#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <cstring>
#include <string>

#include "cd_drive_listener.h"
#include "cd_listener_recorder.h"
#include "cd_services_rig.h"
#include "cd_tool.h"
#include "cd_track_name.h"
#include "core.h"
#include "stand_in_server.h"
#include "engine_rig.h"
#include "file_type.h"
#include "init_quit.h"
#include "input.h"
#include "tag.h"
#include "temp_folder.h"

namespace {

constexpr int sector = 2352;

// The virtual drives of a CD test rig, also behind zel_in_std.dll's CD
// layer while the object lives; the libraries are loaded and started first.
class dll_drives {
public:
    dll_drives() {
        load_output_component();
        using install_fn = const cd_device_io*(__cdecl*)(const cd_device_io*);
        install_ = reinterpret_cast<install_fn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"zel_in_std.dll"), "zel_cd_install_device_io")));
        if (install_) install_(rig.io.table());
        // Title lookups ask a loopback port where nothing listens.
        using server_fn = void(__cdecl*)(const wchar_t*, int);
        set_server_ = reinterpret_cast<server_fn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"zel_in_std.dll"), "zel_cddb_set_server")));
        if (set_server_) set_server_(L"127.0.0.1", stand_in_server::unused_port());
        static bool started = false;
        if (!started) for_each_component<init_quit>([](init_quit* h) { h->on_init(); });
        started = true;
    }
    ~dll_drives() {
        if (install_) install_(nullptr);
        if (set_server_) set_server_(nullptr, 0);
    }
    dll_drives(const dll_drives&) = delete;
    dll_drives& operator=(const dll_drives&) = delete;

    bool ready() const { return install_ != nullptr && set_server_ != nullptr; }
    virtual_cd_drive& drive(wchar_t letter) { return *rig.io.at(letter).drive; }
    std::wstring name(int track, wchar_t letter) {
        return cd_track_name::make(track, cd_disc_id_of(drive(letter).disc), letter);
    }

    cd_test_rig rig;

private:
    const cd_device_io*(__cdecl* install_)(const cd_device_io*) = nullptr;
    void(__cdecl* set_server_)(const wchar_t*, int) = nullptr;
};

std::wstring text(const wchar_t* s) { return s ? s : L""; }

// A ".cda" track file as Windows shows it on an audio CD: 44 bytes.
std::string cda_file(int track, unsigned disc_id, unsigned start, unsigned sectors) {
    unsigned char b[44] = {};
    auto put16 = [&](int at, unsigned v) {
        b[at] = static_cast<unsigned char>(v);
        b[at + 1] = static_cast<unsigned char>(v >> 8);
    };
    auto put32 = [&](int at, unsigned v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    auto msf = [&](int at, unsigned s) {
        b[at] = static_cast<unsigned char>(s % 75);
        b[at + 1] = static_cast<unsigned char>(s / 75 % 60);
        b[at + 2] = static_cast<unsigned char>(s / 4500);
    };
    memcpy(b, "RIFF", 4);
    put32(4, 36);
    memcpy(b + 8, "CDDAfmt ", 8);
    put32(16, 24);
    put16(20, 1);
    put16(22, static_cast<unsigned>(track));
    put32(24, disc_id);
    put32(28, start);
    put32(32, sectors);
    msf(36, start + 150);
    msf(40, sectors);
    return std::string(reinterpret_cast<char*>(b), sizeof(b));
}

bool write_bytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// The input that core::create_input picks for an entry, as the engine
// looks it up.
input* input_for(list_info& entry) {
    stream* s = core::create_stream(entry.path);
    if (!s) return nullptr;
    input* in = core::create_input(s, &entry);
    s->release();
    return in;
}

}  // namespace

TEST(cd_component, registers_the_audio_cd_services_behind_the_mpeg_ones) {
    dll_drives d;
    ASSERT_TRUE(d.ready()) << "zel_in_std.dll beside the program, with its export";
    bool audio_cd = false;
    for_each_component<file_type>([&](file_type* t) {
        if (text(t->description()) == L"Audio CD") audio_cd = text(t->extensions()) == L"*.cda";
    });
    EXPECT_TRUE(audio_cd);
    wchar_t* mask = core::build_openfolder_mask();
    ASSERT_NE(mask, nullptr);
    EXPECT_NE(std::wstring(mask).find(L"cda;"), std::wstring::npos);
    free(mask);
    EXPECT_NE(core::enum_create_component(cd_tool::iid, 0), nullptr);

    // Under input and tag the MPEG components come before the CD ones.
    auto first_claiming = [](const GUID& iid, const wchar_t* path) {
        for (int i = 0;; ++i) {
            component* c = core::enum_create_component(iid, i);
            if (!c) return -1;
            const bool claims = guid_equal(iid, input::iid) ? static_cast<input*>(c)->accepts(nullptr, path)
                                                             : static_cast<tag*>(c)->accepts(nullptr, path);
            c->release();
            if (claims) return i;
        }
    };
    const int mpeg_input = first_claiming(input::iid, L"a.mp3");
    const int cd_input = first_claiming(input::iid, L"cdda://01|00000000|E.cda");
    ASSERT_GE(mpeg_input, 0);
    ASSERT_GE(cd_input, 0);
    EXPECT_LT(mpeg_input, cd_input);
    const int mpeg_tag = first_claiming(tag::iid, L"a.mp3");
    const int cd_tag = first_claiming(tag::iid, L"E:\\Track01.cda");
    ASSERT_GE(cd_tag, 0);
    EXPECT_LT(mpeg_tag, cd_tag);
}

// A drive name in any case gives the disc's tracks; a CD track name (as a
// saved playlist holds it) gives its one entry through the CD tag.
TEST(cd_component, add_file_of_a_drive_name_gives_one_entry_per_track) {
    dll_drives d;
    ASSERT_TRUE(d.ready());
    d.rig.add('E', 0, 0).disc = cd_disc_of({{1, 0, 0}, {2, 0, 15000}, {3, 0, 30000}}, 45000);
    std::vector<list_info> entries;
    ASSERT_TRUE(core::add_file(L"cdda://e.cda", entries));
    ASSERT_EQ(entries.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(text(entries[i].path), L"cdda://0" + std::to_wstring(i + 1) + L"|00094200|E.cda");
        EXPECT_EQ(text(entries[i].title), L"Audio Track 0" + std::to_wstring(i + 1));
        EXPECT_EQ(text(entries[i].artist), L"아티스트 없음");
        EXPECT_EQ(entries[i].time, 200.0);
        EXPECT_EQ(entries[i].track, i + 1);
    }
    entries.clear();
    ASSERT_TRUE(core::add_file(L"cdda://02|00094200|E.cda", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(text(entries[0].path), L"cdda://02|00094200|E.cda");
    EXPECT_EQ(text(entries[0].title), L"Audio Track 02");
    EXPECT_EQ(entries[0].time, 200.0);
    EXPECT_EQ(entries[0].channel, 2);
    EXPECT_EQ(entries[0].samplerate, 44100);
    EXPECT_EQ(entries[0].track, 2);

    entries.clear();
    EXPECT_FALSE(core::add_file(L"cdda://Q.cda", entries));
    EXPECT_TRUE(entries.empty());
}

// Track files lie on the drive letter of the temporary folder here; the
// drives are put on that letter and on another.
TEST(cd_component, add_file_of_a_cda_file_gives_its_track_and_a_wrong_file_gives_none) {
    dll_drives d;
    ASSERT_TRUE(d.ready());
    temp_folder dir;
    ASSERT_FALSE(dir.path().empty());
    const wchar_t here = static_cast<wchar_t>(towupper(dir.path()[0]));
    const wchar_t other = here == L'F' ? L'G' : L'F';
    d.rig.add(here, 0, 0).disc = cd_disc_of({{1, 0, 0}, {2, 0, 15000}, {3, 0, 30000}}, 45000);
    // The other disc starts with a data track: its titles are tracks 2 and 3.
    d.rig.add(other, 0, 1).disc = cd_disc_of({{1, 4, 0}, {2, 0, 600}, {3, 0, 1200}}, 1800);
    const unsigned here_id = 0x00094200;
    const unsigned other_id = cd_disc_id_of(d.drive(other).disc);

    // Writes a track file and adds it; what add_file answered.
    std::vector<list_info> entries;
    auto add = [&](const wchar_t* file, const std::string& bytes) {
        entries.clear();
        return write_bytes(dir / file, bytes) && core::add_file((dir / file).c_str(), entries);
    };

    // The one entry a track file gave.
    auto expect_entry = [&](const std::wstring& path, int track, double time) {
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(text(entries[0].path), path);
        EXPECT_EQ(text(entries[0].title), L"Audio Track 0" + std::to_wstring(track));
        EXPECT_EQ(entries[0].track, track);
        EXPECT_EQ(entries[0].time, time);
    };

    ASSERT_TRUE(add(L"Track02.cda", cda_file(2, here_id, 15000, 15000)));
    expect_entry(cd_track_name::make(2, here_id, here), 2, 200.0);

    // Headers that are not a CD track file's: handled, nothing added.
    const std::string good = cda_file(2, here_id, 15000, 15000);
    const struct {
        const char* why;
        int at;
        char value;
    } wrong[] = {{"RIFF", 0, 'X'}, {"size", 4, 37}, {"CDDA", 11, 'B'}, {"version", 20, 2},
                 {"track 0", 22, 0}, {"track 100", 22, 100}, {"disc id 0", 24, 0}};
    for (const auto& w : wrong) {
        SCOPED_TRACE(w.why);
        std::string bytes = good;
        bytes[static_cast<size_t>(w.at)] = w.value;
        if (w.at == 24) bytes.replace(24, 4, std::string(4, '\0'));
        EXPECT_TRUE(add(L"Track09.cda", bytes));
        EXPECT_TRUE(entries.empty());
    }
    // A track file of a disc in no drive, or of a track the disc lacks, and
    // a file too short to be one: nothing.
    for (const std::string& bytes : {cda_file(2, 0x0BADD15C, 15000, 15000), cda_file(5, here_id, 0, 100),
                                     good.substr(0, 43)}) {
        EXPECT_FALSE(add(L"Track08.cda", bytes));
        EXPECT_TRUE(entries.empty());
    }

    // A track file whose disc is in the other drive names that drive, and
    // gets the titles of its own track number (not of the third title).
    ASSERT_TRUE(add(L"Track03.cda", cda_file(3, other_id, 1200, 600)));
    expect_entry(cd_track_name::make(3, other_id, other), 3, 8.0);
    ASSERT_EQ(entries.size(), 1u);

    // And it plays from there.
    input* in = input_for(entries[0]);
    ASSERT_NE(in, nullptr);
    std::vector<unsigned char> got = cd_read_all(*in);
    in->release();
    EXPECT_TRUE(got == d.drive(other).sectors(1200, 600));
}

// A track through stream, input and engine into the capture output: the
// drive's bytes exactly, left and right in place, although every read of
// the drive but the first comes up to 800 bytes off.
TEST(cd_component, a_cd_track_plays_through_the_engine_as_the_disc_holds_it) {
    dll_drives d;
    ASSERT_TRUE(d.ready());
    virtual_cd_drive& e = d.rig.add('E', 0, 0);
    e.disc = virtual_disc::audio(3, 300);
    e.jitter_steps = 200;
    engine_rig rig;
    ASSERT_NE(rig.capture, nullptr);
    ASSERT_NE(rig.recorder, nullptr);
    playback_engine* engine = rig.new_engine();
    ASSERT_NE(engine, nullptr);
    list_info entry = cd_entry(d.name(2, L'E'));
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish(1, 100));
    engine->release();
    EXPECT_EQ(rig.count(engine_event_kind::error), 0);
    const std::vector<capture_track> tracks = rig.tracks(0);
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].format.channels, 2);
    EXPECT_EQ(tracks[0].format.sample_rate, 44100);
    EXPECT_EQ(tracks[0].format.bits_per_sample, 16);
    EXPECT_DOUBLE_EQ(tracks[0].start_length, 4.0);
    const std::vector<unsigned char> want = e.sectors(300, 300);
    ASSERT_EQ(tracks[0].pcm.size(), want.size());
    EXPECT_TRUE(tracks[0].pcm == want);
}

// The engine goes on with the next entry on the same thread: the first
// track's input is released before the second opens. Were it not, the
// second open would wait for the rip on the thread that holds it and fail,
// which the start and error counts show.
TEST(cd_component, two_cd_tracks_in_a_row_play_one_after_the_other) {
    dll_drives d;
    ASSERT_TRUE(d.ready());
    virtual_cd_drive& e = d.rig.add('E', 0, 0);
    e.disc = virtual_disc::audio(3, 225);
    engine_rig rig;
    playback_engine* engine = rig.new_engine();
    ASSERT_NE(engine, nullptr);
    rig.music.script({d.name(3, L'E')});
    list_info entry = cd_entry(d.name(1, L'E'));
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish(1, 100));
    engine->release();
    EXPECT_EQ(rig.count(engine_event_kind::start), 2);
    EXPECT_EQ(rig.count(engine_event_kind::error), 0);
    std::vector<unsigned char> want = e.sectors(0, 225);
    const std::vector<unsigned char> third = e.sectors(450, 225);
    want.insert(want.end(), third.begin(), third.end());
    EXPECT_TRUE(rig.all_pcm(0) == want);
}

TEST(cd_component, cd_tool_lists_drives_with_a_medium_and_makes_sure_of_titles) {
    dll_drives d;
    ASSERT_TRUE(d.ready());
    d.rig.add('G', 0, 1);
    d.rig.add('E', 0, 0).disc = virtual_disc::audio(2, 300);
    d.rig.add('F', 0, 2).medium = false;
    auto* tool = static_cast<cd_tool*>(core::enum_create_component(cd_tool::iid, 0));
    ASSERT_NE(tool, nullptr);
    std::vector<wchar_t> letters = {L'x'};
    tool->list_drives(letters);
    EXPECT_EQ(letters, (std::vector<wchar_t>{L'x', L'E', L'G'}));

    EXPECT_TRUE(tool->cddb_dialog(nullptr, L'e'));
    EXPECT_TRUE(tool->cddb_dialog(nullptr, L'E'));  // titles there already
    EXPECT_FALSE(tool->cddb_dialog(nullptr, L'F'));  // no disc
    EXPECT_FALSE(tool->cddb_dialog(nullptr, L'Q'));
    std::vector<list_info> entries;
    ASSERT_TRUE(core::add_file(L"cdda://E.cda", entries));
    EXPECT_EQ(entries.size(), 2u);
}

// No CD drive at all: the extractor's start fails once, and no call starts
// it again or fails slowly.
TEST(cd_component, without_cd_drives_nothing_is_added_and_the_start_is_not_retried) {
    dll_drives d;
    ASSERT_TRUE(d.ready());
    d.rig.add('D', 0, 0).device_type = 0;  // a letter whose device is no CD drive
    auto* tool = static_cast<cd_tool*>(core::enum_create_component(cd_tool::iid, 0));
    ASSERT_NE(tool, nullptr);
    std::vector<list_info> entries;
    EXPECT_FALSE(core::add_file(L"cdda://D.cda", entries));
    const size_t probes = d.rig.io.opens.size();
    EXPECT_GT(probes, 0u);
    const DWORD begin = GetTickCount();
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(core::add_file(L"cdda://D.cda", entries));
        EXPECT_FALSE(core::add_file(L"cdda://01|00000200|D.cda", entries));
        EXPECT_FALSE(tool->cddb_dialog(nullptr, L'D'));
        list_info entry = cd_entry(L"cdda://01|00000200|D.cda");
        EXPECT_EQ(input_for(entry), nullptr);
    }
    // A rip left held by a failed open would make each later open wait 10 s.
    EXPECT_LT(GetTickCount() - begin, 60000u);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(d.rig.io.opens.size(), probes);
}

namespace {

HWND media_window() {
    return FindWindowW(L"{4910EC9C-D3EB-41ae-9C38-C20A076BA588}", L"{4910EC9C-D3EB-41ae-9C38-C20A076BA588}");
}

LRESULT send_volume(HWND window, WPARAM event, DWORD mask, WORD flags, DWORD type = DBT_DEVTYP_VOLUME) {
    DEV_BROADCAST_VOLUME v = {};
    v.dbcv_size = sizeof(v);
    v.dbcv_devicetype = type;
    v.dbcv_unitmask = mask;
    v.dbcv_flags = flags;
    return SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&v));
}

}  // namespace

// The hidden window hears volume-media broadcasts and tells every listener,
// in the registry's order, which drive got or lost its medium.
TEST(cd_component, a_media_change_broadcast_tells_the_drive_listeners) {
    dll_drives d;
    ASSERT_TRUE(d.ready());
    auto* recorder = static_cast<cd_listener_recorder*>(core::enum_create_component(cd_listener_recorder::iid, 0));
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(media_window(), nullptr);
    for_each_component<init_quit>([](init_quit* h) { h->on_ui_ready(); });
    const HWND window = media_window();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetParent(window), nullptr);
    // A second start makes no second window (nor tells anyone twice).
    for_each_component<init_quit>([](init_quit* h) { h->on_ui_ready(); });
    EXPECT_EQ(media_window(), window);
    recorder->clear();

    const DWORD e = 1u << 4, d_and_g = (1u << 3) | (1u << 6);
    send_volume(window, DBT_DEVICEARRIVAL, e, DBTF_MEDIA);
    send_volume(window, DBT_DEVICEREMOVECOMPLETE, e, DBTF_MEDIA);
    send_volume(window, DBT_DEVICEARRIVAL, d_and_g, DBTF_MEDIA | DBTF_NET);  // the lowest drive only
    // None of these is a medium change of a drive.
    send_volume(window, DBT_DEVICEARRIVAL, e, 0);                                  // a new volume device
    send_volume(window, DBT_DEVICEARRIVAL, 0, DBTF_MEDIA);                         // no drive
    send_volume(window, DBT_DEVICEARRIVAL, e, DBTF_MEDIA, DBT_DEVTYP_PORT);         // not a volume
    send_volume(window, DBT_DEVICEQUERYREMOVE, e, DBTF_MEDIA);                     // not done
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    DEV_BROADCAST_HDR short_header = {sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_VOLUME, 0};
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&short_header));

    std::vector<cd_drive_event> events;
    recorder->events(events);
    const cd_drive_event want[] = {{0, L'E', 1}, {1, L'E', 1}, {0, L'E', 0},
                                   {1, L'E', 0}, {0, L'D', 1}, {1, L'D', 1}};
    ASSERT_EQ(events.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(events[i].listener, want[i].listener) << i;
        EXPECT_EQ(events[i].letter, want[i].letter) << i;
        EXPECT_EQ(events[i].arrived, want[i].arrived) << i;
    }

    for_each_component<init_quit>([](init_quit* h) { h->on_ui_closing(); });
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(media_window(), nullptr);
}
