#pragma once
// cd_disc: the table of contents of the disc in one drive, read through the
// extraction layer from the drive that is current there: one cd_disc_track
// per track plus the lead-out, each with default titles, and the two disc
// identifiers computed from it: disc_id, by which the player recognises a
// disc (the identifier Windows writes into a track's ".cda" file), and
// cddb_id, the CDDB disc id.
//
// Addresses are logical blocks (sectors) without the 150-sector lead-in; 75
// sectors make a second. No lock of its own: the drive table's lock covers
// every use.
#include <vector>

#include "cd_track_record.h"

class cd_disc_track {
public:
    cd_disc_track() = default;
    virtual ~cd_disc_track() = default;
    cd_disc_track(const cd_disc_track&) = default;
    cd_disc_track& operator=(const cd_disc_track&) = default;

    // Bit 2 of the control bits marks a data track.
    bool is_audio() const { return (control & 4) == 0; }

    int start_sector = 0;
    unsigned char control = 0;       // ADR and control of the table entry
    unsigned char track_number = 0;  // 0xAA for the lead-out
    cd_track_record record;
};

class cd_disc {
public:
    static constexpr unsigned char lead_out_number = 0xAA;
    static constexpr int sector_bytes = 2352;  // of audio: 588 stereo frames

    cd_disc() = default;
    virtual ~cd_disc() = default;
    cd_disc(const cd_disc&) = delete;
    cd_disc& operator=(const cd_disc&) = delete;

    // Takes over another disc's table of contents, identifiers and records:
    // a copy that a lookup can read while the drive table is not locked.
    void copy_table_from(const cd_disc& other);

    // Reads the current drive's table of contents. False (no entries, both
    // identifiers 0) when the drive gives none.
    bool read_toc();

    // Tracks without the lead-out; a negative count of the extraction layer
    // stays here, so loops over the tracks do nothing.
    int track_count() const { return track_count_; }
    // The entry at index 0 .. track_count (the lead-out); an empty entry
    // outside that range.
    const cd_disc_track& track(int index) const;
    // Index of the track (not the lead-out) with this number, -1 when none.
    int index_of_track(int number) const;
    unsigned disc_id() const { return disc_id_; }
    unsigned cddb_id() const { return cddb_id_; }

    // Last sector of the track with this number, 0 when no track has it.
    int track_end_sector(int number) const;
    // Sectors of the track with this number (its start to its end sector),
    // 0 when no track has it.
    int track_sectors(int number) const;

    // The identifiers of a table (entries with the lead-out last, tracks the
    // count without it); the rules of read_toc.
    static unsigned compute_disc_id(const std::vector<cd_disc_track>& entries, int tracks);
    static unsigned compute_cddb_id(const std::vector<cd_disc_track>& entries, int tracks);

    // Reads the CD-Text of the disc in the current drive and puts its album
    // title, performers and track titles into the entries' records. True
    // when the drive delivered CD-Text (at least its 4-byte header),
    // whatever the packs held; false leaves the records as they were.
    bool read_cd_text();
    // The same from raw READ TOC format 5 bytes (header and packs).
    void apply_cd_text(const unsigned char* data, int length);

private:
    int track_count_ = 0;
    unsigned cddb_id_ = 0;
    unsigned disc_id_ = 0;
    std::vector<cd_disc_track> tracks_;
};
