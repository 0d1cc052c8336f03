#pragma once
// timex: a date and time in whole seconds since 1970-01-01 00:00:00 UTC;
// timex_span: an interval in whole seconds. Both are plain values.
//
// The client compares its times with the service's schedules, so timex keeps
// one process-wide offset between the service's clock and this PC's clock,
// the normal span: a default-constructed timex is time(NULL) plus that span.
// Explicitly constructed values are never shifted. Calendar fields are read
// in the PC's local time zone through the runtime's localtime and mktime.
//
// The normal span is a plain static: set on the user-interface thread after
// login, read on any thread (a racing reader sees the old or the new span).
#include <windows.h>
#include <ctime>
#include "stringx.h"
#include "zel_export.h"

// The exported layouts of the 32-bit program hold a 32-bit time_t (the 64-bit
// test build has the 64-bit one of its runtime).
#ifndef _WIN64
static_assert(sizeof(time_t) == 4, "timex needs the 32-bit time_t of the runtime");
#endif

class ZEL_CORE_API timex_span {
public:
    timex_span() : seconds_(0) {}
    timex_span(long seconds) : seconds_(seconds) {}
    timex_span(int seconds) : seconds_(seconds) {}
    // Rounded by adding 0.5 and truncating toward zero: 1.5 gives 2, -1.5
    // gives -1. Values beyond the 32-bit range are clamped to it; NaN is 0.
    timex_span(double seconds);
    timex_span(int days, int hours, int minutes, int seconds)
        : seconds_(days * 86400L + hours * 3600L + minutes * 60L + seconds) {}

    // Parts, by integer division truncating toward zero (a negative span
    // gives zero or negative parts).
    long total_seconds() const { return seconds_; }
    long total_minutes() const { return seconds_ / 60; }
    long total_hours() const { return seconds_ / 3600; }
    long days() const { return seconds_ / 86400; }
    long hours() const { return total_hours() - 24 * days(); }
    long minutes() const { return total_minutes() - 60 * total_hours(); }
    long seconds() const { return total_seconds() - 60 * total_minutes(); }

    timex_span operator+(const timex_span& other) const { return timex_span(seconds_ + other.seconds_); }
    timex_span operator-(const timex_span& other) const { return timex_span(seconds_ - other.seconds_); }
    timex_span& operator+=(const timex_span& other) { seconds_ += other.seconds_; return *this; }
    timex_span& operator-=(const timex_span& other) { seconds_ -= other.seconds_; return *this; }

    bool operator==(const timex_span& o) const { return seconds_ == o.seconds_; }
    bool operator!=(const timex_span& o) const { return seconds_ != o.seconds_; }
    bool operator<(const timex_span& o) const { return seconds_ < o.seconds_; }
    bool operator>(const timex_span& o) const { return seconds_ > o.seconds_; }
    bool operator<=(const timex_span& o) const { return seconds_ <= o.seconds_; }
    bool operator>=(const timex_span& o) const { return seconds_ >= o.seconds_; }

private:
    long seconds_;
};

class ZEL_CORE_API timex {
public:
    // The normal time: time(NULL) + the normal span.
    timex();
    // Exactly t.
    timex(long t) : time_(t) {}
    timex& operator=(long t) { time_ = t; return *this; }
    // Local date and time through mktime (tm_isdst -1: the runtime decides
    // daylight saving); month 1 to 12; out-of-range fields are normalised.
    // -1 when mktime cannot represent it.
    timex(int year, int month, int day, int hour, int min, int sec);
    // The given local time of day on the calendar date of the normal time.
    timex(int hour, int min, int sec);
    // From the date and time fields (milliseconds and weekday ignored); 0
    // when wYear is below 1900.
    timex(const SYSTEMTIME& st);

    // Calendar fields in local time. Values localtime cannot convert (such
    // as negative ones) give 0 for year, month and day, -1 for the others.
    int get_year() const;
    int get_month() const;  // 1 to 12
    int get_day() const;    // 1 to 31
    int get_hour() const;
    int get_min() const;
    int get_sec() const;
    int get_week() const;   // 0 Sunday to 6 Saturday
    // All seven at once; false, outputs untouched, when localtime fails.
    bool get_date(int& year, int& month, int& day, int& weekday, int& hour, int& min, int& sec) const;
    // Fills the date and time fields, milliseconds 0; false on failure.
    bool get_system_time(SYSTEMTIME& st) const;
    // Seconds since the local midnight of the same day; 0 on failure.
    int get_seconds_of_day() const;
    // UNI_CODE "YYYY-MM-DD" or "YYYY-MM-DD hh:mm:ss"; empty on failure.
    stringx to_string(bool date_only) const;

    // The count of seconds (time_t).
    long get_time() const { return time_; }

    // Normal span = server_now - time(NULL). Called by the service client
    // after login with the server's current time.
    static void set_normal_time(timex server_now);
    // Sets the normal span directly (a launched instance gets its launcher's).
    static void set_normal_span(timex_span span);
    static timex_span get_normal_time_span();

    timex operator+(const timex_span& span) const { return timex(time_ + span.total_seconds()); }
    timex operator-(const timex_span& span) const { return timex(time_ - span.total_seconds()); }
    timex_span operator-(const timex& other) const { return timex_span(time_ - other.time_); }
    timex& operator+=(const timex_span& span) { time_ += span.total_seconds(); return *this; }
    timex& operator-=(const timex_span& span) { time_ -= span.total_seconds(); return *this; }

    bool operator==(const timex& o) const { return time_ == o.time_; }
    bool operator!=(const timex& o) const { return time_ != o.time_; }
    bool operator<(const timex& o) const { return time_ < o.time_; }
    bool operator>(const timex& o) const { return time_ > o.time_; }
    bool operator<=(const timex& o) const { return time_ <= o.time_; }
    bool operator>=(const timex& o) const { return time_ >= o.time_; }

private:
    bool local(tm& out) const;

    long time_;
};
