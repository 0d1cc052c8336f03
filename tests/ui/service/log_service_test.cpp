// The log service's files: names, folders, byte-exact lines in the ANSI code
// page (949 in the test prefix), the queue before login, the played-tracks
// switch, the rollover at midnight and one set of files per user.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <string>
#include "core.h"
#include "log_writer.h"
#include "temp_folder.h"
#include "test_text.h"
#include "timex.h"

namespace {
std::string stamp(const timex& t, bool played) {
    char text[64];
    if (played)
        _snprintf(text, 63, "%d-%02d-%02d %02d:%02d:%02d^", t.get_year(), t.get_month(), t.get_day(), t.get_hour(),
                  t.get_min(), t.get_sec());
    else
        _snprintf(text, 63, "[%d-%02d-%02d %02d:%02d:%02d] ", t.get_year(), t.get_month(), t.get_day(),
                  t.get_hour(), t.get_min(), t.get_sec());
    text[63] = 0;
    return text;
}

// The clock moves on while a test runs: a line is stamped with one of the
// two seconds read around its queuing.
struct stamped {
    std::string early, late;
    bool matches(const std::string& bytes, size_t at, const std::string& rest) const {
        return bytes.compare(at, early.size() + rest.size(), early + rest) == 0 ||
               bytes.compare(at, late.size() + rest.size(), late + rest) == 0;
    }
};

class log_service_files : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(base.path().empty());
        writer.set_base_folder(base.path().c_str());
    }
    void TearDown() override { timex::set_normal_span(timex_span()); }

    // Sets the client's clock to the local time given.
    static void set_clock(int y, int mo, int d, int h, int mi, int s) { timex::set_normal_time(timex(y, mo, d, h, mi, s)); }

    stamped queue(void (log_writer::*slot)(const wchar_t*), const wchar_t* text, bool played = false) {
        stamped s;
        s.early = stamp(timex(), played);
        (writer.*slot)(text);
        s.late = stamp(timex(), played);
        return s;
    }

    std::wstring file(const wchar_t* folder, const wchar_t* user, const wchar_t* name) const {
        return base.path() + L"\\" + folder + L"\\" + user + L"\\" + name;
    }

    temp_folder base{L"zel_log"};
    log_writer writer;
};
}  // namespace

TEST_F(log_service_files, lines_queued_before_login_are_written_in_ansi_after_it) {
    set_clock(2012, 3, 5, 8, 7, 6);
    const stamped a = queue(&log_writer::write_log, L"abc");
    const stamped k = queue(&log_writer::write_log, L"하드 공간 부족");
    const stamped n = queue(&log_writer::write_anne_log, L"anne");
    writer.flush();  // no file yet: the lines wait
    writer.open_logs(L"shop1");
    const stamped opened = {stamp(timex(), false), stamp(timex(), false)};
    writer.flush();

    const std::string general = read_file_bytes(file(L"log", L"shop1", L"LOG_2012-03-05.txt"));
    ASSERT_FALSE(general.empty());
    size_t at = 0;
    EXPECT_TRUE(a.matches(general, at, "abc\r\n")) << general;
    at += a.early.size() + 5;
    const std::string korean = "\xc7\xcf\xb5\xe5\x20\xb0\xf8\xb0\xa3\x20\xba\xce\xc1\xb7\r\n";
    EXPECT_TRUE(k.matches(general, at, korean)) << general;
    at += k.early.size() + korean.size();
    // Then the line of the login: where the played-tracks log goes.
    std::string folder_ansi;
    {
        const std::wstring played_folder = base.path() + L"\\log_played_info\\shop1";
        char bytes[MAX_PATH * 2];
        const int m = WideCharToMultiByte(CP_ACP, 0, played_folder.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
        folder_ansi.assign(bytes, m > 0 ? m - 1 : 0);
    }
    const std::string login_line = folder_ansi +
        "\x20\x2d\x3e\x20\xc0\xa7\xc4\xa1\xbf\xa1\x20\xc3\xbb\xc3\xeb\x20\xb7\xce\xb1\xd7\x20\xbb\xfd\xbc\xba\x20\x2d"
        "\x20\xb1\xe2\xb7\xcf\x20\xc1\xd8\xba\xf1\x5bid=shop1]\r\n";
    EXPECT_TRUE(opened.matches(general, at, login_line)) << general;
    EXPECT_EQ(general.size(), at + opened.early.size() + login_line.size());

    const std::string anne = read_file_bytes(file(L"log_anne", L"shop1", L"ANNELOG_2012-03-05.txt"));
    EXPECT_TRUE(n.matches(anne, 0, "anne\r\n")) << anne;
    EXPECT_EQ(anne.size(), n.early.size() + 6);
}

TEST_F(log_service_files, played_records_follow_the_switch_without_line_breaks) {
    set_clock(2012, 3, 5, 8, 7, 6);
    writer.open_logs(L"shop1");
    queue(&log_writer::write_played_log, L"before");  // switch off: no trace
    writer.set_played_info(true);
    const stamped a = queue(&log_writer::write_played_log, L"abc", true);
    const stamped b = queue(&log_writer::write_played_log, L"def", true);
    writer.flush();
    const std::string played = read_file_bytes(file(L"log_played_info", L"shop1", L"PLAYED_INFO_LOG_2012-03-05.txt"));
    EXPECT_TRUE(a.matches(played, 0, "abc|||")) << played;
    EXPECT_TRUE(b.matches(played, a.early.size() + 6, "def|||")) << played;
    EXPECT_EQ(played.size(), a.early.size() + b.early.size() + 12);
    EXPECT_EQ(played.find("before"), std::string::npos);
}

TEST_F(log_service_files, the_first_flush_after_midnight_starts_files_of_the_new_date) {
    set_clock(2012, 3, 5, 23, 59, 50);
    writer.open_logs(L"shop1");
    writer.write_log(L"late");
    writer.flush();
    EXPECT_EQ(writer.open_file(log_writer::general_log), file(L"log", L"shop1", L"LOG_2012-03-05.txt"));

    set_clock(2012, 3, 6, 0, 0, 5);
    writer.flush();
    EXPECT_EQ(writer.open_file(log_writer::general_log), file(L"log", L"shop1", L"LOG_2012-03-06.txt"));
    EXPECT_EQ(writer.open_file(log_writer::anne_log), file(L"log_anne", L"shop1", L"ANNELOG_2012-03-06.txt"));
    writer.write_log(L"early");
    writer.flush();

    const std::string old_day = read_file_bytes(file(L"log", L"shop1", L"LOG_2012-03-05.txt"));
    const std::string new_day = read_file_bytes(file(L"log", L"shop1", L"LOG_2012-03-06.txt"));
    EXPECT_NE(old_day.find("] late\r\n"), std::string::npos);
    EXPECT_EQ(old_day.find("early"), std::string::npos);
    EXPECT_EQ(new_day.find("[2012-03-06 00:00:0"), 0u) << new_day;
    EXPECT_NE(new_day.find("] early\r\n"), std::string::npos);
}

TEST_F(log_service_files, a_second_user_on_the_same_day_writes_to_its_own_files) {
    set_clock(2012, 3, 5, 10, 0, 0);
    writer.open_logs(L"storeA");
    writer.write_log(L"from A");
    writer.flush();
    writer.open_logs(L"storeB");
    writer.write_log(L"from B");
    writer.write_anne_log(L"anne B");
    writer.flush();

    const std::string a = read_file_bytes(file(L"log", L"storeA", L"LOG_2012-03-05.txt"));
    const std::string b = read_file_bytes(file(L"log", L"storeB", L"LOG_2012-03-05.txt"));
    EXPECT_NE(a.find("from A"), std::string::npos);
    EXPECT_EQ(a.find("from B"), std::string::npos);
    EXPECT_NE(b.find("from B"), std::string::npos);
    EXPECT_EQ(b.find("from A"), std::string::npos);
    EXPECT_NE(read_file_bytes(file(L"log_anne", L"storeB", L"ANNELOG_2012-03-05.txt")).find("anne B"), std::string::npos);
    EXPECT_EQ(read_file_bytes(file(L"log_anne", L"storeA", L"ANNELOG_2012-03-05.txt")), "");

    // The same user again on the same day appends to the open files.
    writer.open_logs(L"storeB");
    writer.write_log(L"again B");
    writer.flush();
    const std::string b2 = read_file_bytes(file(L"log", L"storeB", L"LOG_2012-03-05.txt"));
    EXPECT_NE(b2.find("from B"), std::string::npos);
    EXPECT_NE(b2.find("again B"), std::string::npos);
}

DWORD WINAPI write_from_worker(void* w) {
    static_cast<log_writer*>(w)->write_log(L"from a worker");
    return 0;
}

TEST_F(log_service_files, the_timer_writes_queued_lines_from_other_threads) {
    writer.open_logs(L"shop1");
    HANDLE worker = CreateThread(nullptr, 0, &write_from_worker, &writer, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    WaitForSingleObject(worker, 10000);
    CloseHandle(worker);
    const std::wstring path = writer.open_file(log_writer::general_log);
    bool seen = false;
    for (int i = 0; i < 500 && !seen; ++i) {  // bounded: the 500 ms timer fires long before
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
        seen = read_file_bytes(path).find("from a worker\r\n") != std::string::npos;
    }
    EXPECT_TRUE(seen);
}

TEST_F(log_service_files, the_last_lines_are_written_when_the_service_goes) {
    std::wstring path;
    {
        log_writer last;
        last.set_base_folder(base.path().c_str());
        last.open_logs(L"shop1");
        last.write_anne_log(L"final words");
        path = last.open_file(log_writer::anne_log);
    }
    EXPECT_NE(read_file_bytes(path).find("] final words\r\n"), std::string::npos);
}

TEST_F(log_service_files, lines_waiting_for_a_file_are_bounded_and_the_oldest_go_first) {
    for (size_t i = 0; i < log_writer::max_queued + 5; ++i) writer.write_log(std::to_wstring(i).c_str());
    writer.open_logs(L"shop1");
    writer.flush();
    const std::string general = read_file_bytes(writer.open_file(log_writer::general_log));
    // The login's own line took one more place.
    EXPECT_EQ(general.find("] 5\r\n"), std::string::npos);
    EXPECT_NE(general.find("] 6\r\n"), std::string::npos);
    size_t lines = 0;
    for (size_t at = general.find("\r\n"); at != std::string::npos; at = general.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, log_writer::max_queued);
    EXPECT_NE(general.find("] " + std::to_string(log_writer::max_queued + 4) + "\r\n"), std::string::npos);
}

TEST(log_service, is_registered_by_zel_ui) {
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
    component* c = core::enum_create_component(log_service::iid, 0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c, core::enum_create_component(log_service::iid, 0));
    EXPECT_TRUE(guid_equal(*c->get_guid(), log_service::iid));
    core::free_library();
}
