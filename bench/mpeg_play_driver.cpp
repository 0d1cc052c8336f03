// Plays an MPEG audio file the way the player does: core::create_stream and
// core::create_input inside a playback engine's thread, into the WAV-file
// output of zel_output, whose clock is switched off so that it takes every
// block at once. Prints the best wall time of several runs, and before it
// the best time of the stream and input alone (read to the end in the
// engine's blocks of 4096 sample frames, no engine, no output).
//   mpeg_play_bench FILE OUT_WAV [RUNS]
// Runs in the MPEG play test folder (zel_core, zel_output, zel_in_std).
// Lines: "input seconds <best> bytes <PCM bytes>", then
// "seconds <best> bytes <PCM bytes of the first WAV written>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../output/output_types.h"
#include "core.h"
#include "input.h"
#include "list_info.h"
#include "output.h"
#include "play_manager.h"
#include "playback_engine.h"
#include "playback_settings.h"
#include "stream.h"

namespace {
class bench_player : public play_manager {
public:
    const GUID* get_guid() override { return &play_manager::iid; }
    void release() override {}
    int index() override { return 1; }  // the announcement player: no normalizer
};

template <class Interface>
Interface* first_of() {
    return static_cast<Interface*>(core::enum_create_component(Interface::iid, 0));
}

std::wstring widen(const char* text) {
    std::wstring out;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n > 0) {
        out.resize(size_t(n));
        MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
        out.resize(size_t(n - 1));
    }
    return out;
}

double now_seconds() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(f.QuadPart);
}

// Reads the file to its end through the stream and input the lookup finds;
// the PCM byte count, or -1.
long long read_through_input(list_info& entry, double* seconds) {
    const double t0 = now_seconds();
    stream* s = core::create_stream(entry.path);
    if (!s) return -1;
    input* in = core::create_input(s, &entry);
    if (!in) {
        s->release();
        return -1;
    }
    audio_format format = {};
    in->get_format(&format);
    const int block = format.bits_per_sample * format.channels * 4096 / 8;
    char* buffer = static_cast<char*>(malloc(size_t(block > 0 ? block : 1)));
    long long total = 0;
    for (int n; buffer && (n = in->read(buffer, block)) >= 0;) total += n;
    free(buffer);
    in->release();
    s->release();
    *seconds = now_seconds() - t0;
    return total;
}

// Bytes after the 44-byte header of a WAV file the output wrote.
long long wav_data_bytes(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return -1;
    fseek(f, 0, SEEK_END);
    const long size = ftell(f);
    fclose(f);
    return size > 44 ? size - 44 : 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: mpeg_play_bench FILE OUT_WAV [RUNS]\n");
        return 2;
    }
    const std::wstring file = widen(argv[1]), out = widen(argv[2]);
    const int runs = argc > 3 ? atoi(argv[3]) : 5;
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV", out.c_str());
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV_SPEED", L"0");
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
    auto* manager = first_of<output_manager>();
    auto* settings = first_of<playback_settings>();
    auto* engine = first_of<playback_engine>();
    if (!manager || !settings || !engine) {
        fprintf(stderr, "mpeg_play_bench: zel_core.dll or zel_output.dll is missing\n");
        return 1;
    }
    manager->set_buffer_ms(3000);
    manager->select(output_type_wav_file, 0);
    settings->set_normalize(false, 0);
    settings->set_auto_cross(false, 0);
    settings->set_force_cross(false, 0);
    settings->set_fade(false, 0);
    settings->set_seek_fade(false, 0);
    settings->set_visual(false, 100);

    list_info entry;
    list_info::set_string(entry.path, file.c_str());
    double best_input = -1.0;
    long long input_bytes = 0;
    for (int run = 0; run < runs; ++run) {
        double t = 0.0;
        input_bytes = read_through_input(entry, &t);
        if (input_bytes < 0) {
            fprintf(stderr, "mpeg_play_bench: no stream or input for %s\n", argv[1]);
            return 1;
        }
        if (best_input < 0 || t < best_input) best_input = t;
    }
    printf("input seconds %.6f bytes %lld\n", best_input, input_bytes);

    bench_player player;
    double best = -1.0;
    for (int run = 0; run < runs; ++run) {
        const double t0 = now_seconds();
        if (!engine->play(&entry, &player)) {
            fprintf(stderr, "mpeg_play_bench: the engine did not start\n");
            return 1;
        }
        MSG msg;
        while (engine->is_playing()) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(1);
        }
        const double t = now_seconds() - t0;
        if (best < 0 || t < best) best = t;
    }
    engine->release();
    // The first WAV of the run is OUT_WAV itself; later ones are numbered.
    const long long bytes = wav_data_bytes(out);
    if (bytes <= 0) {
        fprintf(stderr, "mpeg_play_bench: nothing was played (is %s an MPEG file?)\n", argv[1]);
        return 1;
    }
    printf("seconds %.6f bytes %lld\n", best, bytes);
    return 0;
}
