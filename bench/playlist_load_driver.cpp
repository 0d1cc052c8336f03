// Loads one playlist file into a playlist of the music player, the way the
// user interface does (core::add_file, then playlist::add), and reads the
// same file line by line as the reference; prints both times and the memory
// the load took.
//   playlist_load_bench PLAYLIST RUNS
// Runs in a folder that holds zel_core and zel_playlist. Last two lines:
//   read_seconds <best> lines <n>
//   load_seconds <best> entries <n> kept_bytes <k> peak_bytes <p> file_bytes <size>
// kept: the growth of the program's committed private memory once the load
// is done; peak: its highest growth during the first load.
#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "core.h"
#include "list_info.h"
#include "play_manager.h"
#include "playlist.h"

namespace {
double now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

// Committed private memory (Wine reports it as the page-file usage) and its
// peak so far.
void memory(size_t* now_bytes, size_t* peak_bytes) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    *now_bytes = counters.PagefileUsage;
    *peak_bytes = counters.PeakPagefileUsage;
}

// The reference: every line of the file through fgets in text mode (the
// readers cut the same lines themselves), counted and nothing more.
long read_lines(const wchar_t* file) {
    FILE* f = _wfopen(file, L"r");
    if (!f) return -1;
    char buffer[4096];
    long lines = 0;
    size_t bytes = 0;
    while (fgets(buffer, sizeof buffer, f)) {
        ++lines;
        bytes += strlen(buffer);
    }
    fclose(f);
    return bytes > 0 ? lines : 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: playlist_load_bench PLAYLIST RUNS\n");
        return 2;
    }
    wchar_t file[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, file, MAX_PATH);
    const int runs = std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 1;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExW(file, GetFileExInfoStandard, &attributes)) {
        std::fprintf(stderr, "playlist_load_bench: no file %s\n", argv[1]);
        return 1;
    }
    const long long file_bytes = attributes.nFileSizeLow;

    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
    play_manager* music = core::get_player(true);
    playlist* list = music ? music->create_playlist(L"bench", true) : nullptr;
    if (!list) {
        std::fprintf(stderr, "playlist_load_bench: no music player (zel_playlist.dll beside the program?)\n");
        return 1;
    }

    double best_read = 1e30, best_load = 1e30, best_parse = 1e30, best_add = 1e30;
    long lines = 0;
    size_t entries = 0, kept = 0, peak = 0;
    for (int run = 0; run < runs; ++run) {
        double start = now();
        lines = read_lines(file);
        const double read = now() - start;
        if (read < best_read) best_read = read;

        list->clear();
        size_t before = 0, peak_before = 0, after = 0, peak_after = 0;
        memory(&before, &peak_before);
        start = now();
        double parsed = 0.0, added = 0.0;
        {
            std::vector<list_info> found;
            core::add_file(file, found);
            parsed = now();
            list->add(found);
            added = now();
        }
        const double load = now() - start;
        if (parsed - start < best_parse) best_parse = parsed - start;
        if (added - parsed < best_add) best_add = added - parsed;
        memory(&after, &peak_after);
        if (load < best_load) best_load = load;
        entries = list->count();
        if (run == 0) {
            kept = after > before ? after - before : 0;
            peak = peak_after > before ? peak_after - before : 0;
        }
    }
    std::printf("parts of the load (best of each): core::add_file %.6f s, playlist::add %.6f s\n", best_parse,
                best_add);
    std::printf("read_seconds %.6f lines %ld\n", best_read, lines);
    std::printf("load_seconds %.6f entries %zu kept_bytes %zu peak_bytes %zu file_bytes %lld\n", best_load, entries,
                kept, peak, file_bytes);
    return entries > 0 ? 0 : 1;
}
