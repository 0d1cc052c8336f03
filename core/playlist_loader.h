#pragma once
// playlist_loader: reads a playlist file of one format into entries. Singletons.
#include <vector>
#include "component.h"

class list_info;

class playlist_loader : public component {
public:
    static constexpr GUID iid = {0xCED3C75B, 0xDD5C, 0x4B26, {0xB9, 0xE7, 0xC8, 0x14, 0x8C, 0x8B, 0xEC, 0x47}};
    // True when the path has this loader's format and could be read; the
    // entries found are appended.
    virtual bool load(const wchar_t* path, std::vector<list_info>& entries) = 0;
};
