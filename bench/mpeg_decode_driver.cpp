// Decodes an MPEG audio file through the MPEG decoder the way the MPEG input
// drives it (1024-byte pushes, a 16384-byte output buffer, 16-bit output)
// and prints the best time of several runs.
//   mpeg_decode_bench FILE [RUNS]
// Last line: "seconds <best> frames <n> bytes <pcm bytes>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "mpeg_decoder.h"

namespace {

bool read_file(const char* path, std::vector<unsigned char>& data)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.insert(data.end(), buffer, buffer + n);
    std::fclose(f);
    return true;
}

// Skips a leading ID3v2 tag: the decoder expects to start on a frame.
size_t data_start(const std::vector<unsigned char>& d)
{
    if (d.size() >= 10 && d[0] == 'I' && d[1] == 'D' && d[2] == '3')
        return 10 + ((d[6] & 0x7f) << 21 | (d[7] & 0x7f) << 14 | (d[8] & 0x7f) << 7 | (d[9] & 0x7f)) +
               ((d[5] & 0x10) ? 10 : 0);
    return 0;
}

struct run_result {
    double seconds = 0;
    long frames = 0;
    long long bytes = 0;
    long errors = 0;
};

run_result decode_once(const std::vector<unsigned char>& data, size_t start)
{
    run_result r;
    static unsigned char out[16384];
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    mpeg_decoder* decoder = create_mpeg_decoder(true, false, 0, 16, 0);
    if (!decoder)
        return r;
    for (size_t pos = start; pos < data.size();) {
        const unsigned piece = unsigned(data.size() - pos < 1024 ? data.size() - pos : 1024);
        const unsigned char* in = data.data() + pos;
        pos += piece;
        for (;;) {
            int written = 0;
            const int result = decoder->decode(in, piece, out, sizeof out, &written);
            in = nullptr;
            if (result == 0) {
                ++r.frames;
                r.bytes += written;
                continue;
            }
            if (result < 0) {
                ++r.errors;
                if (result == -1)
                    decoder->reset();
                continue;  // with no input: ends at 1
            }
            break;
        }
    }
    delete decoder;
    QueryPerformanceCounter(&t1);
    r.seconds = double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart);
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: mpeg_decode_bench FILE [RUNS]\n");
        return 2;
    }
    std::vector<unsigned char> data;
    if (!read_file(argv[1], data)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const size_t start = data_start(data);
    run_result best;
    for (int i = 0; i < (runs > 0 ? runs : 1); ++i) {
        run_result r = decode_once(data, start);
        if (r.frames == 0) {
            std::fprintf(stderr, "nothing decoded\n");
            return 1;
        }
        if (i == 0 || r.seconds < best.seconds)
            best = r;
    }
    if (best.errors)
        std::printf("errors %ld\n", best.errors);
    std::printf("seconds %.6f frames %ld bytes %lld\n", best.seconds, best.frames, best.bytes);
    return 0;
}
