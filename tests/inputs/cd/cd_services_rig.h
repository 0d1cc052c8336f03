#pragma once
// The Audio CD services linked into the test program, over the CD test rig
// (virtual drives on chosen letters behind the real pass-through code):
// the rig also makes the CD input's "ripper free" event, as the start-up
// hook does. The drive table is process-wide and set up once, so a test
// uses one rig and ctest runs each test in a process of its own. A title
// lookup asks a loopback port where nothing listens (a refused connection),
// unless the test points it at a server of its own.
#include <string>
#include <vector>

#include "cd_disc.h"
#include "cd_input.h"
#include "cd_test_rig.h"
#include "cddb_dialog.h"
#include "list_info.h"
#include "stand_in_server.h"
#include "stream.h"

class cd_services_rig : public cd_test_rig {
public:
    cd_services_rig() {
        cd_input::create_ripper_free_event();
        cddb_dialog::set_default_server(L"127.0.0.1", stand_in_server::unused_port());
    }
    ~cd_services_rig() {
        cd_input::close_ripper_free_event();
        cddb_dialog::set_default_server(nullptr, 0);
    }
};

inline list_info cd_entry(const std::wstring& path) {
    list_info e;
    list_info::set_string(e.path, path.c_str());
    return e;
}

// A disc of these tracks ({number, control, start}) and lead-out.
inline virtual_disc cd_disc_of(std::vector<virtual_track> tracks, long lead_out) {
    virtual_disc d;
    d.tracks = std::move(tracks);
    d.lead_out = lead_out;
    return d;
}

// The disc id the player computes for a disc (read from a drive of its own).
unsigned cd_disc_id_of(const virtual_disc& disc);

// Everything an input delivers until it reports the end (at most limit
// bytes), in reads of `step` bytes.
std::vector<unsigned char> cd_read_all(input& in, size_t limit = 200u << 20, int step = 17640);

// A stream that stands for any path and holds nothing: the tag wants one
// but never reads it.
class cd_null_stream final : public stream {
public:
    const GUID* get_guid() override { return &stream::iid; }
    void release() override {}
    bool open(const wchar_t*) override { return true; }
    void close() override {}
    int read(void*, int) override { return 0; }
    int peek(void*, int) override { return 0; }
    int seek(int64_t, int) override { return -1; }
    int64_t length() override { return 0; }
    bool is_seekable() override { return false; }
    int64_t tell() override { return 0; }
    int buffered() override { return 0; }
    bool at_end() override { return true; }
    bool rebuffer() override { return false; }
    bool is_writable() override { return false; }
    void reopen(const wchar_t*) override {}
    int write(const void*, int) override { return 0; }
    void set_length(int) override {}
};
