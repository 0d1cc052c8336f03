// Reading: the stream's bytes go to the decoder in blocks of 1,024 bytes; the
// PCM it produces queues until the playback thread takes it. A decode error
// leads to a resynchronisation on the next frame header (or, on a live
// stream, to a fresh parse).
#include <cstdlib>

#include "critsec.h"
#include "mpeg_decoder.h"
#include "mpeg_input.h"
#include "mpeg_options.h"
#include "stream.h"

namespace {
// Held while a decoder is created: the decoding core's set-up is not safe to
// run on several threads at once.
critsec g_decoder_lock;

// Recoveries within one read that produced no PCM before read gives up: a
// live stream of undecodable data would otherwise keep read from returning.
const int max_fruitless_recoveries = 64;
}  // namespace

bool mpeg_input::ensure_decoder() {
    if (!stage_) return false;
    if (stage_->decoder) return true;
    auto_sync guard(g_decoder_lock);
    const mpeg_decoder_options& o = mpeg_options();
    stage_->decoder =
        create_mpeg_decoder(o.precision == 0, o.use_3dnow != 0, o.float_output() ? 1 : 0, o.bits(), o.dither_mode);
    if (!stage_->decoder) return false;
    stage_->out = static_cast<unsigned char*>(malloc(decoder_out_bytes));
    if (!stage_->out) {
        delete stage_->decoder;
        stage_->decoder = nullptr;
        return false;
    }
    return true;
}

void mpeg_input::add_decoded(int bytes) {
    const int rate = bytes_per_second();
    if (rate > 0) decoded_position_ += double(bytes) / rate;
}

void mpeg_input::take_decoded(const unsigned char* pcm, int bytes) {
    if (skip_to_ >= 0.0) {
        const int frame = format_.bits_per_sample / 8 * format_.channels;
        const double ahead = skip_to_ - decoded_position_;
        const int64_t drop = ahead > 0.0 ? int64_t(ahead * format_.sample_rate + 0.5) * frame : 0;
        if (drop >= bytes) {
            add_decoded(bytes);
            return;
        }
        pcm += drop;
        bytes -= int(drop);
        add_decoded(int(drop));
        skip_to_ = -1.0;
    }
    stage_->queue.append(pcm, bytes);
    add_decoded(bytes);
}

// Only while a seek's start is still to come: the frames just after a seek
// are the ones the decoder may drop, and the time they took decides where
// the audio asked for begins.
void mpeg_input::add_dropped_frame() {
    if (skip_to_ >= 0.0 && format_.sample_rate > 0)
        decoded_position_ += double(parser_.samples_per_frame()) / format_.sample_rate;
}

// One block of the stream through the decoder. The PCM of the frames that
// decoded before an error is kept.
mpeg_input::feed_result mpeg_input::feed_block() {
    unsigned char block[block_bytes];
    const int n = stream_->read(block, block_bytes);
    if (n <= 0) return feed_result::ended;
    bytes_read_ += n;
    if (!ensure_decoder()) return feed_result::failed;

    mpeg_decoder* decoder = stage_->decoder;
    stage_->queue.clear();
    int written = 0;
    int result = decoder->decode(block, unsigned(n), stage_->out, decoder_out_bytes, &written);
    // -2 is a frame dropped for want of its bit reservoir: go on with the next.
    while (result == 0 || result == -2) {
        if (result == -2) add_dropped_frame();
        else if (written > 0) take_decoded(stage_->out, written);
        result = decoder->decode(nullptr, 0, stage_->out, decoder_out_bytes, &written);
    }
    if (decoder->bitrate > 0) format_.bitrate = decoder->bitrate;

    const int produced = stage_->queue.size();
    if (produced > 0) {
        queue_.append(stage_->queue.data, produced);
        stage_->queue.clear();
    }
    return result == -1 ? feed_result::error : feed_result::more;
}

// After a decode error: a live stream is parsed afresh, any other resumes at
// the next frame header.
bool mpeg_input::recover() {
    if (!stream_->is_seekable() && stream_->length() <= 0) return reparse();
    int64_t skipped = 0;
    if (!resync(&skipped)) return false;
    decoded_position_ += skipped_seconds(skipped);
    if (stage_ && stage_->decoder) stage_->decoder->reset();
    return true;
}

bool mpeg_input::reparse() {
    if (!parser_.open(stream_)) return false;
    bytes_read_ = 0;
    stream_length_ = stream_->length();
    unsigned char block[4096];
    for (int64_t n = parser_.data_start(); n > 0;) {
        const int got = stream_->read(block, int(n < int64_t(sizeof block) ? n : int64_t(sizeof block)));
        if (got <= 0) break;
        n -= got;
    }
    data_start_ = parser_.data_start();
    take_parser_format();
    if (stage_ && stage_->decoder) stage_->decoder->reset();
    return true;
}

int mpeg_input::read(void* buffer, int bytes) {
    if (!buffer || bytes <= 0 || !stream_ || !stage_) return -1;
    if (queue_.size() >= bytes) return queue_.take(buffer, bytes);
    const bool seekable = stream_->is_seekable();
    // A network stream that has ended: what is queued is the last block.
    if (!seekable && stream_->at_end()) return queue_.size() > 0 ? queue_.take(buffer, bytes) : -1;

    bool starved = false;
    int recoveries = 0;
    while (queue_.size() < bytes) {
        const int before = queue_.size();
        const feed_result r = feed_block();
        if (r == feed_result::more) continue;
        if (r == feed_result::ended) {
            starved = true;
            break;
        }
        if (r == feed_result::failed) break;
        recoveries = queue_.size() > before ? 0 : recoveries + 1;
        if (recoveries > max_fruitless_recoveries || !recover()) break;
    }
    if (queue_.size() == 0) {
        // A network stream that has not ended merely has no data yet.
        if (starved && !seekable && !stream_->at_end()) return 0;
        return -1;
    }
    return queue_.take(buffer, bytes);
}
