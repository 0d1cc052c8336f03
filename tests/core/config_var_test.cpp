// config_var and the INI file: names, UTF-8 text values kept byte-exact
// under the Korean code page, numbers, and the file's other content.
#include <gtest/gtest.h>
#include "test_text.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>
#include "config_var.h"
#include "config_var2.h"
#include "core.h"
#include "utility.h"

namespace {
std::wstring appdata() {
    wchar_t* p = core::get_appdata_path();
    std::wstring s = p;
    free(p);
    return s;
}


void put_bytes(const std::wstring& path, const std::string& bytes) {
    CreateDirectoryW(appdata().c_str(), nullptr);
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// An INI file of the test's own in the application-data folder, removed at
// the end (tests run side by side in one Wine prefix).
struct own_ini {
    std::wstring name;
    std::wstring path;
    config_var cfg;
    own_ini()
        : name(L"cfgtest_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::to_wstring(GetTickCount()) + L".ini"),
          path(appdata() + L"\\" + name),
          cfg(name.c_str()) {
        DeleteFileW(path.c_str());
    }
    ~own_ini() { DeleteFileW(path.c_str()); }
};
}  // namespace

TEST(config_var, addresses_files_in_the_application_data_folder) {
    EXPECT_EQ(std::wstring(config_var().path()), appdata() + L"\\zel_player.ini");
    EXPECT_EQ(std::wstring(config_var(nullptr).path()), appdata() + L"\\zel_player.ini");
    EXPECT_EQ(std::wstring(config_var(L"").path()), appdata() + L"\\zel_player.ini");
    config_var other(L"other.ini");
    EXPECT_EQ(std::wstring(other.path()), appdata() + L"\\other.ini");
    config_var copy(other);
    config_var assigned;
    assigned = other;
    EXPECT_EQ(std::wstring(copy.path()), std::wstring(other.path()));
    EXPECT_EQ(std::wstring(assigned.path()), std::wstring(other.path()));
}

TEST(config_var, text_values_are_stored_as_exact_utf8_bytes) {
    own_ini ini;
    ini.cfg.write(L"app", L"accent", L"\x00E9");
    EXPECT_EQ(read_file_bytes(ini.path), "[app]\r\naccent=\xC3\xA9\r\n");
    EXPECT_STREQ(ini.cfg.read(L"app", L"accent").wvalue(), L"\x00E9");

    // Hangul, a character outside the BMP and Latin-1: none of these byte
    // sequences are valid in code page 949, so a round trip through the ANSI
    // code page would turn them into "?".
    const wchar_t* text = L"\xD55C\xAE00 \x00E9 x \xD83D\xDE00";
    const std::string utf8 = "\xED\x95\x9C\xEA\xB8\x80 \xC3\xA9 x \xF0\x9F\x98\x80";
    ini.cfg.write(L"playlist", L"title", text);
    ini.cfg.write_int(L"app", L"device", 3);        // later writes of other keys
    ini.cfg.write_float(L"app", L"gain", -1.25);    // leave the bytes alone
    ini.cfg.write(L"app", L"accent", L"\x00E8");
    EXPECT_EQ(read_file_bytes(ini.path),
              "[app]\r\naccent=\xC3\xA8\r\ndevice=3\r\ngain=-1.250000\r\n[playlist]\r\ntitle=" + utf8 + "\r\n");
    EXPECT_STREQ(ini.cfg.read(L"playlist", L"title").wvalue(), text);
    EXPECT_EQ(ini.cfg.read(L"playlist", L"title").encoding(), stringx::UNI_CODE);
}

TEST(config_var, numbers_round_trip_as_decimal_text) {
    own_ini ini;
    ini.cfg.write_int(L"playback", L"fade_length", -1000);
    ini.cfg.write_float(L"eq", L"preamp", 1.5);
    EXPECT_EQ(read_file_bytes(ini.path), "[playback]\r\nfade_length=-1000\r\n[eq]\r\npreamp=1.500000\r\n");
    EXPECT_EQ(ini.cfg.read_int(L"playback", L"fade_length"), -1000);
    EXPECT_EQ(ini.cfg.read_float(L"eq", L"preamp"), 1.5);

    put_bytes(ini.path, "[s]\r\nf=0.1\r\nn= 12 \r\nt=\t12\t\r\nword=abc\r\nlead=7up\r\n");
    EXPECT_EQ(ini.cfg.read_float(L"s", L"f"), static_cast<double>(0.1f));
    EXPECT_STREQ(ini.cfg.read(L"s", L"n").wvalue(), L"12");
    EXPECT_EQ(ini.cfg.read_int(L"s", L"n"), 12);
    EXPECT_EQ(ini.cfg.read_int(L"s", L"t"), 12);
    EXPECT_EQ(ini.cfg.read_int(L"s", L"word"), 0);
    EXPECT_EQ(ini.cfg.read_int(L"s", L"lead"), 7);
}

TEST(config_var, missing_things_read_as_empty_or_zero) {
    own_ini ini;
    EXPECT_STREQ(ini.cfg.read(L"app", L"none").wvalue(), L"");
    EXPECT_EQ(ini.cfg.read_int(L"app", L"none"), 0);
    EXPECT_EQ(ini.cfg.read_float(L"app", L"none"), 0.0);
    EXPECT_STREQ(ini.cfg.read(nullptr, L"k").wvalue(), L"");
    EXPECT_FALSE(GetFileAttributesW(ini.path.c_str()) != INVALID_FILE_ATTRIBUTES);  // reads create nothing
    ini.cfg.write(L"app", L"k", L"v");
    EXPECT_STREQ(ini.cfg.read(L"other", L"k").wvalue(), L"");
    EXPECT_STREQ(ini.cfg.read(L"app", L"K2").wvalue(), L"");
}

TEST(config_var, writes_change_only_their_own_line) {
    own_ini ini;
    const std::string before =
        "; kept comment\n[App]\nDevice = 2\n\n[playback]\r\nfade_length=500\r\n\r\n[other]\r\nx=\xB0\xA1\r\n";
    put_bytes(ini.path, before);
    EXPECT_EQ(ini.cfg.read_int(L"app", L"device"), 2);  // names ignore case, blanks around "=" too
    ini.cfg.write_int(L"APP", L"DEVICE", 4);
    ini.cfg.write(L"playback", L"fade_enable", L"1");
    ini.cfg.write(L"new", L"k", L"v");
    EXPECT_EQ(read_file_bytes(ini.path),
              "; kept comment\n[App]\nDevice=4\n\n[playback]\r\nfade_length=500\r\nfade_enable=1\r\n\r\n"
              "[other]\r\nx=\xB0\xA1\r\n[new]\r\nk=v\r\n");

    // A last line without a line break.
    put_bytes(ini.path, "[a]\r\nk=1");
    ini.cfg.write(L"a", L"j", L"2");
    EXPECT_EQ(read_file_bytes(ini.path), "[a]\r\nk=1\r\nj=2\r\n");
}

TEST(config_var, odd_values_and_names_cannot_break_the_file) {
    own_ini ini;
    ini.cfg.write(L"a", L"multi", L"one\r\n[evil]\r\nk=2");
    EXPECT_STREQ(ini.cfg.read(L"a", L"multi").wvalue(), L"one  [evil]  k=2");
    EXPECT_STREQ(ini.cfg.read(L"evil", L"k").wvalue(), L"");

    ini.cfg.write(L"a", L"quoted", L"\"q\"");
    EXPECT_STREQ(ini.cfg.read(L"a", L"quoted").wvalue(), L"\"q\"");
    ini.cfg.write(L"a", L"null", nullptr);
    EXPECT_STREQ(ini.cfg.read(L"a", L"null").wvalue(), L"");

    const std::string good = read_file_bytes(ini.path);
    ini.cfg.write(L"bad]", L"k", L"v");
    ini.cfg.write(L"a", L"k=x", L"v");
    ini.cfg.write(L"a", L"", L"v");
    ini.cfg.write(L"a", L"[k", L"v");
    ini.cfg.write(L"", L"k", L"v");
    ini.cfg.write(L"a", L"line\nbreak", L"v");
    EXPECT_EQ(read_file_bytes(ini.path), good);

    // A value of any length reads back whole.
    const std::wstring long_value(6000, L'\xD55C');
    ini.cfg.write(L"a", L"long", long_value.c_str());
    EXPECT_EQ(std::wstring(ini.cfg.read(L"a", L"long").wvalue()), long_value);
}

TEST(config_var, files_of_the_wide_profile_functions_are_shared) {
    own_ini ini;
    // Written by the platform, read here, and the other way round.
    EXPECT_NE(utility::write_profile_string(ini.path.c_str(), L"playback", L"visual_length", L"150"), 0);
    EXPECT_EQ(ini.cfg.read_int(L"playback", L"visual_length"), 150);
    ini.cfg.write_int(L"playback", L"fade_length", 300);
    EXPECT_STREQ(utility::get_profile_string(ini.path.c_str(), L"playback", L"fade_length", L"", 4096).wvalue(), L"300");
    EXPECT_STREQ(utility::get_profile_string(ini.path.c_str(), L"playback", L"none", L"  dflt ", 4096).wvalue(),
                 L"dflt");
    // The buffer size cuts the value to size - 1 characters.
    EXPECT_STREQ(utility::get_profile_string(ini.path.c_str(), L"playback", L"fade_length", L"", 3).wvalue(), L"30");
    EXPECT_STREQ(utility::get_profile_string(ini.path.c_str(), L"playback", L"fade_length", L"", 0).wvalue(), L"");

    // A Unicode profile file (UTF-16 with its byte-order mark) stays one.
    const std::wstring wide_path = ini.path + L".u16";
    const wchar_t content[] = L"\xFEFF[app]\r\nname=\xD55C\r\n";
    put_bytes(wide_path, std::string(reinterpret_cast<const char*>(content), sizeof content - sizeof(wchar_t)));
    config_var wide((ini.name + L".u16").c_str());
    EXPECT_STREQ(wide.read(L"app", L"name").wvalue(), L"\xD55C");
    wide.write(L"app", L"title", L"\xD83D\xDE00\xAE00");
    EXPECT_STREQ(wide.read(L"app", L"title").wvalue(), L"\xD83D\xDE00\xAE00");
    EXPECT_EQ(read_file_bytes(wide_path).substr(0, 2), "\xFF\xFE");
    DeleteFileW(wide_path.c_str());
}

TEST(config_var, overlapping_writes_lose_no_key) {
    own_ini ini;
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&ini, t] {
            config_var cfg(ini.name.c_str());
            for (int k = 0; k < 10; ++k)
                cfg.write_int(L"load", (L"w" + std::to_wstring(t) + L"_" + std::to_wstring(k)).c_str(), t * 100 + k);
        });
    for (std::thread& w : writers) w.join();
    for (int t = 0; t < 4; ++t)
        for (int k = 0; k < 10; ++k)
            EXPECT_EQ(ini.cfg.read_int(L"load", (L"w" + std::to_wstring(t) + L"_" + std::to_wstring(k)).c_str()),
                      t * 100 + k);
}

TEST(config_var2, without_a_settings_store_reads_nothing_and_writes_nothing) {
    // This program loads no component library, so no store is registered.
    config_var2 cfg;
    EXPECT_STREQ(cfg.read(L"app", L"device").wvalue(), L"");
    EXPECT_EQ(cfg.read(L"app", L"device").encoding(), stringx::UNI_CODE);
    EXPECT_EQ(cfg.read_int(L"app", L"device"), 0);
    EXPECT_EQ(cfg.read_float(L"app", L"device"), 0.0);
    cfg.write(L"app", L"device", L"3");
    cfg.write_int(L"app", L"device", 3);
    cfg.write_float(L"app", L"device", 3.0);
    EXPECT_STREQ(cfg.read(L"app", L"device").wvalue(), L"");
}
