#pragma once
// path_expander: turns a path that stands for several entries (a folder, a
// playlist of the player's own format) into entries. Singletons.
#include <vector>
#include "component.h"

class list_info;

class path_expander : public component {
public:
    static constexpr GUID iid = {0x0AAD2EE8, 0x436B, 0x4EC2, {0x98, 0x10, 0x0A, 0x7F, 0x87, 0x16, 0x95, 0x88}};
    // True when the path was expanded; its entries are appended.
    virtual bool expand(const wchar_t* path, std::vector<list_info>& entries) = 0;
};
