#pragma once
// The service's track URLs and their cache files.
//
// A music track is "zel://" and an announcement file "zel2://", followed by
// the HTTP address without its "http://", then fields each introduced by
// "|": the start as a fraction of the file's length ("%lf", negative: from
// the beginning) and the service's id of the track. A URL without "|" is the
// address alone.
//
// Cache files live in "<application data>\temp\music" (music) and
// "...\temp\info" (announcements). A file's name is the base name of the
// URL's last segment (up to its first ".") followed by "_", sixteen hex
// digits of a 64-bit FNV-1a hash of the HTTP address, and ".tmp": two
// different addresses never share a file by their base names alone, and one
// address keeps one file whatever its start fraction or id.
#include <vector>
#include "stringx.h"

namespace track_url {

// The first 6 characters equal "zel://" or the first 7 "zel2://", ignoring case.
bool is_track_url(const wchar_t* url);
// The first 7 characters equal "zel2://", ignoring case.
bool is_info_url(const wchar_t* url);

struct parts {
    stringx address;  // the HTTP address (piece 0), UNI_CODE
    double start = 0.0;  // piece 1 by wcstod when present; negative becomes 0.0
    std::vector<stringx> pieces;  // every "|" piece of the HTTP form
};
// The prefix text ("zel://" or "zel2://", exactly, wherever it occurs) is
// replaced by "http://" and the result split at every "|". False when url
// is null, empty or not a track URL.
bool parse(const wchar_t* url, parts& out);

// The name of the URL's cache file (see above); "" for anything that is not
// a track URL.
stringx cache_file_name(const wchar_t* url);
// The folder that holds the url's cache file, without a trailing "\":
// "<root>\temp\music" or "<root>\temp\info".
stringx cache_folder(const wchar_t* url);
// The full path of the url's cache file; "" when it is not a track URL.
stringx cache_file(const wchar_t* url);
// The file a download of url is written to until it is complete and its
// length confirmed: the cache file's path with ".part" appended; "" when
// url is not a track URL. Files of this name are never played.
stringx download_file(const wchar_t* url);

// The folder below which "temp\music" and "temp\info" lie: the
// application-data folder, or the folder set here (tests; empty resets).
stringx cache_root();
void set_cache_root(const wchar_t* folder);

// The size of an ID3v2 tag from its first 10 bytes (footer included), or 0
// when the bytes are no valid tag header.
int id3v2_size(const unsigned char* header);

}  // namespace track_url
