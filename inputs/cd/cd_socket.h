#pragma once
// cd_socket: the one TCP connection of a CDDB command, over Windows
// Sockets. Each object starts Windows Sockets (version 2.2) for itself and
// ends it again, so that nothing stays open between commands.
#include <winsock2.h>

class cd_socket {
public:
    // Host names longer than this (in ANSI bytes) are refused: a site list
    // comes from the server, and no host name is longer.
    static constexpr int max_host = 255;

    cd_socket();
    ~cd_socket();
    cd_socket(const cd_socket&) = delete;
    cd_socket& operator=(const cd_socket&) = delete;

    // A TCP socket; false when none could be made.
    bool create();
    // Connects to a dotted address or a host name (its first address). The
    // connection is awaited in slices of 250 ms; give_up, when given, is
    // asked after each and ends the wait with false when it says so.
    bool connect(const wchar_t* host, int port, bool (*give_up)(void*) = nullptr, void* context = nullptr);
    // One send call of the whole buffer; false on SOCKET_ERROR.
    bool send(const char* bytes, int length);
    // What one recv call returned.
    int recv(char* buffer, int size);
    void close();
    // Whether data (or the peer's close) waits, without waiting; false when
    // the check itself failed.
    bool readable(bool& ready);

private:
    SOCKET socket_;
    bool started_;
};
