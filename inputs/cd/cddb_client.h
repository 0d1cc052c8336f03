#pragma once
// cddb_client: the CDDB protocol over HTTP/1.0. It asks a server for its
// mirror sites, its status, the matches of a disc (by CDDB disc id and
// track offsets) and the xmcd record of a match. Every command is one GET
// request, without a Host or any other header, on a connection of its own;
// the reply is read until the CDDB terminator "\r\n.\r\n" (a query also
// ends at a one-line reply) and the HTTP status line and headers are
// skipped unread.
//
// One client serves one lookup on the lookup thread; every call blocks until
// its reply has come or failed. Failures are false, never retried: a server
// that cannot be reached, 3 s without a byte (the clock restarts with every
// byte), a connection closed before the reply ended, a reply larger than
// max_reply, or a status code the command does not take. A deadline bounds
// all the commands of a lookup together (a server that sends a byte now and
// then would otherwise hold it for ever), and cancel, from any thread, makes
// the command under way and every later one fail within about 250 ms.
#include <atomic>
#include <string>
#include <vector>

#include "cddb_disc.h"

class cd_socket;

struct cddb_site {
    std::wstring host;
    int port = 80;
    std::wstring path = L"/~cddb/cddb.cgi";
    int north = 1;      // 1 N, 0 S
    int latitude = 0;   // degrees x 60 + minutes
    int east = 1;       // 1 E, 0 W
    int longitude = 0;  // degrees x 60 + minutes
    std::wstring description;
};

struct cddb_match {
    std::wstring category;
    unsigned disc_id = 0;
    std::wstring artist;  // before the " / " of the title line; empty without one
    std::wstring title;
};

struct msf_time {
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
};

class cddb_client {
public:
    static constexpr size_t max_reply = 1u << 20;  // bytes of one reply

    cddb_client() = default;
    virtual ~cddb_client() = default;
    cddb_client(const cddb_client&) = delete;
    cddb_client& operator=(const cddb_client&) = delete;

    // "hello=<user>+<host>+CDDB+1.23&proto=<level>".
    virtual std::wstring hello();
    // The Windows user name with every character that is not a letter or a
    // digit made "_"; "Unknown" when it cannot be read.
    virtual std::wstring user_name();
    // The machine's host name, likewise.
    virtual std::wstring host_name();
    // Reads one reply into reply: until the terminator (cut off), or in mode
    // 1 until the first line of the body when its status code is not 210 to
    // 219. False on silence, a close before the end, or an oversized reply.
    virtual bool receive(cd_socket& socket, const char* terminator, int chunk, int mode, std::string& reply);

    void set_proto_level(int level) { proto_level_ = level; }
    int proto_level() const { return proto_level_; }

    // The http sites of the server's list, in reply order (true with none).
    bool sites(std::vector<cddb_site>& out, const cddb_site& server);
    bool sites_at(std::vector<cddb_site>& out, const wchar_t* host, const wchar_t* path, int port);
    bool stat(const cddb_site& site);
    // toc: one address per track, then the lead-out. True with at least one
    // match, in reply order.
    bool query(const cddb_site& site, unsigned disc_id, const std::vector<msf_time>& toc,
               std::vector<cddb_match>& out);
    // The record of a match, its disc_id set to the one asked for.
    bool read(const cddb_site& site, unsigned disc_id, const cddb_match& match, cddb_disc& out);

    // The command of a query: "cddb+query+<id>+<count>+<offsets>+<seconds>";
    // empty for a table without a track.
    static std::wstring query_command(unsigned disc_id, const std::vector<msf_time>& toc);

    // Parsers of the reply bodies (after the HTTP header).
    static bool parse_site(const std::string& line, cddb_site& out);
    static bool parse_match(const std::string& line, cddb_match& out);
    static bool parse_query(const char* body, std::vector<cddb_match>& out);
    static bool parse_sites(const char* body, std::vector<cddb_site>& out);
    // A text with every character that is not a letter or digit made "_",
    // "Unknown" for an empty one.
    static std::wstring hello_word(const std::wstring& text);

    int timeout_ms = 3000;  // idle time of a reply

    // From now on, every command fails once limit_ms have passed.
    void set_deadline(unsigned long limit_ms);
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    // Cancelled, or past the deadline.
    bool stopped() const;

private:
    // One command on a connection of its own; body is the reply after the
    // HTTP header.
    bool exchange(const cddb_site& site, const std::wstring& command, int mode, std::string& body);

    std::atomic<bool> cancelled_{false};
    bool has_deadline_ = false;
    unsigned long deadline_ = 0;  // a tick count
    int proto_level_ = 6;
    const wchar_t* client_name_ = L"CDDB";
    const wchar_t* client_version_ = L"1.23";
};
