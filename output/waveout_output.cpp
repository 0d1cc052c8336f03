// The wave-out output's interface operations, and the device list.
#include "waveout_output.h"
#include "waveout_output_impl.h"
#include "sound_device_numbers.h"

#include <mmsystem.h>
#include <dsound.h>
#include <string>

waveout_output::waveout_output(unsigned device_id, int buffer_ms)
    : device_id_(device_id), buffer_ms_(buffer_ms), event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      feeder_(*this) {}

waveout_output::~waveout_output() {
    InterlockedExchange(&stop_, 1);
    if (feeder_.get_handle()) {
        SetEvent(event_);
        WaitForSingleObject(feeder_.get_handle(), INFINITE);
    }
    auto_sync guard(lock_);
    close_device();
    if (event_) CloseHandle(event_);
}

const wchar_t* waveout_output::name() { return L"waveout"; }

int waveout_output::write(const audio_format* format, const void* bytes, int count) {
    auto_sync guard(lock_);
    pcm_format f = pcm_format::from(format);
    if (!format || !f.is_playable() || (count > 0 && !bytes) || !event_) return -1;
    pump();
    if (failed_) return -1;
    if (count <= 0) return 0;
    int frame = f.bytes_per_frame();
    long long capacity = f.bytes_per_second() * buffer_ms_ / 1000;
    capacity -= capacity % frame;
    long long room = capacity - buffered_as(f);
    if (room <= 0) return 0;
    long long take = count;
    if (take > room) take = room - room % frame;
    if (take <= 0) return 0;
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    pending_.push_back(chunk{f, std::vector<unsigned char>(p, p + take), 0});
    pending_bytes_ += take;
    if (!feeder_.get_handle() && !feeder_.create()) failed_ = true;
    pump();
    return failed_ ? -1 : static_cast<int>(take);
}

int waveout_output::get_volume() {
    auto_sync guard(lock_);
    return volume_;
}

void waveout_output::pause(bool paused) {
    auto_sync guard(lock_);
    if (paused == paused_) return;
    paused_ = paused;
    if (handle_) {
        if (paused) waveOutPause(handle_);
        else waveOutRestart(handle_);
    }
    pump();
}

bool waveout_output::is_finished() {
    auto_sync guard(lock_);
    pump();
    return failed_ || (pending_.empty() && queued_bytes() == 0);
}

bool waveout_output::is_paused() {
    auto_sync guard(lock_);
    return paused_;
}

int waveout_output::buffered_bytes() {
    auto_sync guard(lock_);
    pump();
    return failed_ ? 0 : static_cast<int>(buffered());
}

void waveout_output::set_volume(int volume) {
    auto_sync guard(lock_);
    volume_ = volume;
}

void waveout_output::set_mute(bool mute) {
    auto_sync guard(lock_);
    mute_ = mute;
}

void waveout_output::start(double) {}

void waveout_output::seek(double, int) {
    auto_sync guard(lock_);
    drop_all();
}

void waveout_output::finish_track(int) {}

void waveout_output::refresh() {
    auto_sync guard(lock_);
    pump();
}

std::vector<stringx> waveout_device_names() {
    std::vector<stringx> names;
    UINT count = waveOutGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        WAVEOUTCAPSW caps;
        ZeroMemory(&caps, sizeof(caps));
        if (waveOutGetDevCapsW(i, &caps, sizeof(caps)) != MMSYSERR_NOERROR) caps.szPname[0] = L'\0';
        caps.szPname[MAXPNAMELEN - 1] = L'\0';
        names.push_back(stringx(caps.szPname));
    }
    return names;
}

namespace {
BOOL CALLBACK collect_sound_device(GUID*, LPCWSTR description, LPCWSTR, LPVOID context) {
    static_cast<std::vector<stringx>*>(context)->push_back(stringx(description ? description : L""));
    return TRUE;
}
}  // namespace

std::vector<stringx> sound_device_names() {
    std::vector<stringx> names;
    DirectSoundEnumerateW(&collect_sound_device, &names);
    return names;
}

unsigned waveout_id_of(int index) {
    if (index <= 0) return WAVE_MAPPER;
    return waveout_id_of(index, sound_device_names(), waveout_device_names());
}

output* make_waveout_output(unsigned device_id, int buffer_ms) { return new waveout_output(device_id, buffer_ms); }
