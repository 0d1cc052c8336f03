#pragma once
// cd_input: the input of audio CD tracks. The playback engine opens one for
// an entry whose path is a CD track name ("cdda://%02u|%08X|%c.cda") and
// pulls 16-bit stereo samples at 44100 Hz from it: the input finds the disc
// in the named drive, rips the track through the extraction layer chunk by
// chunk with jitter correction, and hands the bytes on through a queue, so
// the drive is read only as fast as the engine asks.
//
// Only one CD track rips at a time in the whole process: an input holds the
// process-wide "ripper free" event from its open to its close, and a second
// input's open waits up to 10 s for it. The media-change hook creates the
// event at start-up and closes it at the end.
//
// open, read, seek and close run on the entry's playback thread; each takes
// the drive table's lock for its calls into the extraction layer, never
// while it waits for the event.
#include "byte_fifo.h"
#include "cd_drive_table.h"
#include "input.h"
#include "mem_chunk.h"

class cd_disc;

class cd_input : public per_use_component<cd_input, input> {
public:
    cd_input();
    ~cd_input() override;
    cd_input(const cd_input&) = delete;
    cd_input& operator=(const cd_input&) = delete;

    bool open(stream* source, list_info* info) override;
    void close() override;
    void seek(double seconds) override;
    audio_format* get_format(audio_format* format) override;
    int read(void* buffer, int bytes) override;
    double position() override;
    bool busy() override { return false; }
    bool accepts_content_type(const wchar_t*) override { return false; }
    bool accepts(stream* source, const wchar_t* path) override;

    // The process-wide event (auto-reset, created signalled).
    static void create_ripper_free_event();
    static void close_ripper_free_event();

private:
    bool open_locked(list_info* info);
    void fail_open();

    audio_format format_;
    double position_ = 0.0;
    long long delivered_ = 0;  // bytes from the track start to the rip's next byte
    mem_chunk<unsigned char> chunk_;
    byte_fifo fifo_;
    cd_disc* disc_ = nullptr;
    int drive_ = -1;  // the drive index of the disc
    int track_ = 0;
    int start_sector_ = 0;
    int last_sector_ = 0;
    long long total_bytes_ = 0;
    bool finished_ = true;
    bool ripper_open_ = false;
    cd_drive_table::extractor_hold hold_;
};
