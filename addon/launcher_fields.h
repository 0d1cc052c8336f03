#pragma once
// The "|"-separated texts that a player and the launcher exchange (the
// register reply, the channel title, a message, the "dev" argument), and the
// check of the launcher's command line.
//
// A field may itself hold "|" (a password, a channel title, a device name):
// join_fields writes it as "\|" and a backslash as "\\", and split_fields
// reads them back, so that every field arrives whole. A text without
// backslashes splits exactly as a plain split at "|" does. Both ends of the
// link use these two functions and nothing else for their field texts.
#include <string>
#include <vector>

namespace launcher_fields {

std::wstring escape_field(const std::wstring& field);
std::wstring join_fields(const std::vector<std::wstring>& fields);
// The fields of text; one (empty) field for an empty text. A backslash
// before anything but "|" or "\" is kept as it is, as is a trailing one.
std::vector<std::wstring> split_fields(const std::wstring& text);

// The parameter text of the launcher: the six double-quoted arguments
// "id=%s" "pw=%s" "ids=%s" "time=%s" "pid=%d" "dev=%d|%s" joined by one
// blank, device index and name joined as fields. Empty when the values
// cannot travel safely: when the launcher, splitting its command line
// (cmd_line), would not get back exactly these six arguments (a double quote
// followed by white space ends an argument early), when a value holds a
// line break or other control character, or when an argument other than
// "pid=" holds the text "pid=" or one other than "ids=" holds "ids=" (the
// launcher finds those two arguments by that text anywhere in an argument).
std::wstring launcher_parameters(const std::wstring& id, const std::wstring& password,
                                 const std::wstring& ids, long time_offset, unsigned long process_id,
                                 int device_index, const std::wstring& device_name);

}  // namespace launcher_fields
