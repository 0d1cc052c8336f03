#pragma once
// cd_ripper: the CD extraction layer's function interface, over one
// process-wide extractor. It starts and stops the extractor, chooses the
// current drive (every drive operation works on it), reads and writes that
// drive's settings, reads its table of contents and raw CD-Text, and rips a
// sector range chunk by chunk in 16-bit stereo (2352 bytes a sector, 75
// sectors a second).
//
// No lock of its own: callers serialise every call (the drive table's lock)
// and select the drive they need before each use. Every function answers its
// failure value, touching no drive, while no extractor is available.
#include <cstdint>

#include "cd_drive_settings.h"

namespace cd_ripper {

// Result codes.
constexpr int ok = 0;
constexpr int failed = 1;           // no extractor, or an unsupported mode or setting
constexpr int no_memory = 7;        // no memory for the extractor
constexpr int no_drive = 8;         // the transport found no CD drive that answered
constexpr int no_aspi = 9;          // no ASPI manager library, or it lacks an entry point
constexpr int no_passthrough = 10;  // the SCSI pass-through found no CD drive
constexpr int no_aspi_nt = 12;      // no ASPI manager library, on Windows NT

// rip_chunk results besides ok and failed.
constexpr int chunk_no_match = 3;  // data delivered; no jitter match, or a sector was skipped
constexpr int chunk_end = 4;       // the range is finished, no data

constexpr int transport_aspi = 0;
constexpr int transport_passthrough = 1;

// Starts the extractor over a transport (after ending any earlier one) and
// finds the drives; the first becomes current. 0 or a code above.
int init(int transport);
// Ends the extractor and unloads the transport; 0.
int deinit();

int drive_count();             // 0 without an extractor
void select_drive(int index);  // the low 8 bits become the current index
int current_drive();           // 1 without an extractor
int update_drive();            // clamps the current index, applies its drive type
int set_drive_type(int type);
int get_drive_settings(cd_drive_settings& out);
int set_drive_settings(const cd_drive_settings& settings);

// Opens a rip of the sectors first .. last (at least 10 sectors) by the
// current drive's ripping mode (0 normal, 1 paranoia; any other: 1).
// chunk_bytes := sectors per read x 2352, the most one chunk delivers.
int open_ripper(int& chunk_bytes, unsigned first, unsigned last);
int close_ripper();
// One chunk into buffer (chunk_bytes of the open): 0, 3, 4 or 1. abort is
// read only in paranoia mode (a nonzero value ends the library's reads).
int rip_chunk(unsigned char* buffer, int& bytes, int* abort);

int read_toc();                 // into the current drive's table; 1 without an extractor
int toc_count();                // entries less the lead-out; 0 without an extractor
uint64_t toc_entry(int index);  // start | control << 32 | track number << 40
// Raw CD-Text (READ TOC format 5) when the drive's CD-Text flag is 1.
int read_cd_text(unsigned char* buffer, int size, int& length);

int transport();  // the transport of an available extractor, else 0

}  // namespace cd_ripper
