#pragma once
// input: decodes a stream into PCM blocks for the playback thread. Per-use;
// core::create_input finds one for each track and hands it back opened.
#include "audio_format.h"
#include "component.h"

class stream;
class list_info;

class input : public component {
public:
    static constexpr GUID iid = {0xDC76FA36, 0xFC56, 0x4A72, {0xA7, 0xD7, 0xB0, 0x93, 0x25, 0xEC, 0xEC, 0xD7}};

    // Binds the stream; false when it cannot be decoded (the caller releases).
    virtual bool open(stream* source, list_info* info) = 0;
    virtual void close() = 0;
    virtual void seek(double seconds) = 0;
    virtual audio_format* get_format(audio_format* format) = 0;
    // PCM bytes delivered; negative at the end of the data.
    virtual int read(void* buffer, int bytes) = 0;
    virtual double position() = 0;     // seconds delivered so far
    virtual bool busy() = 0;           // the stream is still buffering
    virtual bool slot9() { return true; }
    virtual bool accepts_content_type(const wchar_t* type) = 0;
    // Claims the stream by the extension of path (or of the stream's own path).
    virtual bool accepts(stream* source, const wchar_t* path) = 0;
    virtual ~input() {}
};

// Makes an input and a tag for streams that the extension alone cannot assign.
class tag;
class input_tag_factory : public component {
public:
    static constexpr GUID iid = {0x2520413E, 0xCFBD, 0x46EC, {0xA5, 0x30, 0xE8, 0x71, 0xF9, 0x4B, 0x2B, 0x6C}};
    virtual input* create_input(stream* source, list_info* info) = 0;
    virtual tag* create_tag(stream* source, list_info* info) = 0;
};
