#include "mpeg_parser.h"

#include <windows.h>
#include <cstring>
#include <vector>

#include "playback_stop.h"
#include "stream.h"
#include "utility.h"

bool mpeg_frame_check(uint32_t h, frame_header& out) {
    if ((h & 0xFFE00000u) != 0xFFE00000u) return false;
    return parse_frame_header(h, out);
}

mpeg_parser::mpeg_parser(const std::atomic<bool>* abort) : abort_(abort) {}

void mpeg_parser::reset() {
    xing_flags_ = frame_count_ = xing_bytes_ = xing_quality_ = 0;
    memset(xing_toc_, 0, sizeof xing_toc_);
    has_xing_ = has_vbri_ = false;
    vbri_ = vbri_table();
    sample_rate_ = bitrate_ = frame_length_ = 0;
    memset(header_bytes_, 0, sizeof header_bytes_);
    first_ = frame_header();
    version_ = 1.0f;
    data_start_ = 0;
    stream_length_ = 0;
}

int mpeg_parser::sync_search(const unsigned char* buffer, int n) {
    if (!buffer || n <= 4) return -1;
    for (int i = 0; i < n - 4; ++i) {
        frame_header f;
        if (!mpeg_frame_check(mpeg_word(buffer + i), f)) continue;
        const int length = mpeg_frame_bytes(f);
        frame_header next;
        if (length > n - 4 - i) continue;  // the next header must lie within the buffer
        if (!mpeg_frame_check(mpeg_word(buffer + i + length), next) || !same_stream(f, next)) continue;

        xing_flags_ = 0;
        first_ = f;
        memcpy(header_bytes_, buffer + i, 4);
        sample_rate_ = mpeg_sample_rate(f.sampling_frequency);
        bitrate_ = mpeg_bitrate_kbps(f.lsf, f.layer, f.bitrate_index);
        frame_length_ = length;
        version_ = f.mpeg25 ? 2.5f : (f.lsf ? 2.0f : 1.0f);
        read_vbr_header(buffer + i, n - i);
        return i;
    }
    return -1;
}

// Reads a Xing header at its place after the side information, or a VBRI
// header at its fixed place, of the frame at frame[0..n).
void mpeg_parser::read_vbr_header(const unsigned char* frame, int n) {
    has_xing_ = has_vbri_ = false;
    frame_count_ = xing_bytes_ = xing_quality_ = 0;
    memset(xing_toc_, 0, sizeof xing_toc_);
    const bool mono = first_.mode == 3;
    const int at = first_.lsf ? (mono ? 13 : 21) : (mono ? 21 : 36);
    if (at + 8 <= n && memcmp(frame + at, "Xing", 4) == 0) {
        const uint32_t flags = mpeg_word(frame + at + 4);
        // The fields the flags announce must all lie within the bytes at hand.
        int need = at + 8;
        if (flags & xing_has_frames) need += 4;
        if (flags & xing_has_bytes) need += 4;
        if (flags & xing_has_toc) need += 100;
        if (flags & xing_has_quality) need += 4;
        if (need > n) return;
        const unsigned char* p = frame + at + 8;
        xing_flags_ = flags;
        if (flags & xing_has_frames) frame_count_ = mpeg_word(p), p += 4;
        if (flags & xing_has_bytes) xing_bytes_ = mpeg_word(p), p += 4;
        if (flags & xing_has_toc) memcpy(xing_toc_, p, 100), p += 100;
        if (flags & xing_has_quality) xing_quality_ = mpeg_word(p);
        has_xing_ = true;
        return;
    }
    vbri_table v;
    if (v.read(frame, n)) {
        vbri_ = v;
        has_vbri_ = true;
        frame_count_ = v.frames;
    }
}

bool mpeg_parser::open(stream* source) {
    reset();
    if (!source) return false;
    id3v2_size_ = mpeg_id3v2_size(source);
    return source->is_seekable() ? open_seekable(source) : open_network(source);
}

bool mpeg_parser::open_seekable(stream* source) {
    const int64_t home = source->tell();
    int64_t from = id3v2_size_;
    const int64_t riff = mpeg_riff_data_offset(source);
    if (riff > 0) from = riff;

    std::vector<unsigned char> block(search_bytes);
    int n = 0;
    if (source->seek(from, 0) == 0) n = source->read(block.data(), search_bytes);
    const int found = n > 0 ? sync_search(block.data(), n) : -1;
    if (found < 0) {
        source->seek(home, 0);
        return false;
    }
    data_start_ = from + found;
    const int64_t length = source->length();
    stream_length_ = length < 0 ? 0 : length;
    source->seek(home, 0);
    return true;
}

// A network stream: peek until 32,767 bytes have arrived, the stream ends, the
// owner aborts (or the playback thread that opens it is stopped), or about two
// seconds have passed.
bool mpeg_parser::open_network(stream* source) {
    std::vector<unsigned char> block(network_peek_bytes);
    int n = 0;
    for (int attempt = 1;; ++attempt) {
        if ((abort_ && abort_->load()) || source->at_end() || playback_stop_requested()) break;
        n = source->peek(block.data(), network_peek_bytes);
        if (n < 0) n = 0;
        if (n < network_peek_bytes && source->length() > 0) {
            const int64_t remaining = source->length() - source->tell();
            if (remaining < network_peek_bytes) return false;
        }
        if (attempt == network_attempts) return false;
        Sleep(100);
        utility::message_pump(nullptr);
        if (n == network_peek_bytes) break;
    }
    if (source->at_end() || n <= 0) return false;
    const int found = sync_search(block.data(), n);
    if (found < 0) return false;
    data_start_ = found;
    const int64_t length = source->length();
    stream_length_ = length < 0 ? 0 : length;
    return true;
}

uint32_t mpeg_parser::vbr_frames() const {
    if (!has_xing_ && !has_vbri_) return 0;
    return frame_count_;
}

int mpeg_parser::frame_length() const {
    const uint32_t frames = vbr_frames();
    const int64_t audio = stream_length_ - data_start_;
    if (frames == 0 || audio <= 0) return frame_length_;
    return static_cast<int>(audio / frames);
}

int mpeg_parser::average_bitrate() const {
    const uint32_t frames = vbr_frames();
    const int64_t audio = stream_length_ - data_start_;
    const int bytes_per_sample_block = samples_per_frame() / 8;  // 48, 144 or 72 bytes per kbit/s
    if (frames == 0 || audio <= 0 || bytes_per_sample_block == 0) return bitrate_;
    const double per_second = double(audio) / frames * sample_rate_ / bytes_per_sample_block;
    return static_cast<int>(static_cast<int64_t>(per_second) / 1000);
}

double mpeg_parser::length() const {
    if (sample_rate_ <= 0) return 0.0;
    const double frame_seconds = double(samples_per_frame()) / sample_rate_;
    const uint32_t frames = vbr_frames();
    if (frames > 0) return frames * frame_seconds;
    const int64_t audio = stream_length_ - data_start_;
    if (frame_length_ <= 0 || audio <= 0) return 0.0;
    return double(audio) / frame_length_ * frame_seconds;
}

stringx mpeg_parser::emphasis_text() const {
    static const wchar_t* const texts[] = {L"None", L"50/15 ms", L"Reserved", L"CCIT J.17"};
    return stringx(texts[first_.emphasis & 3]);
}

stringx mpeg_parser::mode_text() const {
    static const wchar_t* const texts[] = {L"Stereo", L"Joint Stereo", L"Dual Channel", L"Mono"};
    return stringx(texts[first_.mode & 3]);
}

int64_t mpeg_parser::vbri_seek(float milliseconds) const {
    return has_vbri_ ? vbri_.seek(milliseconds) : 0;
}
