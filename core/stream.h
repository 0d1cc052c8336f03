#pragma once
// stream: a per-use source of bytes for a path or URL. core::create_stream asks
// each provider in registry order to open a path and keeps the first that
// accepts. The three data members come right after the interface pointer and
// are read directly by other components, so every implementation keeps them
// at the start of its data. Release closes and deletes the stream.
#include <cstdint>
#include "component.h"

class stream : public component {
public:
    static constexpr GUID iid = {0x6BEA82B4, 0x93FE, 0x4397, {0xB2, 0x64, 0x01, 0xCF, 0x7A, 0xAE, 0x0F, 0x32}};

    // True: this provider accepted path, the stream is open and content_type set.
    virtual bool open(const wchar_t* path) = 0;
    virtual void close() = 0;
    // Up to bytes bytes; 0 when nothing is available now; never negative.
    virtual int read(void* buffer, int bytes) = 0;
    virtual int peek(void* buffer, int bytes) = 0;
    // origin 0 start, 1 current, 2 end; 0 on success. Only when seekable.
    virtual int seek(int64_t offset, int origin) = 0;
    virtual int64_t length() = 0;     // 0 when unknown
    virtual bool is_seekable() = 0;
    virtual int64_t tell() = 0;
    virtual int buffered() = 0;       // received, not yet read (network streams)
    virtual bool at_end() = 0;        // a network source has ended and is drained
    virtual bool rebuffer() = 0;
    virtual bool is_writable() = 0;
    virtual void reopen(const wchar_t* mode) = 0;  // "rb" or "r+b", keeping the position
    virtual int write(const void* buffer, int bytes) = 0;
    virtual void set_length(int length) = 0;

    wchar_t content_type[200] = L"";
    bool busy = false;
    wchar_t path[261] = L"";
};
