#include "playback_audio_copies.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include "dsp.h"

bool byte_queue::append(const void* bytes, int count) {
    if (count <= 0) return true;
    if (head_ > 0 && head_ >= size()) {
        int live = size();
        if (live > 0) memmove(buffer_.data, buffer_.data + head_, static_cast<size_t>(live));
        buffer_.length = live;
        head_ = 0;
    }
    return buffer_.append(static_cast<const unsigned char*>(bytes), count);
}

void byte_queue::remove_front(int count) {
    if (count <= 0) return;
    head_ += std::min(count, size());
    if (head_ == buffer_.length) clear();
}

void byte_queue::clear() {
    head_ = 0;
    buffer_.length = 0;
}

void audio_copies::append(const audio_format& format, const void* bytes, int count) {
    if (count <= 0) return;
    if (!have_format_ || format.format_tag != format_.format_tag || format.channels != format_.channels ||
        format.sample_rate != format_.sample_rate || format.bits_per_sample != format_.bits_per_sample) {
        clear();
        format_ = {format.format_tag, format.channels, format.sample_rate, format.bits_per_sample,
                   format.channel_mask, 0.0, 0.0};
        frame_ = frame_bytes(format_);
        bytes_per_second_ = frame_ * std::max(format.sample_rate, 0);
        have_format_ = true;
    }
    // A copy that cannot grow starts again empty; the output is not affected.
    if (!paced_.append(bytes, count)) paced_.clear();
    if (!display_.append(bytes, count)) {
        display_.clear();
        display_front_ = appended_ + count;
    }
    appended_ += count;
}

void audio_copies::clear() {
    paced_.clear();
    display_.clear();
    display_front_ = appended_;
}

long long audio_copies::played(int buffered) const {
    long long p = appended_ - std::max(buffered, 0);
    if (p < 0 || frame_ <= 0) return 0;
    return p - p % frame_;
}

bool audio_copies::paced_due(int buffered) const {
    if (!have_format_ || frame_ <= 0) return false;
    return static_cast<double>(played(buffered) - paced_mark_) >= 0.1 * bytes_per_second_;
}

void audio_copies::deliver(int buffered, int volume, double visual_seconds, bool visual_enabled, sink& out) {
    if (!have_format_ || frame_ <= 0) return;
    long long now = played(buffered);

    if (static_cast<double>(now - paced_mark_) >= 0.1 * bytes_per_second_) {
        if (chunk_ < 0) chunk_ = MulDiv(100, format_.sample_rate, 1000) * frame_;
        paced_.remove_front(std::min(chunk_, paced_.size()));
        int n = static_cast<int>(std::min<long long>(now - paced_mark_, paced_.size()));
        n -= n % frame_;
        if (n > 0) {
            if (volume != 1000) scale(paced_.front(), n, volume);
            out.paced(format_, paced_.front(), n);
        }
        chunk_ = n;
        paced_mark_ = now;
    }

    long long amount = visual_seconds > 0.0 ? static_cast<long long>(visual_seconds * bytes_per_second_) : 0;
    amount -= amount % frame_;
    if (now - display_mark_ >= amount) {
        // Keep the front at one interval before the played position: what
        // was played before it will never be shown.
        long long drop = now - amount - display_front_;
        if (drop > 0) {
            int d = static_cast<int>(std::min<long long>(drop, display_.size()));
            display_.remove_front(d);
            display_front_ += d;
        }
        long long heard = std::max<long long>(now - display_front_, 0);
        int n = static_cast<int>(std::min<long long>(std::min(amount, heard), display_.size()));
        n -= n % frame_;
        if (visual_enabled && n > 0) out.display(format_, display_.front(), n);
        display_mark_ = now;
    }
}

void audio_copies::fade_out_unplayed(int buffered, int fade_ms) {
    if (!have_format_ || frame_ <= 0 || fade_ms <= 0) return;
    int tail = std::min(std::max(buffered, 0), paced_.size());
    tail -= tail % frame_;
    if (tail <= 0) return;
    fades_.fade_out(format_, paced_.front() + (paced_.size() - tail), tail, fade_ms);
}

void audio_copies::scale(unsigned char* bytes, int count, int volume) {
    int code = dsp::sample_format_code(format_.format_tag, format_.bits_per_sample);
    if (code < 0) return;
    size_t samples = static_cast<size_t>(count) / static_cast<size_t>(format_.bits_per_sample / 8);
    if (work_.size() < samples + 1) work_.resize(samples + 1);
    dsp::read_audio_chunk_64(code, bytes, work_.data(), count);
    dsp::scale64(work_.data(), volume * 0.001, static_cast<unsigned>(samples));
    dsp::write_audio_chunk_64(code, work_.data(), bytes, count);
}
