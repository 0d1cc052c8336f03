#pragma once
// The settings record of one CD drive: its name and SCSI address and the
// options that decide how it is read. A drive type selects a row of a fixed
// table of command-level options for a family of drives; type 19 (custom)
// leaves them as they were set.
#include <vector>

struct cd_drive_settings {
    char drive_name[256];
    int sectors_per_read;   // sectors per read command and per rip chunk
    int overlap_sectors;    // sectors each chunk re-reads from the previous one
    int compare_sectors;    // sectors of the previous chunk's end searched for
    int offset_start;       // sectors added to the first sector of a rip
    int offset_end;         // sectors added to the end of a rip
    int speed;              // read speed factor; 0 or less: no speed command
    int spin_up_seconds;    // how long the first chunk re-reads the first sector
    int jitter_correction;  // overlap reads with jitter correction (normal mode)
    int swap_channels;      // exchange the two samples of every frame
    int drive_type;         // row of the drive-type table; 19 = custom
    int read_method;        // read command form 0-9
    int speed_method;       // 1 SET CD SPEED, 2 a MODE SELECT page, 4 and 5 with the block size
    int endian;             // 1 = samples as read, 0 = swap the bytes of every sample
    int enable_mode;        // 2352-byte blocks for a rip, 2048 after it
    int density;            // density code sent with the 2352-byte block size
    int atapi;              // 1 = MODE SELECT(10), 0 = MODE SELECT(6)
    unsigned char target;   // SCSI target id
    unsigned char adapter;  // index into the transport's host-adapter list
    unsigned char lun;      // SCSI logical unit
    int read_retry;         // above 0: one recovery read after a failed read
    int lock_tray;          // prevent medium removal while a rip is open
    int ripping_mode;       // 0 = normal, 1 = paranoia
    int paranoia_level;     // selects the paranoia library's mode
    int cd_text;            // 1 = the drive's CD-Text may be read
};

constexpr int cd_drive_type_custom = 19;

// A record with every default ("DONTKNOW", 26 sectors per read, ...).
cd_drive_settings cd_default_drive_settings();

// Applies the drive-type table row of s.drive_type to s.
void cd_apply_drive_type(cd_drive_settings& s);

// The record of a newly found drive: the defaults with its name and
// address. A name that earlier drives' names already contain gets the count
// of those drives appended as "(%d)".
cd_drive_settings cd_new_drive_settings(const char* name, const std::vector<cd_drive_settings>& earlier,
                                        unsigned char adapter, unsigned char target, unsigned char lun);
