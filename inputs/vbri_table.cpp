#include <cstring>

#include "mpeg_parser.h"

namespace {
const int vbri_at = 36;          // the header's place from the frame start
const int vbri_fields = 22;      // version to frames per entry
const int vbri_table_at = vbri_at + 4 + vbri_fields;

unsigned be16(const unsigned char* p) { return unsigned(p[0]) << 8 | p[1]; }
}  // namespace

bool vbri_table::read(const unsigned char* frame, int n) {
    if (!frame || n < vbri_table_at) return false;
    frame_header f;
    if (!mpeg_frame_check(mpeg_word(frame), f)) return false;
    const int rate = mpeg_sample_rate(f.sampling_frequency);
    if (rate == 0 || memcmp(frame + vbri_at, "VBRI", 4) != 0) return false;
    const unsigned char* p = frame + vbri_at + 4;
    vbri_table v;
    v.sample_rate = rate;
    v.version = be16(p);
    v.delay = be16(p + 2);
    v.quality = be16(p + 4);
    v.bytes = mpeg_word(p + 6);
    v.frames = mpeg_word(p + 10);
    v.entries = be16(p + 14);
    v.scale = be16(p + 16);
    v.entry_size = be16(p + 18);
    v.frames_per_entry = be16(p + 20);
    // A header that cannot serve a seek (no frames, no frames per entry, an
    // entry size other than 1 to 4 bytes) or whose table does not lie within
    // the bytes at hand counts as no header.
    if (v.frames == 0 || v.frames_per_entry == 0 || v.entry_size < 1 || v.entry_size > 4) return false;
    const int values = v.entries + 1;
    if (values * v.entry_size > n - vbri_table_at) return false;
    v.table.resize(values);
    const unsigned char* q = frame + vbri_table_at;
    for (int i = 0; i < values; ++i) {
        uint32_t value = 0;
        for (int b = 0; b < v.entry_size; ++b) value = value << 8 | *q++;
        v.table[i] = int64_t(value) * v.scale;
    }
    *this = v;
    return true;
}

// Walks the table in steps of equal time until the target is passed, then
// steps back by the frames overshot. Single precision throughout, as the
// table's own encoder computes it.
int64_t vbri_table::seek(float milliseconds) const {
    if (table.empty() || sample_rate <= 0 || frames_per_entry <= 0) return 0;
    const float samples_per_frame = sample_rate < 32000 ? 576.0f : 1152.0f;
    const float total = float(frames) * samples_per_frame / float(sample_rate) * 1000.0f;
    if (!(total > 0.0f)) return 0;
    float target = milliseconds < total ? milliseconds : total;
    if (!(target >= 0.0f)) return 0;
    const float step = total / float(entries + 1);
    float sum = 0.0f;
    int64_t offset = 0;
    int i = 0;
    do {
        sum += step;
        offset += table[i];
        ++i;
    } while (sum <= target && i <= entries);
    const float fpe = float(frames_per_entry);
    const int frames_over = int(fpe * ((sum - target) / step + 1.0f / (2.0f * fpe)));
    return offset - int64_t(float(frames_over) * float(table[i - 1]) / fpe);
}

double vbri_table::length_ms() const {
    if (sample_rate <= 0) return 0.0;
    const double samples_per_frame = sample_rate < 32000 ? 576.0 : 1152.0;
    return double(frames) * samples_per_frame / double(sample_rate) * 1000.0;
}
