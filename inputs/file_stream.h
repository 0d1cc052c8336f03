#pragma once
// file_stream: the stream provider for local files (and the names of audio-CD
// tracks, which it accepts without opening anything). Reads go straight to
// the C runtime's buffered file functions.
//
// open takes a path, or several pieces joined by "|" of which the last names
// the file; `path` keeps the text as given, `content_type` is the file's
// extension in lower case. Empty files are refused.
//
// A file stream belongs to one thread at a time and takes no lock.
#include <cstdio>
#include "stream.h"

class file_stream : public per_use_component<file_stream, stream> {
public:
    file_stream() = default;
    virtual ~file_stream() { close(); }
    file_stream(const file_stream&) = delete;
    file_stream& operator=(const file_stream&) = delete;

    bool open(const wchar_t* path) override;
    void close() override;
    int read(void* buffer, int bytes) override;
    int peek(void* buffer, int bytes) override;
    int seek(int64_t offset, int origin) override;
    int64_t length() override;
    bool is_seekable() override { return true; }
    int64_t tell() override;
    int buffered() override { return 0; }
    bool at_end() override { return false; }
    bool rebuffer() override { return true; }
    bool is_writable() override { return writable_; }
    void reopen(const wchar_t* mode) override;
    int write(const void* buffer, int bytes) override;
    void set_length(int length) override;

private:
    void reopen_as(const wchar_t* mode);

    FILE* file_ = nullptr;
    bool writable_ = false;
};
