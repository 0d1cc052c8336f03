#pragma once
// cddb_disc: one xmcd database record, as the body of a CDDB read reply
// holds it (a status line, then comment lines beginning with "#" and lines
// of key "=" value), and the parser that fills it. The lookup takes the
// artist, the album title, the track titles and the year from it.
//
// The text is ANSI (the system code page) and becomes UTF-16 here. The
// parser keeps no fixed buffers: over-long lines and values are taken whole,
// track keys outside a CD's 99 tracks are ignored, and a record that lacks
// a required part is refused.
#include <string>
#include <vector>

class cddb_disc {
public:
    // The track keys accepted: TTITLE0 .. TTITLE98 and EXTT0 .. EXTT98.
    static constexpr int max_tracks = 99;

    cddb_disc() = default;
    virtual ~cddb_disc() = default;
    cddb_disc(const cddb_disc&) = default;
    // Copies the numbers and texts and appends the other record's lists to
    // this one's.
    cddb_disc& operator=(const cddb_disc& other);

    // Fills the record from a read reply's body (NUL-terminated, the HTTP
    // header already skipped). True for a complete record (xmcd comment,
    // frame offsets, disc length, submitter, DISCID, DTITLE, as many EXTT as
    // TTITLE entries); false otherwise, the record then holding whatever was
    // read. Expects a freshly made record: lists are appended to.
    bool parse(const char* body);

    std::vector<int> frame_offsets;
    int disc_length = 0;  // seconds
    int revision = 0;
    std::wstring submitter_name;
    std::wstring submitter_version;
    std::wstring submitter_comment;
    unsigned disc_id = 0;  // set by the client to the id it asked for
    std::wstring artist;
    std::wstring title;
    std::vector<std::wstring> track_titles;
    std::wstring extended_data;
    std::vector<std::wstring> extended_track_data;
    std::vector<int> play_order;
    int year = 0;
    std::wstring genre;
};

namespace cddb_text {

// The decimal number at the start of text: leading white space skipped, an
// optional sign, the digits up to the first other character; 0 when there
// are none, and the nearest int when the digits overflow it.
int read_int(const char* text);
// The status code of a reply body: its first three characters as a decimal
// number; -1 for a body shorter than three characters (or null).
int status_code(const char* body);
// The text after the status line (past the first "\r\n", else the first
// "\n"); null when no line follows it.
const char* after_status_line(const char* body);
// The lines of text: each ends at a "\n", with a "\r" before it dropped;
// the last line is the rest, when not empty.
std::vector<std::string> lines(const char* text);
// ANSI to UTF-16.
std::wstring wide(const std::string& ansi);

}  // namespace cddb_text
