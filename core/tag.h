#pragma once
// tag: reads and writes a stream's tag fields and reports its audio
// properties. Per-use.
#include "audio_format.h"
#include "component.h"

class stream;
class list_info;
class info_list;

class tag : public component {
public:
    static constexpr GUID iid = {0xFFA4EA73, 0x9DA2, 0x407F, {0xA2, 0xA2, 0xEE, 0xEB, 0x53, 0x9F, 0x3A, 0xA7}};

    virtual bool open(stream* source, list_info* info) = 0;
    virtual const wchar_t* path() = 0;                   // empty when no stream is bound
    virtual const wchar_t* get_field(const wchar_t* name) = 0;  // valid until the next call
    virtual void set_field(const wchar_t* name, const wchar_t* value) = 0;
    virtual bool update() = 0;                           // writes the fields into the file
    virtual void remove() = 0;                           // removes the tags from the file
    virtual audio_format* info() = 0;
    virtual info_list* get_info_list() = 0;              // null before open
    virtual bool accepts(stream* source, const wchar_t* path) = 0;
    virtual ~tag() {}
};
