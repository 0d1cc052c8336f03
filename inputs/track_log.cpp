#include "track_log.h"
#include <cstdarg>
#include <cwchar>
#include "core.h"
#include "service/log_service.h"

namespace track_log {

namespace {
sink_fn g_sink = nullptr;
}

void set_sink(sink_fn sink) { g_sink = sink; }

void write(bool info, const wchar_t* text) {
    if (g_sink) {
        g_sink(info, text);
        return;
    }
    component* c = core::enum_create_component(log_service::iid, 0);
    if (!c) return;
    log_service* log = static_cast<log_service*>(c);
    if (info)
        log->write_anne_log(text);
    else
        log->write_log(text);
}

void format(bool info, const wchar_t* fmt, ...) {
    wchar_t text[2048];
    va_list args;
    va_start(args, fmt);
    const int n = _vsnwprintf(text, 2047, fmt, args);
    va_end(args);
    text[n < 0 ? 2047 : n] = 0;
    write(info, text);
}

stringx after_last(const wchar_t* text, wchar_t separator) {
    if (!text) return stringx();
    const wchar_t* last = wcsrchr(text, separator);
    return stringx(last ? last + 1 : text);
}

}  // namespace track_log
