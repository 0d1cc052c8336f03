#pragma once
// ini_file: byte-exact access to one key of a Windows private-profile file,
// for config_var.
//
// The player's INI file holds section and key names in the ANSI code page and
// text values as UTF-8 bytes. The platform's profile functions decode the
// whole file with the ANSI code page and, on every write, encode it back,
// which turns UTF-8 bytes that are not valid in a multi-byte code page such
// as 949 into "?" in every value of the file. So the file is read and edited
// here at the byte level, in the same format: "[section]" lines followed by
// "key=value" lines; names match ignoring case, blanks and tabs around names
// and values do not count, a value wrapped in one pair of matching quotes
// reads without them (as the platform reads it). A write changes the one
// line of the key, or adds it at the end of its section, or adds the section
// at the end of the file; every other byte of the file stays as it was.
//
// A file that starts with a UTF-16 byte-order mark is a Unicode profile file,
// which the platform reads and writes without loss: it is handed to the wide
// profile functions.
//
// Each call reads the whole file; a write saves it through a temporary file
// that then replaces it, under the file's named mutex (file_lock.h).
#include <string>

namespace ini_file {
// The value bytes of key in section; false when the file, section or key is
// missing (value is then empty).
bool read(const std::wstring& path, const std::wstring& section, const std::wstring& key, std::string& value);
// Stores the value bytes (line breaks in it become blanks). False when the
// names cannot be stored (empty, or holding a line break, "]" in a section
// or "=" in a key) or the file cannot be written.
bool write(const std::wstring& path, const std::wstring& section, const std::wstring& key, const std::string& value);
}  // namespace ini_file
