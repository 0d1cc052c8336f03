// The "playback" section of the INI file applied to a playback_settings
// object.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "config_var.h"
#include "core.h"
#include "playback_settings_file.h"

namespace {
// Records the setter calls in order.
class recording_settings : public playback_settings {
public:
    std::vector<std::string> calls;

    const GUID* get_guid() override { return &iid; }
    void release() override {}
    int priority() override { return 0; }
    void set_priority(int v) override { record("priority", true, v); }
    void normalize(bool*, int*) override {}
    void set_normalize(bool e, int v) override { record("normalize", e, v); }
    void auto_cross(bool*, int*) override {}
    void set_auto_cross(bool e, int v) override { record("auto_cross", e, v); }
    void force_cross(bool*, int*) override {}
    void set_force_cross(bool e, int v) override { record("force_cross", e, v); }
    void fade(bool*, int*) override {}
    void set_fade(bool e, int v) override { record("fade", e, v); }
    void seek_fade(bool*, int*) override {}
    void set_seek_fade(bool e, int v) override { record("seek_fade", e, v); }
    void visual(bool*, int*) override {}
    void set_visual(bool e, int v) override { record("visual", e, v); }

private:
    void record(const char* name, bool e, int v) {
        calls.push_back(std::string(name) + (e ? " on " : " off ") + std::to_string(v));
    }
};

// An INI file of the test's own holding bytes, removed at the end.
struct ini_with {
    std::wstring name = L"pbtest_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                        std::to_wstring(GetTickCount()) + L".ini";
    std::wstring path;
    explicit ini_with(const char* bytes) {
        wchar_t* folder = core::get_appdata_path();
        path = std::wstring(folder) + L"\\" + name;
        CreateDirectoryW(folder, nullptr);
        free(folder);
        if (bytes) {
            FILE* f = _wfopen(path.c_str(), L"wb");
            fputs(bytes, f);
            fclose(f);
        }
    }
    ~ini_with() { DeleteFileW(path.c_str()); }

    std::vector<std::string> applied() {
        config_var file(name.c_str());
        recording_settings target;
        playback_settings_file::apply(file, target);
        return target.calls;
    }
};

const std::vector<std::string> k_defaults = {"auto_cross off -2000", "force_cross off -1000", "fade off 1000",
                                             "seek_fade off 200", "visual on 100"};
}  // namespace

TEST(playback_settings_file, defaults_apply_without_file_section_or_values) {
    EXPECT_EQ(ini_with(nullptr).applied(), k_defaults);
    EXPECT_EQ(ini_with("[app]\r\nfade_enable=1\r\n").applied(), k_defaults);
    EXPECT_EQ(ini_with("[playback]\r\nfade_enable=\r\nfade_length=  \r\nvisual_enable=\r\n").applied(), k_defaults);
}

TEST(playback_settings_file, given_values_apply_pair_by_pair_in_order) {
    ini_with ini(
        "[playback]\r\n"
        "auto_cross_enable=1\r\nauto_cross_length=-3000\r\n"
        "force_cross_enable=2\r\n"
        "fade_enable=1\r\nfade_length=0\r\n"
        "seek_fade_length=350\r\n"
        "visual_enable=0\r\nvisual_length=abc\r\n");
    EXPECT_EQ(ini.applied(), (std::vector<std::string>{"auto_cross on -3000", "force_cross on -1000", "fade on 0",
                                                       "seek_fade off 350", "visual off 0"}));
}
