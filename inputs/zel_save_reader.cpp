#include "zel_save_reader.h"
#include <windows.h>
#include <cstdlib>
#include <cwchar>
#include "track_log.h"
#include "track_net.h"
#include "track_requests.h"
#include "track_url.h"
#include "utf.h"
#include "utility.h"

zel_save_reader::zel_save_reader() : source_(204800, &stop_) {}

zel_save_reader::~zel_save_reader() {
    stop_ = true;
    if (started_ && get_handle()) WaitForSingleObject(get_handle(), INFINITE);
    auto_sync guard(file_lock_);
    if (file_) fclose(file_);
    file_ = nullptr;
}

bool zel_save_reader::open(const wchar_t* url) {
    path_ = url ? url : L"";
    track_url::parts parts;
    if (started_ || !track_url::parse(url, parts)) return false;
    is_info_ = track_url::is_info_url(url);
    if (parts.pieces.size() >= 2 && _wtoi64(parts.pieces[1].wvalue()) > 0) return false;

    const stringx cache = track_url::cache_file(url);
    stop_ = false;
    if (GetFileAttributesW(cache.wvalue()) != INVALID_FILE_ATTRIBUTES) {
        const int server_length = track_length_request(parts.address.wvalue(), &stop_);
        if (server_length <= 0) return false;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(cache.wvalue(), GetFileExInfoStandard, &data)) return false;
        const int64_t size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (size == server_length) return false;  // complete already
        _wremove(cache.wvalue());
        track_log::format(is_info_, L"파일 크기가 다름 - > 파일 삭제 : %s",
                          track_log::after_last(cache.wvalue(), L'\\').wvalue());
    }
    // The bytes go to the download file; the cache file appears only once
    // they are complete, so a download cut short (a kill, a full disk, a
    // lost host) never leaves a file that would be played as whole.
    const stringx part = track_url::download_file(url);
    {
        auto_sync guard(file_lock_);
        file_ = _wfopen(part.wvalue(), L"wb");
        if (!file_) return false;
    }
    cache_path_ = cache;
    part_path_ = part;
    source_.url = utf::utf16_to_ansi(parts.address.wvalue()).value();
    // A host that does not answer holds the download's start no longer than
    // the short bound, and the track plays from the network later.
    if (!track_request(source_, 0.0, track_requests::short_reply_ms) || !create()) {
        {
            auto_sync guard(file_lock_);
            fclose(file_);
            file_ = nullptr;
        }
        _wremove(part.wvalue());
        return false;
    }
    started_ = true;
    return true;
}

void zel_save_reader::run() {
    priority(THREAD_PRIORITY_IDLE);
    const int64_t started = track_net::clock_now();
    int64_t total = 0;
    int empty = 0;
    bool write_failed = false;
    unsigned char chunk[1024];
    const int64_t length = source_.content_length;
    while (!stop_) {
        const int limit = track_net::rate_limit;
        if (limit > 0) {  // 0 or less: no limit
            const int64_t rate = track_net::rate(total, track_net::elapsed_ms(started, track_net::clock_now()));
            if (rate > limit) {
                utility::message_pump(nullptr);
                Sleep(1);
                continue;
            }
        }
        const int n = track_receive(source_, chunk, sizeof chunk);
        total += n;
        if (n == 0) {
            if (empty > track_net::empty_poll_limit()) {
                track_log::format(is_info_, L"패킷 수신 실패로 다음 트랙을 저장하기 위해 루프 탈출:[현재 경로]%s",
                                  track_log::after_last(path_.wvalue(), L'/').wvalue());
                break;
            }
            utility::message_pump(nullptr);
            Sleep(10);
            ++empty;
        } else {
            empty = 0;
            if (fwrite(chunk, 1, n, file_) != static_cast<size_t>(n)) {
                write_failed = true;  // a full disk: the file is not kept as complete
                break;
            }
        }
        if (length > 0 && total >= length) break;
    }
    bool closed_ok;
    {
        auto_sync guard(file_lock_);
        closed_ok = fclose(file_) == 0;
        file_ = nullptr;
    }
    // Kept only when the host told the length and exactly that many bytes
    // were written; then the download file takes the cache file's name.
    const bool complete = !write_failed && closed_ok && length > 0 && total == length &&
                          MoveFileExW(part_path_.wvalue(), cache_path_.wvalue(), MOVEFILE_REPLACE_EXISTING);
    if (complete) {
        const int64_t rate = track_net::rate(total, track_net::elapsed_ms(started, track_net::clock_now()));
        track_log::format(is_info_, L"평균 %d KBPS로 저장 종료 -> 파일 : %s", static_cast<int>(rate / 1000),
                          track_log::after_last(cache_path_.wvalue(), L'\\').wvalue());
        const DWORD linger_start = GetTickCount();
        const int linger = track_net::linger_ms;
        while (!stop_ && !is_info_ && GetTickCount() - linger_start <= static_cast<DWORD>(linger > 0 ? linger : 0)) {
            Sleep(10);
            utility::message_pump(nullptr);
        }
    } else {
        _wremove(part_path_.wvalue());
    }
    stop_ = true;
}
