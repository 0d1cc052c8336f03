#include "timex.h"
#include <climits>
#include <cmath>

namespace {
// The service's clock minus the PC's clock, in seconds; 0 until login.
long normal_span = 0;
}  // namespace

timex_span::timex_span(double seconds) {
    double rounded = std::trunc(seconds + 0.5);
    if (std::isnan(rounded))
        seconds_ = 0;
    else if (rounded >= static_cast<double>(LONG_MAX))
        seconds_ = LONG_MAX;
    else if (rounded <= static_cast<double>(LONG_MIN))
        seconds_ = LONG_MIN;
    else
        seconds_ = static_cast<long>(rounded);
}

timex::timex() : time_(static_cast<long>(time(nullptr)) + normal_span) {}

timex::timex(int year, int month, int day, int hour, int min, int sec) {
    tm fields = {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = min;
    fields.tm_sec = sec;
    fields.tm_isdst = -1;
    time_ = static_cast<long>(mktime(&fields));
}

timex::timex(int hour, int min, int sec) : time_(-1) {
    tm today;
    if (timex().local(today))
        *this = timex(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday, hour, min, sec);
}

timex::timex(const SYSTEMTIME& st) : time_(0) {
    if (st.wYear >= 1900) *this = timex(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

bool timex::local(tm& out) const {
    time_t t = static_cast<time_t>(time_);
    const tm* fields = localtime(&t);  // per-thread buffer in msvcrt
    if (!fields) return false;
    out = *fields;
    return true;
}

int timex::get_year() const {
    tm f;
    return local(f) ? f.tm_year + 1900 : 0;
}

int timex::get_month() const {
    tm f;
    return local(f) ? f.tm_mon + 1 : 0;
}

int timex::get_day() const {
    tm f;
    return local(f) ? f.tm_mday : 0;
}

int timex::get_hour() const {
    tm f;
    return local(f) ? f.tm_hour : -1;
}

int timex::get_min() const {
    tm f;
    return local(f) ? f.tm_min : -1;
}

int timex::get_sec() const {
    tm f;
    return local(f) ? f.tm_sec : -1;
}

int timex::get_week() const {
    tm f;
    return local(f) ? f.tm_wday : -1;
}

bool timex::get_date(int& year, int& month, int& day, int& weekday, int& hour, int& min, int& sec) const {
    tm f;
    if (!local(f)) return false;
    year = f.tm_year + 1900;
    month = f.tm_mon + 1;
    day = f.tm_mday;
    weekday = f.tm_wday;
    hour = f.tm_hour;
    min = f.tm_min;
    sec = f.tm_sec;
    return true;
}

bool timex::get_system_time(SYSTEMTIME& st) const {
    tm f;
    if (!local(f)) return false;
    st.wYear = static_cast<WORD>(f.tm_year + 1900);
    st.wMonth = static_cast<WORD>(f.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(f.tm_wday);
    st.wDay = static_cast<WORD>(f.tm_mday);
    st.wHour = static_cast<WORD>(f.tm_hour);
    st.wMinute = static_cast<WORD>(f.tm_min);
    st.wSecond = static_cast<WORD>(f.tm_sec);
    st.wMilliseconds = 0;
    return true;
}

int timex::get_seconds_of_day() const {
    tm f;
    if (!local(f)) return 0;
    timex midnight(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, 0, 0, 0);
    return static_cast<int>((*this - midnight).total_seconds());
}

stringx timex::to_string(bool date_only) const {
    stringx text;
    tm f;
    if (!local(f)) return text;
    if (date_only)
        text.format(L"%d-%02d-%02d", f.tm_year + 1900, f.tm_mon + 1, f.tm_mday);
    else
        text.format(L"%d-%02d-%02d %02d:%02d:%02d", f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, f.tm_hour,
                    f.tm_min, f.tm_sec);
    return text;
}

void timex::set_normal_time(timex server_now) {
    normal_span = server_now.time_ - static_cast<long>(time(nullptr));
}

void timex::set_normal_span(timex_span span) { normal_span = span.total_seconds(); }

timex_span timex::get_normal_time_span() { return timex_span(normal_span); }
