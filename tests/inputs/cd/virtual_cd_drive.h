#pragma once
// A CD drive in memory for the tests of the CD extraction layer: it answers
// the SCSI commands the extractor sends (INQUIRY, READ TOC formats 0 and 5,
// the read commands of every read method, MODE SELECT, SET CD SPEED, PREVENT
// ALLOW MEDIUM REMOVAL) from a synthetic disc, and logs every command.
//
// Every byte of the disc's audio reveals where it came from: in the frame of
// absolute number n (sector x 588 + frame in the sector) the left sample is
// the low 16 bits of n and the right sample (the high 16 bits of n) ^ 0x5A5A
// ^ the drive's salt, both little-endian. A run of bytes thus tells its
// position, its channel order, its byte order and its drive. Data tracks are
// filled with 0xAA.
//
// Knobs: jitter (every read after the first starts k x 4 bytes off, k from a
// seeded sequence), unreadable sectors (CHECK CONDITION, medium error), no
// medium, big-endian samples.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

struct virtual_track {
    int number;
    unsigned char control;  // 4 = data
    long start;
};

struct virtual_disc {
    std::vector<virtual_track> tracks;
    long lead_out = 0;
    std::vector<unsigned char> cd_text;  // raw 18-byte packs; empty: the disc has none

    // n audio tracks of the given length each, the first at sector 0.
    static virtual_disc audio(int n, long sectors_each);
    // True when the sector lies in an audio track of the disc.
    bool is_audio(long sector) const;
};

struct scsi_command {
    std::vector<BYTE> cdb;
    int direction;  // SCSI_IOCTL_DATA_IN, _OUT or _UNSPECIFIED
    DWORD length;
    std::vector<BYTE> data_out;
};

class virtual_cd_drive {
public:
    std::string vendor = "ZELTEST ";
    std::string product = "VIRTUAL CD-ROM  ";
    int device_type = 5;
    unsigned short salt = 0;
    bool medium = true;
    virtual_disc disc = virtual_disc::audio(3, 2000);

    int jitter_steps = 0;   // |k| at most this; 0 = no jitter
    unsigned seed = 12345;  // of the jitter sequence
    std::set<long> bad_sectors;
    bool big_endian = false;

    std::vector<scsi_command> log;
    int reads = 0;  // read commands served
    int block_size = 2048;

    // One command: the SCSI status (0 GOOD, 2 CHECK CONDITION) with sense
    // data for a CHECK CONDITION.
    BYTE execute(const BYTE* cdb, int cdb_length, int direction, void* data, DWORD length, BYTE* sense,
                 int sense_length);

    // The disc's bytes from an absolute byte offset (sector x 2352 + byte),
    // as a drive of this salt delivers them with no jitter.
    void disc_bytes(long long offset, unsigned char* out, size_t n) const;
    std::vector<unsigned char> sectors(long first, long count) const;

    // The logged commands with this opcode.
    std::vector<scsi_command> commands(BYTE opcode) const;

private:
    BYTE read(const BYTE* cdb, int cdb_length, void* data, DWORD length, BYTE* sense, int sense_length);
    int next_jitter();
};

// The audio bytes of a salt from an absolute byte offset (no disc layout).
void cd_pattern_bytes(unsigned short salt, long long offset, unsigned char* out, size_t n);
