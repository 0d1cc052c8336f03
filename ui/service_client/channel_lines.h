#pragma once
// The data lines of the channel, radio and track replies, one record each.
// Every reader takes one reply line as split at "\r\n" (not cleaned) and
// never reads a field that the line does not have.
#include "service_records.h"
#include "stringx.h"

// A channel line: "id^extra^tempo^title^description^genre^purpose", exactly
// seven fields. The id is read as an integer (leading white space, such as a
// line feed left by the split, is skipped); the other fields are trimmed of
// blanks and tabs. False, with record untouched, for any other field count.
bool read_channel_line(const stringx& line, channel_record& record);

// A radio line: its fields trimmed of blanks and tabs, the empty ones
// dropped, then by the number left: 2 name, address; 3 name, address,
// extra_text; 6 name, address, time, quality, comment, homepage; 7 name,
// address, time, genre, quality, comment, homepage. Any other number leaves
// the record empty (and gives false). The caller removes "\r" and "\n" first.
bool read_radio_line(const stringx& line, radio_record& record);

// A track line: "number^-^extra^length^offset^title^artist^address^album^
// file name", exactly ten fields. False, with record untouched, for any other
// field count. The length is seconds ("200.5") or minutes and seconds joined
// by "'" ("3'20"); an empty length counts as 0. The address has "http://"
// made "zel://" and every "\r" and "\n" removed, and becomes the path with
// the start fraction and the track number (track_path).
bool read_track_line(const stringx& line, track_record& record);

// The length field of a track line in seconds.
double track_length_seconds(const stringx& field);

// The path of a channel track: "<address>|<fraction>|<number>". The fraction
// is the start offset divided by the length, written "%lf", when the offset
// lies inside the track (above 0 and below a length above 0); otherwise
// "-1.0", play from the start. A zero or unknown length thus never puts a
// number that is not finite into the path.
stringx track_path(const stringx& address, const timex_span& start_offset, double length, int number);
