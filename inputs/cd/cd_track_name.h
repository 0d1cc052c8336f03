#pragma once
// The CD track name: the path by which a playlist entry names one audio CD
// track, "cdda://" followed by the track number (two digits at least), the
// disc id (eight upper-case hexadecimal digits) and the drive letter,
// separated by "|" and followed by ".cda": "cdda://%02u|%08X|%c.cda". A
// drive name is "cdda://%c.cda".
#include <string>

namespace cd_track_name {

struct parts {
    int track = 0;
    unsigned disc_id = 0;
    wchar_t letter = 0;  // as written, 0 when the third field is empty
};

std::wstring make(int track, unsigned disc_id, wchar_t letter);

// Splits what follows the first seven characters at every "|": exactly
// three fields give true.
bool parse(const wchar_t* path, parts& out);

// The path begins with "cdda://" (in any case).
bool is_cd_name(const wchar_t* path);
// The path's extension (after its last ".") is "cda" (in any case).
bool has_cda_extension(const wchar_t* path);
// What the CD input and tag claim: a ".cda" path or a "cdda://" name.
bool claims(const wchar_t* path);

}  // namespace cd_track_name
