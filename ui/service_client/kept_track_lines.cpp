#include "kept_track_lines.h"
#include <windows.h>
#include <cstdio>
#include <string>
#include "utf.h"

bool write_kept_track_lines(const wchar_t* path, int chkey, const std::vector<stringx>& lines) {
    if (!path || !*path || chkey == 0) return false;
    std::string text = std::to_string(chkey) + "\n";
    for (const stringx& line : lines) {
        std::wstring clean;
        for (const wchar_t* p = line.wvalue(); *p; ++p)
            if (*p != L'\r' && *p != L'\n') clean += *p;
        if (clean.empty()) continue;
        text += utf::utf16_to_utf8(clean.c_str()).value();
        text += "\n";
    }
    const std::wstring part = std::wstring(path) + L".new";
    FILE* file = _wfopen(part.c_str(), L"wb");
    if (!file) return false;
    const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    if (fclose(file) != 0 || !written || !MoveFileExW(part.c_str(), path, MOVEFILE_REPLACE_EXISTING)) {
        _wremove(part.c_str());
        return false;
    }
    return true;
}

std::vector<stringx> read_kept_track_lines(const wchar_t* path, int chkey) {
    std::vector<stringx> lines;
    if (!path || !*path || chkey == 0) return lines;
    FILE* file = _wfopen(path, L"rb");
    if (!file) return lines;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    fclose(file);
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (first) {
            first = false;
            if (line != std::to_string(chkey)) return lines;  // another channel's
            continue;
        }
        if (!line.empty() && line.find('\0') == std::string::npos) lines.push_back(utf::utf8_to_utf16(line.c_str()));
    }
    return lines;
}
