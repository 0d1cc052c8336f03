// CPU cost of the processing stages (volume normalizer, replay gain,
// equalizer), alone and inside the playback engine.
//   engine_stages_cpu_bench [SECONDS] [SPEED]
// Runs in the engine test folder (zel_core, zel_output, synth_media).
//
// 1. The stages alone: SECONDS of a music-like 44.1 kHz 16-bit stereo signal
//    (plucked tones that decay, a falling sweep, noise, quiet and loud
//    passages) made here, passed block by block (4096 frames) through the
//    three stages as the playback thread calls them; the calling thread's CPU
//    time per second of audio.
// 2. The engine: SECONDS of the synth input's sine through one engine of the
//    music player into the capture output (its clock at SPEED times real
//    time, no PCM kept), first with every stage off, then with every stage
//    on (normalizer at full strength, replay gain by the entry's track gain,
//    equalizer with raised and lowered bands); the process CPU time per
//    second of audio. The synth input alone is timed too (it is a test
//    input, not part of the engine, and its sine costs most of the process
//    time), and subtracted from both runs.
// Last two lines: "engine cpu per audio second, all stages on: <percent> % of
// one core" (the whole process) and "engine cpu per audio second less its
// input, all stages on: <percent> % of one core".
#include <windows.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "../output/capture_control.h"
#include "../output/output_types.h"
#include "core.h"
#include "dsp.h"
#include "equalizer.h"
#include "input.h"
#include "list_info.h"
#include "output.h"
#include "play_manager.h"
#include "playback_engine.h"
#include "playback_fades.h"
#include "playback_settings.h"
#include "replay_gain.h"
#include "stream.h"
#include "volume_normalizer.h"

namespace {
class music_player : public play_manager {
public:
    const GUID* get_guid() override { return &play_manager::iid; }
    void release() override {}
    int index() override { return 0; }  // the music player: it has a normalizer
};

double seconds_of(const FILETIME& kernel, const FILETIME& user) {
    auto value = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) * 1e-7;
    };
    return value(kernel) + value(user);
}

double process_cpu() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return seconds_of(kernel, user);
}

double thread_cpu() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    return seconds_of(kernel, user);
}

template <class Interface>
Interface* first_of() {
    return static_cast<Interface*>(core::enum_create_component(Interface::iid, 0));
}

// A music-like signal, 16-bit stereo at 44100 Hz.
std::vector<short> music(int seconds) {
    const double pi = 3.14159265358979323846;
    const int rate = 44100;
    std::vector<short> pcm(static_cast<size_t>(seconds) * rate * 2);
    unsigned noise = 12345;
    double low = 0.0;
    for (size_t f = 0; f < pcm.size() / 2; ++f) {
        double t = static_cast<double>(f) / rate;
        double in_note = std::fmod(t, 0.35);
        int note = static_cast<int>(t / 0.35);
        double pitch = 110.0 * std::pow(2.0, (note * 7 % 12) / 12.0);
        double pluck = std::exp(-in_note * 6.0) * (std::sin(2 * pi * pitch * t) + 0.5 * std::sin(4 * pi * pitch * t));
        double sweep = std::sin(2 * pi * (2000.0 - 150.0 * std::fmod(t, 10.0)) * t) * std::cos(pi * std::fmod(t, 10.0) / 20.0);
        noise = noise * 1664525u + 1013904223u;
        low = 0.95 * low + 0.05 * (static_cast<int>(noise >> 16) - 32768) / 32768.0;
        // Sections of 20 s: loud, quiet, then a fade-out.
        double section = std::fmod(t, 20.0);
        double level = section < 8.0 ? 0.8 : section < 14.0 ? 0.08 : 0.8 * (20.0 - section) / 6.0;
        double v = level * (0.55 * pluck + 0.2 * sweep + 0.25 * low);
        short l = static_cast<short>(std::lround(std::fmax(-1.0, std::fmin(1.0, v)) * 32767.0));
        short r = static_cast<short>(std::lround(std::fmax(-1.0, std::fmin(1.0, 0.9 * v)) * 32767.0));
        pcm[2 * f] = l;
        pcm[2 * f + 1] = r;
    }
    return pcm;
}

void stages_on(playback_settings* settings, replay_gain* gain, equalizer* eq, bool on) {
    settings->set_normalize(on, 10);
    gain->set_mode(on ? 1 : 0);
    const double bands[equalizer::value_count] = {3.0, 6.0, 4.0, 2.0, 0.0, -2.0, -3.0, 1.0, 4.0, 6.0, 8.0};
    const double flat[equalizer::value_count] = {};
    eq->set_bands(on ? bands : flat);
    eq->set_enabled(on);
}

// Percent of one core per second of audio for the stages alone.
double stages_alone(int seconds, replay_gain* gain, equalizer* eq) {
    std::vector<short> pcm = music(seconds);
    volume_normalizer* normalizer = first_of<volume_normalizer>();
    if (!normalizer) return -1.0;
    normalizer->set_strength(1.0);
    audio_format format = {1, 2, 44100, 16, 0, 0.0, 0.0};
    list_info track;
    track.track_gain = -3.5;
    const int block = 4096 * 4;
    std::vector<unsigned char> buffer(block);
    double cpu0 = thread_cpu();
    long long out_bytes = 0;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(pcm.data());
    size_t total = pcm.size() * 2;
    for (size_t at = 0;; at += block) {
        int n = 0;
        void* out = nullptr;
        if (at < total) {
            int take = static_cast<int>(total - at < static_cast<size_t>(block) ? total - at : block);
            memcpy(buffer.data(), data + at, take);
            out = normalizer->process(buffer.data(), take, &format, &n);
        } else {
            out = normalizer->drain(block, &n);
            if (!out || n == 0) break;
        }
        if (n > 0) {
            gain->process(&track, &format, out, n);
            eq->process(out, n, &format);
            out_bytes += n;
        }
    }
    double cpu = thread_cpu() - cpu0;
    normalizer->release();
    double audio = static_cast<double>(out_bytes) / 176400.0;
    printf("stages alone: %.1f s of music-like audio, thread cpu %.3f s\n", audio, cpu);
    return audio > 0.0 ? 100.0 * cpu / audio : -1.0;
}

// The share of each stage: one pass over the whole signal per stage, in the
// order the playback thread runs them, each timed on its own (percent of one
// core per second of audio). The fades run a ramp over the whole signal, so
// they count as if a fade were always under way; the conversion is the
// sample conversion to floats and back that the equalizer and the fades make
// of every block (part of their figures, printed to show its weight).
void stage_shares(int seconds, replay_gain* gain, equalizer* eq) {
    std::vector<short> pcm = music(seconds);
    volume_normalizer* normalizer = first_of<volume_normalizer>();
    if (!normalizer) return;
    normalizer->set_strength(1.0);
    audio_format format = {1, 2, 44100, 16, 0, 0.0, 0.0};
    list_info track;
    track.track_gain = -3.5;
    const int block = 4096 * 4;
    const size_t total = pcm.size() * 2;
    const unsigned char* source = reinterpret_cast<const unsigned char*>(pcm.data());
    std::vector<unsigned char> buffer(block);
    std::vector<unsigned char> audio;
    audio.reserve(total + 4 * block);

    double cpu0 = thread_cpu();
    for (size_t at = 0;; at += block) {
        int n = 0;
        void* out = nullptr;
        if (at < total) {
            int take = static_cast<int>(total - at < static_cast<size_t>(block) ? total - at : block);
            memcpy(buffer.data(), source + at, take);
            out = normalizer->process(buffer.data(), take, &format, &n);
        } else {
            out = normalizer->drain(block, &n);
            if (!out || n == 0) break;
        }
        if (n > 0) {
            const unsigned char* bytes = static_cast<const unsigned char*>(out);
            audio.insert(audio.end(), bytes, bytes + n);
        }
    }
    const double normalizer_cpu = thread_cpu() - cpu0;
    normalizer->release();
    if (audio.empty()) return;
    const double seconds_out = static_cast<double>(audio.size()) / 176400.0;

    // Runs fn over the normalized audio block by block; its thread CPU time.
    auto pass = [&](auto fn) {
        double start = thread_cpu();
        for (size_t at = 0; at < audio.size(); at += block) {
            int n = static_cast<int>(audio.size() - at < static_cast<size_t>(block) ? audio.size() - at : block);
            fn(audio.data() + at, n);
        }
        return thread_cpu() - start;
    };
    const double gain_cpu = pass([&](unsigned char* data, int n) { gain->process(&track, &format, data, n); });
    const double eq_cpu = pass([&](unsigned char* data, int n) { eq->process(data, n, &format); });
    fade_ramp fade, none;
    fade.start(static_cast<int>(seconds_out * 1000.0) + 1000, format.sample_rate);
    fade_work fades;
    const double fades_cpu = pass([&](unsigned char* data, int n) { fades.apply(fade, none, format, data, n); });
    std::vector<float> floats(block / 2 + 1);
    const double conversion_cpu = pass([&](unsigned char* data, int n) {
        dsp::read_audio_chunk(0, data, floats.data(), n);
        dsp::write_audio_chunk(0, floats.data(), data, n);
    });

    struct row {
        const char* name;
        double cpu;
    } rows[] = {{"normalizer", normalizer_cpu},
                {"replay gain", gain_cpu},
                {"equalizer", eq_cpu},
                {"fades (a fade under way)", fades_cpu},
                {"conversion (to floats and back)", conversion_cpu}};
    const double stages = normalizer_cpu + gain_cpu + eq_cpu;
    for (const row& r : rows)
        printf("stage %-32s %.3f %% of one core per audio second (%.0f %% of normalizer + gain + equalizer)\n",
               r.name, 100.0 * r.cpu / seconds_out, stages > 0.0 ? 100.0 * r.cpu / stages : 0.0);
}

// The synth path of the engine runs.
void synth_path(wchar_t (&path)[128], int seconds) {
    _snwprintf(path, 127, L"synth:bench?wave=sine&level=20000&freq=441&secs=%d", seconds);
    path[127] = L'\0';
}

// Percent of one core per second of audio for the engine's input alone: the
// synth stream and input the engine runs read to their end in the engine's
// blocks of 4096 frames, on this thread (no engine, no output). The input
// makes its sine with the C library's sin per sample, which costs more than
// decoding an MP3 file does.
double input_alone(int seconds) {
    wchar_t path[128];
    synth_path(path, seconds);
    double cpu0 = thread_cpu();
    stream* s = core::create_stream(path);
    list_info entry;
    list_info::set_string(entry.path, path);
    input* in = s ? core::create_input(s, &entry) : nullptr;
    long long total = 0;
    if (in) {
        std::vector<unsigned char> block(4096 * 4);
        for (int n; (n = in->read(block.data(), static_cast<int>(block.size()))) >= 0;) total += n;
        in->release();
    }
    if (s) s->release();
    double cpu = thread_cpu() - cpu0;
    double audio = static_cast<double>(total) / 176400.0;
    printf("  %.1f s read, thread cpu %.3f s\n", audio, cpu);
    return audio > 0.0 ? 100.0 * cpu / audio : -1.0;
}

// Percent of one core per second of audio for one engine run.
double engine_run(int seconds, double speed, capture_control* capture, output_manager* manager) {
    playback_engine* engine = first_of<playback_engine>();
    if (!engine) return -1.0;
    capture->reset();
    capture->set_keep_pcm(false);
    manager->set_buffer_ms(3000);
    manager->select(output_type_capture, 0);
    capture->set_auto_clock(speed);
    wchar_t path[128];
    synth_path(path, seconds);
    list_info entry;
    list_info::set_string(entry.path, path);
    entry.track_gain = -3.5;
    music_player player;
    double cpu0 = process_cpu();
    DWORD wall0 = GetTickCount();
    if (!engine->play(&entry, &player)) {
        engine->release();
        return -1.0;
    }
    while (engine->is_playing()) Sleep(20);
    double cpu = process_cpu() - cpu0;
    DWORD wall = GetTickCount() - wall0;
    capture_state state = {};
    capture->state(0, &state);
    engine->release();
    double audio = static_cast<double>(state.written) / 176400.0;
    printf("  %.1f s written (%d s asked), wall %.2f s, process cpu %.3f s\n", audio, seconds, wall / 1000.0, cpu);
    return audio > 0.0 ? 100.0 * cpu / audio : -1.0;
}
}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? atoi(argv[1]) : 300;
    double speed = argc > 2 ? atof(argv[2]) : 20.0;
    if (seconds <= 0 || speed <= 0.0) {
        fprintf(stderr, "usage: engine_stages_cpu_bench [SECONDS] [SPEED]\n");
        return 2;
    }
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
    auto* manager = first_of<output_manager>();
    auto* capture = first_of<capture_control>();
    auto* settings = first_of<playback_settings>();
    auto* gain = first_of<replay_gain>();
    auto* eq = first_of<equalizer>();
    if (!manager || !capture || !settings || !gain || !eq) {
        fprintf(stderr, "engine_stages_cpu_bench: zel_output.dll, zel_core.dll or the synth library is missing\n");
        return 1;
    }
    settings->set_visual(true, 100);

    stages_on(settings, gain, eq, true);
    double alone = stages_alone(seconds, gain, eq);
    printf("stages alone per audio second: %.3f %% of one core\n", alone);
    stage_shares(seconds, gain, eq);

    printf("the engine's input alone (synth sine):\n");
    double input = input_alone(seconds);
    printf("input cpu per audio second: %.3f %% of one core\n", input);

    stages_on(settings, gain, eq, false);
    printf("engine, every stage off (music player, clock x%.0f):\n", speed);
    double off = engine_run(seconds, speed, capture, manager);
    printf("engine cpu per audio second, every stage off: %.3f %% of one core\n", off);

    stages_on(settings, gain, eq, true);
    printf("engine, all stages on:\n");
    double on = engine_run(seconds, speed, capture, manager);
    stages_on(settings, gain, eq, false);
    if (alone < 0.0 || input < 0.0 || off < 0.0 || on < 0.0) {
        fprintf(stderr, "engine_stages_cpu_bench: a run failed\n");
        return 1;
    }
    printf("engine cpu per audio second less its input, every stage off: %.3f %% of one core\n", off - input);
    printf("engine cpu per audio second, all stages on: %.3f %% of one core\n", on);
    printf("engine cpu per audio second less its input, all stages on: %.3f %% of one core\n", on - input);
    return 0;
}
