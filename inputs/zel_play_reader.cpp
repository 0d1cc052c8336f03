#include "zel_play_reader.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "file_stream.h"
#include "track_log.h"
#include "track_net.h"
#include "track_requests.h"
#include "track_url.h"
#include "utf.h"

namespace {
// The cache files of the tracks that play readers receive from the server.
critsec& streaming_lock() {
    static critsec lock;
    return lock;
}
std::vector<std::wstring>& streaming_files() {
    static std::vector<std::wstring> files;
    return files;
}
void set_streaming(const wchar_t* cache_file, bool on) {
    auto_sync guard(streaming_lock());
    std::vector<std::wstring>& files = streaming_files();
    if (on) {
        files.push_back(cache_file);
        return;
    }
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (_wcsicmp(it->c_str(), cache_file) == 0) {
            files.erase(it);
            return;
        }
    }
}
}  // namespace

bool track_streaming(const wchar_t* cache_file) {
    if (!cache_file || !*cache_file) return false;
    auto_sync guard(streaming_lock());
    for (const std::wstring& f : streaming_files())
        if (_wcsicmp(f.c_str(), cache_file) == 0) return true;
    return false;
}

zel_play_reader::zel_play_reader() : source_(204800, &stop_) {}

zel_play_reader::~zel_play_reader() {
    stop_ = true;
    if (started_ && get_handle()) WaitForSingleObject(get_handle(), INFINITE);
    if (streaming_.length() > 0) set_streaming(streaming_.wvalue(), false);
    {
        auto_sync guard(queue_lock_);
        fifo_.clear();
    }
    auto_sync guard(file_lock_);
    if (file_) file_->release();
    file_ = nullptr;
}

bool zel_play_reader::open(const wchar_t* url) {
    path_ = url ? url : L"";
    track_url::parts parts;
    if (started_ || !track_url::parse(url, parts)) return false;
    is_info_ = track_url::is_info_url(url);
    stop_ = false;
    const stringx cache_path = track_url::cache_file(url);
    if (GetFileAttributesW(cache_path.wvalue()) != INVALID_FILE_ATTRIBUTES)
        open_cache_file(cache_path, parts.address, parts.start);
    delivered_ = 0;
    tag_skip_ = 0;

    {
        auto_sync guard(file_lock_);
        if (file_) {
            unsigned char header[10];
            const int n = file_->peek(header, 10);
            if (n > 0) {
                tag_skip_ = n == 10 ? track_url::id3v2_size(header) : 0;
                if (tag_skip_ > 0) file_->seek(tag_skip_, 1);
                return true;
            }
            file_->release();
            file_ = nullptr;
        }
    }

    source_.url = utf::utf16_to_ansi(parts.address.wvalue()).value();
    streaming_ = cache_path;
    set_streaming(cache_path.wvalue(), true);
    // While the track hosts are quiet (an outage) a track that is not cached
    // is given up soon, so that the channel goes on with its cached tracks.
    if (!track_request(source_, parts.start, track_requests::play_reply_ms())) return false;
    if (source_.content_length <= 0) return false;
    // The thread may have received the whole reply and ended before this
    // returns; at_end tells the end, so a running start is enough here.
    if (!create()) return false;
    started_ = true;
    return true;
}

bool zel_play_reader::open_cache_file(const stringx& cache_path, const stringx& address, double start) {
    // A save reader writing the file holds it open: an exclusive open fails
    // then, and the track comes from the network.
    HANDLE probe = CreateFileW(cache_path.wvalue(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
    if (probe == INVALID_HANDLE_VALUE) return false;
    CloseHandle(probe);

    file_stream* cached = new file_stream();
    if (!cached->open(cache_path.wvalue())) {
        cached->release();
        return false;
    }
    {
        auto_sync guard(file_lock_);
        file_ = cached;
    }
    // A host that reports no length, or gives no answer within the short
    // bound (a network outage), leaves the file to play as it is: a store
    // keeps its cached music through an outage.
    const int server_length = track_length_request(address.wvalue(), &stop_);
    auto_sync guard(file_lock_);
    if (server_length > 0 && file_->length() != server_length) {
        const int file_size = static_cast<int>(file_->length());
        file_->release();
        file_ = nullptr;
        // Not the host's file: dropped, so that the cache fetches it again.
        _wremove(cache_path.wvalue());
        track_log::format(is_info_, L"파일 크기가 다름 - > 파일 메모리 재생: %s, %d,%d",
                          track_log::after_last(cache_path.wvalue(), L'\\').wvalue(), server_length, file_size);
        return false;
    }
    if (start > 0.0) file_->seek(static_cast<int64_t>(static_cast<double>(file_->length()) * start), 0);
    return true;
}

void zel_play_reader::run() {
    const int64_t started = track_net::clock_now();
    int64_t total = 0;
    int empty = 0;
    bool tested = false;
    int64_t skip = 0;
    std::string head;  // the first bytes, until ten are there for the tag test
    std::string held;  // bytes held back while the reply is still short
    unsigned char chunk[1024];
    const int64_t length = source_.content_length;
    while (!stop_) {
        const int n = track_receive(source_, chunk, sizeof chunk);
        total += n;
        if (n == 0) {
            if (empty > track_net::empty_poll_limit()) {
                track_log::format(is_info_, L"패킷 수신 실패로 다음 트랙을 재생하기 위해 루프 탈출:[현재 경로]%s",
                                  track_log::after_last(path_.wvalue(), L'/').wvalue());
                break;
            }
            Sleep(10);
            ++empty;
            continue;
        }
        empty = 0;
        const unsigned char* data = chunk;
        int64_t count = n;
        const bool complete = length > 0 && total >= length;
        if (!tested) {
            head.append(reinterpret_cast<const char*>(chunk), n);
            if (head.size() < 10 && !complete) continue;
            tested = true;
            if (head.size() >= 10) skip = track_url::id3v2_size(reinterpret_cast<const unsigned char*>(head.data()));
            tag_skip_ = skip;
            data = reinterpret_cast<const unsigned char*>(head.data());
            count = static_cast<int64_t>(head.size());
        }
        if (skip > 0) {
            const int64_t dropped = std::min(skip, count);
            data += dropped;
            count -= dropped;
            skip -= dropped;
        }
        // Nothing of a reply shorter than min_reply is played: its first
        // bytes are held back until the reply has reached that size.
        if (total < min_reply) {
            held.append(reinterpret_cast<const char*>(data), static_cast<size_t>(count));
        } else if (count > 0 || !held.empty()) {
            auto_sync guard(queue_lock_);
            if (!held.empty() && !fifo_.append(held.data(), static_cast<int>(held.size()))) break;
            held.clear();
            if (!fifo_.append(data, static_cast<int>(count))) break;
        }
        if (complete) break;
    }
    if (total < min_reply) {
        auto_sync guard(queue_lock_);
        fifo_.clear();
    }
    stop_ = true;
    if (length > 0 && total >= length) {
        const int64_t rate = track_net::rate(total, track_net::elapsed_ms(started, track_net::clock_now()));
        track_log::format(is_info_, L"평균 %d KBPS로 패킷 수신 종료 -> URL : %s", static_cast<int>(rate / 1000),
                          track_log::after_last(path_.wvalue(), L'/').wvalue());
    }
}

int zel_play_reader::take(void* buffer, int bytes, bool consume) {
    if (!buffer || bytes < 1 || at_end()) return 0;
    {
        auto_sync guard(file_lock_);
        if (file_) {
            const int n = consume ? file_->read(buffer, bytes) : file_->peek(buffer, bytes);
            if (consume) delivered_ += n;
            return n;
        }
    }
    bool waited = false;
    for (int i = 0; i < 100; ++i) {
        {
            auto_sync guard(queue_lock_);
            if (fifo_.size() > 0) break;
        }
        if (at_end()) break;
        Sleep(1);
        waited = true;
    }
    int n;
    {
        auto_sync guard(queue_lock_);
        if (consume) {
            n = fifo_.take(buffer, bytes);
        } else {
            n = std::min(bytes, fifo_.size());
            if (n > 0) memcpy(buffer, fifo_.data, n);
        }
    }
    if (waited)
        track_log::format(is_info_, L"버퍼링 중:[현재 경로]%s", track_log::after_last(path_.wvalue(), L'/').wvalue());
    if (consume) delivered_ += n;
    return n;
}

int zel_play_reader::read(void* buffer, int bytes) { return take(buffer, bytes, true); }

int zel_play_reader::peek(void* buffer, int bytes) { return take(buffer, bytes, false); }

int64_t zel_play_reader::length() {
    {
        auto_sync guard(file_lock_);
        if (file_) return file_->length() - tag_skip_;
    }
    const int64_t n = std::max<int64_t>(source_.content_length, 0) - tag_skip_ + source_.range_start;
    return n < 0 ? 0 : n;
}

int64_t zel_play_reader::tell() { return delivered_ + (file_ ? 0 : source_.range_start); }

bool zel_play_reader::at_end() {
    {
        auto_sync guard(file_lock_);
        // The file stream never reports an end of its own; a reader that
        // waits for the end of a non-seekable source would wait for ever.
        if (file_) return file_->tell() >= file_->length();
    }
    if (!started_) return stop_;
    auto_sync guard(queue_lock_);
    return fifo_.size() == 0 && stop_;
}
