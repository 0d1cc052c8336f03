#pragma once
// file_type: one kind of file the player opens, for open-file filters and
// folder scans. Singletons.
#include "component.h"

class file_type : public component {
public:
    static constexpr GUID iid = {0x0ABE3F86, 0x00C2, 0x4591, {0xBE, 0x36, 0x49, 0xFF, 0x4F, 0xDF, 0x06, 0xD1}};
    virtual const wchar_t* description() = 0;  // e.g. "MPEG Audio"
    virtual const wchar_t* extensions() = 0;   // a mask such as "*.mp3;*.mp2"
};
