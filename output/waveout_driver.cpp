// The driver side of the wave-out output: the feeder thread, the blocks in
// the driver, and opening and closing the device.
#include "waveout_output_impl.h"
#include <mmreg.h>
#include "pcm_volume.h"

void waveout_output::feed() {
    while (!stop_) {
        WaitForSingleObject(event_, 20);
        auto_sync guard(lock_);
        pump();
    }
}

long long waveout_output::queued_bytes() const {
    long long n = 0;
    for (const slot& s : slots_)
        if (s.queued) n += s.header.dwBufferLength;
    return n;
}

// What the driver holds past its play position.
long long waveout_output::in_driver() {
    long long held = queued_bytes();
    if (handle_ && held > 0) {
        MMTIME time;
        time.wType = TIME_BYTES;
        if (waveOutGetPosition(handle_, &time, sizeof(time)) == MMSYSERR_NOERROR && time.wType == TIME_BYTES) {
            // Both counters wrap at 4 GB; their difference does not.
            DWORD ahead = static_cast<DWORD>(submitted_) - time.u.cb;
            if (static_cast<long long>(ahead) < held) held = ahead;
        }
    }
    return held;
}

long long waveout_output::buffered_as(const pcm_format& f) {
    long long n = 0;
    for (const chunk& c : pending_)
        n += same_duration_bytes(static_cast<long long>(c.bytes.size() - c.read), c.format, f);
    if (handle_) n += same_duration_bytes(in_driver(), open_format_, f);
    return n;
}

void waveout_output::reclaim() {
    for (slot& s : slots_) {
        if (s.queued && (s.header.dwFlags & WHDR_DONE)) {
            waveOutUnprepareHeader(handle_, &s.header, sizeof(WAVEHDR));
            s.queued = false;
        }
    }
}

// Drops the queue and what the driver holds; the device stays open.
void waveout_output::drop_all() {
    pending_.clear();
    pending_bytes_ = 0;
    if (!handle_) return;
    waveOutReset(handle_);
    reclaim();
    submitted_ = 0;
    if (paused_) waveOutPause(handle_);
}

// Moves queued samples to the driver; opens the device when needed.
void waveout_output::pump() {
    if (handle_) reclaim();
    if (failed_ || paused_) return;
    while (!pending_.empty()) {
        const pcm_format f = pending_.front().format;
        if (!handle_ || f != open_format_) {
            if (handle_ && queued_bytes() > 0) return;  // the old format drains first
            if (!open_device(f)) {
                failed_ = true;
                return;
            }
        }
        slot* free_slot = nullptr;
        for (slot& s : slots_) {
            if (!s.queued) {
                free_slot = &s;
                break;
            }
        }
        if (!free_slot) return;
        if (!submit(*free_slot, f)) {
            failed_ = true;
            return;
        }
    }
}

bool waveout_output::submit(slot& s, const pcm_format& f) {
    size_t limit = static_cast<size_t>(f.bytes_per_second() * slot_ms / 1000);
    limit -= limit % f.bytes_per_frame();
    if (limit == 0) limit = f.bytes_per_frame();
    s.data.clear();
    while (!pending_.empty() && pending_.front().format == f && s.data.size() < limit) {
        chunk& c = pending_.front();
        size_t n = c.bytes.size() - c.read;
        if (n > limit - s.data.size()) n = limit - s.data.size();
        s.data.insert(s.data.end(), c.bytes.begin() + c.read, c.bytes.begin() + c.read + n);
        c.read += n;
        pending_bytes_ -= n;
        if (c.read == c.bytes.size()) pending_.pop_front();
    }
    apply_volume(f, s.data.data(), static_cast<int>(s.data.size()), volume_, mute_);
    ZeroMemory(&s.header, sizeof(s.header));
    s.header.lpData = reinterpret_cast<LPSTR>(s.data.data());
    s.header.dwBufferLength = static_cast<DWORD>(s.data.size());
    if (waveOutPrepareHeader(handle_, &s.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
    if (waveOutWrite(handle_, &s.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(handle_, &s.header, sizeof(WAVEHDR));
        return false;
    }
    s.queued = true;
    submitted_ += s.data.size();
    return true;
}

// WAVE_FORMAT_EXTENSIBLE for more than two channels or more than 16 integer
// bits, plain WAVEFORMATEX otherwise or when the driver refuses the former.
bool waveout_output::open_device(const pcm_format& f) {
    close_device();
    WAVEFORMATEXTENSIBLE wf;
    ZeroMemory(&wf, sizeof(wf));
    wf.Format.wFormatTag = static_cast<WORD>(f.format_tag);
    wf.Format.nChannels = static_cast<WORD>(f.channels);
    wf.Format.nSamplesPerSec = static_cast<DWORD>(f.sample_rate);
    wf.Format.nAvgBytesPerSec = static_cast<DWORD>(f.bytes_per_second());
    wf.Format.nBlockAlign = static_cast<WORD>(f.bytes_per_frame());
    wf.Format.wBitsPerSample = static_cast<WORD>(f.bits_per_sample);
    const DWORD_PTR callback = reinterpret_cast<DWORD_PTR>(event_);
    MMRESULT result = MMSYSERR_ERROR;
    if (f.channels > 2 || f.bits_per_sample > (f.format_tag == 3 ? 32 : 16)) {
        WAVEFORMATEXTENSIBLE ex = wf;
        ex.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
        ex.Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
        ex.Samples.wValidBitsPerSample = static_cast<WORD>(f.bits_per_sample);
        ex.dwChannelMask = f.channel_mask ? static_cast<DWORD>(f.channel_mask) : default_channel_mask(f.channels);
        ex.SubFormat = GUID{static_cast<unsigned long>(f.format_tag), 0x0000, 0x0010,
                            {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
        result = waveOutOpen(&handle_, device_id_, &ex.Format, callback, 0, CALLBACK_EVENT);
    }
    if (result != MMSYSERR_NOERROR) result = waveOutOpen(&handle_, device_id_, &wf.Format, callback, 0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR) {
        handle_ = nullptr;
        return false;
    }
    open_format_ = f;
    submitted_ = 0;
    return true;
}

void waveout_output::close_device() {
    if (!handle_) return;
    waveOutReset(handle_);
    for (slot& s : slots_) {
        if (s.queued) {
            waveOutUnprepareHeader(handle_, &s.header, sizeof(WAVEHDR));
            s.queued = false;
        }
    }
    waveOutClose(handle_);
    handle_ = nullptr;
}
