#pragma once
// Small helpers shared by tests: a file's bytes, and heap text handed back by
// zel_core (malloc'd, freed by the receiver).
#include <cstdio>
#include <cstdlib>
#include <string>

// The whole file, or empty when it cannot be read.
inline std::string read_file_bytes(const std::wstring& path) {
    std::string bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

// Takes over a malloc'd text: its value ("<null>" for null), then frees it.
inline std::wstring take_heap_text(wchar_t* text) {
    std::wstring s = text ? text : L"<null>";
    free(text);
    return s;
}
