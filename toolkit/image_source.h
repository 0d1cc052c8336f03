#pragma once
// The byte sources and sinks that image decoding reads from: a C stream or a
// block of memory. Internal to zel_core.
#include <cstddef>
#include <cstdio>

class image_source {
public:
    virtual ~image_source() {}
    virtual bool close() = 0;
    // The number of whole items read or written.
    virtual size_t read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t write(const void* buffer, size_t size, size_t count) = 0;
    // origin 0 from the start, 1 from the current position, 2 from the end.
    virtual bool seek(long offset, int origin) = 0;
    virtual long tell() = 0;
    virtual long size() = 0;
    virtual bool flush() = 0;
    virtual bool eof() = 0;
    virtual long error() = 0;
    virtual bool put_char(unsigned char c) { return write(&c, 1, 1) == 1; }
    // The next byte, -1 at the end.
    virtual int get_char() = 0;
};

// Over a C stream, which it closes only when it owns it.
class file_source : public image_source {
public:
    explicit file_source(FILE* stream, bool owned = false) : stream_(stream), owned_(owned) {}
    ~file_source() override { close(); }
    bool close() override;
    size_t read(void* buffer, size_t size, size_t count) override;
    size_t write(const void* buffer, size_t size, size_t count) override;
    bool seek(long offset, int origin) override;
    long tell() override;
    long size() override;
    bool flush() override;
    bool eof() override;
    long error() override;
    bool put_char(unsigned char c) override;
    int get_char() override;

private:
    FILE* stream_;
    bool owned_;
};

// Over a byte buffer. A given buffer is read and written in place and not
// owned; writing past its capacity moves the bytes into a grown buffer of the
// source's own (the given one is left as it was).
class memory_source : public image_source {
public:
    memory_source(unsigned char* buffer = nullptr, size_t length = 0);
    ~memory_source() override { close(); }
    bool close() override;
    size_t read(void* buffer, size_t size, size_t count) override;
    size_t write(const void* buffer, size_t size, size_t count) override;
    bool seek(long offset, int origin) override;
    long tell() override;
    long size() override;
    bool flush() override;
    bool eof() override;
    long error() override;
    bool put_char(unsigned char c) override;
    int get_char() override;

    const unsigned char* data() const { return buffer_; }

private:
    unsigned char* buffer_;
    size_t size_;
    size_t position_;
    size_t capacity_;
    bool owned_;
};
