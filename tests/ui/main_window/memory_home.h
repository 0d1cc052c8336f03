#pragma once
// A per-user options store in memory, keyed "section/key", for tests of
// what reads and writes the player's options.
#include <map>
#include <string>

#include "player_options.h"

class memory_home : public option_home {
public:
    std::map<std::wstring, std::wstring> values;  // "section/key"
    stringx read(const wchar_t* section, const wchar_t* key) override {
        auto found = values.find(std::wstring(section) + L"/" + key);
        return found == values.end() ? stringx(L"") : stringx(found->second.c_str());
    }
    void write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override {
        values[std::wstring(section) + L"/" + key] = value ? value : L"";
    }
    // The value of "section/key", "<none>" when it was never written.
    std::wstring at(const std::wstring& key) const {
        auto found = values.find(key);
        return found == values.end() ? L"<none>" : found->second;
    }
};
