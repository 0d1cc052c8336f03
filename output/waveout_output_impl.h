#pragma once
// The wave-out output. Written samples wait in the output's queue; a feeder
// thread hands them to the driver in 50 ms blocks, at most six at a time, and
// applies volume and mute as it does, so that a volume change is heard within
// about 300 ms whatever the buffer length. A change of format lets the driver
// drain, then opens the device again with the new format.
//
// The interface operations are in waveout_output.cpp, the driver side (the
// feeder, the blocks, opening and closing the device) in waveout_driver.cpp.
#include <windows.h>
#include <mmsystem.h>
#include <deque>
#include <vector>
#include "critsec.h"
#include "output.h"
#include "pcm_format.h"
#include "thread.h"

class waveout_output : public per_use_component<waveout_output, output> {
public:
    waveout_output(unsigned device_id, int buffer_ms);
    ~waveout_output();

    const wchar_t* name() override;
    int write(const audio_format* format, const void* bytes, int count) override;
    int get_volume() override;
    void pause(bool paused) override;
    bool is_finished() override;
    bool is_paused() override;
    int buffered_bytes() override;
    void set_volume(int volume) override;
    void set_mute(bool mute) override;
    void start(double track_length) override;
    void seek(double target, int fade_ms) override;
    void finish_track(int fade_ms) override;
    void refresh() override;

private:
    static const int slot_count = 6;
    static const int slot_ms = 50;

    struct chunk {
        pcm_format format;
        std::vector<unsigned char> bytes;
        size_t read;
    };
    struct slot {
        WAVEHDR header;
        std::vector<unsigned char> data;
        bool queued;
    };
    class feeder : public thread {
    public:
        explicit feeder(waveout_output& owner) : owner_(owner) {}

    protected:
        void run() override { owner_.feed(); }

    private:
        waveout_output& owner_;
    };

    // waveout_driver.cpp; all but feed() run under lock_.
    void feed();
    void pump();
    void reclaim();
    void drop_all();
    bool submit(slot& s, const pcm_format& f);
    bool open_device(const pcm_format& f);
    void close_device();
    long long queued_bytes() const;
    long long in_driver();
    // Not yet heard, in bytes as written.
    long long buffered() { return pending_bytes_ + in_driver(); }
    // The same duration in bytes of format f.
    long long buffered_as(const pcm_format& f);

    critsec lock_;
    unsigned device_id_;
    int buffer_ms_;
    HANDLE event_;
    HWAVEOUT handle_ = nullptr;
    pcm_format open_format_;
    std::deque<chunk> pending_;
    long long pending_bytes_ = 0;
    slot slots_[slot_count] = {};
    unsigned long long submitted_ = 0;  // to the driver since the device opened or was reset
    bool paused_ = false;
    bool failed_ = false;
    int volume_ = 1000;
    bool mute_ = false;
    volatile LONG stop_ = 0;
    feeder feeder_;
};
