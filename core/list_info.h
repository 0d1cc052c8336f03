#pragma once
// list_info: the record of one playable entry (playlist entry, channel track,
// announcement, file found in a folder, the track a playback thread plays).
//
// The class is compiled into every module that uses it, so every module must
// agree on this layout field for field: the numbers first, then the eight
// string pointers, all in the order below. Do not reorder or add fields.
//
// Ownership: each string is null or a heap copy made with _wcsdup and owned by
// the record; it is freed with free. Null and "" both mean "no value"; readers
// treat null as "". Copies duplicate every string (null stays null).
#include <cstdlib>
#include <cwchar>

class list_info {
public:
    double time = 0.0;        // length in seconds; 0.0 when unknown
    int channel = 0;          // audio channels
    int samplerate = 0;       // samples per second per channel
    int bitrate = 0;          // as the input or tag reader reports it
    int track = 0;            // track number within the album ("TRACK")
    double track_gain = 0.0;  // replay gain of the track in dB; 0.0 = none
    double track_peak = 0.0;  // peak of the track, 1.0 = full scale
    double album_gain = 0.0;  // replay gain of the album in dB; 0.0 = none
    double album_peak = 0.0;  // peak of the album
    unsigned char subtrack = 0;  // flag kept with the entry, not interpreted

    wchar_t* path = nullptr;      // file path or URL a stream opens
    wchar_t* filename = nullptr;  // file name as the producer sets it
    wchar_t* artist = nullptr;
    wchar_t* title = nullptr;
    wchar_t* album = nullptr;
    wchar_t* date = nullptr;      // year or date text ("YEAR")
    wchar_t* genre = nullptr;
    wchar_t* id = nullptr;        // entry id (service id, or playlist entry id)

    list_info() = default;

    list_info(const list_info& other) { copy_from(other); }

    list_info& operator=(const list_info& other) {
        if (this != &other) {
            free_strings();
            copy_from(other);
        }
        return *this;
    }

    // Moves take the strings over and leave the source without any (its
    // numbers stay): growing a vector of entries then copies no text.
    list_info(list_info&& other) noexcept { take_from(other); }

    list_info& operator=(list_info&& other) noexcept {
        if (this != &other) {
            free_strings();
            take_from(other);
        }
        return *this;
    }

    virtual ~list_info() { free_strings(); }

    // Frees and nulls the eight strings; the numbers keep their values. Used
    // before a record is refilled field by field.
    void free_strings() {
        wchar_t** fields[] = {&path, &filename, &artist, &title, &album, &date, &genre, &id};
        for (wchar_t** field : fields) {
            // Most fields of most records are null (and every field of a
            // record moved from): no call into the heap for those.
            if (*field) {
                free(*field);
                *field = nullptr;
            }
        }
    }

    // Replaces one string field with a copy of value (null stays null). The
    // copy is made before the old value is freed, so passing the field's own
    // value is safe.
    static void set_string(wchar_t*& field, const wchar_t* value) {
        wchar_t* copy = dup(value);
        free(field);
        field = copy;
    }

private:
    static wchar_t* dup(const wchar_t* s) { return s ? _wcsdup(s) : nullptr; }

    void copy_numbers(const list_info& o) {
        time = o.time;
        channel = o.channel;
        samplerate = o.samplerate;
        bitrate = o.bitrate;
        track = o.track;
        track_gain = o.track_gain;
        track_peak = o.track_peak;
        album_gain = o.album_gain;
        album_peak = o.album_peak;
        subtrack = o.subtrack;
    }

    // Expects the strings to be null (fresh or just freed).
    void take_from(list_info& o) {
        copy_numbers(o);
        wchar_t** mine[] = {&path, &filename, &artist, &title, &album, &date, &genre, &id};
        wchar_t** theirs[] = {&o.path, &o.filename, &o.artist, &o.title, &o.album, &o.date, &o.genre, &o.id};
        for (int i = 0; i < 8; ++i) {
            *mine[i] = *theirs[i];
            *theirs[i] = nullptr;
        }
    }

    // Expects the strings to be null (fresh or just freed).
    void copy_from(const list_info& o) {
        copy_numbers(o);
        path = dup(o.path);
        filename = dup(o.filename);
        artist = dup(o.artist);
        title = dup(o.title);
        album = dup(o.album);
        date = dup(o.date);
        genre = dup(o.genre);
        id = dup(o.id);
    }
};
