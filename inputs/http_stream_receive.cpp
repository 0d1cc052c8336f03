// http_stream's receive loop: takes the reply body in blocks of at most
// 1,024 bytes, strips the ICY metadata blocks and a leading ID3v2 tag, and
// tells the listeners about the station, the titles and the bytes received.
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "http_stream.h"
#include "icy_metadata.h"
#include "stream_title_listener.h"
#include "utf.h"

namespace {

stringx decimal(int64_t value) {
    wchar_t text[32];
    _snwprintf(text, 31, L"%I64d", static_cast<long long>(value));
    text[31] = 0;
    return stringx(text);
}

stringx header_text(const http_request& r, const char* name) {
    const char* value = r.get_header(name);
    return utf::ansi_to_utf16(value ? value : "");
}

}  // namespace

void http_stream::announce_headers(stringx& station) {
    http_request& r = fetch_.request;
    info_.clear();
    info_.set(L"Address", url_.wvalue());
    if (fetch_.content_length > 0)
        info_.set(L"Content Length", decimal(static_cast<uint32_t>(fetch_.content_length)).wvalue());
    if (fetch_.content_type.length() > 0) info_.set(L"Content Type", fetch_.content_type.wvalue());

    const std::string server = icy::server_text(r.get_header("server"), r.get_header("icy-notice2"));
    if (!server.empty()) info_.set(L"Server", utf::ansi_to_utf16(server.c_str()).wvalue());

    station = header_text(r, "icy-name");
    if (station.length() > 0) {
        notify_title(true, station.wvalue(), 0);
        info_.set(L"Stream Title", station.wvalue());
    }

    const char* metaint = r.get_header("icy-metaint");
    interval_ = metaint ? atoi(metaint) : 0;
    if (interval_ > 0) {
        info_.set(L"ICY Interval", decimal(interval_).wvalue());
        info_.set(L"ICY Received", L"0");
    }
    info_.set(L"Data Received", L"0");
    notify_info();
}

// Takes exactly length bytes of the body, trying at most metadata_tries
// times, 1 ms apart. False when they did not come or the stream closed.
bool http_stream::take_exact(char* out, int length) {
    http_request& r = fetch_.request;
    int got = 0;
    for (int tries = 0; got < length; ++tries) {
        if (finished() || tries >= metadata_tries) return false;
        r.run();
        int n = r.get_bytes(out + got, length - got);
        if (n > 0) got += n;
        if (got < length) Sleep(1);
    }
    return true;
}

// One metadata block: its length byte, then the block. False ends the
// reception (the block did not arrive in time, or the stream closed).
bool http_stream::read_metadata(int& blocks, stringx& station, stringx& last_title, int64_t total) {
    unsigned char length_byte = 0;
    if (!take_exact(reinterpret_cast<char*>(&length_byte), 1)) return false;

    ++blocks;
    stringx name = header_text(fetch_.request, "icy-name");
    if (name.length() > 0 && !name.equals_ignore_case(station)) {
        station = name;
        notify_title(true, station.wvalue(), 0);
    }
    info_.set(L"ICY Received", decimal(blocks).wvalue());
    notify_info();

    const int length = length_byte * 16;
    if (length == 0) return true;
    std::vector<char> block(length + 1, 0);
    if (!take_exact(block.data(), length)) return false;

    icy::block_items items = icy::parse_block(block.data(), length);
    if (items.has_title) {
        stringx title = utf::ansi_to_utf16(items.title.c_str());
        if (!title.equals_ignore_case(last_title)) {
            notify_title(false, title.wvalue(), total);
            info_.set(L"Current Title", title.wvalue());
            notify_info();
            last_title = title;
        }
    } else if (items.has_url) {
        stringx url = utf::ansi_to_utf16(items.url.c_str());
        notify_title(false, url.wvalue(), total);
        info_.set(L"Stream URL", url.wvalue());
        notify_info();
    }
    return true;
}

void http_stream::run() {
    http_request& r = fetch_.request;
    stringx station;
    announce_headers(station);

    int since_metadata = 0;
    int blocks = 0;
    int64_t total = 0;
    int64_t reported = 0;
    int empty_polls = 0;
    bool tag_checked = false;
    int64_t skip = 0;
    stringx last_title;
    unsigned char block[receive_block];

    while (!finished()) {
        if (fetch_.content_length <= 0 && buffered() < rebuffer_below && !is_busy()) rebuffer();
        if (buffered() > buffer_ceiling) {
            Sleep(1);
            continue;
        }
        if (interval_ > 0 && since_metadata == interval_) {
            since_metadata = 0;
            if (!read_metadata(blocks, station, last_title, total)) break;
        }

        int chunk = receive_block;
        if (interval_ > 0 && interval_ - since_metadata < chunk) chunk = interval_ - since_metadata;
        int received = 0;
        if (!finished()) {
            r.run();
            int n = r.get_bytes(block, chunk);
            received = n > 0 ? n : 0;
        }
        if (interval_ > 0) since_metadata += received;
        total += received;
        if (total > reported + report_every) {
            reported = total;
            info_.set(L"Data Received", decimal(total).wvalue());
            notify_info();
        }
        if (received == 0) {
            if (empty_polls > empty_poll_limit) break;
            Sleep(10);
            ++empty_polls;
            continue;
        }
        empty_polls = 0;

        if (!tag_checked && received >= 10) {
            tag_checked = true;
            skip = icy::id3_tag_bytes(block, received);
            tag_size_ = skip;
        }
        int keep_from = 0;
        if (skip > 0) {
            if (received <= skip) {
                skip -= received;
                keep_from = received;
            } else {
                keep_from = static_cast<int>(skip);
                skip = 0;
            }
        }
        if (keep_from < received) append(block + keep_from, received - keep_from);

        if (fetch_.content_length > 0 && total >= fetch_.content_length) {
            info_.set(L"Data Received", decimal(total).wvalue());
            notify_info();
            break;
        }
    }
    set_finished(true);
}
