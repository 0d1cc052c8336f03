// The CD-Text reader: the packs of READ TOC format 5 turned into the titles
// and performers of a disc's entries.
//
// Packs are 18 bytes: type, track number, sequence number, block and
// character position, 12 text bytes, two check bytes. The text bytes of the
// packs of one type form NUL-terminated strings that run from pack to pack;
// the pack's track number names the track of the first string that ends in
// it, and each string after it belongs to the next track. Only language
// block 0 is read; the check bytes are not looked at (many drives leave them
// unset), but every length is: a text that runs past its buffer without a
// terminator is dropped, not cut or overrun.
#include <cstring>
#include <string>

#include "cd_disc.h"
#include "cd_ripper.h"
#include "utf.h"

namespace {

constexpr int header_bytes = 4;
constexpr int pack_bytes = 18;
constexpr int text_bytes = 12;
constexpr size_t text_limit = 1023;  // the longest string taken (1024 bytes with its NUL)
constexpr int buffer_bytes = 0x9004;

constexpr unsigned char pack_title = 0x80;
constexpr unsigned char pack_performer = 0x81;

// Packs whose payload is binary (table of contents, size information): no
// strings to gather, and their bytes must not run into a title.
bool binary_pack(unsigned char type) { return type == 0x88 || type == 0x89 || type == 0x8F; }

}  // namespace

bool cd_disc::read_cd_text() {
    std::string raw(buffer_bytes, '\0');
    int length = 0;
    unsigned char* data = reinterpret_cast<unsigned char*>(&raw[0]);
    if (cd_ripper::read_cd_text(data, buffer_bytes, length) != 0 || length < header_bytes) return false;
    apply_cd_text(data, length < buffer_bytes ? length : buffer_bytes);
    return true;
}

void cd_disc::apply_cd_text(const unsigned char* data, int length) {
    if (!data || length < header_bytes) return;
    const int packs = (length - header_bytes) / pack_bytes;
    std::string text;         // bytes of a string not yet ended
    bool overlong = false;    // the string being gathered ran past the limit
    int type = -1;            // of the previous pack
    for (int p = 0; p < packs; ++p) {
        const unsigned char* pack = data + header_bytes + p * pack_bytes;
        if ((pack[3] & 0x70) != 0) continue;  // another language block
        if (pack[0] != type) {
            // A string never runs from one pack type into another.
            text.clear();
            overlong = false;
            type = pack[0];
        }
        if (binary_pack(pack[0])) continue;
        int track = pack[1];
        for (int i = 0; i < text_bytes; ++i) {
            const char c = static_cast<char>(pack[4 + i]);
            if (c != '\0') {
                if (overlong) continue;
                if (text.size() < text_limit) {
                    text += c;
                } else {
                    text.clear();
                    overlong = true;
                }
                continue;
            }
            // NUL bytes at the front of the gathered text end no string.
            if (text.empty() && !overlong) continue;
            if (!overlong) {
                const std::wstring value = utf::ansi_to_utf16(text.c_str()).wvalue();
                if (pack[0] == pack_title || pack[0] == pack_performer) {
                    const bool title = pack[0] == pack_title;
                    if (track == 0) {
                        for (cd_disc_track& t : tracks_) title ? t.record.set_album(value) : t.record.set_artist(value);
                    } else if (const int index = index_of_track(track); index >= 0) {
                        // Packs name the disc's own track numbers, which
                        // need not start at 1.
                        cd_track_record& r = tracks_[static_cast<size_t>(index)].record;
                        title ? r.set_title(value) : r.set_artist(value);
                    }
                }
            }
            text.clear();
            overlong = false;
            ++track;
        }
    }
}
