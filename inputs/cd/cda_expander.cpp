#include "cda_expander.h"

#include <cmath>
#include <cstring>
#include <cwctype>

#include "cd_drive_table.h"
#include "cd_title_lookup.h"
#include "cd_track_name.h"
#include "core.h"
#include "critsec.h"
#include "stream.h"

namespace {

// The fields of a ".cda" track file that are read (little-endian).
struct cda_file {
    static constexpr int size = 44;
    int track = 0;
    unsigned disc_id = 0;
    unsigned sectors = 0;
};

unsigned le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
unsigned le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned>(p[3]) << 24);
}

// False for a header other than a CD track file's.
bool parse_cda(const unsigned char* h, cda_file& out) {
    if (memcmp(h, "RIFF", 4) != 0 || le32(h + 4) != 36 || memcmp(h + 8, "CDDA", 4) != 0 || le16(h + 20) != 1)
        return false;
    out.track = static_cast<int>(le16(h + 22));
    out.disc_id = le32(h + 24);
    out.sectors = le32(h + 32);
    return out.track >= 1 && out.track <= 99 && out.disc_id != 0;
}

// The first bytes of a file through its stream; the count read.
int read_head(const wchar_t* path, unsigned char* head, int size) {
    stream* s = core::create_stream(path);
    if (!s) return -1;
    s->seek(0, 0);
    int got = 0;
    while (got < size) {
        const int n = s->read(head + got, size - got);
        if (n <= 0) break;
        got += n;
    }
    s->release();
    return got;
}

}  // namespace

list_info cda_expander::entry(const cd_track_record& title, unsigned disc_id, wchar_t letter, long long sectors) {
    list_info e;
    const std::wstring name = cd_track_name::make(title.track_number(), disc_id, letter);
    list_info::set_string(e.path, name.c_str());
    list_info::set_string(e.title, title.title().c_str());
    list_info::set_string(e.artist, title.artist().c_str());
    list_info::set_string(e.album, title.album().c_str());
    list_info::set_string(e.genre, title.genre().c_str());
    e.track = title.track_number();
    e.time = std::floor(static_cast<double>(sectors) * 2352.0 / 176400.0 + 0.5);
    e.channel = 2;
    e.samplerate = 44100;
    e.bitrate = 1411;
    return e;
}

bool cda_expander::expand(const wchar_t* path, std::vector<list_info>& entries) {
    if (!path || !*path || !cd_track_name::has_cda_extension(path)) return false;
    auto_sync guard(cd_drive_table::lock());
    if (cd_track_name::is_cd_name(path)) return expand_drive(static_cast<wchar_t>(towupper(path[7])), entries);
    return expand_file(path, entries);
}

bool cda_expander::expand_drive(wchar_t letter, std::vector<list_info>& entries) {
    cd_drive_use drive(letter);
    if (!drive.disc()) return false;
    std::vector<cd_disc_track>& titles = drive.record().titles;
    cd_title_lookup::ensure(cd_title_lookup::main_window(), *drive.disc(), titles);
    for (const cd_disc_track& t : titles)
        entries.push_back(entry(t.record, drive.disc()->disc_id(), letter,
                                drive.disc()->track_sectors(t.record.track_number())));
    return !titles.empty();
}

bool cda_expander::expand_file(const wchar_t* path, std::vector<list_info>& entries) {
    unsigned char head[cda_file::size];
    if (read_head(path, head, cda_file::size) < cda_file::size) return false;
    cda_file file;
    if (!parse_cda(head, file)) return true;  // handled: not a CD track file, nothing to add

    cd_drive_table::extractor_hold hold;
    if (!hold.acquire()) return false;
    cd_drive_table::init();
    cd_current_drive keep;
    // The disc is found by its id in whichever drive holds it, and the entry
    // names that drive: a track file copied elsewhere still plays.
    cd_disc* disc = cd_drive_table::find_disc(file.disc_id);
    if (!disc) return false;
    const int index = cd_drive_table::index_of(disc);
    cd_drive_record& r = *cd_drive_table::record(index);
    cd_title_lookup::ensure(cd_title_lookup::main_window(), *disc, r.titles);
    bool added = false;
    for (const cd_disc_track& t : r.titles) {
        if (t.record.track_number() != file.track) continue;
        entries.push_back(entry(t.record, file.disc_id, cd_drive_table::drive_letter(index), file.sectors));
        added = true;
        break;
    }
    cd_drive_table::release_disc(disc);
    return added;
}
