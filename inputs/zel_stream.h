#pragma once
// zel_stream: the stream provider for the service's track URLs "zel://" and
// "zel2://". It accepts exactly the URLs that a zel_play_reader accepts and
// forwards every operation to that reader; its content type "zel content
// type" makes the MPEG audio input decode every track of the service. It is
// never seekable and never busy: a stall shows as reads of 0 bytes while
// at_end stays false.
#include "stream.h"

class zel_play_reader;

class zel_stream : public per_use_component<zel_stream, stream> {
public:
    zel_stream() = default;
    virtual ~zel_stream();
    zel_stream(const zel_stream&) = delete;
    zel_stream& operator=(const zel_stream&) = delete;

    bool open(const wchar_t* path) override;
    void close() override;
    int read(void* buffer, int bytes) override;
    int peek(void* buffer, int bytes) override;
    int seek(int64_t, int) override { return 0; }
    int64_t length() override;
    bool is_seekable() override { return false; }
    int64_t tell() override;
    int buffered() override;
    bool at_end() override;
    bool rebuffer() override { return true; }
    bool is_writable() override { return false; }
    void reopen(const wchar_t*) override {}
    int write(const void*, int) override { return 0; }
    void set_length(int) override {}

private:
    zel_play_reader* reader_ = nullptr;
};
