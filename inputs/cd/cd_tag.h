#pragma once
// cd_tag: the tag of audio CD tracks. It describes the track that a CD
// track name points at on the disc that is now in the named drive (the disc
// id of the name is not looked at): its length and audio format, four
// properties, and the titles that a lookup left for that drive. Read only.
//
// Created per use by the core; open runs on the caller's thread under the
// drive table's lock and holds the extractor only while it runs.
#include <string>

#include "tag.h"

class cd_tag : public per_use_component<cd_tag, tag> {
public:
    cd_tag();
    ~cd_tag() override;
    cd_tag(const cd_tag&) = delete;
    cd_tag& operator=(const cd_tag&) = delete;

    bool open(stream* source, list_info* info) override;
    const wchar_t* path() override { return path_.c_str(); }
    const wchar_t* get_field(const wchar_t* name) override;
    void set_field(const wchar_t*, const wchar_t*) override {}
    bool update() override { return false; }
    void remove() override {}
    audio_format* info() override { return &info_; }
    info_list* get_info_list() override { return properties_; }
    bool accepts(stream* source, const wchar_t* path) override;

private:
    std::wstring path_;
    audio_format info_;
    info_list* properties_ = nullptr;
    std::wstring title_, artist_, album_, comment_, genre_, year_, track_text_;
};
