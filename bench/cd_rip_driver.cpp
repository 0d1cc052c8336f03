// Benchmark driver for bench/cd_rip.sh: rips one track through the CD
// extraction layer (SCSI pass-through over the tests' fake device layer, a
// virtual drive whose audio tells every byte's position) in normal mode,
// once with every read exact and once with jitter on every read after the
// first (each the best of three), checks that the audio is the disc's byte
// for byte, and prints the throughput as a multiple of real time (44,100
// frames a second).
//   cd_rip_bench.exe [SECONDS] [JITTER_STEPS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cd_ripper.h"
#include "fake_cd_device_io.h"
#include "virtual_cd_drive.h"

namespace {

constexpr int sector_bytes = 2352;
constexpr int sectors_per_second = 75;

double now_s() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Rips track 2 and returns the times real time, or a negative value when the
// audio differs from the disc.
double rip_track(int seconds, int jitter_steps, const char* label) {
    const long sectors = static_cast<long>(seconds) * sectors_per_second;
    fake_cd_device_io io;
    virtual_cd_drive drive;
    drive.disc = virtual_disc::audio(3, sectors);
    drive.jitter_steps = jitter_steps;
    io.add('D', drive, 0, 0);
    if (cd_ripper::init(cd_ripper::transport_passthrough) != 0) return -1;

    const long first = sectors, last = 2 * sectors - 1;
    int chunk_bytes = 0;
    double result = -1;
    if (cd_ripper::open_ripper(chunk_bytes, static_cast<unsigned>(first), static_cast<unsigned>(last)) == 0) {
        std::vector<unsigned char> chunk(static_cast<size_t>(chunk_bytes)),
            expected(static_cast<size_t>(chunk_bytes));
        long long delivered = 0;
        bool same = true;
        int bytes = 0;
        const double started = now_s();
        for (;;) {
            const int r = cd_ripper::rip_chunk(chunk.data(), bytes, nullptr);
            if (r == cd_ripper::chunk_end || r == cd_ripper::failed) break;
            drive.disc_bytes(static_cast<long long>(first) * sector_bytes + delivered, expected.data(),
                             static_cast<size_t>(bytes));
            same = same && memcmp(chunk.data(), expected.data(), static_cast<size_t>(bytes)) == 0;
            delivered += bytes;
        }
        const double elapsed = now_s() - started;
        cd_ripper::close_ripper();
        const double audio_s = static_cast<double>(delivered) / (sector_bytes * sectors_per_second);
        same = same && delivered == static_cast<long long>(sectors) * sector_bytes;
        printf("%s: %.0f s of audio in %.3f s (%d reads, the check of every byte included)%s\n", label,
               audio_s, elapsed, drive.reads, same ? "" : ", AUDIO DIFFERS");
        if (same && elapsed > 0) result = audio_s / elapsed;
    }
    cd_ripper::deinit();
    return result;
}

// The best of three rips, after a short one that warms the process up.
double best_of_three(int seconds, int jitter_steps, const char* label) {
    double best = -1;
    for (int i = 0; i < 3; ++i) {
        const double x = rip_track(seconds, jitter_steps, label);
        if (x < 0) return -1;
        if (x > best) best = x;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? atoi(argv[1]) : 600;
    const int jitter_steps = argc > 2 ? atoi(argv[2]) : 500;
    if (seconds < 1 || jitter_steps < 1) {
        fprintf(stderr, "usage: cd_rip_bench.exe [SECONDS] [JITTER_STEPS]\n");
        return 2;
    }
    rip_track(10, 0, "warm-up");
    const double exact = best_of_three(seconds, 0, "every read exact");
    char label[96];
    _snprintf(label, sizeof(label) - 1, "jitter up to %d bytes on every read after the first",
              jitter_steps * 4);
    label[sizeof(label) - 1] = 0;
    const double jittered = best_of_three(seconds, jitter_steps, label);
    if (exact < 0 || jittered < 0) {
        fprintf(stderr, "cd_rip_bench: a rip failed or its audio differs from the disc\n");
        return 1;
    }
    printf(
        "ripping throughput (real time = 44,100 frames a second), best of three: %.1f x real time without "
        "jitter, %.1f x with jitter\n",
        exact, jittered);
    return 0;
}
