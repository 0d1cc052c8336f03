// Loads a per-user settings file whose one section holds KEYS keys and reads
// its last key, as the first read after a change does; prints the best time
// of RUNS loads.
//   settings_load_bench FILE KEYS RUNS
// Writes FILE itself. Last line: load_seconds <best> keys <n>
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "settings_store_impl.h"

namespace {
double now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const std::wstring path = argv[1];
    const int keys = _wtoi(argv[2]);
    const int runs = _wtoi(argv[3]);
    if (keys <= 0 || runs <= 0) return 2;
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return 3;
    fprintf(f, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<ZELPlayer><Local><app>");
    for (int k = 0; k < keys; ++k) fprintf(f, "<key%d>%d</key%d>", k, k, k);
    fprintf(f, "</app></Local></ZELPlayer>\r\n");
    fclose(f);
    const std::wstring last = L"key" + std::to_wstring(keys - 1);
    double best = 0;
    for (int run = 0; run < runs; ++run) {
        settings_store_impl store;
        store.set_file_path(path);
        const double start = now();
        wchar_t* value = store.read(L"app", last.c_str(), nullptr);
        const double took = now() - start;
        const bool right = value && std::to_wstring(keys - 1) == value;
        free(value);
        if (!right) {
            fprintf(stderr, "settings_load: the last key did not read back\n");
            return 4;
        }
        if (run == 0 || took < best) best = took;
    }
    printf("load_seconds %.4f keys %d\n", best, keys);
    return 0;
}
