#pragma once
// Element names of the settings file from user ids, section and key names.
//
// A user id such as "1234shop" is not an XML name. Some XML engines refuse
// such an element and others write it into a file that no parser can load
// again, which would lose every user's settings. So every name passes
// through encode_xml_name first: characters that may not stand where they
// are become "_xHHHH_" (the UTF-16 unit in upper-case hexadecimal), and an
// underscore that would read as the start of such an escape becomes
// "_x005F_". Names that are valid and hold no such pattern, as every name of
// the player's own sections and keys, are kept unchanged, so existing files
// keep working; the mapping is one-to-one, so two ids never share an element.
//
// The names allowed unescaped are a conservative subset of the XML 1.0 name
// rules that every XML engine accepts: ASCII letters, "_", then also digits,
// "-" and "."; Latin-1 letters, Hangul syllables, CJK ideographs, Hiragana
// and Katakana. The colon is escaped (namespace prefixes).
#include <string>

// The element name for a text; "" for an empty text (no element).
std::wstring encode_xml_name(const std::wstring& name);
