#pragma once
// Reading the announcement replies: the lines of the store's announcement
// list (rux_anne_check.php) and of the service's announcement library
// (rux_anne_library.php), and the merge that keeps the user's choices across
// a reload of the list.
#include <vector>
#include "service_records.h"
#include "stringx.h"

// The list reply's lines cleaned: the first trimmed of blanks and tabs at
// both ends, every later one at its end only (the line break before it keeps
// its leading blanks), then stripped of every "\r" and "\n"; lines that are
// then empty are dropped, the others keep their order.
std::vector<stringx> clean_anne_list_lines(const std::vector<stringx>& lines);

// The list reply succeeded: its last cleaned line is "Result=Success" in any
// case, the whole line. False when no line is left.
bool anne_list_succeeded(const std::vector<stringx>& cleaned);

// One cleaned line of the announcement list: "code^h:m:s^length^flag^title^
// volume^http-address", exactly seven fields and a start time of exactly
// three pieces; false (and record untouched) for any other line. The length
// is seconds, "m:s" or "h:m:s" (decimal numbers, rounded to whole seconds);
// the record is enabled, its address in the "zel2://" form.
bool read_anne_list_line(const stringx& line, anne_record& record);

// One line of the announcement library: "category^kind^title^code^m:s^
// http-address", exactly six fields and a length of exactly two pieces;
// false (and record untouched) otherwise. The record starts at 0, plays at
// volume 200, is enabled and has its address in the "zel2://" form.
bool read_anne_library_line(const stringx& line, anne_record& record);

// For every record of into, the first record of from that denotes the same
// announcement gives its volume and its on/off byte.
void take_user_choices(std::vector<anne_record>& into, const std::vector<anne_record>& from);

// A service address in the form the announcement player opens: "http://"
// made "zel2://", every "\r" and "\n" removed.
stringx announcement_address(const stringx& http_address);

// A span of whole seconds from a count that may lie beyond the span's range
// (clamped to it), so that no text of the service overflows a time.
timex_span clamped_span(long long seconds);
