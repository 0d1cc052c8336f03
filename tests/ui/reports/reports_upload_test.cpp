// The player-state reports and the played-tracks upload: the reports as the
// service stand-in receives them, the upload checks with the clock, the
// timer and the worker behind their seam, and the worker's upload to the
// stand-in (a success deletes the file, anything else keeps it).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "log_upload.h"
#include "player_reports.h"
#include "stand_in_server.h"
#include "temp_folder.h"
#include "window_rig.h"
#include "wine_host.h"

namespace {

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// ---------------------------------------------------------------------------
// Reports

class fake_report_env : public report_env {
public:
    request_identity identity() override { return id; }
    void stop_players() override { ++stops; }
    void write_anne_log(const wchar_t* line) override { anne_logs.push_back(line); }
    request_identity id;
    int stops = 0;
    std::vector<std::wstring> anne_logs;
};

struct reports_test : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(server.start_scenario("{}")) << server.error();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
        env.id.store.storecode = L"S001";
    }
    void TearDown() override { SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr); }
    stand_in_server server;
    fake_report_env env;
};

TEST_F(reports_test, the_volume_goes_as_tenths_and_never_below_one) {
    const struct {
        unsigned volume;
        const char* value;
    } cases[] = {{0, "1"}, {5, "1"}, {19, "1"}, {20, "2"}, {999, "99"}, {1000, "100"}};
    for (const auto& c : cases) {
        env.id.volumes.music = static_cast<int>(c.volume);
        report_player_state(1, env);
    }
    env.id.volumes.music_mute = true;
    report_player_state(2, env);
    env.id.volumes.music_mute = false;
    report_player_state(7, env);  // any kind but 1 is the mute
    const auto reports = server.state("report");
    ASSERT_EQ(reports.size(), 8u);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(reports[i], (std::vector<std::string>{"music_volume", cases[i].value})) << cases[i].volume;
    EXPECT_EQ(reports[6], (std::vector<std::string>{"music_volume_mute", "1"}));
    EXPECT_EQ(reports[7], (std::vector<std::string>{"music_volume_mute", "0"}));
}

TEST_F(reports_test, stop_and_exit_are_reported_and_a_missing_reply_is_logged) {
    report_play_stop(env);
    report_player_exit(env);
    EXPECT_EQ(env.stops, 1);
    EXPECT_TRUE(env.anne_logs.empty());
    const auto reports = server.state("report");
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0], std::vector<std::string>{"play_stop"});
    EXPECT_EQ(reports[1], std::vector<std::string>{"player_exit"});
    const auto sent = server.requests();
    ASSERT_FALSE(sent.empty());
    const auto fields = sent.back().decoded_fields();
    EXPECT_EQ(fields, (std::vector<std::pair<std::string, std::string>>{{"storecode", "S001"},
                                                                         {"player_state", "player_exit"}}));

    ASSERT_TRUE(server.set_faults({stand_in_fault::of("rux_player_state.php", "empty")}));
    report_play_stop(env);
    report_player_exit(env);
    EXPECT_EQ(env.stops, 2);
    EXPECT_EQ(env.anne_logs, (std::vector<std::wstring>{L"Failure: player_state - play_stop",
                                                         L"Failure: player_state - player_exit"}));
}

// ---------------------------------------------------------------------------
// The upload checks

class fake_upload_env : public log_upload_env {
public:
    unsigned tick_count() override { return now; }
    SYSTEMTIME local_time() override {
        SYSTEMTIME t = {};
        t.wYear = 2026;
        t.wMonth = 12;
        t.wDay = 11;
        t.wHour = static_cast<WORD>(hour);
        return t;
    }
    int random() override { return rnd; }
    bool listenlog() override { return listen; }
    bool logged_in() override { return logged; }
    stringx played_log_folder() override { return stringx(folder.c_str()); }
    stringx today_file_name() override { return stringx(L"PLAYED_INFO_LOG_2026-12-11.txt"); }
    void write_log(const wchar_t* line) override { logs.push_back(line); }
    UINT_PTR set_timer() override {
        ++timers_set;
        return ++last_timer;
    }
    void kill_timer(UINT_PTR id) override { killed.push_back(id); }
    upload_args* make_args(const stringx& path) override {
        upload_args* a = new upload_args;
        a->storeid = L"store01";
        a->path = path;
        return a;
    }
    // The worker's success: the file is sent and deleted.
    bool start_worker(upload_args* args) override {
        uploaded.push_back(args->path.wvalue());
        if (delete_uploaded) DeleteFileW(args->path.wvalue());
        delete args;
        return worker_starts;
    }
    void pause(DWORD) override {}

    unsigned now = 100000;
    int hour = 14;
    int rnd = 3;
    bool listen = true;
    bool logged = true;
    std::wstring folder;
    std::vector<std::wstring> logs;
    int timers_set = 0;
    UINT_PTR last_timer = 40;
    std::vector<UINT_PTR> killed;
    std::vector<std::wstring> uploaded;
    bool delete_uploaded = true;
    bool worker_starts = true;
};

struct upload_check_test : ::testing::Test {
    void SetUp() override {
        env.folder = files.path();
        upload.start();
    }
    // The first check is due 20 s + (3 % 5) x 10 s after the start.
    unsigned first_due() const { return 100000 + 20000 + 3 * 10000; }
    // Sixteen timer ticks at the given time: the sixteenth checks.
    void ticks_at(unsigned now) {
        env.now = now;
        for (int i = 0; i < 16; ++i) upload.check(upload.timer_id());
    }
    bool logged(const std::wstring& line) const {
        return std::find(env.logs.begin(), env.logs.end(), line) != env.logs.end();
    }
    void put(const wchar_t* name) { ASSERT_TRUE(files.write(name, "track^artist\r\n")); }

    temp_folder files{L"played"};
    fake_upload_env env;
    log_upload upload{env};
};

TEST_F(upload_check_test, checks_every_sixteenth_tick_of_its_own_timer_once_due) {
    put(L"PLAYED_INFO_LOG_2026-12-09.txt");
    EXPECT_EQ(upload.next_check(), first_due());
    EXPECT_EQ(env.timers_set, 1);
    env.now = first_due();
    for (int i = 0; i < 15; ++i) upload.check(upload.timer_id());
    for (int i = 0; i < 20; ++i) upload.check(999);  // another timer
    EXPECT_TRUE(env.uploaded.empty());
    upload.check(upload.timer_id());
    EXPECT_EQ(env.uploaded.size(), 1u);

    // Not due yet: nothing happens, nothing is logged.
    put(L"PLAYED_INFO_LOG_2026-12-10.txt");
    env.logs.clear();
    ticks_at(first_due() + 1199999);
    EXPECT_EQ(env.uploaded.size(), 1u);
    EXPECT_TRUE(env.logs.empty());
}

TEST_F(upload_check_test, is_held_from_eight_to_twelve_oclock_with_its_log_line) {
    put(L"PLAYED_INFO_LOG_2026-12-09.txt");
    const struct {
        int hour;
        bool held;
    } cases[] = {{7, false}, {8, true}, {9, true}, {10, true}, {11, true}, {12, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hour);
        fake_upload_env e;
        e.folder = files.path();
        e.hour = c.hour;
        e.delete_uploaded = false;
        log_upload u(e);
        u.start();
        const unsigned due = u.next_check();
        e.now = due;
        for (int i = 0; i < 16; ++i) u.check(u.timer_id());
        if (c.held) {
            EXPECT_EQ(e.logs, std::vector<std::wstring>{L"로그 전달 보류"});
            EXPECT_TRUE(e.uploaded.empty());
            EXPECT_TRUE(e.killed.empty());  // the timer keeps running
            EXPECT_EQ(u.next_check(), due + 1200000 + 3 * 1500);
        } else {
            EXPECT_EQ(e.uploaded.size(), 1u);
            EXPECT_FALSE(std::find(e.logs.begin(), e.logs.end(), L"로그 전달 보류") != e.logs.end());
        }
    }
}

TEST_F(upload_check_test, with_listenlog_off_nothing_is_searched_or_logged) {
    put(L"PLAYED_INFO_LOG_2026-12-09.txt");
    env.listen = false;
    ticks_at(first_due() + 5000000);
    EXPECT_TRUE(env.uploaded.empty());
    EXPECT_TRUE(env.logs.empty());
}

TEST_F(upload_check_test, only_todays_file_waits_an_hour) {
    put(L"PLAYED_INFO_LOG_2026-12-11.txt");
    ticks_at(first_due());
    EXPECT_TRUE(env.uploaded.empty());
    EXPECT_TRUE(logged(L"로그 전달 프로세스 시작"));
    EXPECT_EQ(upload.next_check(), first_due() + 3600000);
    EXPECT_EQ(env.killed.size(), 1u);
    EXPECT_EQ(env.timers_set, 2);  // stopped and started again around the check
    EXPECT_TRUE(exists(files / L"PLAYED_INFO_LOG_2026-12-11.txt"));
}

TEST_F(upload_check_test, old_files_go_one_per_check_twenty_minutes_apart) {
    put(L"PLAYED_INFO_LOG_2026-12-08.txt");
    put(L"PLAYED_INFO_LOG_2026-12-11.txt");  // today's
    put(L"PLAYED_INFO_LOG_2026-12-09.txt");
    put(L"PLAYED_INFO_LOG_2026-12-10.txt");
    unsigned due = first_due();
    for (int round = 1; round <= 3; ++round) {
        ticks_at(due);
        ASSERT_EQ(env.uploaded.size(), static_cast<size_t>(round));
        EXPECT_EQ(upload.next_check(), due + 1200000);
        // Not before the twenty minutes are over.
        ticks_at(due + 1199999);
        EXPECT_EQ(env.uploaded.size(), static_cast<size_t>(round));
        due += 1200000;
    }
    std::vector<std::wstring> names;
    for (const std::wstring& path : env.uploaded) names.push_back(path.substr(path.rfind(L'\\') + 1));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"PLAYED_INFO_LOG_2026-12-08.txt", L"PLAYED_INFO_LOG_2026-12-09.txt",
                                                L"PLAYED_INFO_LOG_2026-12-10.txt"}));
    EXPECT_EQ(env.uploaded[0], files / names[0]);
    EXPECT_TRUE(logged(L"store01 - 로그 전달 쓰레드 생성"));
    EXPECT_TRUE(logged(L"store01 - 로그 전달 쓰레드 실행"));
    // Then only today's is left: an hour.
    ticks_at(due);
    EXPECT_EQ(env.uploaded.size(), 3u);
    EXPECT_EQ(upload.next_check(), due + 3600000);
}

TEST_F(upload_check_test, no_file_or_no_login_waits_an_hour_and_keeps_the_timer) {
    ticks_at(first_due());
    const std::wstring pattern = files.path() + L"\\PLAYED_INFO_LOG_*.txt";
    EXPECT_EQ(env.logs, (std::vector<std::wstring>{L"로그 전달 확인", pattern + L" -> 로그 파일 없음 : 1시간 뒤 체크"}));
    EXPECT_EQ(upload.next_check(), first_due() + 3600000);
    EXPECT_EQ(env.timers_set, 2);
    EXPECT_EQ(upload.timer_id(), env.last_timer);

    put(L"PLAYED_INFO_LOG_2026-12-09.txt");
    env.logged = false;
    env.logs.clear();
    ticks_at(first_due() + 3600000);
    EXPECT_TRUE(env.logs.empty());
    EXPECT_TRUE(env.uploaded.empty());
    EXPECT_EQ(upload.next_check(), first_due() + 7200000);
    EXPECT_EQ(env.timers_set, 3);
}

TEST_F(upload_check_test, a_worker_that_does_not_start_is_logged) {
    put(L"PLAYED_INFO_LOG_2026-12-09.txt");
    env.worker_starts = false;
    env.delete_uploaded = false;
    ticks_at(first_due());
    EXPECT_TRUE(logged(L"store01 - 로그 전달 쓰레드 실패"));
    EXPECT_EQ(upload.next_check(), first_due() + 1200000);
}

// A store's player runs for weeks: the tick count wraps after 49.7 days. A
// check due just past the wrap still comes 20 minutes later, and checks are
// not let through early either.
TEST_F(upload_check_test, the_tick_counts_wrap_does_not_stop_uploads) {
    for (const wchar_t* name : {L"PLAYED_INFO_LOG_2026-12-01.txt", L"PLAYED_INFO_LOG_2026-12-02.txt",
                                L"PLAYED_INFO_LOG_2026-12-03.txt", L"PLAYED_INFO_LOG_2026-12-04.txt"})
        put(name);
    const unsigned wrap = 0xFFFFFFFFu;
    const auto ticks = [&](log_upload& u, unsigned now) {
        env.now = now;
        for (int i = 0; i < 16; ++i) u.check(u.timer_id());
    };
    {
        // The next check is due just before the wrap and comes just after it.
        env.now = wrap - 1450000u;
        log_upload u(env);
        u.start();
        ticks(u, wrap - 1400000u);
        ASSERT_EQ(env.uploaded.size(), 1u);
        EXPECT_EQ(u.next_check(), wrap - 200000u);
        ticks(u, wrap - 200001u);
        EXPECT_EQ(env.uploaded.size(), 1u);
        ticks(u, 5000);  // the tick count wrapped meanwhile
        EXPECT_EQ(env.uploaded.size(), 2u);
    }
    {
        // The next check falls past the wrap: it is not let through early.
        env.now = wrap - 650000u;
        log_upload u(env);
        u.start();
        ticks(u, wrap - 600000u);
        ASSERT_EQ(env.uploaded.size(), 3u);
        const unsigned due = wrap - 600000u + 1200000u;
        EXPECT_EQ(u.next_check(), due);
        ticks(u, wrap - 599000u);
        ticks(u, due - 1);
        EXPECT_EQ(env.uploaded.size(), 3u);
        ticks(u, due);
        EXPECT_EQ(env.uploaded.size(), 4u);
    }
}

// ---------------------------------------------------------------------------
// The worker's upload to the service

class recording_sink : public upload_log_sink {
public:
    void write_log(const wchar_t* line) override { lines.push_back(line); }
    std::vector<std::wstring> lines;
};

struct upload_file_test : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(server.start_scenario("{}")) << server.error(); }
    upload_args args_for(const std::wstring& name) {
        upload_args a;
        a.host = server.host().c_str();
        a.storetop = L"T001";
        a.storemother = L"M001";
        a.storecode = L"S001";
        a.storeid = L"store01";
        a.usermac = L"00AABBCCDDEE";
        a.path = (files / name).c_str();
        return a;
    }
    stand_in_server server;
    temp_folder files{L"upload"};
    recording_sink log;
};

TEST_F(upload_file_test, a_success_reply_deletes_the_file_and_anything_else_keeps_it) {
    // "곡 제목" in code page 949, as the log service writes its lines.
    const char line[] = "\xB0\xEE \xC1\xA6\xB8\xF1^artist\r\n";
    ASSERT_TRUE(files.write(L"PLAYED_INFO_LOG_2026-12-09.txt", line));
    const upload_args a = args_for(L"PLAYED_INFO_LOG_2026-12-09.txt");
    upload_log_file(a, log);
    EXPECT_FALSE(exists(a.path.wvalue()));
    EXPECT_EQ(server.upload(1), std::string(line) + "[DATA_END]");
    const auto fields = server.requests().back().decoded_fields();
    ASSERT_GE(fields.size(), 9u);
    EXPECT_EQ(fields[0], (std::pair<std::string, std::string>{"storetop", "T001"}));
    EXPECT_EQ(fields[3], (std::pair<std::string, std::string>{"storeid", "store01"}));
    EXPECT_EQ(fields[4], (std::pair<std::string, std::string>{"usermac", "00AABBCCDDEE"}));
    EXPECT_EQ(fields.back().first, "log_content");
    const std::wstring path = a.path.wvalue();
    EXPECT_EQ(log.lines, (std::vector<std::wstring>{path + L" -> 로그 파일 - 데이터로드", path + L" -> 로그 파일 - 업로드",
                                                    path + L" -> 로그 파일 - 전달 완료"}));

    const struct {
        const char* reply;
        const char* body;
        bool deleted;
    } cases[] = {
        {"text", "OK\r\nsaved: Result=Success.\r\n", true},  // anywhere in the text
        {"text", "Result=Fail\r\n", false},
        {"no_result", "", false},
        {"empty", "", false},
        {"error", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.reply) + " " + c.body);
        ASSERT_TRUE(files.write(L"PLAYED_INFO_LOG_2026-12-10.txt", "x\r\n"));
        stand_in_fault f = stand_in_fault::of("rux_log_check.php", c.reply);
        f.body = c.body;
        ASSERT_TRUE(server.set_faults({f}));
        log.lines.clear();
        const upload_args b = args_for(L"PLAYED_INFO_LOG_2026-12-10.txt");
        upload_log_file(b, log);
        EXPECT_EQ(exists(b.path.wvalue()), !c.deleted);
        ASSERT_EQ(log.lines.size(), 3u);
        if (!c.deleted) {
            EXPECT_EQ(log.lines[2].rfind(std::wstring(b.path.wvalue()) + L" -> 로그 파일 - 전달 실패 [ ", 0), 0u);
        }
    }
}

TEST_F(upload_file_test, an_empty_file_sends_the_end_mark_and_a_missing_one_nothing) {
    ASSERT_TRUE(files.write(L"PLAYED_INFO_LOG_2026-12-09.txt", ""));
    upload_log_file(args_for(L"PLAYED_INFO_LOG_2026-12-09.txt"), log);
    EXPECT_EQ(server.upload(1), "[DATA_END]");
    const size_t requests = server.requests().size();
    upload_log_file(args_for(L"PLAYED_INFO_LOG_2026-12-01.txt"), log);
    EXPECT_EQ(server.requests().size(), requests);
}

// The worker as the main window starts it: a detached thread of its own.
TEST_F(upload_file_test, the_worker_thread_uploads_and_deletes) {
    ASSERT_TRUE(files.write(L"PLAYED_INFO_LOG_2026-12-09.txt", "a^b\r\n"));
    log_upload_env env;
    upload_args* a = new upload_args(args_for(L"PLAYED_INFO_LOG_2026-12-09.txt"));
    const std::wstring path = a->path.wvalue();
    ASSERT_TRUE(env.start_worker(a));
    EXPECT_TRUE(window_rig::pump_until([&] { return !exists(path); }, 30000));
    EXPECT_EQ(server.upload(1), "a^b\r\n[DATA_END]");
}

// The player unloads its libraries right after the main window ends: the
// window's stop waits for a running upload (bounded), and only one worker
// runs at a time.
TEST_F(upload_file_test, stop_waits_for_the_running_worker) {
    stand_in_fault slow = stand_in_fault::of("rux_log_check.php", "slow");
    slow.wait_ms = 1500;
    ASSERT_TRUE(server.set_faults({slow}));
    ASSERT_TRUE(files.write(L"PLAYED_INFO_LOG_2026-12-09.txt", "a^b\r\n"));
    log_upload_env env;
    log_upload u(env);
    upload_args* a = new upload_args(args_for(L"PLAYED_INFO_LOG_2026-12-09.txt"));
    const std::wstring path = a->path.wvalue();
    ASSERT_TRUE(env.start_worker(a));
    EXPECT_FALSE(env.wait_for_worker(100)) << "the reply is held back 1.5 s";
    EXPECT_FALSE(env.start_worker(new upload_args(args_for(L"PLAYED_INFO_LOG_2026-12-08.txt"))))
        << "a second worker while the first runs";
    const DWORD begin = GetTickCount();
    u.stop();
    EXPECT_LT(GetTickCount() - begin, log_upload::worker_stop_wait_ms);
    EXPECT_FALSE(exists(path)) << "stop returned before the worker had finished its upload";
    EXPECT_TRUE(env.wait_for_worker(0));
}

}  // namespace
