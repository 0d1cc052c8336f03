// The lookup dialog as the CD tool runs it: a real modal dialog whose thread
// asks the loopback CDDB stand-in (tools/stand_in_cddb.py) and reads the
// virtual drive's CD-Text. The dialog's lines are followed by a hook on the
// test's own thread, which serves the modal loop; a picture of the dialog is
// kept in the artifacts folder.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cd_drive_table.h"
#include "cd_resource_ids.h"
#include "cd_services_rig.h"
#include "cd_text_packs.h"
#include "cd_tool_impl.h"
#include "cddb_dialog.h"
#include "core.h"
#include "window_capture.h"
#include "window_rig.h"

using namespace cd_text_packs;

namespace {

// The texts the lookup puts on the dialog's site line (1000) and status
// line (1001), in order, seen after each change has been made.
class line_log {
public:
    line_log() {
        current() = this;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, &line_log::proc, nullptr, GetCurrentThreadId());
    }
    ~line_log() {
        UnhookWindowsHookEx(hook_);
        current() = nullptr;
    }
    line_log(const line_log&) = delete;
    line_log& operator=(const line_log&) = delete;

    std::vector<std::pair<int, std::wstring>> lines;
    // Called on each new status text, with the dialog.
    std::function<void(HWND, const std::wstring&)> on_status;

    std::vector<std::wstring> statuses() const {
        std::vector<std::wstring> out;
        for (const auto& l : lines)
            if (l.first == IDC_CDDB_STATUS) out.push_back(l.second);
        return out;
    }

private:
    static line_log*& current() {
        static line_log* log = nullptr;
        return log;
    }
    static LRESULT CALLBACK proc(int code, WPARAM wparam, LPARAM lparam) {
        line_log* log = current();
        const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
        if (code == HC_ACTION && log && m->message == WM_SETTEXT) {
            HWND dialog = GetParent(m->hwnd);
            if (dialog && window_rig::window_text(dialog) == L"CDDB/CDText") {
                const int id = GetDlgCtrlID(m->hwnd);
                const std::wstring text = window_rig::window_text(m->hwnd);
                log->lines.emplace_back(id, text);
                if (id == IDC_CDDB_STATUS && log->on_status) log->on_status(dialog, text);
            }
        }
        return CallNextHookEx(nullptr, code, wparam, lparam);
    }
    HHOOK hook_;
};

// The example disc of three audio tracks (CDDB id 0c025803).
virtual_disc example_disc() { return cd_disc_of({{1, 0, 0}, {2, 0, 15000}, {3, 0, 30000}}, 45000); }

const char* const example_cddb = R"({
  "matches": ["rock 0c025803 가수 / 앨범", "jazz 0c025803 Other / Thing"],
  "records": {"rock 0c025803": "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t15150\n#\t30150\n#\n# Disc length: 602 seconds\n#\n# Revision: 1\n# Submitted via: zel 1.0\n#\nDISCID=0c025803\nDTITLE=가수 / 앨범\nDYEAR=2001\nDGENRE=Ballad\nTTITLE0=첫 곡\nTTITLE1=둘째 곡\nEXTD=\nEXTT0=\nEXTT1=\nPLAYORDER="}
})";

// A virtual drive E holding the disc, the CD services over it, and the
// lookup pointed at a stand-in when one is started.
struct lookup_rig {
    explicit lookup_rig(const virtual_disc& disc) : drive(rig.add('E', 0, 0)) {
        drive.disc = disc;
        started = rig.start() == cd_ripper::ok;
    }
    bool serve(const char* cddb_json) {
        if (!server.start_cddb(cddb_json)) return false;
        cddb_dialog::set_default_server(L"127.0.0.1", server.port());
        return true;
    }
    // What the CD tool answered, and the titles of the drive (the rig's only
    // one, index 0) afterwards.
    bool look_up() { return cd_tool_impl().cddb_dialog(nullptr, L'E'); }
    std::vector<cd_disc_track> titles() {
        auto_sync guard(cd_drive_table::lock());
        return cd_drive_table::record(0)->titles;
    }
    // The CDDB commands the stand-in was sent.
    std::vector<std::string> commands() const {
        std::vector<std::string> out;
        for (const recorded_request& r : server.requests()) {
            const size_t at = r.target.find("cmd=");
            out.push_back(at == std::string::npos ? r.target : r.target.substr(at + 4, r.target.find('&', at) - at - 4));
        }
        return out;
    }

    cd_services_rig rig;
    virtual_cd_drive& drive;
    stand_in_server server;
    bool started = false;
};

}  // namespace

TEST(cddb_dialog, fills_the_titles_from_the_cddb_server_and_shows_each_step) {
    lookup_rig r(example_disc());
    ASSERT_TRUE(r.started);
    ASSERT_TRUE(r.serve(example_cddb)) << r.server.error();
    const HINSTANCE before = core::get_instance();

    line_log log;
    pixel_image shot;
    bool visible = false, framed = false;
    std::wstring site_line;
    SIZE client = {}, expected = {};
    int nested = -1;
    log.on_status = [&](HWND dialog, const std::wstring& text) {
        // A title request that reaches the CD tool through the dialog's
        // modal loop while the lookup runs: no second lookup, no titles.
        if (text == L"CDDB Site 연결 중입니다") nested = r.look_up() ? 1 : 0;
        if (text != L"CDDB Track 정보를 읽는 중입니다") return;
        visible = IsWindowVisible(dialog) != FALSE;
        const LONG style = GetWindowLongW(dialog, GWL_STYLE);
        framed = (style & WS_CAPTION) == WS_CAPTION && !(style & WS_SYSMENU);
        site_line = window_rig::window_text(GetDlgItem(dialog, IDC_CDDB_SITE));
        RECT units = {0, 0, 219, 49}, area;
        MapDialogRect(dialog, &units);
        GetClientRect(dialog, &area);
        client = {area.right, area.bottom};
        expected = {units.right, units.bottom};
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        shot = capture_window(dialog);
        if (!shot.empty()) save_artifact(shot, L"lookup");
    };
    EXPECT_TRUE(r.look_up());

    const std::vector<std::pair<int, std::wstring>> lines = {
        {IDC_CDDB_SITE, L""},
        {IDC_CDDB_STATUS, L"CDDB Site를 검색중입니다"},
        {IDC_CDDB_SITE, L"127.0.0.1"},
        {IDC_CDDB_STATUS, L"CDDB Site 연결 중입니다"},
        {IDC_CDDB_STATUS, L"AudioCD Disk ID 및 Track Sector 정보를 보내는 중입니다"},
        {IDC_CDDB_STATUS, L"CDDB Track 정보를 읽는 중입니다"},
        {IDC_CDDB_STATUS, L"CDDB 읽는데 성공하였습니다"},
    };
    EXPECT_EQ(log.lines, lines);
    EXPECT_EQ(nested, 0);

    // The first match, its category as every track's genre; a track past
    // the record's titles keeps its own.
    const std::vector<cd_disc_track> titles = r.titles();
    ASSERT_EQ(titles.size(), 3u);
    const wchar_t* names[] = {L"첫 곡", L"둘째 곡", L"Audio Track 03"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const cd_track_record& t = titles[static_cast<size_t>(i)].record;
        EXPECT_EQ(t.title(), names[i]);
        EXPECT_EQ(t.artist(), L"가수");
        EXPECT_EQ(t.album(), L"앨범");
        EXPECT_EQ(t.genre(), L"rock");
        EXPECT_EQ(t.year(), 2001);
        EXPECT_EQ(t.track_number(), i + 1);
        EXPECT_EQ(t.comment(), L"");
    }

    // Protocol level 5, the example's offsets, no header but the request.
    const std::vector<std::string> commands = {"sites", "stat", "cddb+query+0c025803+3+150+15150+30150+602",
                                               "cddb+read+rock+0c025803"};
    EXPECT_EQ(r.commands(), commands);
    for (const recorded_request& q : r.server.requests()) {
        EXPECT_EQ(q.version, "HTTP/1.0");
        EXPECT_TRUE(q.headers.empty()) << q.raw;
        EXPECT_NE(q.target.find("&hello="), std::string::npos);
        EXPECT_EQ(q.target.substr(q.target.size() - 8), "&proto=5");
    }
    EXPECT_EQ(core::get_instance(), before);

    // The dialog as a person sees it while the record is read.
    EXPECT_TRUE(visible);
    EXPECT_TRUE(framed) << "a caption without a close box";
    EXPECT_EQ(site_line, L"127.0.0.1");
    EXPECT_EQ(client.cx, expected.cx);
    EXPECT_EQ(client.cy, expected.cy);
    ASSERT_FALSE(shot.empty());
    int dark = 0;
    for (int y = shot.height / 2; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const COLORREF c = shot.at(x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 100) ++dark;
        }
    EXPECT_GT(dark, 100) << "the status text drawn in the lower half";

    // Titles once found are not looked up again.
    line_log again;
    EXPECT_TRUE(r.look_up());
    EXPECT_TRUE(again.lines.empty());
    EXPECT_EQ(r.server.requests().size(), 4u);
}

TEST(cddb_dialog, a_server_that_is_down_leaves_the_titles_to_cd_text) {
    // A data track first: the audio entries are numbered by their place.
    lookup_rig r(cd_disc_of({{1, 4, 0}, {2, 0, 15000}, {3, 0, 30000}}, 45000));
    r.drive.disc.cd_text = packs(0x80, 0, {"Album", "Data", "Second", "Third"}) + packs(0x81, 0, {"Band"});
    ASSERT_TRUE(r.started);
    line_log log;
    EXPECT_TRUE(r.look_up());
    EXPECT_EQ(log.statuses(), (std::vector<std::wstring>{L"CDDB Site를 검색중입니다", L"CD Text를 읽는 중입니다"}));
    const std::vector<cd_disc_track> titles = r.titles();
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0].record.title(), L"Second");
    EXPECT_EQ(titles[0].record.track_number(), 2);
    EXPECT_EQ(titles[1].record.title(), L"Third");
    EXPECT_EQ(titles[1].record.track_number(), 3);
    for (const cd_disc_track& t : titles) {
        EXPECT_EQ(t.record.album(), L"Album");
        EXPECT_EQ(t.record.artist(), L"Band");
        EXPECT_EQ(t.record.genre(), L"Other");
    }
}

TEST(cddb_dialog, a_failed_read_falls_back_and_a_disc_nobody_knows_stays_playable) {
    // The query matches, the record is missing: the read fails, then the
    // disc has no CD-Text either.
    lookup_rig r(example_disc());
    ASSERT_TRUE(r.started);
    ASSERT_TRUE(r.serve(R"({"matches": ["rock 0c025803 Band / Album"]})")) << r.server.error();
    line_log log;
    EXPECT_TRUE(r.look_up());
    EXPECT_EQ(log.statuses(), (std::vector<std::wstring>{
                                  L"CDDB Site를 검색중입니다", L"CDDB Site 연결 중입니다",
                                  L"AudioCD Disk ID 및 Track Sector 정보를 보내는 중입니다",
                                  L"CDDB Track 정보를 읽는 중입니다", L"CDDB 트랙 정보를 읽는 데 실패 하였습니다",
                                  L"CD Text를 읽는 중입니다", L"CD Text 읽기 실패"}));
    // Every audio track keeps its table-of-contents titles.
    const std::vector<cd_disc_track> titles = r.titles();
    ASSERT_EQ(titles.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(titles[static_cast<size_t>(i)].record.track_number(), i + 1);
        EXPECT_EQ(titles[static_cast<size_t>(i)].record.title(), L"Audio Track 0" + std::to_wstring(i + 1));
        EXPECT_EQ(titles[static_cast<size_t>(i)].record.artist(), L"아티스트 없음");
    }
}

TEST(cddb_dialog, no_match_and_a_silent_server_fall_back_to_cd_text) {
    const struct {
        const char* name;
        const char* cddb;
        std::vector<std::wstring> statuses;
    } cases[] = {
        {"no match", R"({"matches": []})",
         {L"CDDB Site를 검색중입니다", L"CDDB Site 연결 중입니다",
          L"AudioCD Disk ID 및 Track Sector 정보를 보내는 중입니다", L"CD Text를 읽는 중입니다"}},
        {"only sites of other protocols", R"({"sites": ["127.0.0.1 cddbp 8880 - N000.00 W000.00 Other"]})",
         {L"CDDB Site를 검색중입니다", L"CD Text를 읽는 중입니다"}},
        {"a server that stays silent", R"({"styles": {"sites": {"silent_ms": 20000}}})",
         {L"CDDB Site를 검색중입니다", L"CD Text를 읽는 중입니다"}},
    };
    lookup_rig r(example_disc());
    r.drive.disc.cd_text = packs(0x80, 1, {"One", "Two", "Three"});
    ASSERT_TRUE(r.started);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(r.serve(c.cddb)) << r.server.error();
        {
            auto_sync guard(cd_drive_table::lock());
            cd_drive_table::record(0)->titles.clear();
        }
        line_log log;
        EXPECT_TRUE(r.look_up());
        EXPECT_EQ(log.statuses(), c.statuses);
        const std::vector<cd_disc_track> titles = r.titles();
        ASSERT_EQ(titles.size(), 3u);
        EXPECT_EQ(titles[2].record.title(), L"Three");
    }
}

TEST(cddb_dialog, an_empty_disc_asks_nobody) {
    lookup_rig r(example_disc());
    r.drive.medium = false;
    ASSERT_TRUE(r.started);
    ASSERT_TRUE(r.serve(example_cddb)) << r.server.error();
    line_log log;
    EXPECT_FALSE(r.look_up());
    EXPECT_TRUE(r.titles().empty());

    // The dialog itself, given a disc without tracks, closes without a word.
    cd_disc empty;
    std::vector<cd_disc_track> titles;
    const HINSTANCE before = core::get_instance();
    cddb_dialog::look_up(nullptr, empty, titles);
    EXPECT_TRUE(titles.empty());
    EXPECT_EQ(core::get_instance(), before);
    EXPECT_TRUE(log.lines.empty());
    window_rig::pump();
    EXPECT_TRUE(r.server.requests().empty());
}

// A disc whose first track is not 1: CDDB titles go by place on the disc,
// CD-Text packs by the disc's own track numbers, and every title keeps the
// track number the input and the tag use.
TEST(cddb_dialog, titles_go_on_the_discs_own_track_numbers) {
    const virtual_disc from_three = cd_disc_of({{3, 0, 0}, {4, 0, 15000}, {5, 0, 30000}}, 45000);
    {
        SCOPED_TRACE("CDDB");
        lookup_rig r(from_three);
        ASSERT_TRUE(r.started);
        ASSERT_TRUE(r.serve(example_cddb)) << r.server.error();  // the same offsets: the same CDDB id
        EXPECT_TRUE(r.look_up());
        const std::vector<cd_disc_track> titles = r.titles();
        ASSERT_EQ(titles.size(), 3u);
        const wchar_t* names[] = {L"첫 곡", L"둘째 곡", L"Audio Track 05"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(titles[static_cast<size_t>(i)].record.track_number(), i + 3);
            EXPECT_EQ(titles[static_cast<size_t>(i)].record.title(), names[i]);
        }
    }
    {
        SCOPED_TRACE("CD-Text");
        lookup_rig r(from_three);
        r.drive.disc.cd_text = packs(0x80, 3, {"Three", "Four", "Five"});
        ASSERT_TRUE(r.started);
        {
            // The table keeps the titles found above for this very disc.
            auto_sync guard(cd_drive_table::lock());
            cd_drive_table::record(0)->titles.clear();
        }
        cddb_dialog::set_default_server(L"127.0.0.1", stand_in_server::unused_port());
        EXPECT_TRUE(r.look_up());  // no server: straight to CD-Text
        const std::vector<cd_disc_track> titles = r.titles();
        ASSERT_EQ(titles.size(), 3u);
        const wchar_t* names[] = {L"Three", L"Four", L"Five"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(titles[static_cast<size_t>(i)].record.track_number(), i + 3);
            EXPECT_EQ(titles[static_cast<size_t>(i)].record.title(), names[i]);
        }
    }
}

// The drive table used to stay locked through the whole modal lookup: a CD
// that played (its input reads sectors under that lock) fell silent for as
// long as the server took. And the lookup thread read the live disc, which a
// call served by the dialog's loop may re-read meanwhile.
TEST(cddb_dialog, the_drives_stay_usable_while_titles_are_looked_up) {
    lookup_rig r(example_disc());
    ASSERT_TRUE(r.started);
    ASSERT_TRUE(r.serve(example_cddb)) << r.server.error();
    line_log log;
    std::atomic<bool> locked_meanwhile{false};
    std::thread player;
    bool free_in_time = false;
    int nested = -1;
    log.on_status = [&](HWND, const std::wstring& text) {
        if (text != L"CDDB Site 연결 중입니다") return;
        // Another thread (the CD input of a playing track) takes the lock.
        player = std::thread([&] {
            auto_sync guard(cd_drive_table::lock());
            locked_meanwhile = true;
        });
        const DWORD begin = GetTickCount();
        while (!locked_meanwhile && GetTickCount() - begin < 3000) Sleep(10);
        free_in_time = locked_meanwhile;
        // Another disc goes in, and a title request re-reads the drive.
        r.drive.disc = cd_disc_of({{1, 0, 0}, {2, 0, 10000}, {3, 0, 20000}, {4, 0, 30000}}, 40000);
        nested = r.look_up() ? 1 : 0;
    };
    EXPECT_TRUE(r.look_up());
    if (player.joinable()) player.join();
    EXPECT_TRUE(free_in_time) << "the drive table was locked through the lookup";
    EXPECT_EQ(nested, 0);
    // The lookup asked for the disc it started with...
    const std::vector<std::string> commands = r.commands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands[2], "cddb+query+0c025803+3+150+15150+30150+602");
    // ...whose titles are not given to the disc now in the drive.
    const std::vector<cd_disc_track> titles = r.titles();
    ASSERT_EQ(titles.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(titles[static_cast<size_t>(i)].record.title(), L"Audio Track 0" + std::to_wstring(i + 1));
}

// A server that sends a byte now and then never trips the idle time: the
// whole lookup has a bound. And the dialog's Cancel button ends it at once,
// without the CD-Text fallback.
TEST(cddb_dialog, a_lookup_is_bounded_and_can_be_cancelled) {
    lookup_rig r(example_disc());
    r.drive.disc.cd_text = packs(0x80, 1, {"One", "Two", "Three"});
    ASSERT_TRUE(r.started);
    ASSERT_TRUE(r.serve(R"({"styles": {"sites": {"drip_ms": 300}}})")) << r.server.error();
    {
        SCOPED_TRACE("bound");
        cddb_dialog::set_lookup_limit(1500);
        line_log log;
        const DWORD begin = GetTickCount();
        EXPECT_TRUE(r.look_up());
        const DWORD took = GetTickCount() - begin;
        cddb_dialog::set_lookup_limit(0);
        EXPECT_LT(took, 8000u);
        EXPECT_GE(took, 1400u);
        EXPECT_EQ(log.statuses(), (std::vector<std::wstring>{L"CDDB Site를 검색중입니다", L"CD Text를 읽는 중입니다"}));
        const std::vector<cd_disc_track> titles = r.titles();
        ASSERT_EQ(titles.size(), 3u);
        EXPECT_EQ(titles[2].record.title(), L"Three");
    }
    {
        SCOPED_TRACE("cancel");
        {
            auto_sync guard(cd_drive_table::lock());
            cd_drive_table::record(0)->titles.clear();
        }
        line_log log;
        bool has_button = false;
        log.on_status = [&](HWND dialog, const std::wstring& text) {
            if (text != L"CDDB Site를 검색중입니다") return;
            HWND cancel = GetDlgItem(dialog, IDCANCEL);
            has_button = cancel && IsWindowVisible(cancel);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        };
        const DWORD begin = GetTickCount();
        EXPECT_TRUE(r.look_up());
        EXPECT_LT(GetTickCount() - begin, 5000u);
        EXPECT_TRUE(has_button);
        EXPECT_EQ(log.statuses(), (std::vector<std::wstring>{L"CDDB Site를 검색중입니다", L"취소되었습니다"}));
        // The disc stays playable with its table-of-contents titles.
        const std::vector<cd_disc_track> titles = r.titles();
        ASSERT_EQ(titles.size(), 3u);
        EXPECT_EQ(titles[2].record.title(), L"Audio Track 03");
    }
}
