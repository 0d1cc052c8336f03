#pragma once
// The two path rules of the playlist files: entry paths are written relative
// to the playlist file's folder and resolved against it on reading. Paths
// use "\" as separator; folders are given without a trailing "\".
#include <string>

// The path relative to folder when both start with the same first part
// (drive, or server of a network path); otherwise path unchanged. Parts
// compare ignoring case. "C:\music\pop" and "C:\music\rock\a.mp3" give
// "..\rock\a.mp3".
std::wstring make_relative_path(const std::wstring& folder, const std::wstring& path);

// True when the path read from a playlist is taken as it is: it holds "://"
// or "|", or it does not begin with ".." and begins with "\" or has ":\" as
// its second and third characters.
bool is_absolute_playlist_path(const std::wstring& path);

// A relative path joined to folder, "." parts dropped and ".." parts taking
// one part off the folder; an absolute path unchanged; an empty path stays
// empty. ".." never climbs above the folder's root (its drive, or the server
// and share of a network folder, whose leading "\\" is kept).
std::wstring resolve_relative_path(const std::wstring& folder, const std::wstring& path);

// The folder of a file path: the text before its last "\" ("" when none).
std::wstring folder_of(const std::wstring& path);
