#pragma once
// Writes one WAV file of one format: the header first (sizes zero), then the
// samples as given; update_header() makes the file complete as it stands, so
// that it can be read while writing goes on.
//
// Header: "fmt " of 16 bytes for integer PCM of up to 2 channels and 16 bits;
// 18 bytes (IEEE float, tag 3) for float of up to 2 channels; otherwise 40
// bytes of WAVE_FORMAT_EXTENSIBLE with the channel mask (the given one, or
// the usual mask for the channel count). Every format other than the 16-byte
// one is followed by a "fact" chunk with the frame count. An odd data size
// gets the pad byte that RIFF asks for.
#include <windows.h>
#include <string>
#include <vector>
#include "pcm_format.h"

class wav_writer {
public:
    wav_writer() = default;
    ~wav_writer() { close(); }
    wav_writer(const wav_writer&) = delete;
    wav_writer& operator=(const wav_writer&) = delete;

    // Creates (or empties) the file; false when it cannot be made or the
    // format is not playable.
    bool open(const std::wstring& path, const pcm_format& format);
    bool append(const void* bytes, int count);
    bool update_header();
    // Updates the header and closes the file.
    void close();

    bool is_open() const { return file_ != INVALID_HANDLE_VALUE; }
    const pcm_format& format() const { return format_; }
    unsigned data_bytes() const { return data_bytes_; }

    // The header for a format and data size, as written.
    static std::vector<unsigned char> header(const pcm_format& format, unsigned data_bytes);

private:
    bool write_at(unsigned offset, const void* bytes, unsigned count);

    HANDLE file_ = INVALID_HANDLE_VALUE;
    pcm_format format_;
    unsigned header_bytes_ = 0;
    unsigned data_bytes_ = 0;
};
