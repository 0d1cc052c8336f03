#pragma once
// The two copies of the played samples that a playback thread hands out:
// the paced copy (on_paced_audio, about every 0.1 s of played time, scaled
// by the volume) and the display copy (on_audio, every visual interval).
//
// Every block written to the output is appended to both. "Played" is the
// count of appended bytes less what the output still buffers, in whole
// frames. The paced copy removes, at each delivery, what it delivered the
// time before; the display copy keeps its front at the played position less
// one interval, so that it holds at most what the output buffers plus about
// one interval and a block, and always shows what was just heard.
//
// Not thread-safe: used by its playback thread only.
#include <vector>
#include "audio_format.h"
#include "mem_chunk.h"
#include "playback_fades.h"

// A byte queue on a growable buffer; the front moves by an offset and the
// live bytes are moved down only once the dead part outgrows them.
class byte_queue {
public:
    bool append(const void* bytes, int count);
    void remove_front(int count);
    void clear();
    int size() const { return buffer_.length - head_; }
    unsigned char* front() { return buffer_.data + head_; }

private:
    mem_chunk<unsigned char> buffer_;
    int head_ = 0;
};

class audio_copies {
public:
    class sink {
    public:
        virtual void paced(const audio_format& format, const void* bytes, int count) = 0;
        virtual void display(const audio_format& format, const void* bytes, int count) = 0;

    protected:
        ~sink() = default;
    };

    // Appends a written block. A block whose format differs from the last
    // one's (tag, channels, rate or bits) empties both copies first.
    void append(const audio_format& format, const void* bytes, int count);
    // A seek: both copies become empty.
    void clear();
    // Bytes appended so far (all bytes written to the output).
    long long appended() const { return appended_; }

    // Whether a paced delivery is due with `buffered` bytes still in the
    // output.
    bool paced_due(int buffered) const;
    // Delivers what is due. volume: 0..1000 (the paced copy is scaled by
    // volume x 0.001 unless it is 1000); visual_seconds: the display interval;
    // visual_enabled: whether the display copy is handed out (its front moves
    // all the same).
    void deliver(int buffered, int volume, double visual_seconds, bool visual_enabled, sink& out);
    // Fades out the part of the paced copy the output has not played yet.
    void fade_out_unplayed(int buffered, int fade_ms);

    int paced_size() const { return paced_.size(); }
    int display_size() const { return display_.size(); }

private:
    long long played(int buffered) const;
    void scale(unsigned char* bytes, int count, int volume);

    audio_format format_ = {1, 2, 44100, 16, 0, 0.0, 0.0};
    int frame_ = 4;
    int bytes_per_second_ = 176400;
    bool have_format_ = false;
    byte_queue paced_;
    byte_queue display_;
    long long appended_ = 0;
    long long paced_mark_ = 0;
    long long display_mark_ = 0;
    long long display_front_ = 0;  // appended-byte position of the display copy's front
    int chunk_ = -1;               // what the last paced delivery handed out; -1 before the first
    std::vector<double> work_;
    fade_work fades_;
};
