#pragma once
// zel_tag: the tag editor of a local audio file. Bound to an open stream, it
// reads the file's ID3v1, APE v1, APE v2 and ID3v2 tags into one list of
// named UTF-8 text fields, lets its user read and change them, and writes
// them back as one tag of a chosen kind, or removes the tags.
//
// The fields read from and written to the file are the twelve standard ones:
// "Title", "Artist", "Album", "Year", "Comment", "Lyrics", "Track", "Genre",
// "replaygain_track_gain", "replaygain_track_peak", "replaygain_album_gain"
// and "replaygain_album_peak" (the replay-gain texts as the tag holds them).
// Other names can be set but stay in memory. Names are compared ignoring
// ASCII case. When several tags hold a field, the value comes from the first
// of ID3v2, APE v2, APE v1, ID3v1 that has it; the trailing tags (APE, ID3v1)
// are not read when the file begins with a non-empty ID3v2 tag.
//
// The stream is not owned and must outlive the binding; copies share it.
// After an ID3v2 update or a remove the stream is closed and its owner must
// reopen it before it is read again. Not locked: one thread at a time.
#include <vector>

#include "stringx.h"
#include "zel_export.h"

class stream;

class ZEL_CORE_API zel_tag {
public:
    // Kinds of update().
    enum : int {
        kind_ape_v1 = 0,
        kind_ape_v2 = 1,
        kind_id3v1 = 2,
        kind_id3v2 = 3,  // and every kind above
    };

    zel_tag();
    zel_tag(const zel_tag& other);
    zel_tag& operator=(const zel_tag& other);
    virtual ~zel_tag();

    // Binds the stream and reads its tags; its position is kept. False for a
    // null stream (nothing changes); true otherwise, also without any tag.
    bool set_stream(stream* s);
    // The value of the field of that name, ignoring case; "" when unbound,
    // for a null or empty name, or when there is no such field. Valid until
    // that field changes or the tags are read again.
    const char* get_field(const char* name) const;
    // Nothing when unbound or for a null or empty name. An existing field
    // gets a non-empty value, or is removed by a null or empty one; a new
    // field is appended, also with an empty value.
    void set_field(const char* name, const char* value);
    // Writes the standard fields into the file: kind_ape_v1, kind_ape_v2 and
    // kind_id3v1 replace the trailing tags by one tag of that kind (refused
    // when the file begins with an ID3v2 tag), kind_id3v2 and above write the
    // ID3v2 tag. False for a negative kind, when unbound, or when the file
    // could not be written.
    bool update(int kind);
    // Removes the trailing ID3v1 and APE tags and the whole ID3v2 tag. The
    // fields in memory stay.
    void remove();

    int field_count() const;
    const char* field_name(int index) const;  // null outside 0..field_count()-1
    const char* field_value(int index) const;

private:
    int find(const char* name) const;
    bool update_trailing(int kind);

    stream* m_stream;
    std::vector<stringx> m_names;
    std::vector<stringx> m_values;
};
