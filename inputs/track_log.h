#pragma once
// The track cache's and the track readers' log lines: music lines go to the
// general log, announcement-file lines to the announcement log of zel_ui's
// log service. Tests put a sink of their own in its place.
#include "stringx.h"

namespace track_log {

// info: the line concerns an announcement file.
void write(bool info, const wchar_t* text);
// printf-style wide format ("%s" takes a wide string).
void format(bool info, const wchar_t* fmt, ...);

// The text after the last "/" (URL names) or "\" (file names).
stringx after_last(const wchar_t* text, wchar_t separator);

typedef void (*sink_fn)(bool info, const wchar_t* text);
// Replaces the log service (null: back to the log service).
void set_sink(sink_fn sink);

}  // namespace track_log
