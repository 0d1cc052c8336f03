// Downloads one track URL through the track cache's save reader with a rate
// limit and prints the rate reached.
//   track_cache_rate_bench HOST:PORT LIMIT CACHE_ROOT
// LIMIT in bytes per second, 0 for none; CACHE_ROOT is a folder for the
// cache file (removed again). Last line:
// "bytes_per_second <rate> bytes <size> milliseconds <time>".
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "track_log.h"
#include "track_net.h"
#include "track_url.h"
#include "zel_save_reader.h"

namespace {
void quiet(bool, const wchar_t*) {}

std::wstring widen(const char* text) {
    wchar_t buffer[1024];
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, 1024);
    return n > 0 ? std::wstring(buffer) : std::wstring();
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: track_cache_rate_bench HOST:PORT LIMIT CACHE_ROOT\n");
        return 2;
    }
    const std::wstring root = widen(argv[3]);
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW((root + L"\\temp").c_str(), nullptr);
    CreateDirectoryW((root + L"\\temp\\music").c_str(), nullptr);
    track_url::set_cache_root(root.c_str());
    track_log::set_sink(&quiet);
    track_net::rate_limit = std::atoi(argv[2]);
    track_net::linger_ms = 0;

    const std::wstring url = L"zel://" + widen(argv[1]) + L"/bench/rate.mp3|0.000000|1";
    const std::wstring file = track_url::cache_file(url.c_str()).wvalue();
    DeleteFileW(file.c_str());
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    long long bytes = 0;
    {
        zel_save_reader reader;
        if (!reader.open(url.c_str())) {
            std::fprintf(stderr, "track_cache_rate_bench: the download did not start\n");
            return 1;
        }
        while (!reader.is_finished()) Sleep(5);
        QueryPerformanceCounter(&end);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) bytes = data.nFileSizeLow;
    }
    DeleteFileW(file.c_str());
    const long long ms = (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
    std::printf("bytes_per_second %lld bytes %lld milliseconds %lld\n", ms > 0 ? bytes * 1000 / ms : 0, bytes, ms);
    return bytes > 0 ? 0 : 1;
}
