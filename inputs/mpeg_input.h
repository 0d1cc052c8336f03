#pragma once
// mpeg_input: the input for MPEG audio. It opens a stream with the MPEG
// parser, feeds the stream's bytes to an MPEG decoder in blocks of 1,024
// bytes and hands the decoded PCM to the playback thread; it seeks through
// the VBRI header, the seek-table cache, the Xing table of contents or a
// bit-rate estimate, and resynchronises on the next frame header after a
// damaged region.
//
// One playback thread uses an input at a time. Process-wide it shares the
// decoder-creation lock and the seek-table cache with the other inputs.
#include <atomic>
#include <cstdint>

#include "byte_fifo.h"
#include "input.h"
#include "mpeg_parser.h"

class mpeg_decoder;

class mpeg_input : public per_use_component<mpeg_input, input> {
public:
    mpeg_input();
    ~mpeg_input() override;
    mpeg_input(const mpeg_input&) = delete;
    mpeg_input& operator=(const mpeg_input&) = delete;

    bool open(stream* source, list_info* info) override;
    void close() override;
    void seek(double seconds) override;
    audio_format* get_format(audio_format* format) override;
    int read(void* buffer, int bytes) override;
    double position() override;
    bool busy() override;
    bool accepts_content_type(const wchar_t* type) override;
    bool accepts(stream* source, const wchar_t* path) override;

    const mpeg_parser& parser() const { return parser_; }

    static const int block_bytes = 1024;
    static const int decoder_out_bytes = 16384;
    static const int resync_limit = 65536;

private:
    // The decoder (made at the first read), the bytes it produced from one
    // input block, and its output buffer.
    struct decode_stage {
        ~decode_stage();
        mpeg_decoder* decoder = nullptr;
        byte_fifo queue;
        unsigned char* out = nullptr;
    };

    enum class feed_result { more, error, ended, failed };

    void take_parser_format();
    void release_stage();
    bool ensure_decoder();
    feed_result feed_block();
    bool recover();
    bool reparse();
    // Skips bytes up to the next frame header agreeing with the first frame;
    // true when one was found, *skipped receives the bytes skipped.
    bool resync(int64_t* skipped);
    bool resync_seekable(int64_t limit, int64_t* skipped);
    bool resync_network(int64_t limit, int64_t* skipped);
    bool follows_on_network(const frame_header& candidate, int length);
    double skipped_seconds(int64_t skipped) const;
    int bytes_per_second() const;
    void add_decoded(int bytes);
    // PCM of one decoded frame, less what lies before skip_to_.
    void take_decoded(const unsigned char* pcm, int bytes);
    // A frame the decoder dropped (for want of its bit reservoir) while a
    // seek's start is still to come: it takes its time all the same.
    void add_dropped_frame();

    stream* stream_ = nullptr;
    byte_fifo queue_;
    decode_stage* stage_ = nullptr;
    audio_format format_;
    int64_t stream_length_ = 0;
    int64_t bytes_read_ = 0;
    uint32_t data_start_ = 0;
    double decoded_position_ = 0.0;
    // After a seek: decoded PCM before this time is dropped; negative when
    // nothing is to be dropped.
    double skip_to_ = -1.0;
    std::atomic<bool> abort_{false};
    mpeg_parser parser_;
};
