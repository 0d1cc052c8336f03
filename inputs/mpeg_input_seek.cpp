// Seeking and resynchronising: the byte offset of a time comes from the VBRI
// header, the seek-table cache, the Xing table of contents or the average bit
// rate; from there the input moves on to the next frame header that agrees
// with the first frame of the file.
#include <windows.h>

#include <vector>

#include "mpeg_decoder.h"
#include "mpeg_input.h"
#include "playback_stop.h"
#include "seek_table.h"
#include "stream.h"

namespace {
const int peek_retries = 20;
const DWORD retry_ms = 100;
}  // namespace

void mpeg_input::seek(double seconds) {
    if (!stream_ || !stream_->is_seekable()) return;
    queue_.clear();
    if (!(seconds >= 0.0)) seconds = 0.0;

    const int64_t start = data_start_;
    const int64_t end = stream_length_ > start ? stream_length_ : start;
    double offset;
    seek_table::seek_point point;
    bool located = false;
    if (parser_.has_vbri()) {
        // The table ends where the header's length ends: a time past it has
        // no place in the table (it would give the table's last offset, and
        // audio from there under the time asked for), so it is the end.
        if (seconds * 1000.0 > parser_.vbri().length_ms())
            offset = double(end);
        else
            offset = double(start + parser_.vbri_seek(float(seconds * 1000.0)));
    } else {
        located = seek_table_cache::instance().locate(stream_, seconds, &point);
        if (located) {
            offset = double(point.offset);
        } else if (parser_.has_xing() && (parser_.xing_flags() & mpeg_parser::xing_has_toc) && format_.length > 0.0) {
            double at = seconds / format_.length * 100.0;
            if (at > 99.0) at = 99.0;
            offset = double(parser_.xing_toc()[int(at)]) * double(stream_length_) / 255.0;
        } else {
            offset = double(parser_.average_bitrate()) * seconds * 125.0 + double(start);
        }
    }
    // Beyond the end the resynchronisation finds nothing and the track ends.
    if (!(offset >= double(start))) offset = double(start);
    if (offset > double(end)) offset = double(end);

    // From the seek table the input knows the time of the frame it lands on
    // (some frames early, for the decoder's bit reservoir) and of the end of
    // the file: it decodes from there and drops what lies before the time
    // asked for, so that the audio and the position both start there. The
    // other answers are estimates, taken as the time asked for.
    decoded_position_ = located ? point.frame_seconds : seconds;
    skip_to_ = located ? point.seconds : -1.0;
    stream_->seek(int64_t(offset), 0);
    int64_t skipped = 0;
    if (resync(&skipped)) decoded_position_ += skipped_seconds(skipped);
    // No byte queued before the seek may reach the decoder afterwards.
    if (stage_ && stage_->decoder) stage_->decoder->reset();
}

double mpeg_input::skipped_seconds(int64_t skipped) const {
    const int per_second = parser_.average_bitrate() / 8 * 1000;
    return per_second > 0 ? double(skipped) / per_second : 0.0;
}

bool mpeg_input::resync(int64_t* skipped) {
    *skipped = 0;
    int64_t limit = resync_limit;
    const int64_t length = stream_->length();
    if (stream_->is_seekable() || length > 0) {
        const int64_t remaining = length - stream_->tell();
        if (remaining < resync_limit) limit = remaining;
    }
    return stream_->is_seekable() ? resync_seekable(limit, skipped) : resync_network(limit, skipped);
}

// A local file: the bytes ahead are searched in memory, and the stream is
// left where a byte-by-byte search would have left it.
bool mpeg_input::resync_seekable(int64_t limit, int64_t* skipped) {
    if (limit < 4) return false;
    std::vector<unsigned char> ahead(static_cast<size_t>(limit));
    const int64_t from = stream_->tell();
    const int n = stream_->peek(ahead.data(), int(limit));
    const frame_header& first = parser_.first_frame();
    for (int k = 0; k <= limit - 4 && k + 4 <= n; ++k) {
        frame_header f;
        if (mpeg_frame_check(mpeg_word(&ahead[k]), f) && same_stream(first, f)) {
            *skipped = k;
            stream_->seek(from + k, 0);
            return true;
        }
    }
    const int64_t searched = (n < limit ? n : limit) - 3;
    *skipped = searched > 0 ? searched : 0;
    stream_->seek(from + *skipped, 0);
    return false;
}

// A network stream: byte by byte, waiting for bytes that have not arrived.
bool mpeg_input::resync_network(int64_t limit, int64_t* skipped) {
    const frame_header& first = parser_.first_frame();
    int retries = 0;
    while (*skipped <= limit - 4) {
        if (stream_->at_end() || abort_ || playback_stop_requested()) return false;
        unsigned char h[4];
        if (stream_->peek(h, 4) < 4) {
            if (retries >= peek_retries) return false;
            const int64_t length = stream_->length();
            if (length > 0 && length - stream_->tell() < 4) return false;
            Sleep(retry_ms);
            ++retries;
            continue;
        }
        retries = 0;
        frame_header f;
        if (mpeg_frame_check(mpeg_word(h), f) && same_stream(first, f) && follows_on_network(f, mpeg_frame_bytes(f)))
            return true;
        if (stream_->read(h, 1) < 1) return false;
        ++*skipped;
    }
    return false;
}

// A candidate on a network stream counts when the header one frame later
// agrees with it. When the stream's data ends within the candidate's frame,
// the candidate is its last frame and counts; a stream that stops delivering
// is given up after about two seconds.
bool mpeg_input::follows_on_network(const frame_header& candidate, int length) {
    std::vector<unsigned char> frame(static_cast<size_t>(length) + 4);
    for (int retries = 0;; ++retries) {
        if (abort_ || playback_stop_requested()) return false;
        const int got = stream_->peek(frame.data(), length + 4);
        if (got <= 0) return false;
        if (got >= length + 4) {
            frame_header next;
            return mpeg_frame_check(mpeg_word(&frame[size_t(length)]), next) && same_stream(candidate, next);
        }
        const int64_t total = stream_->length();
        if (total > 0 && total - stream_->tell() < length + 4) return true;
        if (retries >= peek_retries) return false;
        Sleep(retry_ms);
    }
}
