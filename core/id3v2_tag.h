#pragma once
// The ID3v2 tag of a local audio file. Reading is zel_core's own parser of
// ID3v2.3 and ID3v2.4 tags (at the start of the file, or a v2.4 tag with a
// footer at its end); writing goes through id3lib and always puts an
// ID3v2.3 tag at the start of the file.
//
// Not locked: one thread at a time per stream.
#include "stringx.h"
#include "zel_export.h"

class stream;

// Sixteen wide texts (UNI_CODE stringx); an empty text means absent.
struct ZEL_CORE_API id3v2_fields {
    enum index {
        title,            // TIT2
        artist,           // TPE1
        album,            // TALB
        comment,          // COMM
        year,             // TYER (v2.3), TDRC (v2.4)
        track,            // TRCK, the part before a "/"
        genre,            // TCON, "(13)" read as "Pop"
        lyrics,           // USLT
        composer,         // TCOM
        original_artist,  // TOPE
        copyright,        // TCOP
        encoded_by,       // TENC
        track_gain,       // TXXX "replaygain_track_gain"
        track_peak,       // TXXX "replaygain_track_peak"
        album_gain,       // TXXX "replaygain_album_gain"
        album_peak,       // TXXX "replaygain_album_peak"
        count
    };
    stringx text[count];
};

// Fills out from the file's ID3v2 tag. False when s or out is null or no
// usable tag is found; out then keeps what it held. The stream's position is
// the same afterwards. Frames whose sizes reach past the tag end the reading
// of frames; nothing is read outside the tag.
ZEL_CORE_API bool id3v2_read(stream* s, id3v2_fields* out);

// Writes the fields into the file named by the stream's path (its last
// "|"-separated part), as frames TALB, TPE1, TCON, TIT2, COMM and USLT
// (language "eng"), TRCK, TYER and the four replay-gain TXXX frames; the
// composer, original artist, copyright and encoder texts are not written.
// Each of these frames is replaced by the field's value, or removed when the
// field is empty; every other frame of the tag stays (pictures, other TXXX
// descriptions, TPE2...). A text that the ANSI code page holds is written in
// it with encoding 0, any other as UTF-16 with a byte-order mark. When no
// frame is left the tag is removed.
//
// The stream is closed before the file is rewritten and must be reopened by
// its owner. False when the file cannot be rewritten (read-only, in use, a
// path that id3lib cannot open); the file then keeps its earlier tag.
ZEL_CORE_API bool id3v2_write(stream* s, const id3v2_fields* in);

// Removes the file's whole ID3v2 tag, every frame included. Closes the
// stream like id3v2_write. True when the file has no ID3v2 tag afterwards.
ZEL_CORE_API bool id3v2_strip(stream* s);
