#include "mpeg_tag_test_support.h"

#include <windows.h>

#include <cstring>

#include "core.h"

namespace mpeg_tag_test {

const wchar_t* const title = L"봄날의 노래";
const wchar_t* const artist = L"김민수";
const wchar_t* const album = L"사계절";

namespace {
void put32be(bytes& b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
}
void put32le(bytes& b, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) b.push_back(uint8_t(v >> shift));
}
void put16le(bytes& b, unsigned v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void append(bytes& b, const char* text) { b.insert(b.end(), text, text + std::strlen(text)); }

bytes frame(const char* id, const bytes& body) {
    bytes f;
    append(f, id);
    put32be(f, uint32_t(body.size()));
    f.push_back(0);
    f.push_back(0);
    f.insert(f.end(), body.begin(), body.end());
    return f;
}
}  // namespace

bytes text_frame(const char* id, const std::wstring& text) {
    bytes body = {1, 0xFF, 0xFE};
    for (wchar_t c : text) put16le(body, unsigned(c));
    return frame(id, body);
}

bytes user_frame(const char* description, const char* value) {
    bytes body = {0};
    append(body, description);
    body.push_back(0);
    append(body, value);
    return frame("TXXX", body);
}

bytes id3v23(const std::vector<bytes>& frames, size_t padding) {
    bytes body;
    for (const bytes& f : frames) body.insert(body.end(), f.begin(), f.end());
    body.insert(body.end(), padding, 0);
    bytes tag = {'I', 'D', '3', 3, 0, 0};
    const uint32_t n = uint32_t(body.size());
    for (int shift = 21; shift >= 0; shift -= 7) tag.push_back(uint8_t((n >> shift) & 0x7F));
    tag.insert(tag.end(), body.begin(), body.end());
    return tag;
}

std::vector<bytes> replay_gain_frames() {
    return {user_frame("replaygain_track_gain", "-7.50 dB"), user_frame("replaygain_track_peak", "0.912345"),
            user_frame("replaygain_album_gain", "-6.25 dB"), user_frame("replaygain_album_peak", "0.998000")};
}

bytes korean_tag(bool with_replay_gain) {
    std::vector<bytes> frames = {text_frame("TIT2", title), text_frame("TPE1", artist), text_frame("TALB", album),
                                 text_frame("TRCK", L"3/12"), text_frame("TYER", L"2016")};
    if (with_replay_gain)
        for (const bytes& f : replay_gain_frames()) frames.push_back(f);
    return id3v23(frames, 32);
}

bytes chunk(const char* id, const bytes& body) {
    bytes c;
    append(c, id);
    put32le(c, uint32_t(body.size()));
    c.insert(c.end(), body.begin(), body.end());
    if (body.size() & 1) c.push_back(0);
    return c;
}

bytes wave(const std::vector<bytes>& chunks) {
    bytes w;
    append(w, "RIFF");
    put32le(w, 0);
    append(w, "WAVE");
    for (const bytes& c : chunks) w.insert(w.end(), c.begin(), c.end());
    const uint32_t size = uint32_t(w.size() - 8);
    for (int i = 0; i < 4; ++i) w[4 + i] = uint8_t(size >> (8 * i));
    return w;
}

bytes fmt_body(int format_tag, int channels, int rate, int average, int align) {
    bytes b;
    put16le(b, unsigned(format_tag));
    put16le(b, unsigned(channels));
    put32le(b, uint32_t(rate));
    put32le(b, uint32_t(average));
    put16le(b, unsigned(align));
    put16le(b, 16);
    return b;
}

void load_components() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    if (!core::get_instance()) core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
}

bool read_entry(const std::wstring& path, list_info& entry) {
    load_components();
    std::vector<list_info> entries;
    if (!core::add_file(path.c_str(), entries) || entries.size() != 1) return false;
    entry = entries[0];
    return true;
}

}  // namespace mpeg_tag_test
