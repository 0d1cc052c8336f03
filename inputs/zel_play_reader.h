#pragma once
// zel_play_reader: the bytes of one track URL for the track stream. When the
// track's cache file is free (no save reader has it open) and complete, or
// the server reports no length, the bytes come from that file; otherwise
// from the server, starting at the URL's start fraction when it is above 0,
// through a receive thread of its own into a byte queue from which the
// playback thread reads. A leading ID3v2 tag is skipped either way.
//
// Threads: open and destruction on the opening thread; read, peek, length,
// tell and at_end on the playback thread; the receive thread appends to the
// queue under queue_lock_. Destruction stops the receive thread and waits
// for it.
#include <cstdint>
#include "byte_fifo.h"
#include "critsec.h"
#include "http_fetch.h"
#include "stream.h"
#include "stringx.h"
#include "thread.h"

// Whether a play reader is receiving the track of this cache file from the
// server now (the track cache leaves such a track for later, so that it is
// not downloaded twice while it plays).
bool track_streaming(const wchar_t* cache_file);

class zel_play_reader : public thread {
public:
    // Replies shorter than this are not played.
    static const int min_reply = 32767;

    zel_play_reader();
    ~zel_play_reader() override;

    virtual bool open(const wchar_t* url);
    virtual int read(void* buffer, int bytes);
    virtual int peek(void* buffer, int bytes);
    virtual int64_t length();
    virtual int64_t tell();
    virtual bool at_end();

    // Test view: true while the bytes come from the cache file.
    bool plays_from_file() const { return file_ != nullptr; }

protected:
    void run() override;

private:
    int take(void* buffer, int bytes, bool consume);
    bool open_cache_file(const stringx& cache_path, const stringx& address, double start);

    byte_fifo fifo_;
    critsec queue_lock_;  // over fifo_
    bool stop_ = true;  // also the abort flag of the requests
    http_fetch source_;
    int64_t delivered_ = 0;
    int64_t tag_skip_ = 0;
    bool is_info_ = false;
    stringx path_;
    stream* file_ = nullptr;
    critsec file_lock_;  // over file_
    bool started_ = false;
    stringx streaming_;  // the cache file of the track while it is received
};
