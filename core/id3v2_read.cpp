// zel_core's own ID3v2.3 and ID3v2.4 reader. The whole tag is read into one
// buffer and parsed in place; every size taken from the file is checked
// against the bytes that are really there.
#include <cstring>
#include <string>
#include <vector>

#include "id3v2_tag.h"
#include "id3v2_text.h"
#include "stream.h"
#include "tag_text.h"

namespace {

uint32_t syncsafe(const unsigned char* p) {
    return uint32_t(p[0] & 0x7F) << 21 | uint32_t(p[1] & 0x7F) << 14 | uint32_t(p[2] & 0x7F) << 7 | (p[3] & 0x7F);
}

uint32_t be32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Removes every 0x00 byte that follows a 0xFF byte; returns the new length.
size_t undo_unsync(unsigned char* p, size_t n) {
    size_t out = 0;
    for (size_t i = 0; i < n; ++i) {
        p[out++] = p[i];
        if (p[i] == 0xFF && i + 1 < n && p[i + 1] == 0x00)
            ++i;
    }
    return out;
}

struct text_frame {
    const char* id;
    id3v2_fields::index field;
};

const text_frame kTextFrames[] = {
    {"TIT2", id3v2_fields::title},    {"TPE1", id3v2_fields::artist},    {"TALB", id3v2_fields::album},
    {"TCON", id3v2_fields::genre},    {"TRCK", id3v2_fields::track},     {"TCOM", id3v2_fields::composer},
    {"TOPE", id3v2_fields::original_artist}, {"TCOP", id3v2_fields::copyright},
    {"TENC", id3v2_fields::encoded_by},
};

const char* const kReplayGain[] = {"replaygain_track_gain", "replaygain_track_peak", "replaygain_album_gain",
                                   "replaygain_album_peak"};
const id3v2_fields::index kReplayGainField[] = {id3v2_fields::track_gain, id3v2_fields::track_peak,
                                                id3v2_fields::album_gain, id3v2_fields::album_peak};

bool iequal_ascii(const std::wstring& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        wchar_t x = a[i];
        char y = b[i];
        if (x >= L'A' && x <= L'Z')
            x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != static_cast<unsigned char>(y))
            return false;
    }
    return i == a.size() && b[i] == 0;
}

// The frames of one tag, taken into a record; the first frame of each kind
// counts.
class frame_reader {
public:
    explicit frame_reader(bool v24) : m_v24(v24) {}

    void take(const char* id, const unsigned char* data, size_t size) {
        if (size == 0)
            return;
        const int encoding = data[0];
        const unsigned char* text = data + 1;
        const size_t n = size - 1;
        for (const text_frame& f : kTextFrames)
            if (std::memcmp(id, f.id, 4) == 0)
                return set_text(f.field, encoding, text, n);
        if (std::memcmp(id, m_v24 ? "TDRC" : "TYER", 4) == 0)
            return set_text(id3v2_fields::year, encoding, text, n);
        if (std::memcmp(id, "TXXX", 4) == 0)
            return take_user_text(encoding, text, n);
        if (std::memcmp(id, "COMM", 4) == 0)
            return take_described(id3v2_fields::comment, encoding, text, n);
        if (std::memcmp(id, "USLT", 4) == 0)
            return take_described(id3v2_fields::lyrics, encoding, text, n);
    }

    void finish(id3v2_fields& out) {
        m_text[id3v2_fields::genre] = id3v2_text::genre(m_text[id3v2_fields::genre]);
        m_text[id3v2_fields::track] = id3v2_text::track(m_text[id3v2_fields::track]);
        for (int i = 0; i < id3v2_fields::count; ++i)
            out.text[i] = m_text[i].c_str();
    }

private:
    void set_text(int field, int encoding, const unsigned char* p, size_t n) {
        if (m_seen[field])
            return;
        m_seen[field] = id3v2_text::decode(encoding, p, n, m_text[field]);
    }

    void take_user_text(int encoding, const unsigned char* p, size_t n) {
        size_t length, rest;
        id3v2_text::split_description(encoding, p, n, length, rest);
        std::wstring description;
        if (!id3v2_text::decode(encoding, p, length, description))
            return;
        for (int i = 0; i < 4; ++i)
            if (iequal_ascii(description, kReplayGain[i]))
                return set_text(kReplayGainField[i], encoding, p + rest, n - rest);
    }

    // COMM and USLT: 3 language bytes, a description, then the text; when
    // nothing follows the description, the description is the text.
    void take_described(int field, int encoding, const unsigned char* p, size_t n) {
        if (m_seen[field] || n < 3)
            return;
        p += 3;
        n -= 3;
        size_t length, rest;
        id3v2_text::split_description(encoding, p, n, length, rest);
        const size_t follows = n - rest;
        const bool wide = encoding == 1 || encoding == 2;
        if (follows == 0 || (wide && follows < 2))
            set_text(field, encoding, p, length);
        else
            set_text(field, encoding, p + rest, follows);
    }

    bool m_v24;
    bool m_seen[id3v2_fields::count] = {};
    std::wstring m_text[id3v2_fields::count];
};

// Parses the tag's body (everything between header and footer).
void parse_body(unsigned char* buf, size_t size, int version, int flags, id3v2_fields& out) {
    const bool v24 = version >= 4;
    size_t end = size;
    if (flags & 0x80) {
        end = undo_unsync(buf, size);
        std::memset(buf + end, 0, size - end);
    }
    size_t pos = 0;
    if (flags & 0x40) {
        // The extended header; a size that reaches past the tag is cut to it.
        if (end < 4)
            return;
        // A padding size larger than what follows the extended header is
        // ignored (the frame walk ends at the padding's zero bytes anyway).
        const uint64_t skip = v24 ? syncsafe(buf) : 4 + uint64_t(be32(buf));
        pos = skip < end ? static_cast<size_t>(skip) : end;
        if (!v24 && skip >= 10 && end >= 10) {
            const uint32_t padding = be32(buf + 6);
            if (padding <= end - pos)
                end -= padding;
        }
    }

    frame_reader frames(v24);
    while (pos < end && buf[pos] != 0) {
        if (end - pos < 10)
            break;
        const unsigned char* header = buf + pos;
        const size_t frame_size = v24 ? syncsafe(header + 4) : be32(header + 4);
        if (frame_size > end - pos - 10)
            break;
        const unsigned char format = header[9];
        unsigned char* data = buf + pos + 10;
        pos += 10 + frame_size;
        const bool compressed = v24 ? (format & 0x08) : (format & 0x80);
        const bool encrypted = v24 ? (format & 0x04) : (format & 0x40);
        if (compressed || encrypted)
            continue;
        size_t n = frame_size;
        std::vector<unsigned char> copy;
        if (v24 && (format & 0x02)) {
            copy.assign(data, data + n);
            n = undo_unsync(copy.data(), n);
            data = copy.data();
        }
        if (v24 && (format & 0x01)) {
            // A data length indicator comes before the frame's data.
            if (n < 4)
                continue;
            data += 4;
            n -= 4;
        }
        frames.take(reinterpret_cast<const char*>(header), data, n);
    }
    frames.finish(out);
}

bool read_tag(stream* s, id3v2_fields& out) {
    const int64_t n = s->length();
    if (n < 10 || s->seek(0, 0) != 0)
        return false;
    unsigned char head[10];
    if (tag_text::read_all(s, head, 10) != 10)
        return false;
    bool footer = false;
    if (std::memcmp(head, "ID3", 3) != 0 || head[3] < 3) {
        if (s->seek(n - 10, 0) != 0 || tag_text::read_all(s, head, 10) != 10)
            return false;
        if (std::memcmp(head, "3DI", 3) != 0 || head[3] < 4)
            return false;
        footer = true;
    }
    const uint32_t size = syncsafe(head + 6);
    if (n < int64_t(size) + 10)
        return false;
    if (s->seek(footer ? n - size - 10 : 10, 0) != 0)
        return false;
    std::vector<unsigned char> body;
    try {
        body.resize(size);
    } catch (...) {
        return false;
    }
    if (tag_text::read_all(s, body.data(), static_cast<int>(size)) != static_cast<int>(size))
        return false;
    parse_body(body.data(), size, head[3], head[5], out);
    return true;
}

}  // namespace

bool id3v2_read(stream* s, id3v2_fields* out) {
    if (!s || !out)
        return false;
    const int64_t position = s->tell();
    id3v2_fields fields;
    const bool found = read_tag(s, fields);
    s->seek(position, 0);
    if (found)
        *out = fields;
    return found;
}
