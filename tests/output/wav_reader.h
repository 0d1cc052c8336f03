#pragma once
// A small WAV reader for the tests: the chunks of a RIFF file and the fields
// of its "fmt " chunk, read independently of the writer.
#include <windows.h>
#include <string>
#include <vector>

struct wav_file {
    bool ok = false;
    unsigned file_size = 0;
    unsigned riff_size = 0;
    std::vector<std::string> chunk_order;
    unsigned fmt_size = 0;
    unsigned tag = 0, channels = 0, rate = 0, byte_rate = 0, block_align = 0, bits = 0;
    unsigned cb_size = 0, valid_bits = 0, channel_mask = 0;
    GUID sub_format = {};
    bool has_fact = false;
    unsigned fact_frames = 0;
    unsigned data_size = 0;
    std::vector<unsigned char> data;
};

inline std::vector<unsigned char> read_whole_file(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(f, nullptr);
    bytes.resize(size);
    DWORD done = 0;
    if (size && !ReadFile(f, bytes.data(), size, &done, nullptr)) done = 0;
    bytes.resize(done);
    CloseHandle(f);
    return bytes;
}

inline wav_file read_wav(const std::wstring& path) {
    wav_file w;
    std::vector<unsigned char> b = read_whole_file(path);
    auto u16 = [&](size_t at) { return static_cast<unsigned>(b[at] | (b[at + 1] << 8)); };
    auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
    w.file_size = static_cast<unsigned>(b.size());
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return w;
    w.riff_size = u32(4);
    bool have_fmt = false, have_data = false;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        std::string id(b.begin() + at, b.begin() + at + 4);
        unsigned size = u32(at + 4);
        size_t body = at + 8;
        if (body + size > b.size()) return w;
        w.chunk_order.push_back(id);
        if (id == "fmt ") {
            have_fmt = true;
            w.fmt_size = size;
            w.tag = u16(body);
            w.channels = u16(body + 2);
            w.rate = u32(body + 4);
            w.byte_rate = u32(body + 8);
            w.block_align = u16(body + 12);
            w.bits = u16(body + 14);
            if (size >= 18) w.cb_size = u16(body + 16);
            if (size >= 40) {
                w.valid_bits = u16(body + 18);
                w.channel_mask = u32(body + 20);
                memcpy(&w.sub_format, &b[body + 24], sizeof(GUID));
            }
        } else if (id == "fact") {
            w.has_fact = true;
            w.fact_frames = u32(body);
        } else if (id == "data") {
            have_data = true;
            w.data_size = size;
            w.data.assign(b.begin() + body, b.begin() + body + size);
        }
        at = body + size + (size & 1);
    }
    w.ok = have_fmt && have_data && at == b.size();
    return w;
}
