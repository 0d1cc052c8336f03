#pragma once
// net_connection: one non-blocking TCP connection with a send ring and a
// receive ring. The owner calls run() from its own loop; each call resolves,
// connects or moves whatever bytes the socket takes or has at that moment,
// and returns at once.
//
// One thread at a time per object (the one that calls run).
#include <winsock2.h>
#include <windows.h>

class host_resolver;

class net_connection {
public:
    enum state_t { state_error = 0, state_idle = 1, state_resolving = 2, state_connecting = 3,
                   state_connected = 4, state_closed = 6 };

    // The resolver marker that makes the connection create and own a
    // resolver of its own (64 entries).
    static host_resolver* const automatic_resolver;

    // resolver: a resolver the caller keeps alive, or automatic_resolver.
    // The receive ring has at least 4096 bytes.
    net_connection(host_resolver* resolver, int send_size, int receive_size);
    virtual ~net_connection();
    net_connection(const net_connection&) = delete;
    net_connection& operator=(const net_connection&) = delete;

    // Takes a socket that is already connected (no resolver from then on);
    // address (16 bytes) may be null.
    virtual void connect_socket(SOCKET s, const sockaddr* address);
    // One step of the state machine. A negative maximum means the ring's
    // size; sent and received (when not null) get the bytes moved.
    virtual void run(int max_send, int max_receive, int* sent, int* received);
    // Shuts the socket down and closes it, when one is open.
    virtual void close_socket();
    virtual int socket_receive(char* buffer, int length, int flags);
    virtual int socket_send(const char* buffer, int length, int flags);
    virtual int socket_connect();
    // Called once when the connection is established.
    virtual void on_connected() {}

    // Starts connecting: a new non-blocking socket, then resolving.
    void connect(const char* host, int port);
    // The hard close: state closed, socket closed, rings emptied.
    void close();

    // Queues length bytes for sending; -1 (nothing queued) when they do not
    // fit in the free room of the send ring.
    int send(const void* data, int length);
    int send_string(const char* text);
    int send_bytes_free() const { return send_size_ - send_pending_; }

    int recv_bytes_available();
    // Copies min(length, held) bytes from the oldest on; a null buffer only
    // counts. recv_bytes also takes them out of the ring.
    int peek_bytes(void* buffer, int length);
    int recv_bytes(void* buffer, int length);
    // The number of line ends among the held bytes (CR LF and LF CR count
    // once, CR CR and LF LF twice).
    int recv_lines_available();
    // Takes one line into buffer without its line end and terminates it:
    // 0. When max bytes or the held bytes run out first: 1, the bytes taken
    // stay in buffer unterminated. Nothing held: 1.
    int recv_line(char* buffer, int max);

    state_t state() const { return state_; }
    const char* error_text() const { return error_; }
    int receive_size() const { return receive_size_; }

private:
    void fail(const char* text);
    void transfer(int max_send, int max_receive, int* sent, int* received);
    void drop_split_line_end();
    int held_at(int index) const;  // byte index from the oldest held

    SOCKET socket_;
    unsigned short port_;
    char* receive_ring_;
    int receive_size_;
    int receive_write_;
    int receive_held_;
    char* send_ring_;
    int send_size_;
    int send_read_;
    int send_pending_;
    sockaddr_in* address_;
    char host_[256];
    host_resolver* resolver_;
    bool owns_resolver_;
    state_t state_;
    const char* error_;
    // A line that ended in CR as the last held byte: its LF may arrive in a
    // later packet and must not read as an empty line.
    bool split_cr_;
};
