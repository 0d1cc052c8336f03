#pragma once
// mpeg_tag: the tag component of local MPEG audio files. It reads and writes
// the file's tags through zel_core's tag editor (writing an ID3v2 tag) and
// describes the audio by what the MPEG parser finds: the audio properties
// and an info list of twelve descriptive pairs, plus the replay-gain fields
// the tags hold.
//
// A file that RIFF wraps (a ".wav" file carrying MPEG audio, or a RIFF MP3)
// is read only: an ID3v2 tag written before its "RIFF" header would leave a
// file that no longer opens as RIFF, so update refuses and remove does
// nothing there.
//
// Created per use by core::create_tag or core::add_file, opened once, used
// by one thread at a time.
#include <atomic>

#include "stringx.h"
#include "tag.h"
#include "zel_tag.h"

class mpeg_parser;

class mpeg_tag : public per_use_component<mpeg_tag, tag> {
public:
    mpeg_tag();
    ~mpeg_tag() override;
    mpeg_tag(const mpeg_tag&) = delete;
    mpeg_tag& operator=(const mpeg_tag&) = delete;

    bool open(stream* source, list_info* info) override;
    const wchar_t* path() override;
    const wchar_t* get_field(const wchar_t* name) override;
    void set_field(const wchar_t* name, const wchar_t* value) override;
    bool update() override;
    void remove() override;
    audio_format* info() override { return &format_; }
    info_list* get_info_list() override { return info_list_; }
    bool accepts(stream* source, const wchar_t* path) override;

    // True when the bound file starts with a RIFF header.
    bool riff_wrapped() const { return riff_wrapped_; }

private:
    void describe(const mpeg_parser& parser);
    void take_audio_properties(const mpeg_parser& parser);

    stream* stream_ = nullptr;
    zel_tag tags_;
    audio_format format_;
    info_list* info_list_ = nullptr;
    stringx answer_;
    std::atomic<bool> abort_{false};
    bool riff_wrapped_ = false;
};
