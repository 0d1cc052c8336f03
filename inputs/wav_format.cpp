#include "wav_format.h"

#include <cstring>
#include <vector>

#include "stream.h"

namespace {
const int64_t min_stream_bytes = 42;
const uint32_t min_fmt_bytes = 14;
const uint32_t max_fmt_bytes = 65536;

uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t le32(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

bool read_exact(stream* s, void* buffer, int n) { return s->read(buffer, n) == n; }

bool read_u32(stream* s, uint32_t& value) {
    unsigned char b[4];
    if (!read_exact(s, b, 4)) return false;
    value = le32(b);
    return true;
}

bool is_id(const unsigned char* id, const char* name) { return std::memcmp(id, name, 4) == 0; }

uint64_t even(uint32_t size) { return (uint64_t(size) + 1) & ~uint64_t(1); }

// A "fmt " body: format tag, channels, samples per second, average bytes per
// second, block align, then the rest.
bool valid_record(const unsigned char* body) {
    const unsigned channels = le16(body + 2);
    const uint32_t rate = le32(body + 4);
    const uint32_t average = le32(body + 8);
    const unsigned align = le16(body + 12);
    return channels >= 1 && channels <= 256 && rate >= 1000 && rate <= 1000000 && average != 0 && align != 0;
}

// After a valid "fmt " chunk: looks for the "data" chunk from chunk_end on.
int walk_to_data(stream* s, int64_t chunk_end, int64_t length, int format_tag) {
    int64_t at = chunk_end;
    while (at + 8 <= length) {
        unsigned char header[8];
        if (s->seek(at, 0) != 0 || !read_exact(s, header, 8)) return 0;
        if (is_id(header, "data")) return format_tag;
        at += 8 + int64_t(even(le32(header + 4)));
    }
    return 0;
}

int read_format_tag(stream* s) {
    const int64_t length = s->length();
    if (length < min_stream_bytes) return -1;
    unsigned char id[4];
    uint32_t size = 0;
    if (!read_exact(s, id, 4) || !is_id(id, "RIFF")) return -1;
    if (!read_u32(s, size)) return -1;
    if (!read_exact(s, id, 4) || !is_id(id, "WAVE")) return -1;
    if (!read_exact(s, id, 4)) return -1;
    for (;;) {
        if (is_id(id, "fmt ")) {
            if (!read_u32(s, size) || size < min_fmt_bytes || size > max_fmt_bytes) return -1;
            const int64_t body_start = s->tell();
            std::vector<unsigned char> body(size);
            if (!read_exact(s, body.data(), int(size))) return -1;
            if (!valid_record(body.data())) return -1;
            return walk_to_data(s, body_start + int64_t(even(size)), length, le16(body.data()));
        }
        if (is_id(id, "data")) return -1;
        if (!read_u32(s, size)) return -1;
        const uint64_t skip = even(size);
        if (skip == 0) return -1;
        if (s->tell() + int64_t(skip) > length - 8) return -1;
        if (s->seek(int64_t(skip), 1) != 0) return -1;
        if (!read_exact(s, id, 4)) return -1;
    }
}
}  // namespace

int wav_format_tag(stream* source) {
    if (!source) return -1;
    const int64_t home = source->tell();
    const int result = read_format_tag(source);
    source->seek(home, 0);
    return result;
}
