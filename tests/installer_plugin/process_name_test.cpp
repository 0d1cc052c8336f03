// The name test of the installer plug-in, under the Korean ANSI code page
// (949) the tests run with.
#include <gtest/gtest.h>
#include <windows.h>

#include "process_name.h"

namespace {

struct name_case {
    const char* exe_file;
    const char* program;
    bool matches;
};

TEST(process_name, matches_by_ascii_case_blind_substring) {
    const name_case cases[] = {
        {"zel_player.exe", "zel_player.exe", true},
        {"ZEL_PLAYER.EXE", "zel_player.exe", true},
        {"Zel_Player.Exe", "ZEL_PLAYER.EXE", true},
        {"old_zel_player.exe.bak", "zel_player.exe", true},
        {"C:\\Program Files\\ZEL\\zel_player.exe", "zel_player.exe", true},
        {"zel_player2.exe", "zel_player.exe", false},
        {"zel_mtplayer.exe", "zel_player.exe", false},
        {"zel_player.ex", "zel_player.exe", false},
        {"", "zel_player.exe", false},
        {"zel_client.exe", "zel_client.exe", true},
        {"zel_manager.exe", "zel_client.exe", false},
        // A Korean character in front of the name: the search steps over it.
        {"\xB0\xA1zel_player.exe", "zel_player.exe", true},
        {"\x81\x41zel_player.exe", "zel_player.exe", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.matches, zel_nsis::process_name_matches(c.exe_file, c.program))
            << c.exe_file << " / " << c.program;
}

TEST(process_name, only_a_to_z_change_case) {
    // Bit masks that fold a to z also fold the brackets and braces.
    EXPECT_FALSE(zel_nsis::process_name_matches("[zel]", "{ZEL}"));
    EXPECT_TRUE(zel_nsis::process_name_matches("a_Z@[", "A_z@["));
}

// A byte search would find "ZEL_PLAYER.EXE" starting on the trail byte of a
// double-byte character ("\x81Z" and "\x81z" are Hangul syllables in code
// page 949) and end a program that is not the player.
TEST(process_name, never_matches_from_the_second_byte_of_a_character) {
    ASSERT_EQ(949u, GetACP()) << "the tests run with the Korean ANSI code page";
    EXPECT_FALSE(zel_nsis::process_name_matches("\x81ZEL_PLAYER.EXE", "zel_player.exe"));
    EXPECT_FALSE(zel_nsis::process_name_matches("\x81zel_player.exe", "zel_player.exe"));
    EXPECT_TRUE(zel_nsis::process_name_matches("\x81zzel_player.exe", "zel_player.exe"));
}

TEST(process_name, null_text_matches_nothing) {
    EXPECT_FALSE(zel_nsis::process_name_matches(nullptr, "zel_player.exe"));
    EXPECT_FALSE(zel_nsis::process_name_matches("zel_player.exe", nullptr));
}

}  // namespace
