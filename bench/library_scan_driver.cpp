// Scans one folder the way the music folders page does (the folder-scan
// extension list, utility::find_files, then core::add_file per file, which
// reads each file's tags through the inputs), against a plain directory walk
// of the same folder (FindFirstFileW / FindNextFileW, names counted and
// nothing more).
//   library_scan_bench FOLDER RUNS
// Runs in a folder that holds zel_core and zel_in_std. Last two lines:
//   walk_seconds <best> files <n>
//   scan_seconds <best> files <n> entries <m> titled <t>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core.h"
#include "list_info.h"
#include "utility.h"

namespace {
double now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

long walk(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return 0;
    long files = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return files;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: library_scan_bench FOLDER RUNS\n");
        return 2;
    }
    wchar_t folder[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, folder, MAX_PATH);
    const int runs = std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 1;
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();

    double best_walk = 1e30, best_scan = 1e30;
    long walked = 0;
    size_t files_found = 0, entries = 0, titled = 0;
    for (int run = 0; run < runs; ++run) {
        double start = now();
        walked = walk(folder);
        const double w = now() - start;
        if (w < best_walk) best_walk = w;

        start = now();
        wchar_t* mask = core::build_openfolder_mask();
        std::vector<stringx> files;
        utility::find_files(folder, mask ? mask : L"", files, false);
        free(mask);
        std::vector<list_info> found;
        for (const stringx& f : files) core::add_file(f.wvalue(), found);
        const double s = now() - start;
        if (s < best_scan) best_scan = s;
        files_found = files.size();
        entries = found.size();
        titled = 0;
        for (const list_info& e : found)
            if (e.title && e.title[0]) ++titled;
    }
    std::printf("walk_seconds %.6f files %ld\n", best_walk, walked);
    std::printf("scan_seconds %.6f files %zu entries %zu titled %zu\n", best_scan, files_found, entries, titled);
    return entries > 0 ? 0 : 1;
}
