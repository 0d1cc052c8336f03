#pragma once
// The track lines of the last channel, kept in a file between runs so that a
// start without the service can play that channel's cached tracks.
//
// The file is UTF-8: the channel id on the first line, then one track line
// per line as the service sent it. It is written through a temporary file
// and renamed, so a kill during the write leaves the earlier file whole.
#include <vector>
#include "stringx.h"

// Replaces the file at path with chkey's lines; false when it could not be
// written (the earlier file then stays).
bool write_kept_track_lines(const wchar_t* path, int chkey, const std::vector<stringx>& lines);
// The lines of the file when they are chkey's; none otherwise (no file,
// another channel, an unreadable file).
std::vector<stringx> read_kept_track_lines(const wchar_t* path, int chkey);
