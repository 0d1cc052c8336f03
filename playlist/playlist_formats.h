#pragma once
// The playlist file formats of zel_playlist: the own XML format ".cpl"
// (read and written), WPL, PLS, M3U, M3U8 and ASX (read), PLS, M3U and M3U8
// (written).
//
// Readers append entries and return false only when the file is not of
// their kind or cannot be read; bad lines are skipped. Writers write the
// entries' paths as they are given. Nothing here throws.
#include <functional>
#include <string>
#include <vector>
#include "list_info.h"

// --- own XML format (.cpl) ---

// Reads a ".cpl" document: true when the path ends in ".cpl" (any case) and
// names a document with at least one "file" element; entries without a path
// are left out. Relative paths are resolved against the document's folder.
bool read_cpl_playlist(const wchar_t* path, std::vector<list_info>& entries);
// Writes the document: a "playlist" root with one "file" element per entry
// carrying the sixteen attributes (none for an entry without a path).
bool write_cpl_document(const wchar_t* file, const std::vector<list_info>& entries);

// --- other formats ---

enum class playlist_format { wpl, pls, m3u, asx };

// The loading frame of the four loaders: the extension must be the
// format's ("wpl", "pls", "m3u" or "m3u8", "asx", any case); an "http://" or
// "ftp://" address is fetched into the format's temporary file in the
// application-data folder first, which is deleted again after parsing.
bool load_playlist(playlist_format format, const wchar_t* path, std::vector<list_info>& entries);
// Whether load_playlist would look at path at all (its extension is the
// format's): a quick refusal that allocates nothing, for the loaders, which
// are offered every entry of every list.
bool playlist_path_fits(playlist_format format, const wchar_t* path);

// Receives every entry a parser finds, in file order: a path resolved
// against the file's folder (never empty), and for PLS its title. The texts
// are only valid during the call (a parser reuses its buffers from line to
// line, so a long list costs no allocation per line).
using parsed_sink = std::function<void(const std::wstring& path, const std::wstring& title)>;
// Parsers of local files; false when the file cannot be opened (PLS: when
// it announces no entries).
bool parse_wpl(const wchar_t* file, const parsed_sink& found);
bool parse_pls(const wchar_t* file, const parsed_sink& found);
bool parse_m3u(const wchar_t* file, const parsed_sink& found);
bool parse_asx(const wchar_t* file, const parsed_sink& found);

// One parsed entry, for callers that want the whole list at once.
struct parsed_entry {
    std::wstring path;
    std::wstring title;
};
inline bool parse_m3u(const wchar_t* file, std::vector<parsed_entry>& found) {
    return parse_m3u(file, [&](const std::wstring& path, const std::wstring& title) {
        found.push_back({path, title});
    });
}

// Writers: M3U in the ANSI code page, M3U8 in UTF-8 after a byte order mark,
// one path per line ending in CR LF; PLS through the private-profile
// functions ("File%d", "Title%d" from the filename field, "Length%d" in
// whole seconds).
bool write_m3u_file(const wchar_t* file, const std::vector<list_info>& entries, bool utf8);
bool write_pls_file(const wchar_t* file, const std::vector<list_info>& entries);

// --- saving ---

// Saves the entries to target in the format its extension names ("cpl",
// "m3u", "m3u8", "pls", any case), with paths made relative to the target's
// folder. The file is written beside the target under a temporary name and
// then put in the target's place, so a failed save leaves an existing
// target as it was. False for any other extension (nothing is touched) and
// when writing fails.
bool save_playlist_file(const wchar_t* target, const std::vector<list_info>& entries);

// The last playlist kept at shutdown: a ".cpl" document with absolute
// paths, leaving out "http://" and "mms://"-style addresses and local files
// that no longer exist. Written the same safe way; false when writing failed.
bool save_last_playlist(const wchar_t* path, const std::vector<list_info>& entries);

// Shared by the writers: a name for a new file in folder ("~zl" and five
// hex digits, ".tmp") that no file has yet; "" when none is found.
std::wstring temporary_name_in(const std::wstring& folder);
