#include "cd_socket.h"

#include <ws2tcpip.h>

#include <string>

#include "utf.h"

cd_socket::cd_socket() : socket_(INVALID_SOCKET), started_(false) {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

cd_socket::~cd_socket() {
    close();
    if (started_) WSACleanup();
}

bool cd_socket::create() {
    close();
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    return socket_ != INVALID_SOCKET;
}

bool cd_socket::connect(const wchar_t* host, int port, bool (*give_up)(void*), void* context) {
    if (socket_ == INVALID_SOCKET || !host || !*host || port <= 0 || port > 65535) return false;
    const std::string name = utf::utf16_to_ansi(host).value();
    if (name.empty() || name.size() > static_cast<size_t>(max_host)) return false;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = inet_addr(name.c_str());
    if (address.sin_addr.s_addr == INADDR_NONE) {
        const hostent* entry = gethostbyname(name.c_str());
        if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0]) return false;
        memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof(address.sin_addr));
    }
    u_long non_blocking = 1;
    if (ioctlsocket(socket_, FIONBIO, &non_blocking) != 0) return false;
    bool connected = ::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
        for (;;) {
            fd_set writable, failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(socket_, &writable);
            FD_SET(socket_, &failed);
            timeval slice = {0, 250000};
            const int n = select(0, nullptr, &writable, &failed, &slice);
            if (n == SOCKET_ERROR) break;
            if (n > 0) {
                int error = 0;
                int size = sizeof(error);
                connected = FD_ISSET(socket_, &writable) &&
                            getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
                            error == 0;
                break;
            }
            if (give_up && give_up(context)) break;
        }
    }
    u_long blocking = 0;
    if (ioctlsocket(socket_, FIONBIO, &blocking) != 0) return false;
    return connected;
}

bool cd_socket::send(const char* bytes, int length) {
    return socket_ != INVALID_SOCKET && ::send(socket_, bytes, length, 0) != SOCKET_ERROR;
}

int cd_socket::recv(char* buffer, int size) {
    if (socket_ == INVALID_SOCKET) return SOCKET_ERROR;
    return ::recv(socket_, buffer, size, 0);
}

void cd_socket::close() {
    if (socket_ == INVALID_SOCKET) return;
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

bool cd_socket::readable(bool& ready) {
    ready = false;
    if (socket_ == INVALID_SOCKET) return false;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket_, &set);
    timeval none = {0, 0};
    const int n = select(0, &set, nullptr, nullptr, &none);
    if (n == SOCKET_ERROR) return false;
    ready = n > 0;
    return true;
}
