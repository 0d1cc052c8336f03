#pragma once
// The CD extraction layer's one object: the drives found, their tables of
// contents, the SCSI requests to the current drive and the open rip. Only
// the cd_ripper functions use it; they keep the one instance.
//
// No lock: every caller holds the drive table's lock, and at most one rip
// is open at a time.
#include <windows.h>

#include <vector>

#include "cd_drive_settings.h"

constexpr int cd_sector_bytes = 2352;

// One drive's table of contents: up to 500 entries; the last one read is the
// lead-out (track number 0xAA).
struct cd_toc {
    static constexpr int max_entries = 500;
    int count = 0;
    unsigned char control[max_entries] = {};
    unsigned char track[max_entries] = {};
    unsigned int start[max_entries] = {};
};

class cd_paranoia_session;

class cd_extractor {
public:
    cd_extractor() = default;
    ~cd_extractor();
    cd_extractor(const cd_extractor&) = delete;
    cd_extractor& operator=(const cd_extractor&) = delete;

    int current = 0;
    std::vector<cd_drive_settings> drives;
    std::vector<cd_toc> tocs;
    int transport = 0;
    unsigned char adapter_count = 0;
    unsigned char last_status = 1;
    DWORD request_timeout_ms = 10000;
    bool use_passthrough = false;
    bool available = false;

    // The current drive exists (the index lies inside the drive list).
    bool has_current() const { return current >= 0 && current < static_cast<int>(drives.size()); }
    cd_drive_settings& drive() { return drives[current]; }
    void clamp_current();

    // Drive scan: INQUIRY to every target and LUN of every host adapter;
    // CD-ROM and write-once devices become drives.
    void scan();
    void add_drive(const char* name, unsigned char adapter, unsigned char target, unsigned char lun);

    // SCSI requests to the current drive (send_to: to any address). The
    // result is the request block's status (1 = completed, 2 = timed out).
    BYTE send_request(bool data_in, const BYTE* cdb, int cdb_length, void* data, DWORD length);
    BYTE send_to(int adapter, int target, int lun, bool data_in, const BYTE* cdb, int cdb_length, void* data,
                 DWORD length);

    // Drive commands.
    void read_toc();
    int read_cd_text(unsigned char* buffer, int size, int& length);
    void mode_select_block_size(int size);
    void set_speed(int speed);
    void lock_medium(bool lock);
    bool read_sectors(unsigned char* buffer, int buffer_bytes, long start, int count);

    // Ripping: open (0 or 1), chunks (0, 3, 4 or 1), close.
    int open_rip(unsigned first, unsigned last, bool paranoia);
    // The drive of the open rip and its mode: chunks and the close go to
    // that drive, whichever is current meanwhile.
    int rip_drive() const { return rip_.drive; }
    bool rip_paranoia() const { return rip_.paranoia_mode; }
    int rip_chunk_normal(unsigned char* out, int* bytes);
    int rip_chunk_paranoia(unsigned char* out, int* bytes, int* abort);
    void close_rip();
    bool rip_open() const { return rip_.open; }

    // libcdparanoia's reader: count sectors from first into buffer (scratch
    // memory when null). count, -1 after a failed read, -999 when aborted.
    long paranoia_read_callback(void* buffer, long first, long count);

private:
    struct rip_state {
        bool open = false;
        int drive = 0;
        bool paranoia_mode = false;
        long first_sector = 0;
        long end_sector = 0;
        long cursor = 0;
        int chunk_sectors = 0;
        int buffer_bytes = 0;
        std::vector<unsigned char> read_buffer;
        std::vector<unsigned char> overlap_buffer;
        long long bytes_left = 0;
        bool first_chunk = true;
        long sectors_left = 0;
        int open_speed = 0;
        cd_paranoia_session* paranoia = nullptr;
        int* abort_flag = nullptr;
    };

    void spin_up();
    void reseek(long sector);
    int overlap_search(int chunk_bytes, bool& matched);

    rip_state rip_;
    std::vector<unsigned char> scratch_;
};

// The read command of a read method (0-9; any other: opcode 0) for count
// sectors from lba; returns the command length (10 or 12).
int cd_read_command(int read_method, int lun, unsigned long lba, int count, BYTE cdb[12]);
