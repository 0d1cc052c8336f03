#include "zel_stream.h"
#include <cwchar>
#include <new>
#include "track_url.h"
#include "zel_play_reader.h"

zel_stream::~zel_stream() { close(); }

bool zel_stream::open(const wchar_t* url) {
    close();
    // Anything else goes on to the next provider without a reader or thread.
    if (!url || !track_url::is_track_url(url)) return false;
    reader_ = new (std::nothrow) zel_play_reader();
    if (!reader_) return false;
    if (!reader_->open(url)) return false;  // the reader stays until close
    wcsncpy(content_type, L"zel content type", 199);
    content_type[199] = 0;
    // The URL as given, as the file stream keeps its path.
    wcsncpy(path, url, 260);
    path[260] = 0;
    return true;
}

void zel_stream::close() {
    delete reader_;
    reader_ = nullptr;
}

int zel_stream::read(void* buffer, int bytes) {
    if (!buffer || bytes < 1 || at_end()) return 0;
    return reader_->read(buffer, bytes);
}

int zel_stream::peek(void* buffer, int bytes) {
    if (!buffer || bytes < 1 || at_end()) return 0;
    return reader_->peek(buffer, bytes);
}

int64_t zel_stream::length() { return reader_ ? reader_->length() : 0; }

int64_t zel_stream::tell() { return reader_ ? reader_->tell() : 0; }

int zel_stream::buffered() { return reader_ ? static_cast<int>(reader_->length() - reader_->tell()) : 0; }

bool zel_stream::at_end() { return reader_ ? reader_->at_end() : true; }
