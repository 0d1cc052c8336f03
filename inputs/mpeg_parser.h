#pragma once
// mpeg_parser: finds the first MPEG audio frame of a stream and reads what
// the stream says about itself before any decoding: the first frame's
// header, a Xing or VBRI header inside that frame, the size of a leading
// ID3v2 tag, and the data chunk of a RIFF file ("RMP3", or "WAVE" holding
// MPEG Layer-3) that wraps the audio. From these come the data start, the
// track length, the average bit rate and, for VBRI files, the byte offset of
// a time.
//
// A first frame counts only when a second header follows it one frame length
// later and agrees with it (version, layer, sample rate, mono or not).
// Seekable streams are searched in the first 65,536 bytes after the tag or
// the RIFF data offset; other streams are peeked (up to 32,767 bytes) while
// the parser waits for them to fill, which it does in 100 ms steps for at
// most about two seconds, dispatching the calling thread's window messages
// in between, and stops early once the owner's abort flag is set.
//
// A parser belongs to one owner and one thread; each open overwrites what the
// previous one found. It keeps no stream between calls.
#include <atomic>
#include <cstdint>
#include <vector>

#include "mpeg_header.h"
#include "stringx.h"

class stream;

// The 4 bytes at p as a big-endian word.
inline uint32_t mpeg_word(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Frame-header check: the 11 sync bits set and no reserved value (layer bits
// 00, sample-rate index 3, bit-rate index 0 or 15). Fills out when true.
bool mpeg_frame_check(uint32_t h, frame_header& out);
// Whole frame length in bytes, header included.
inline int mpeg_frame_bytes(const frame_header& f) { return f.framesize + 4; }

// The VBRI header of a Fraunhofer-encoded file: frame count and a table of
// byte counts per group of frames, for seeking.
struct vbri_table {
    int sample_rate = 0;
    int version = 0;
    int delay = 0;
    int quality = 0;
    uint32_t bytes = 0;
    uint32_t frames = 0;
    int entries = 0;
    int scale = 0;
    int entry_size = 0;
    int frames_per_entry = 0;
    std::vector<int64_t> table;  // entries + 1 byte counts, scaled

    // Reads the header of the frame at frame[0..n); false (and nothing kept)
    // when it is absent, incomplete within n bytes, or unusable for seeking.
    bool read(const unsigned char* frame, int n);
    // Byte offset from the first frame for a time in milliseconds.
    int64_t seek(float milliseconds) const;
    // The time the header's frame count covers, in milliseconds (0 without
    // a sample rate).
    double length_ms() const;
};

class mpeg_parser {
public:
    // abort: the owner's flag; the network wait stops once it is set. May be null.
    explicit mpeg_parser(const std::atomic<bool>* abort = nullptr);

    // Parses; true when a first frame was found. The stream position is the
    // same afterwards (on a seekable stream also after a failure).
    bool open(stream* source);

    // Offset of the first frame: from the start of a seekable stream, from
    // the current position of any other.
    uint32_t data_start() const { return static_cast<uint32_t>(data_start_); }
    int id3v2_size() const { return id3v2_size_; }
    // The first frame's length, or with a usable VBR header the average one.
    int frame_length() const;
    // kbit/s: the first frame's, or with a usable VBR header the average.
    int average_bitrate() const;
    // Seconds; 0.0 when the parser cannot tell.
    double length() const;
    bool is_lsf() const { return first_.lsf != 0; }
    stringx emphasis_text() const;
    stringx mode_text() const;
    // Byte offset from the first frame for a time in ms (VBRI files only; 0 otherwise).
    int64_t vbri_seek(float milliseconds) const;

    // Searches n bytes for a first frame; its offset, or -1. Keeps the frame's
    // values and reads its Xing or VBRI header.
    int sync_search(const unsigned char* buffer, int n);

    // What the search found.
    bool has_xing() const { return has_xing_; }
    bool has_vbri() const { return has_vbri_; }
    uint32_t xing_flags() const { return xing_flags_; }
    uint32_t frame_count() const { return frame_count_; }
    uint32_t xing_bytes() const { return xing_bytes_; }
    uint32_t xing_quality() const { return xing_quality_; }
    const unsigned char* xing_toc() const { return xing_toc_; }
    const vbri_table& vbri() const { return vbri_; }
    int sample_rate() const { return sample_rate_; }
    int bitrate() const { return bitrate_; }
    int channels() const { return first_.channels ? first_.channels : 2; }
    const unsigned char* header_bytes() const { return header_bytes_; }
    const frame_header& first_frame() const { return first_; }
    float version() const { return version_; }
    int samples_per_frame() const { return mpeg_samples_per_frame(first_.lsf, first_.layer); }
    int64_t stream_length() const { return stream_length_; }

    // Xing flags.
    static const uint32_t xing_has_frames = 1, xing_has_bytes = 2, xing_has_toc = 4, xing_has_quality = 8;
    // Search and wait limits.
    static const int search_bytes = 65536;
    static const int network_peek_bytes = 32767;
    static const int network_attempts = 22;

private:
    void reset();
    bool open_seekable(stream* source);
    bool open_network(stream* source);
    void read_vbr_header(const unsigned char* frame, int n);
    // Frame count of a usable VBR header, else 0.
    uint32_t vbr_frames() const;

    uint32_t xing_flags_ = 0;
    uint32_t frame_count_ = 0;
    uint32_t xing_bytes_ = 0;
    uint32_t xing_quality_ = 0;
    unsigned char xing_toc_[100] = {};
    bool has_xing_ = false;
    bool has_vbri_ = false;
    vbri_table vbri_;
    int sample_rate_ = 0;
    int bitrate_ = 0;
    int frame_length_ = 0;
    unsigned char header_bytes_[4] = {};
    frame_header first_;
    int id3v2_size_ = 0;
    int64_t data_start_ = 0;
    int64_t stream_length_ = 0;
    float version_ = 1.0f;
    const std::atomic<bool>* abort_;
};

// Size of a leading ID3v2 tag (header, body and footer), 0 when there is
// none or the stream is not seekable. The stream position is kept.
int mpeg_id3v2_size(stream* source);
// Data offset of the "data" chunk of a RIFF "RMP3" file, or of a RIFF "WAVE"
// file whose format is MPEG Layer-3 (85); 0 for anything else. Reads the file
// named by the stream's path.
int64_t mpeg_riff_data_offset(stream* source);
