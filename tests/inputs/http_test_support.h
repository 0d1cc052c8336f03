#pragma once
// Helpers of the HTTP client tests: Windows Sockets for the test's life, and
// loops that drive a request the way its owners do. Every loop is bounded by
// a guard far beyond the client's own bounds, so that a client that hangs
// fails the test instead of stopping the test run.
#include <winsock2.h>
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "http_request.h"
#include "net_connection.h"
#include "stand_in_server.h"

class wsa_session {
public:
    wsa_session() { started_ = WSAStartup(MAKEWORD(1, 1), &data_) == 0; }
    ~wsa_session() {
        if (started_) WSACleanup();
    }
    bool started() const { return started_; }

private:
    WSADATA data_;
    bool started_;
};

// How a request ended when driven until its body starts.
enum class drive_end { body, failed, closed_early, guard };

// Calls run() until the body starts, the request fails or the guard passes.
inline drive_end drive_to_body(http_request& request, DWORD guard_ms = 30000) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < guard_ms) {
        int rc = request.run();
        if (request.get_status() == 2) return drive_end::body;
        if (rc < 0) return drive_end::failed;
        if (rc == 1) return drive_end::closed_early;
        Sleep(1);
    }
    return drive_end::guard;
}

// Takes the body until the peer has closed and nothing is held any more.
inline std::string read_body(http_request& request, DWORD guard_ms = 30000) {
    std::string body;
    char buffer[4096];
    const DWORD start = GetTickCount();
    bool closed = false;
    while (GetTickCount() - start < guard_ms) {
        int n = request.get_bytes(buffer, sizeof(buffer));
        if (n > 0) {
            body.append(buffer, n);
            continue;
        }
        if (closed) break;
        int rc = request.run();
        if (rc < 0) break;
        if (rc == 1) closed = true;
        else Sleep(1);
    }
    return body;
}

inline std::string local_url(int port, const std::string& rest) {
    return "http://127.0.0.1:" + std::to_string(port) + rest;
}

// A test with Windows Sockets started and a stand-in server listening.
class with_stand_in_server : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wsa_.started());
        ASSERT_TRUE(server_.start()) << server_.error();
    }
    std::string url(const std::string& rest) const { return local_url(server_.port(), rest); }

    wsa_session wsa_;
    stand_in_server server_;
};
