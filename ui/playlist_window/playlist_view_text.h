#pragma once
// The texts of the now-playing list: what a row shows for an entry, which
// type icon goes before its title, the status line's left text and the
// played-tracks log record of a channel track. Plain functions of their
// arguments, so that every rule is tested without a window.
#include <string>
#include <vector>

class list_info;

// True for the stream addresses the player plays as radio: "http://",
// "mms://", "mmst://", "mmsh://" and "mmsu://", ignoring case.
bool is_stream_path(const wchar_t* path);

// The title column: the title when it is not empty; a stream's address;
// otherwise the file name of the path without its last extension.
std::wstring entry_title_text(const list_info& entry);

// The key of the type icon: "radio" for streams, "zel" for "zel://" paths,
// otherwise the lower-cased extension of the path ("" when it has none).
std::wstring entry_type_key(const list_info& entry);

// The left text of the status line in playlist mode: the number of entries
// and their total time ("" for no entries).
std::wstring playlist_status_text(const std::vector<list_info*>& entries);

// The left text in channel mode: "ver " and the INI version, or
// "1.0.0.0.0" when that is empty.
std::wstring channel_status_text(const std::wstring& ini_version);

// The played-tracks record of a channel track: channel id, title, artist,
// album, file name, whole seconds and the service's file key (the part of
// the path between its last "/" and the first "|" after it), joined by "^".
std::wstring played_log_record(unsigned channel_id, const list_info& entry);

// The path up to its first "|" (the whole path without one).
std::wstring path_key(const wchar_t* path);
