#include "wav_writer.h"

namespace {
// KSDATAFORMAT_SUBTYPE_PCM and _IEEE_FLOAT share this tail after the tag.
const unsigned char subformat_tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

void put16(std::vector<unsigned char>& v, unsigned value) {
    v.push_back(static_cast<unsigned char>(value & 0xFF));
    v.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void put32(std::vector<unsigned char>& v, unsigned value) {
    put16(v, value & 0xFFFF);
    put16(v, value >> 16);
}

void put_tag(std::vector<unsigned char>& v, const char* tag) { v.insert(v.end(), tag, tag + 4); }

}  // namespace

std::vector<unsigned char> wav_writer::header(const pcm_format& f, unsigned data_bytes) {
    bool extensible = f.channels > 2 || f.bits_per_sample > (f.format_tag == 3 ? 32 : 16);
    unsigned fmt_size = extensible ? 40 : (f.format_tag == 1 ? 16 : 18);
    bool fact = fmt_size != 16;
    unsigned frame = static_cast<unsigned>(f.bytes_per_frame());
    unsigned pad = data_bytes & 1;

    std::vector<unsigned char> fmt;
    put16(fmt, extensible ? 0xFFFE : static_cast<unsigned>(f.format_tag));
    put16(fmt, f.channels);
    put32(fmt, f.sample_rate);
    put32(fmt, static_cast<unsigned>(f.bytes_per_second()));
    put16(fmt, frame);
    put16(fmt, f.bits_per_sample);
    if (fmt_size >= 18) put16(fmt, fmt_size - 18);
    if (extensible) {
        put16(fmt, f.bits_per_sample);  // valid bits
        put32(fmt, f.channel_mask ? static_cast<unsigned>(f.channel_mask) : default_channel_mask(f.channels));
        put16(fmt, f.format_tag);
        fmt.insert(fmt.end(), subformat_tail, subformat_tail + sizeof(subformat_tail));
    }

    std::vector<unsigned char> h;
    unsigned chunks = 4 + 8 + fmt_size + (fact ? 12 : 0) + 8;
    put_tag(h, "RIFF");
    put32(h, chunks + data_bytes + pad);
    put_tag(h, "WAVE");
    put_tag(h, "fmt ");
    put32(h, fmt_size);
    h.insert(h.end(), fmt.begin(), fmt.end());
    if (fact) {
        put_tag(h, "fact");
        put32(h, 4);
        put32(h, frame ? data_bytes / frame : 0);
    }
    put_tag(h, "data");
    put32(h, data_bytes);
    return h;
}

bool wav_writer::open(const std::wstring& path, const pcm_format& format) {
    close();
    if (!format.is_playable()) return false;
    file_ = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return false;
    format_ = format;
    data_bytes_ = 0;
    std::vector<unsigned char> h = header(format_, 0);
    header_bytes_ = static_cast<unsigned>(h.size());
    if (!write_at(0, h.data(), header_bytes_)) {
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        return false;
    }
    return true;
}

bool wav_writer::append(const void* bytes, int count) {
    if (!is_open() || count < 0) return false;
    if (count == 0) return true;
    // The RIFF sizes are 32 bits.
    if (static_cast<unsigned long long>(header_bytes_) + data_bytes_ + count + 1 > 0xFFFFFFFFull) return false;
    if (!write_at(header_bytes_ + data_bytes_, bytes, static_cast<unsigned>(count))) return false;
    data_bytes_ += static_cast<unsigned>(count);
    return true;
}

bool wav_writer::update_header() {
    if (!is_open()) return false;
    std::vector<unsigned char> h = header(format_, data_bytes_);
    bool ok = write_at(0, h.data(), static_cast<unsigned>(h.size()));
    if (data_bytes_ & 1) {
        const unsigned char pad = 0;
        ok = write_at(header_bytes_ + data_bytes_, &pad, 1) && ok;
    }
    return FlushFileBuffers(file_) && ok;
}

void wav_writer::close() {
    if (!is_open()) return;
    update_header();
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

bool wav_writer::write_at(unsigned offset, const void* bytes, unsigned count) {
    LARGE_INTEGER at;
    at.QuadPart = offset;
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) return false;
    DWORD done = 0;
    return WriteFile(file_, bytes, count, &done, nullptr) && done == count;
}
