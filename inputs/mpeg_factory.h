#pragma once
// zel_in_std's MPEG singletons: the input-and-tag factory for ".wav" files
// whose audio is MPEG (format tag 80 or 85), which also carries the library's
// decoder options, and the "MPEG Audio" file type.
#include "file_type.h"
#include "input.h"
#include "mpeg_options.h"
#include "service_factory.h"

class mpeg_input_tag_factory : public singleton_component<input_tag_factory> {
public:
    // An opened MPEG input (resp. tag) for a stream whose path has the
    // extension "wav" (any case) and whose RIFF WAVE format is MPEG; null
    // otherwise. The stream position is the same after a refusal.
    input* create_input(stream* source, list_info* info) override;
    tag* create_tag(stream* source, list_info* info) override;

    // Read by the MPEG input and tag; nothing in the player changes them.
    mpeg_decoder_options options;
};

// The library's one factory, made at its first use.
mpeg_input_tag_factory& mpeg_factory();

class mpeg_file_type : public singleton_component<file_type> {
public:
    const wchar_t* description() override { return L"MPEG Audio"; }
    const wchar_t* extensions() override { return L"*.mp3;*.mp2;*.mpga;*.wav"; }
};

// The registration node that hands out mpeg_factory().
class mpeg_factory_node : public service_factory {
public:
    mpeg_factory_node() : service_factory(input_tag_factory::iid) {}
    component* create() override { return &mpeg_factory(); }
};
