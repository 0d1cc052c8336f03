// timex and timex_span. The test run sets TZ=KST-9 (UTC+9, no daylight
// saving), so local times below are Korean times.
#include <gtest/gtest.h>
#include <cstring>
#include <ctime>
#include "timex.h"

namespace {
// 2016-05-07 08:09:10 KST.
const long may_7_2016 = 1462576150;

// Restores the process-wide normal span when a test ends.
struct normal_span_guard {
    ~normal_span_guard() { timex::set_normal_span(timex_span()); }
};
}  // namespace

TEST(timex_span, splits_counts_into_parts) {
    struct {
        timex_span span;
        long total, days, hours, minutes, seconds, total_hours, total_minutes;
    } cases[] = {
        {timex_span(1, 2, 3, 4), 93784, 1, 2, 3, 4, 26, 1563},
        {timex_span(0, 0, 0, 59), 59, 0, 0, 0, 59, 0, 0},
        {timex_span(-93784L), -93784, -1, -2, -3, -4, -26, -1563},
        {timex_span(0, -1, 30, 0), -1800, 0, 0, -30, 0, 0, -30},
        {timex_span(), 0, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total);
        EXPECT_EQ(c.span.total_seconds(), c.total);
        EXPECT_EQ(c.span.days(), c.days);
        EXPECT_EQ(c.span.hours(), c.hours);
        EXPECT_EQ(c.span.minutes(), c.minutes);
        EXPECT_EQ(c.span.seconds(), c.seconds);
        EXPECT_EQ(c.span.total_hours(), c.total_hours);
        EXPECT_EQ(c.span.total_minutes(), c.total_minutes);
    }
}

TEST(timex_span, rounds_doubles_by_adding_half_and_truncating) {
    struct {
        double in;
        long out;
    } cases[] = {{59.5, 60}, {59.49, 59}, {1.5, 2}, {-1.5, -1}, {-1.7, -1}, {-0.4, 0}, {0.0, 0}, {1e300, 2147483647L},
                 {-1e300, -2147483647L - 1}};
    for (const auto& c : cases) EXPECT_EQ(timex_span(c.in).total_seconds(), c.out) << c.in;
}

TEST(timex_span, adds_subtracts_and_compares_counts) {
    timex_span a(100L), b(30L);
    EXPECT_EQ((a + b).total_seconds(), 130);
    EXPECT_EQ((a - b).total_seconds(), 70);
    a += b;
    EXPECT_EQ(a.total_seconds(), 130);
    a -= timex_span(200L);
    EXPECT_EQ(a.total_seconds(), -70);
    EXPECT_TRUE(b > a);
    EXPECT_TRUE(a < b && a <= b && b >= a && a != b);
    EXPECT_TRUE(timex_span(60L) == timex_span(0, 0, 1, 0));
}

TEST(timex, builds_local_times_and_reads_their_fields) {
    timex t(2016, 5, 7, 8, 9, 10);
    EXPECT_EQ(t.get_time(), may_7_2016);
    EXPECT_EQ(t.get_year(), 2016);
    EXPECT_EQ(t.get_month(), 5);
    EXPECT_EQ(t.get_day(), 7);
    EXPECT_EQ(t.get_hour(), 8);
    EXPECT_EQ(t.get_min(), 9);
    EXPECT_EQ(t.get_sec(), 10);
    EXPECT_EQ(t.get_week(), 6);  // a Saturday
    EXPECT_EQ(t.to_string(true), stringx(L"2016-05-07"));
    EXPECT_EQ(t.to_string(false), stringx(L"2016-05-07 08:09:10"));
    EXPECT_EQ(t.to_string(false).encoding(), stringx::UNI_CODE);

    int y = 0, mo = 0, d = 0, wd = 0, h = 0, mi = 0, s = 0;
    ASSERT_TRUE(t.get_date(y, mo, d, wd, h, mi, s));
    EXPECT_EQ(y * 10000 + mo * 100 + d, 20160507);
    EXPECT_EQ(wd, 6);
    EXPECT_EQ(h * 10000 + mi * 100 + s, 80910);

    SYSTEMTIME st;
    memset(&st, 0xff, sizeof(st));
    ASSERT_TRUE(t.get_system_time(st));
    EXPECT_EQ(st.wYear, 2016);
    EXPECT_EQ(st.wMonth, 5);
    EXPECT_EQ(st.wDay, 7);
    EXPECT_EQ(st.wDayOfWeek, 6);
    EXPECT_EQ(st.wHour, 8);
    EXPECT_EQ(st.wMinute, 9);
    EXPECT_EQ(st.wSecond, 10);
    EXPECT_EQ(st.wMilliseconds, 0);
    EXPECT_EQ(timex(st).get_time(), may_7_2016);
}

TEST(timex, normalises_fields_and_converts_system_times) {
    EXPECT_EQ(timex(2016, 13, 1, 0, 0, 0), timex(2017, 1, 1, 0, 0, 0));
    EXPECT_EQ(timex(2016, 5, 6, 32, 9, 10), timex(may_7_2016));
    EXPECT_EQ(timex(2016, 5, 7, 0, 0, 5).get_seconds_of_day(), 5);
    EXPECT_EQ(timex(may_7_2016).get_seconds_of_day(), 8 * 3600 + 9 * 60 + 10);

    SYSTEMTIME old_year = {};
    old_year.wYear = 1601;
    old_year.wMonth = 1;
    old_year.wDay = 1;
    EXPECT_EQ(timex(old_year).get_time(), 0);
    SYSTEMTIME with_extras = {2016, 5, 3, 7, 8, 9, 10, 999};  // weekday and ms ignored
    EXPECT_EQ(timex(with_extras).get_time(), may_7_2016);
}

TEST(timex, gives_sentinels_where_localtime_fails) {
    timex t(-100L);
    EXPECT_EQ(t.get_year(), 0);
    EXPECT_EQ(t.get_month(), 0);
    EXPECT_EQ(t.get_day(), 0);
    EXPECT_EQ(t.get_hour(), -1);
    EXPECT_EQ(t.get_min(), -1);
    EXPECT_EQ(t.get_sec(), -1);
    EXPECT_EQ(t.get_week(), -1);
    EXPECT_EQ(t.get_seconds_of_day(), 0);
    EXPECT_EQ(t.to_string(false), stringx(L""));
    int y = 7, mo = 7, d = 7, wd = 7, h = 7, mi = 7, s = 7;
    EXPECT_FALSE(t.get_date(y, mo, d, wd, h, mi, s));
    EXPECT_EQ(y + mo + d + wd + h + mi + s, 49);  // untouched
    SYSTEMTIME st = {};
    EXPECT_FALSE(t.get_system_time(st));
}

TEST(timex, arithmetic_and_comparison_work_on_the_counts) {
    timex t(may_7_2016);
    EXPECT_EQ((t + timex_span(0, 1, 0, 0)).to_string(false), stringx(L"2016-05-07 09:09:10"));
    EXPECT_EQ((t - timex_span(1, 0, 0, 0)).to_string(true), stringx(L"2016-05-06"));
    EXPECT_EQ((timex(may_7_2016 + 90) - t).total_seconds(), 90);
    timex u = t;
    u += timex_span(5L);
    EXPECT_EQ(u.get_time(), may_7_2016 + 5);
    u -= timex_span(10L);
    EXPECT_EQ(u.get_time(), may_7_2016 - 5);
    EXPECT_TRUE(u < t && t > u && u <= t && t >= u && u != t);
    u = may_7_2016;
    EXPECT_TRUE(u == t);
}

TEST(timex, default_time_follows_the_server_clock) {
    normal_span_guard guard;
    EXPECT_EQ(timex::get_normal_time_span().total_seconds(), 0);
    long before = static_cast<long>(time(nullptr));
    timex::set_normal_time(timex(before + 300));
    long now = static_cast<long>(time(nullptr));
    long shifted = timex().get_time();
    EXPECT_GE(shifted, now + 300 - 1);
    EXPECT_LE(shifted, static_cast<long>(time(nullptr)) + 300 + 1);
    EXPECT_NEAR(timex::get_normal_time_span().total_seconds(), 300, 1);
    EXPECT_EQ(timex(12345L).get_time(), 12345);  // explicit values are never shifted
    EXPECT_EQ(timex(2016, 5, 7, 8, 9, 10).get_time(), may_7_2016);

    timex::set_normal_span(timex_span(-60L));
    EXPECT_NEAR(timex().get_time(), static_cast<long>(time(nullptr)) - 60, 1);
}

TEST(timex, time_of_day_takes_the_date_of_the_server_clock) {
    normal_span_guard guard;
    // Put the service's clock ten minutes past the PC's next local midnight.
    timex pc_now(static_cast<long>(time(nullptr)));
    int to_midnight = 86400 - pc_now.get_seconds_of_day();
    timex::set_normal_span(timex_span(static_cast<long>(to_midnight + 600)));
    timex server_now;
    ASSERT_NE(server_now.get_day(), pc_now.get_day());

    timex morning(8, 30, 0);
    EXPECT_EQ(morning.get_day(), server_now.get_day());
    EXPECT_EQ(morning.get_month(), server_now.get_month());
    EXPECT_EQ(morning.get_hour(), 8);
    EXPECT_EQ(morning.get_min(), 30);
    EXPECT_EQ(morning.get_seconds_of_day(), 8 * 3600 + 30 * 60);
}
