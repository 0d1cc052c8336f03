// The file and memory sources of image decoding.
#include "image_source.h"

#include <cstdlib>
#include <cstring>

bool file_source::close() {
    if (!stream_ || !owned_) return true;
    const bool ok = fclose(stream_) == 0;
    stream_ = nullptr;
    return ok;
}

size_t file_source::read(void* buffer, size_t size, size_t count) {
    return stream_ ? fread(buffer, size, count, stream_) : 0;
}

size_t file_source::write(const void* buffer, size_t size, size_t count) {
    return stream_ ? fwrite(buffer, size, count, stream_) : 0;
}

bool file_source::seek(long offset, int origin) { return stream_ && fseek(stream_, offset, origin) == 0; }

long file_source::tell() { return stream_ ? ftell(stream_) : 0; }

long file_source::size() {
    if (!stream_) return -1;
    const long here = ftell(stream_);
    fseek(stream_, 0, SEEK_END);
    const long end = ftell(stream_);
    fseek(stream_, here, SEEK_SET);
    return end;
}

bool file_source::flush() { return stream_ && fflush(stream_) == 0; }

bool file_source::eof() { return !stream_ || feof(stream_) != 0; }

long file_source::error() { return stream_ ? ferror(stream_) : -1; }

bool file_source::put_char(unsigned char c) { return stream_ && fputc(c, stream_) != EOF; }

int file_source::get_char() { return stream_ ? getc(stream_) : -1; }

memory_source::memory_source(unsigned char* buffer, size_t length)
    : buffer_(buffer),
      size_(buffer ? length : 0),
      position_(0),
      capacity_(buffer ? length : 0),
      owned_(!buffer) {}

bool memory_source::close() {
    if (owned_ && buffer_) free(buffer_);
    if (owned_) {
        buffer_ = nullptr;
        capacity_ = 0;
    }
    size_ = 0;
    return true;
}

size_t memory_source::read(void* buffer, size_t size, size_t count) {
    if (!buffer_ || size == 0 || count == 0 || position_ >= size_) return 0;
    size_t wanted = size * count;
    if (wanted / size != count) wanted = static_cast<size_t>(-1);  // overflow: as much as there is
    const size_t n = wanted < size_ - position_ ? wanted : size_ - position_;
    memcpy(buffer, buffer_ + position_, n);
    position_ += n;
    return n / size;
}

size_t memory_source::write(const void* buffer, size_t size, size_t count) {
    if (!buffer_ || !buffer || size == 0 || count == 0) return 0;
    const size_t bytes = size * count;
    if (bytes / size != count || position_ + bytes < position_) return 0;
    const size_t needed = position_ + bytes;
    if (needed > capacity_) {
        const size_t grown = (needed / 4096 + 1) * 4096;
        unsigned char* moved = static_cast<unsigned char*>(owned_ ? realloc(buffer_, grown) : malloc(grown));
        if (!moved) return 0;
        if (!owned_ && buffer_) memcpy(moved, buffer_, size_);
        buffer_ = moved;
        capacity_ = grown;
        owned_ = true;
    }
    if (position_ > size_) memset(buffer_ + size_, 0, position_ - size_);
    memcpy(buffer_ + position_, buffer, bytes);
    position_ = needed;
    if (position_ > size_) size_ = position_;
    return count;
}

bool memory_source::seek(long offset, int origin) {
    if (!buffer_) return false;
    long long base;
    switch (origin) {
        case SEEK_SET:
            base = 0;
            break;
        case SEEK_CUR:
            base = static_cast<long long>(position_);
            break;
        case SEEK_END:
            base = static_cast<long long>(size_);
            break;
        default:
            return false;
    }
    const long long target = base + offset;
    position_ = target < 0 ? 0 : static_cast<size_t>(target);
    return true;
}

long memory_source::tell() { return buffer_ ? static_cast<long>(position_) : -1; }

long memory_source::size() { return buffer_ ? static_cast<long>(size_) : -1; }

bool memory_source::flush() { return buffer_ != nullptr; }

bool memory_source::eof() { return !buffer_ || position_ >= size_; }

long memory_source::error() { return buffer_ ? (position_ > size_ ? 1 : 0) : -1; }

bool memory_source::put_char(unsigned char c) { return buffer_ && write(&c, 1, 1) == 1; }

int memory_source::get_char() {
    if (!buffer_ || position_ >= size_) return -1;
    return buffer_[position_++];
}
