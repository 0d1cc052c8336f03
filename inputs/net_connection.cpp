#include "net_connection.h"
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "host_resolver.h"

host_resolver* const net_connection::automatic_resolver =
    reinterpret_cast<host_resolver*>(~static_cast<uintptr_t>(0));

net_connection::net_connection(host_resolver* resolver, int send_size, int receive_size)
    : socket_(INVALID_SOCKET),
      port_(0),
      receive_ring_(nullptr),
      receive_size_(receive_size < 4096 ? 4096 : receive_size),
      receive_write_(0),
      receive_held_(0),
      send_ring_(nullptr),
      send_size_(send_size > 0 ? send_size : 8192),
      send_read_(0),
      send_pending_(0),
      address_(nullptr),
      resolver_(resolver),
      owns_resolver_(false),
      state_(state_idle),
      error_(""),
      split_cr_(false) {
    host_[0] = 0;
    receive_ring_ = static_cast<char*>(calloc(receive_size_, 1));
    send_ring_ = static_cast<char*>(calloc(send_size_, 1));
    address_ = static_cast<sockaddr_in*>(calloc(1, sizeof(sockaddr_in)));
    if (resolver == automatic_resolver) {
        resolver_ = new host_resolver(64);
        owns_resolver_ = true;
    }
    if (!receive_ring_ || !send_ring_ || !address_) fail("error allocating memory");
}

net_connection::~net_connection() {
    close_socket();
    free(receive_ring_);
    free(send_ring_);
    free(address_);
    if (owns_resolver_) delete resolver_;
}

void net_connection::fail(const char* text) {
    state_ = state_error;
    error_ = text;
}

void net_connection::connect_socket(SOCKET s, const sockaddr* address) {
    close();
    if (owns_resolver_) delete resolver_;
    resolver_ = nullptr;
    owns_resolver_ = false;
    if (address)
        memcpy(address_, address, sizeof(sockaddr_in));
    else
        memset(address_, 0, sizeof(sockaddr_in));
    if (s == INVALID_SOCKET) {
        fail("invalid socket passed to connect");
        return;
    }
    socket_ = s;
    u_long non_blocking = 1;
    ioctlsocket(socket_, FIONBIO, &non_blocking);
    state_ = state_connected;
}

void net_connection::connect(const char* host, int port) {
    close();
    if (!receive_ring_ || !send_ring_ || !address_) {
        fail("error allocating memory");
        return;
    }
    port_ = static_cast<unsigned short>(port);
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket_ == INVALID_SOCKET) {
        fail("creating socket");
        return;
    }
    u_long non_blocking = 1;
    ioctlsocket(socket_, FIONBIO, &non_blocking);
    strncpy(host_, host ? host : "", sizeof(host_) - 1);
    host_[sizeof(host_) - 1] = 0;
    if (!host_[0]) {
        fail("empty hostname");
        return;
    }
    state_ = state_resolving;
    address_->sin_family = AF_INET;
    address_->sin_port = htons(port_);
    address_->sin_addr.s_addr = inet_addr(host_);
}

void net_connection::close() {
    state_ = state_closed;
    close_socket();
    if (receive_ring_) memset(receive_ring_, 0, receive_size_);
    if (send_ring_) memset(send_ring_, 0, send_size_);
    receive_write_ = receive_held_ = 0;
    send_read_ = send_pending_ = 0;
    split_cr_ = false;
    port_ = 0;
    host_[0] = 0;
    if (address_) {
        address_->sin_family = 0;
        address_->sin_port = 0;
    }
}

void net_connection::close_socket() {
    if (socket_ == INVALID_SOCKET) return;
    shutdown(socket_, SD_BOTH);
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

int net_connection::socket_receive(char* buffer, int length, int flags) {
    return ::recv(socket_, buffer, length, flags);
}

int net_connection::socket_send(const char* buffer, int length, int flags) {
    return ::send(socket_, buffer, length, flags);
}

int net_connection::socket_connect() {
    return ::connect(socket_, reinterpret_cast<const sockaddr*>(address_), sizeof(sockaddr_in));
}

void net_connection::run(int max_send, int max_receive, int* sent, int* received) {
    if (sent) *sent = 0;
    if (received) *received = 0;
    if (state_ == state_resolving) {
        if (address_->sin_addr.s_addr == INADDR_NONE) {
            if (!resolver_) {
                fail("resolving hostname");
                return;
            }
            unsigned long found = INADDR_NONE;
            int answer = resolver_->resolve(host_, &found);
            if (answer == 1) return;
            if (answer != 0) {
                fail("resolving hostname");
                return;
            }
            address_->sin_addr.s_addr = found;
        }
        state_ = state_connecting;
        if (socket_connect() == 0) {
            state_ = state_connected;
            on_connected();
        } else if (WSAGetLastError() != WSAEWOULDBLOCK) {
            fail("connecting to host");
        }
        return;
    }
    if (state_ == state_connecting) {
        fd_set writable, failed, readable;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_ZERO(&readable);
        FD_SET(socket_, &writable);
        FD_SET(socket_, &failed);
        FD_SET(socket_, &readable);
        timeval zero = {0, 0};
        int ready = select(0, &readable, &writable, &failed, &zero);
        if (ready == SOCKET_ERROR) {
            fail("connecting to host (calling select())");
            return;
        }
        if (FD_ISSET(socket_, &failed)) {
            fail("connecting to host");
            return;
        }
        if (!FD_ISSET(socket_, &writable)) return;
        state_ = state_connected;
        on_connected();
    }
    if (state_ == state_connected) transfer(max_send, max_receive, sent, received);
}

void net_connection::transfer(int max_send, int max_receive, int* sent, int* received) {
    int send_budget = max_send < 0 ? send_size_ : max_send;
    int moved = 0;
    // Up to two contiguous pieces: to the end of the ring, then from its start.
    for (int piece = 0; piece < 2 && send_pending_ > 0 && send_budget > 0; ++piece) {
        int length = send_size_ - send_read_;
        if (length > send_pending_) length = send_pending_;
        if (length > send_budget) length = send_budget;
        int n = socket_send(send_ring_ + send_read_, length, 0);
        if (n <= 0) break;  // errors leave the bytes pending
        send_read_ += n;
        send_pending_ -= n;
        send_budget -= n;
        moved += n;
        if (send_read_ >= send_size_) send_read_ = 0;
        if (n < length) break;
    }
    if (sent) *sent = moved;

    int receive_budget = max_receive < 0 ? receive_size_ : max_receive;
    moved = 0;
    for (int piece = 0; piece < 2 && receive_held_ < receive_size_ && receive_budget > 0; ++piece) {
        int length = receive_size_ - receive_write_;
        if (length > receive_size_ - receive_held_) length = receive_size_ - receive_held_;
        if (length > receive_budget) length = receive_budget;
        int n = socket_receive(receive_ring_ + receive_write_, length, 0);
        if (n == 0 || (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK)) {
            state_ = state_closed;  // the held bytes stay readable
            close_socket();
            break;
        }
        if (n < 0) break;
        receive_write_ += n;
        receive_held_ += n;
        receive_budget -= n;
        moved += n;
        if (receive_write_ >= receive_size_) receive_write_ = 0;
        if (n < length) break;
    }
    if (received) *received = moved;
}

int net_connection::send(const void* data, int length) {
    if (length < 0 || length > send_bytes_free() || !send_ring_) return -1;
    const char* bytes = static_cast<const char*>(data);
    int write = (send_read_ + send_pending_) % send_size_;
    int first = send_size_ - write;
    if (first > length) first = length;
    memcpy(send_ring_ + write, bytes, first);
    memcpy(send_ring_, bytes + first, length - first);
    send_pending_ += length;
    return 0;
}

int net_connection::send_string(const char* text) {
    return send(text, text ? static_cast<int>(strlen(text)) : 0);
}

int net_connection::held_at(int index) const {
    int start = receive_write_ - receive_held_;
    if (start < 0) start += receive_size_;
    return static_cast<unsigned char>(receive_ring_[(start + index) % receive_size_]);
}

void net_connection::drop_split_line_end() {
    if (!split_cr_ || receive_held_ == 0) return;
    split_cr_ = false;
    if (held_at(0) == '\n') --receive_held_;
}

int net_connection::recv_bytes_available() {
    drop_split_line_end();
    return receive_held_;
}

int net_connection::peek_bytes(void* buffer, int length) {
    drop_split_line_end();
    int n = length < receive_held_ ? length : receive_held_;
    if (n <= 0) return 0;
    if (buffer) {
        int start = receive_write_ - receive_held_;
        if (start < 0) start += receive_size_;
        int first = receive_size_ - start;
        if (first > n) first = n;
        memcpy(buffer, receive_ring_ + start, first);
        memcpy(static_cast<char*>(buffer) + first, receive_ring_, n - first);
    }
    return n;
}

int net_connection::recv_bytes(void* buffer, int length) {
    int n = peek_bytes(buffer, length);
    receive_held_ -= n;
    return n;
}

int net_connection::recv_lines_available() {
    drop_split_line_end();
    int lines = 0;
    int previous = 0;
    for (int i = 0; i < receive_held_; ++i) {
        int c = held_at(i);
        if (c == '\r' || c == '\n') {
            bool pair = (c == '\r' && previous == '\n') || (c == '\n' && previous == '\r');
            if (!pair) ++lines;
            previous = pair ? 0 : c;
        } else {
            previous = 0;
        }
    }
    return lines;
}

int net_connection::recv_line(char* buffer, int max) {
    drop_split_line_end();
    int taken = 0;
    while (taken < max && receive_held_ > 0) {
        int c = held_at(0);
        --receive_held_;
        if (c == '\r' || c == '\n') {
            if (receive_held_ > 0) {
                int next = held_at(0);
                if ((c == '\r' && next == '\n') || (c == '\n' && next == '\r')) --receive_held_;
            } else {
                split_cr_ = c == '\r';
            }
            buffer[taken] = 0;
            return 0;
        }
        buffer[taken++] = static_cast<char>(c);
    }
    return 1;
}
