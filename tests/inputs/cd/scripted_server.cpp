#include "scripted_server.h"

#include <winsock2.h>

scripted_reply scripted_reply::whole(const std::string& bytes) {
    scripted_reply r;
    r.pieces.push_back({0, bytes});
    return r;
}

scripted_reply scripted_reply::split(const std::string& body, DWORD pause_ms) {
    scripted_reply r;
    r.pieces.push_back({0, http_reply("")});
    r.pieces.push_back({pause_ms, body});
    return r;
}

scripted_reply scripted_reply::drip(const std::string& bytes, size_t size, DWORD pause_ms) {
    scripted_reply r;
    for (size_t at = 0; at < bytes.size(); at += size) r.pieces.push_back({at ? pause_ms : 0, bytes.substr(at, size)});
    return r;
}

scripted_reply scripted_reply::silent(DWORD hold_ms) {
    scripted_reply r;
    r.hold_ms = hold_ms;
    return r;
}

std::string http_reply(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body;
}

scripted_server::scripted_server(std::vector<scripted_reply> replies, int max_seconds)
    : replies_(std::move(replies)), max_ms_(static_cast<DWORD>(max_seconds) * 1000), listener_(INVALID_SOCKET) {
    InitializeCriticalSection(&lock_);
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(address);
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        listen(s, 4) == 0 && getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        listener_ = s;
        port_ = ntohs(address.sin_port);
        thread_ = CreateThread(nullptr, 0, &scripted_server::serve_thread, this, 0, nullptr);
    } else if (s != INVALID_SOCKET) {
        closesocket(s);
    }
}

scripted_server::~scripted_server() {
    SetEvent(stop_);
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    CloseHandle(stop_);
    DeleteCriticalSection(&lock_);
    WSACleanup();
}

std::vector<std::string> scripted_server::requests() const {
    EnterCriticalSection(&lock_);
    std::vector<std::string> copy = requests_;
    LeaveCriticalSection(&lock_);
    return copy;
}

DWORD WINAPI scripted_server::serve_thread(void* self) {
    static_cast<scripted_server*>(self)->serve();
    return 0;
}

bool scripted_server::wait(DWORD ms) const { return WaitForSingleObject(stop_, ms) == WAIT_TIMEOUT; }

void scripted_server::serve() {
    const DWORD started = GetTickCount();
    size_t served = 0;
    while (GetTickCount() - started < max_ms_ && wait(0)) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(listener_, &set);
        timeval tick = {0, 50000};
        if (select(0, &set, nullptr, nullptr, &tick) <= 0) continue;
        SOCKET connection = accept(listener_, nullptr, nullptr);
        if (connection == INVALID_SOCKET) continue;
        // The request: up to its blank line, at most 64 KiB, within 5 s.
        std::string request;
        const DWORD reading = GetTickCount();
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 &&
               GetTickCount() - reading < 5000 && wait(0)) {
            fd_set in;
            FD_ZERO(&in);
            FD_SET(connection, &in);
            timeval t = {0, 50000};
            if (select(0, &in, nullptr, nullptr, &t) <= 0) continue;
            char buffer[4096];
            const int n = recv(connection, buffer, sizeof(buffer), 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<size_t>(n));
        }
        EnterCriticalSection(&lock_);
        requests_.push_back(request);
        LeaveCriticalSection(&lock_);
        if (!replies_.empty()) answer(connection, replies_[served < replies_.size() ? served : replies_.size() - 1]);
        ++served;
        shutdown(connection, SD_BOTH);
        closesocket(connection);
    }
}

void scripted_server::answer(UINT_PTR connection, const scripted_reply& reply) {
    for (const scripted_piece& piece : reply.pieces) {
        if (piece.pause_ms && !wait(piece.pause_ms)) return;
        size_t sent = 0;
        while (sent < piece.bytes.size()) {
            const int n = send(connection, piece.bytes.data() + sent, static_cast<int>(piece.bytes.size() - sent), 0);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
    }
    if (reply.hold_ms) wait(reply.hold_ms);
}
