// The WAV-file output: every byte taken goes to the file as given; a
// simulated device buffer on a private clock paces the writer like a sound
// card would.
#include <cstdlib>
#include <map>
#include "critsec.h"
#include "output.h"
#include "sim_device.h"
#include "wav_file_output.h"
#include "wav_writer.h"

namespace {
std::wstring environment(const wchar_t* name) {
    wchar_t value[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    return std::wstring(value, n);
}

class wav_file_output : public per_use_component<wav_file_output, output> {
public:
    wav_file_output(const std::wstring& path, int buffer_ms, double speed)
        : base_(path), unpaced_(speed <= 0.0), clock_(paced_clock(speed)),
          buffer_(buffer_ms, clock_.now_us(), unpaced_) {}

    const wchar_t* name() override { return L"wavfile"; }

    int write(const audio_format* format, const void* bytes, int count) override {
        auto_sync guard(lock_);
        pcm_format f = pcm_format::from(format);
        if (failed_ || !format || !f.is_playable() || (count > 0 && !bytes)) return -1;
        update();
        if (count <= 0) return 0;
        int taken = buffer_.accept(f, count);
        if (taken <= 0) return taken;
        if (!writer_.is_open() || writer_.format() != f) {
            writer_.close();
            if (!writer_.open(claim_wav_path(base_), f)) failed_ = true;
        }
        if (failed_ || !writer_.append(bytes, taken)) {
            failed_ = true;
            return -1;
        }
        return taken;
    }

    int get_volume() override { return volume_; }

    void pause(bool paused) override {
        auto_sync guard(lock_);
        update();
        buffer_.set_paused(paused);
    }

    bool is_finished() override {
        auto_sync guard(lock_);
        update();
        return buffer_.buffered() == 0;
    }

    bool is_paused() override {
        auto_sync guard(lock_);
        return buffer_.is_paused();
    }

    int buffered_bytes() override {
        auto_sync guard(lock_);
        update();
        return static_cast<int>(buffer_.buffered());
    }

    void set_volume(int volume) override { volume_ = volume; }
    void set_mute(bool) override {}
    void start(double) override {}

    void seek(double, int) override {
        auto_sync guard(lock_);
        update();
        buffer_.flush();
    }

    void finish_track(int) override {
        auto_sync guard(lock_);
        writer_.update_header();
    }

    void refresh() override {}

private:
    static sim_clock paced_clock(double speed) {
        sim_clock clock;
        if (speed > 0.0) clock.set_auto(speed);
        return clock;
    }

    void update() { buffer_.run_until(clock_.now_us(), false); }

    critsec lock_;
    std::wstring base_;
    bool unpaced_;
    sim_clock clock_;
    sim_device buffer_;
    wav_writer writer_;
    bool failed_ = false;
    int volume_ = 1000;
};

critsec& path_lock() {
    static critsec lock;
    return lock;
}
}  // namespace

std::wstring wav_output_path() {
    std::wstring path = environment(L"ZEL_OUTPUT_WAV");
    if (!path.empty()) return path;
    wchar_t folder[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, folder);
    std::wstring base = (n > 0 && n < MAX_PATH) ? std::wstring(folder, n) : std::wstring(L".\\");
    if (base.back() != L'\\') base += L'\\';
    return base + L"zel_output.wav";
}

double wav_output_speed() {
    std::wstring text = environment(L"ZEL_OUTPUT_WAV_SPEED");
    if (text.empty()) return 1.0;
    wchar_t* end = nullptr;
    double speed = wcstod(text.c_str(), &end);
    if (end == text.c_str()) return 1.0;
    return speed;
}

std::wstring claim_wav_path(const std::wstring& base) {
    static std::map<std::wstring, int> files;
    int number;
    {
        auto_sync guard(path_lock());
        number = ++files[base];
    }
    if (number == 1) return base;
    size_t slash = base.find_last_of(L"\\/");
    size_t dot = base.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) dot = base.size();
    return base.substr(0, dot) + L"-" + std::to_wstring(number) + base.substr(dot);
}

output* make_wav_file_output(const std::wstring& path, int buffer_ms, double speed) {
    return new wav_file_output(path, buffer_ms, speed);
}
