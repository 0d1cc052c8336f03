#pragma once
// Shared by the tests of the file stream, the MPEG parser, the seek table and
// the MPEG input: the fixture list with its facts, files in a temporary
// folder, an in-memory stream that can stand for a local file or a network
// source, and builders of the wrappers that may stand around MPEG audio.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mpeg_test_support.h"
#include "stream.h"

class input;

struct media_fixture {
    const char* name;
    int layer;
    int sample_rate;
    int channels;
    int samples_per_frame;
    int kbps;  // of a constant-rate stream; 0 for the VBR one
};
extern const media_fixture media_fixtures[];
extern const size_t media_fixture_count;

std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);

// The frame index of a fixture, written by the fixture tools (NAME.index):
// the offset of every frame, then the end of the last.
std::vector<int64_t> read_index(const std::string& fixture);
// The fixture's 16-bit reference PCM (NAME.s16).
bytes reference_pcm(const std::string& fixture);

bool write_file(const std::wstring& path, const bytes& data);
bytes read_file(const std::wstring& path);

// Every PCM byte the decoder makes of the stream pushed in 1,024-byte pieces.
bytes decode_all(const bytes& stream);

// Reads an input to its end in blocks of `block` bytes (at most `limit`
// calls); every block's count is appended to counts when given.
bytes read_input(input& in, int block, std::vector<int>* counts = nullptr, int limit = 1000000);

// A leading ID3v2 tag of body bytes (the size field says body), with the
// given flags byte; content (if any) is copied to the start of the body.
bytes id3v2_tag(int body, unsigned char flags, const bytes& content = {});
// A RIFF file of form `form` ("WAVE" or "RMP3"): for WAVE a "fmt " chunk of
// format tag fmt_tag, then a "JUNK" chunk holding junk, then the "data"
// chunk holding data. *data_offset receives where the data begin.
bytes riff_file(const char* form, int fmt_tag, const bytes& junk, const bytes& data, int64_t* data_offset);
// The VBR stream with its first (Xing) frame turned into a VBRI header frame
// that counts the frames after it, frames_per_entry frames per table entry.
bytes with_vbri(const bytes& vbr_stream, int frames_per_entry, int entry_size);
// Two frames of another stream (48 kHz layer II): something the search takes
// for audio if it looks there.
bytes decoy_frames();
// n bytes that hold no frame sync and no valid header word.
bytes quiet_junk(size_t n, unsigned seed = 1);
// n random bytes.
bytes random_junk(size_t n, unsigned seed = 1);

// An in-memory stream. Seekable: a local file. Otherwise a network source
// whose bytes arrive over time: `arrive` more bytes become available every
// `period` read or peek calls (all at once when arrive is 0). length() is
// the data size when length_known, else 0; at_end holds once the source
// ends (`ends`) and every byte was read.
class memory_stream : public stream {
public:
    memory_stream(bytes data, bool seekable, const wchar_t* name = L"memory.mp3");

    const GUID* get_guid() override { return &stream::iid; }
    void release() override { delete this; }
    bool open(const wchar_t* path) override { return false; }
    void close() override {}
    int read(void* buffer, int bytes) override;
    int peek(void* buffer, int bytes) override;
    int seek(int64_t offset, int origin) override;
    int64_t length() override { return length_known ? int64_t(data_.size()) : 0; }
    bool is_seekable() override { return seekable_; }
    int64_t tell() override { return int64_t(pos_); }
    int buffered() override { return int(available_ - pos_); }
    bool at_end() override { return ends && pos_ >= data_.size(); }
    bool rebuffer() override { return true; }
    bool is_writable() override { return false; }
    void reopen(const wchar_t*) override {}
    int write(const void*, int) override { return 0; }
    void set_length(int) override {}
    virtual ~memory_stream() = default;

    void set_arrival(size_t first, size_t arrive, int period);

    bool length_known = true;
    bool ends = true;
    int reads = 0;
    int peeks = 0;
    int seeks = 0;

private:
    void arrive_more();

    bytes data_;
    bool seekable_;
    size_t pos_ = 0;
    size_t available_;
    size_t arrive_ = 0;
    int period_ = 1;
    int calls_ = 0;
};

struct released {
    template <class T>
    void operator()(T* p) const {
        if (p) p->release();
    }
};
template <class T>
using component_ptr = std::unique_ptr<T, released>;
