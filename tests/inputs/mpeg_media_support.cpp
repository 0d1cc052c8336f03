#include "mpeg_media_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "input.h"

const media_fixture media_fixtures[] = {
    {"l3_cbr128_44k_joint.mp3", 3, 44100, 2, 1152, 128},
    {"l3_vbr_44k_xing.mp3", 3, 44100, 2, 1152, 0},
    {"l3_cbr96_48k_mono_hot.mp3", 3, 48000, 1, 1152, 96},
    {"l3_cbr64_32k_stereo_crc.mp3", 3, 32000, 2, 1152, 64},
    {"l3_mpeg2_22k_stereo.mp3", 3, 22050, 2, 576, 32},
    {"l3_mpeg2_16k_mono.mp3", 3, 16000, 1, 576, 24},
    {"l3_mpeg25_11k_stereo.mp3", 3, 11025, 2, 576, 24},
    {"l3_mpeg25_8k_mono.mp3", 3, 8000, 1, 576, 8},
    {"l2_192_48k_stereo.mp2", 2, 48000, 2, 1152, 192},
    {"l2_112_32k_joint.mp2", 2, 32000, 2, 1152, 112},
    {"l2_mpeg2_24k_mono_crc.mp2", 2, 24000, 1, 1152, 64},
    {"l2_mpeg2_22k_stereo.mp2", 2, 22050, 2, 1152, 96},
    {"l1_384_44k_stereo.mp1", 1, 44100, 2, 384, 384},
    {"l1_320_48k_joint_crc.mp1", 1, 48000, 2, 384, 320},
    {"l1_mpeg2_128_22k_mono.mp1", 1, 22050, 1, 384, 128},
    {"l1_mpeg2_192_24k_stereo.mp1", 1, 24000, 2, 384, 192},
};
const size_t media_fixture_count = sizeof media_fixtures / sizeof media_fixtures[0];

std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 128 ? char(c) : '?';
    return out;
}

static std::string base_name(const std::string& fixture) { return fixture.substr(0, fixture.rfind('.')); }

std::vector<int64_t> read_index(const std::string& fixture) {
    std::vector<int64_t> offsets;
    std::ifstream in(std::string(ZEL_MPEG_FIXTURE_DIR) + "/" + base_name(fixture) + ".index");
    long long value;
    while (in >> value) offsets.push_back(value);
    return offsets;
}

bytes reference_pcm(const std::string& fixture) { return read_fixture(base_name(fixture) + ".s16"); }

bool write_file(const std::wstring& path, const bytes& data) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool ok = data.empty() || fwrite(data.data(), 1, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

bytes read_file(const std::wstring& path) {
    bytes data;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return data;
    unsigned char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) data.insert(data.end(), block, block + n);
    fclose(f);
    return data;
}

bytes decode_all(const bytes& stream) {
    bytes pcm;
    decoder_ptr decoder = make_decoder();
    if (!decoder) return pcm;
    for (const decode_step& s : decode_stream(*decoder, stream, 1024))
        if (s.result == 0) pcm.insert(pcm.end(), s.pcm.begin(), s.pcm.end());
    return pcm;
}

bytes read_input(input& in, int block, std::vector<int>* counts, int limit) {
    bytes pcm;
    std::vector<unsigned char> buffer(static_cast<size_t>(block));
    for (int i = 0; i < limit; ++i) {
        const int n = in.read(buffer.data(), block);
        if (counts) counts->push_back(n);
        if (n < 0) break;
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + n);
    }
    return pcm;
}

static void put32be(bytes& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}
static void put16be(bytes& b, unsigned v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
static void put32le(bytes& b, uint32_t v) {
    for (int s = 0; s < 32; s += 8) b.push_back(uint8_t(v >> s));
}
static void put16le(bytes& b, unsigned v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
static void put_id(bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

bytes id3v2_tag(int body, unsigned char flags, const bytes& content) {
    bytes tag = {'I', 'D', '3', 3, 0, flags};
    for (int s = 21; s >= 0; s -= 7) tag.push_back(uint8_t((body >> s) & 0x7F));
    bytes content_part(static_cast<size_t>(body), 0);
    std::copy(content.begin(), content.begin() + std::min(content.size(), content_part.size()), content_part.begin());
    tag.insert(tag.end(), content_part.begin(), content_part.end());
    if (flags & 0x10) {
        const bytes footer = {'3', 'D', 'I', 4, 0, flags, tag[6], tag[7], tag[8], tag[9]};
        tag.insert(tag.end(), footer.begin(), footer.end());
    }
    return tag;
}

bytes riff_file(const char* form, int fmt_tag, const bytes& junk, const bytes& data, int64_t* data_offset) {
    bytes b;
    put_id(b, "RIFF");
    put32le(b, 0);
    put_id(b, form);
    if (fmt_tag >= 0) {
        put_id(b, "fmt ");
        put32le(b, 30);
        put16le(b, unsigned(fmt_tag));
        put16le(b, 2);        // channels
        put32le(b, 44100);    // samples per second
        put32le(b, 16000);    // average bytes per second
        put16le(b, 1);        // block align
        put16le(b, 0);        // bits per sample
        put16le(b, 12);       // extra bytes
        put16le(b, 1);        // MPEG Layer-3 id
        put32le(b, 2);        // flags
        put16le(b, 417);      // block size
        put16le(b, 1);        // frames per block
        put16le(b, 1393);     // codec delay
    }
    if (!junk.empty()) {
        put_id(b, "JUNK");
        put32le(b, uint32_t(junk.size()));
        b.insert(b.end(), junk.begin(), junk.end());
        if (junk.size() & 1) b.push_back(0);
    }
    put_id(b, "data");
    put32le(b, uint32_t(data.size()));
    if (data_offset) *data_offset = int64_t(b.size());
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1) b.push_back(0);
    const uint32_t riff_size = uint32_t(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = uint8_t(riff_size >> (8 * i));
    return b;
}

bytes with_vbri(const bytes& vbr_stream, int frames_per_entry, int entry_size) {
    std::vector<bytes> frames = split_frames(vbr_stream);
    if (frames.size() < 2) return {};
    const size_t audio_frames = frames.size() - 1;
    const size_t per_group = frames_per_entry > 0 ? size_t(frames_per_entry) : 1;
    const size_t groups = (audio_frames + per_group - 1) / per_group;
    bytes header;
    put_id(header, "VBRI");
    put16be(header, 1);        // version
    put16be(header, 576);      // delay
    put16be(header, 75);       // quality
    put32be(header, uint32_t(vbr_stream.size()));
    put32be(header, uint32_t(audio_frames));
    put16be(header, unsigned(groups - 1));  // the table holds one value more
    put16be(header, 1);        // scale
    put16be(header, unsigned(entry_size));
    put16be(header, unsigned(frames_per_entry));
    for (size_t g = 0; g < groups; ++g) {
        uint64_t sum = 0;
        for (size_t k = g * per_group; k < std::min(audio_frames, (g + 1) * per_group); ++k)
            sum += frames[k + 1].size();
        for (int s = 8 * (entry_size - 1); s >= 0; s -= 8) header.push_back(uint8_t(sum >> s));
    }
    bytes& first = frames[0];
    std::fill(first.begin() + 4, first.end(), 0);
    if (36 + header.size() > first.size()) return {};
    std::copy(header.begin(), header.end(), first.begin() + 36);
    return join(frames);
}

bytes decoy_frames() {
    std::vector<bytes> frames = split_frames(read_fixture("l2_192_48k_stereo.mp2"));
    if (frames.size() < 3) return {};
    return join({frames[1], frames[2]});
}

bytes quiet_junk(size_t n, unsigned seed) {
    bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t((i * 37 + seed * 11 + (i >> 7)) & 0xF9);
    return b;
}

bytes random_junk(size_t n, unsigned seed) {
    bytes b(n);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1664525u + 1013904223u;
        b[i] = uint8_t(x >> 24);
    }
    return b;
}

memory_stream::memory_stream(bytes data, bool seekable, const wchar_t* name)
    : data_(std::move(data)), seekable_(seekable), available_(data_.size()) {
    wcsncpy(path, name, 260);
    path[260] = 0;
    wcscpy(content_type, L"audio/mpeg");
}

void memory_stream::set_arrival(size_t first, size_t arrive, int period) {
    available_ = std::min(first, data_.size());
    arrive_ = arrive;
    period_ = period > 0 ? period : 1;
    calls_ = 0;
}

void memory_stream::arrive_more() {
    if (arrive_ > 0 && ++calls_ % period_ == 0) available_ = std::min(data_.size(), available_ + arrive_);
}

int memory_stream::read(void* buffer, int bytes) {
    ++reads;
    arrive_more();
    if (bytes <= 0 || pos_ >= available_) return 0;
    const size_t n = std::min(size_t(bytes), available_ - pos_);
    memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return int(n);
}

int memory_stream::peek(void* buffer, int bytes) {
    ++peeks;
    arrive_more();
    if (bytes <= 0 || pos_ >= available_) return 0;
    const size_t n = std::min(size_t(bytes), available_ - pos_);
    memcpy(buffer, data_.data() + pos_, n);
    return int(n);
}

int memory_stream::seek(int64_t offset, int origin) {
    ++seeks;
    if (!seekable_) return 0;
    const int64_t base = origin == 0 ? 0 : origin == 1 ? int64_t(pos_) : int64_t(data_.size());
    const int64_t to = base + offset;
    if (to < 0) return -1;
    pos_ = size_t(to);
    return 0;
}
