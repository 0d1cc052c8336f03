#pragma once
// wm_input: the input of MMS streams. The Windows Media reader decodes; this
// input reads the audio format and the bit rate from the reader, starts it,
// waits until it has buffered and hands the buffered PCM (or float) bytes to
// the playback thread in whole blocks. It is chosen only by the content type
// "mms content type", never by extension, and plays only an mms_stream.
//
// One playback thread uses an input at a time.
#include "audio_format.h"
#include "input.h"
#include "wm_reader.h"

class mms_stream;

class wm_input : public per_use_component<wm_input, input> {
public:
    static constexpr int settle_steps = 500;  // 10 ms each after buffering stopped

    wm_input();
    ~wm_input() override;
    wm_input(const wm_input&) = delete;
    wm_input& operator=(const wm_input&) = delete;

    bool open(stream* source, list_info* info) override;
    void close() override;
    void seek(double) override {}
    audio_format* get_format(audio_format* format) override;
    // Whole blocks while the stream plays; the short tail once it has
    // ended; -1 after that.
    int read(void* buffer, int bytes) override;
    double position() override;
    bool busy() override;
    bool accepts_content_type(const wchar_t* type) override;
    bool accepts(stream*, const wchar_t*) override { return false; }

private:
    bool read_bitrate();
    bool read_output_format();

    mms_stream* stream_ = nullptr;
    IWMReader* reader_ = nullptr;
    audio_format format_;
    double position_ = 0.0;
    IWMHeaderInfo* header_ = nullptr;
    // The stream's reader callback, referenced while bound; kept here so that
    // close never needs the stream (which may already be gone).
    IWMReaderCallback* callback_ = nullptr;
};
