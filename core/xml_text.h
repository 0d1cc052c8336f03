#pragma once
// Text checks of xml_edit (internal to zel_core): what libxml2 is given must
// be something a parser accepts again after saving.
#include <string>

namespace xml_text {

// The UTF-8 text with everything outside the XML character range replaced
// by U+FFFD: control characters other than tab, line feed and carriage
// return, U+FFFE and U+FFFF, lone surrogate halves and bytes that are not
// UTF-8. A surrogate pair written as two three-byte sequences (CESU-8, as
// older encoders made them) becomes the one four-byte sequence it stands for.
std::string safe(const char* utf8);

// True for a non-empty XML name (libxml2's own check).
bool valid_name(const char* name);

// The number of bytes of text to keep so that at most limit bytes remain and
// no UTF-8 sequence is cut in the middle.
size_t cut_length(const char* text, size_t length, size_t limit);

}  // namespace xml_text
