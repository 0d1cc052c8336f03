// URL fetch (utility): whole downloads through WinINet, and the length of a
// resource through the system's own HTTP client.
#include <winsock2.h>
#include <windows.h>
#include <wininet.h>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include "http_request.h"
#include "net_connection.h"
#include "inet_handle.h"
#include "utf.h"
#include "utility.h"

namespace {

const DWORD piece_size = 1024;
const DWORD connect_timeout_ms = 2000;
// How long a transfer may go without any sign of life before it is given up.
const DWORD stall_timeout_ms = 30000;

// One download. WinINet's own connect time-out is not reliable (it is not
// kept at all on some platforms), so the transfer runs on a worker thread of
// its own and the caller watches it: when the connect stage has not ended
// after connect_timeout_ms, or nothing has moved for stall_timeout_ms, the
// caller gives up and leaves the job to the worker, which owns every handle
// and frees the job when it ends. Whoever of the two lets go last frees it.
struct fetch_job {
    LONG references = 2;
    std::string url;
    std::string headers;
    bool terminate = false;
    HANDLE connect_stage_over = nullptr;  // manual reset
    HANDLE finished = nullptr;            // manual reset
    volatile LONG last_progress = 0;      // GetTickCount of the last sign of life
    unsigned char* body = nullptr;
    int size = 0;
    bool complete = false;

    ~fetch_job() {
        free(body);
        if (connect_stage_over) CloseHandle(connect_stage_over);
        if (finished) CloseHandle(finished);
    }
    void alive() { InterlockedExchange(&last_progress, static_cast<LONG>(GetTickCount())); }
    void release() {
        if (InterlockedDecrement(&references) == 0) delete this;
    }
};


void CALLBACK on_status(HINTERNET, DWORD_PTR context, DWORD status, void*, DWORD) {
    fetch_job* job = reinterpret_cast<fetch_job*>(context);
    if (!job) return;
    job->alive();
    switch (status) {
        case INTERNET_STATUS_CONNECTED_TO_SERVER:
        case INTERNET_STATUS_SENDING_REQUEST:
        case INTERNET_STATUS_REQUEST_SENT:
        case INTERNET_STATUS_RECEIVING_RESPONSE:
        case INTERNET_STATUS_RESPONSE_RECEIVED:
            SetEvent(job->connect_stage_over);
            break;
        default:
            break;
    }
}

// Reads the body in pieces into the job. True when it ended normally.
bool read_body(HINTERNET request, fetch_job* job) {
    char piece[piece_size];
    for (;;) {
        INTERNET_BUFFERSA buffer = {};
        buffer.dwStructSize = sizeof(buffer);
        buffer.lpvBuffer = piece;
        buffer.dwBufferLength = piece_size;
        if (!InternetReadFileExA(request, &buffer, IRF_NO_WAIT, 0)) return false;
        job->alive();
        if (buffer.dwBufferLength == 0) {
            // Nothing there at this moment is not the end: wait until more
            // data comes or the body has ended.
            DWORD available = 0;
            if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
            if (available == 0) break;
            continue;
        }
        const size_t total = static_cast<size_t>(job->size) + buffer.dwBufferLength;
        if (total > 0x7fffff00u) return false;
        unsigned char* grown = static_cast<unsigned char*>(realloc(job->body, total + (job->terminate ? 1 : 0)));
        if (!grown) return false;
        job->body = grown;
        memcpy(job->body + job->size, piece, buffer.dwBufferLength);
        job->size = static_cast<int>(total);
        if (job->terminate) job->body[job->size] = 0;
    }
    // A connection that ends before the announced length is a broken
    // transfer, not the end of the body.
    char announced[32] = "";
    DWORD announced_size = sizeof(announced);
    if (HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, announced, &announced_size, nullptr) &&
        _atoi64(announced) > job->size)
        return false;
    return true;
}

void run_job(fetch_job* job) {
    inet_handle internet(InternetOpenA("Internet Explorer", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (internet.get()) {
        DWORD timeout = connect_timeout_ms;
        InternetSetOptionA(internet.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
        timeout = stall_timeout_ms;
        InternetSetOptionA(internet.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
        InternetSetStatusCallbackA(internet.get(), on_status);
        const DWORD header_length = static_cast<DWORD>(job->headers.size());
        // The job is the context: status callbacks come only for a nonzero one.
        // Fetches carry no cookies: nothing fetched needs them, and Wine's
        // cookie store can hold a request until the watchdog gives up.
        const DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES;
        inet_handle request(InternetOpenUrlA(internet.get(), job->url.c_str(),
                                             header_length ? job->headers.c_str() : nullptr,
                                             header_length ? header_length + 1 : 0, flags,
                                             reinterpret_cast<DWORD_PTR>(job)));
        SetEvent(job->connect_stage_over);
        if (request.get()) job->complete = read_body(request.get(), job);
        InternetSetStatusCallbackA(internet.get(), nullptr);
    }
    SetEvent(job->connect_stage_over);
    SetEvent(job->finished);
}

DWORD WINAPI job_thread(void* parameter) {
    fetch_job* job = static_cast<fetch_job*>(parameter);
    run_job(job);
    job->release();
    return 0;
}

// Downloads url into a malloc'd buffer, with room for a terminator when
// terminate is set. True when the body ended normally; body stays null for
// an empty body. On failure nothing is kept.
bool download(const wchar_t* url, const wchar_t* headers, bool terminate, unsigned char*& body, int& size) {
    body = nullptr;
    size = 0;
    fetch_job* job = new (std::nothrow) fetch_job();
    if (!job) return false;
    job->url = utf::utf16_to_ansi(url).value();
    job->headers = utf::utf16_to_ansi(headers).value();
    job->terminate = terminate;
    job->connect_stage_over = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    job->finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    job->alive();
    HANDLE worker = job->connect_stage_over && job->finished
                        ? CreateThread(nullptr, 0, job_thread, job, 0, nullptr)
                        : nullptr;
    if (!worker) {
        delete job;
        return false;
    }
    CloseHandle(worker);

    bool ended = WaitForSingleObject(job->connect_stage_over, connect_timeout_ms) == WAIT_OBJECT_0;
    while (ended && WaitForSingleObject(job->finished, 100) != WAIT_OBJECT_0) {
        const DWORD quiet = GetTickCount() - static_cast<DWORD>(InterlockedCompareExchange(&job->last_progress, 0, 0));
        if (quiet > stall_timeout_ms) ended = false;
    }
    bool ok = false;
    if (ended && job->complete) {
        body = job->body;
        size = job->size;
        job->body = nullptr;
        ok = true;
    }
    job->release();
    return ok;
}

// Windows Sockets for one call.
class wsa_scope {
public:
    wsa_scope() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    ~wsa_scope() {
        if (started_) WSACleanup();
    }
    bool started() const { return started_; }

private:
    bool started_;
};

}  // namespace

bool utility::open_url(const wchar_t* url, const wchar_t* headers, char*& text) {
    unsigned char* body = nullptr;
    int size = 0;
    const bool ok = download(url, headers, true, body, size);
    if (!ok)
        text = nullptr;
    else if (body)
        text = reinterpret_cast<char*>(body);
    return ok;
}

bool utility::open_url(const wchar_t* url, unsigned char*& data, int& size) {
    unsigned char* body = nullptr;
    int length = 0;
    const bool ok = download(url, nullptr, false, body, length);
    if (!ok) {
        data = nullptr;
        size = 0;
    } else if (body) {
        data = body;
        size = length;
    }
    return ok;
}

int utility::get_url_length(const wchar_t* url) {
    wsa_scope wsa;
    if (!wsa.started()) return 0;
    http_request request(net_connection::automatic_resolver, 16384, nullptr);
    request.add_header("User-Agent:ZELPlayer");
    request.add_header("Accept:*/*");
    request.connect(utf::utf16_to_ansi(url).value(), 0, "GET");
    if (request.run() < 0) return 0;
    for (int round = 0; round < 4000; ++round) {
        const int status = request.get_status();
        if (status != 0 && status != 1) break;
        // (A connection that closes before the header block ends fails the
        // request, so this loop never waits on a dead connection.)
        if (request.run() < 0) return 0;
        Sleep(1);
    }
    const char* length = request.get_header("content-length");
    return length ? atoi(length) : 0;
}
