#pragma once
// http_stream: the stream source for "http://" URLs, internet radio stations
// (HTTP with ICY metadata) and files on web servers alike.
//
// open sends one GET (a second one with "Range:" when the URL ends in
// "|offset"), then a receive thread of the stream's own fills a buffer of at
// most about 256,000 bytes, strips the ICY metadata blocks out of the audio
// bytes and an ID3v2 tag off the start of the data, and reports the station
// name, the stream titles and an information list to every registered
// stream_title_listener. A live station (a reply without content length)
// prebuffers 128,000 bytes inside open and again, on a rebuffer thread at
// idle priority, whenever its buffer drops below 8,192 bytes; `busy` is set
// meanwhile. Opened on a playback thread, the request and the prebuffer
// give up as soon as that thread's track is stopped.
//
// Threads: open, read, peek and close on the caller's thread; the buffer is
// shared with the receive thread under its lock, the flags are single values
// read without one. close waits for the receive and rebuffer threads.
#include <cstdint>
#include <string>
#include <vector>
#include "critsec.h"
#include "http_fetch.h"
#include "info_list.h"
#include "mem_chunk.h"
#include "stream.h"
#include "stringx.h"
#include "thread.h"

class stream_title_listener;

class http_stream : public per_use_component<http_stream, stream>, public thread {
public:
    static constexpr int prebuffer_bytes = 128 * 1000;
    static constexpr int buffer_ceiling = 256 * 1000;
    static constexpr int rebuffer_below = 8192;
    static constexpr int receive_block = 1024;
    static constexpr int open_passes = 1000;      // 100 ms each
    static constexpr int rebuffer_passes = 100;   // 100 ms each
    static constexpr int empty_poll_limit = 1000; // 10 ms each
    static constexpr int metadata_tries = 4000;   // 1 ms each
    static constexpr int report_every = 10000;    // bytes between "Data Received" reports

    http_stream();
    ~http_stream() override;
    http_stream(const http_stream&) = delete;
    http_stream& operator=(const http_stream&) = delete;

    bool open(const wchar_t* url) override;
    void close() override;
    int read(void* buffer, int bytes) override;
    int peek(void* buffer, int bytes) override;
    int seek(int64_t, int) override { return 0; }
    int64_t length() override;
    bool is_seekable() override { return false; }
    int64_t tell() override;
    int buffered() override;
    bool at_end() override;
    bool rebuffer() override;
    bool is_writable() override { return false; }
    void reopen(const wchar_t*) override {}
    int write(const void*, int) override { return 0; }
    void set_length(int) override {}

    // The ANSI request text of a URL: bytes of 128 and above and spaces
    // written as "%XX".
    static std::string request_text(const wchar_t* url);
    // The receive ring of the stream's connection, in bytes.
    int receive_ring_bytes() const { return fetch_.request.receive_size(); }

protected:
    void run() override;  // the receive loop

private:
    bool finished() const { return __atomic_load_n(&finished_, __ATOMIC_ACQUIRE); }
    void set_finished(bool value) { __atomic_store_n(&finished_, value, __ATOMIC_RELEASE); }
    void set_busy(bool value) { __atomic_store_n(&busy, value, __ATOMIC_RELEASE); }
    bool is_busy() const { return __atomic_load_n(&busy, __ATOMIC_ACQUIRE); }

    bool request(int64_t offset);
    bool connect_and_wait(const std::string& text);
    void add_request_headers();
    void fill_buffer(int max_passes);  // the prebuffer passes of open and of rebuffering
    bool wait_for_bytes();
    int take(void* buffer, int bytes, bool remove);
    void append(const unsigned char* bytes, int count);

    // The receive loop's pieces (http_stream_receive.cpp).
    void announce_headers(stringx& station);
    bool read_metadata(int& blocks, stringx& station, stringx& last_title, int64_t total);
    bool take_exact(char* buffer, int length);
    void notify_title(bool station, const wchar_t* text, int64_t position);
    void notify_info();
    void notify_buffering(int state, int percent);
    static unsigned __stdcall rebuffer_main(void* self);

    critsec lock_;                  // guards buffer_
    mem_chunk<unsigned char> buffer_;
    bool finished_ = true;
    http_fetch fetch_;
    int64_t start_offset_ = 0;
    int64_t delivered_ = 0;
    int64_t tag_size_ = 0;
    std::vector<stream_title_listener*> listeners_;
    stringx url_;
    info_list info_;
    critsec rebuffer_lock_;         // guards rebuffer_thread_
    HANDLE rebuffer_thread_ = nullptr;
    bool receiving_ = false;        // the receive thread was started
    int interval_ = 0;              // icy-metaint
};
