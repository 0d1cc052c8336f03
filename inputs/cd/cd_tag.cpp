#include "cd_tag.h"

#include <cmath>
#include <cwchar>

#include "cd_drive_table.h"
#include "cd_track_name.h"
#include "info_list.h"
#include "list_info.h"
#include "stream.h"

namespace {

const wchar_t* const empty_fields[] = {L"Lyrics", L"replaygain_track_gain", L"replaygain_track_peak",
                                       L"replaygain_album_gain", L"replaygain_album_peak"};

std::wstring decimal(int value) {
    wchar_t text[16];
    _snwprintf(text, 15, L"%d", value);
    text[15] = 0;
    return text;
}

}  // namespace

cd_tag::cd_tag() : info_{1, 2, 44100, 16, 0, 0.0, 1411.0} {}

cd_tag::~cd_tag() { delete properties_; }

bool cd_tag::accepts(stream* source, const wchar_t* path) {
    if (path && *path) return cd_track_name::claims(path);
    return source && cd_track_name::claims(source->path);
}

const wchar_t* cd_tag::get_field(const wchar_t* name) {
    if (!name) return L"";
    const struct {
        const wchar_t* name;
        const std::wstring& value;
    } fields[] = {{L"Title", title_}, {L"Artist", artist_}, {L"Album", album_},     {L"Comment", comment_},
                  {L"Year", year_},   {L"Track", track_text_}, {L"Genre", genre_}};
    for (const auto& f : fields)
        if (_wcsicmp(name, f.name) == 0) return f.value.c_str();
    for (const wchar_t* e : empty_fields)
        if (_wcsicmp(name, e) == 0) return L"";
    return L"";
}

bool cd_tag::open(stream* source, list_info* info) {
    if (!source) return false;
    cd_track_name::parts name;
    if (!cd_track_name::parse(info && info->path ? info->path : L"", name)) return false;
    const int track = name.track;
    cd_drive_use drive(name.letter);
    const cd_disc* disc = drive.disc();
    if (!disc) return false;

    wchar_t file[32];
    _snwprintf(file, 31, L"%c:\\Track%02d.cda", name.letter, track);
    file[31] = 0;
    path_ = file;
    delete properties_;
    properties_ = new info_list();
    properties_->set(L"Path", file);
    properties_->set(L"FileSize", decimal(44).c_str());
    properties_->set(L"Format", L"Audio CD");
    properties_->set(L"Decoder", L"ZEL AudioCD Decoder");

    const int entry = disc->index_of_track(track);
    if (track < 1 || track > disc->track_count() || entry < 0 || !disc->track(entry).is_audio()) return false;
    // Whole seconds, rounded, as the track entries have them.
    info_.length = std::floor(disc->track_sectors(track) / 75.0 + 0.5);
    info_.channels = 2;
    info_.sample_rate = 44100;
    info_.bits_per_sample = 16;
    info_.bitrate = 1411.0;
    for (const cd_disc_track& t : drive.record().titles) {
        if (t.record.track_number() != track) continue;
        album_ = t.record.album();
        artist_ = t.record.artist();
        comment_ = t.record.comment();
        genre_ = t.record.genre();
        title_ = t.record.title();
        track_text_ = decimal(t.record.track_number());
        year_ = decimal(t.record.year());
        break;
    }
    return true;
}
