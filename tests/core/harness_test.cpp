// The test environment itself: every later test of Korean text, local time or
// sound devices relies on these.
#include <gtest/gtest.h>
#include <windows.h>
#include <ctime>

TEST(harness, ansi_code_page_is_korean) {
    EXPECT_EQ(GetACP(), 949u);
    // "한" in code page 949 is C7 D1.
    char ansi[8] = {};
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\xD55C", 1, ansi, sizeof ansi, nullptr, nullptr), 2);
    EXPECT_EQ(static_cast<unsigned char>(ansi[0]), 0xC7);
    EXPECT_EQ(static_cast<unsigned char>(ansi[1]), 0xD1);
}

TEST(harness, local_time_is_korean_standard_time) {
    _tzset();
    time_t epoch = 0;
    struct tm* local = localtime(&epoch);
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local->tm_hour, 9);
    EXPECT_EQ(local->tm_isdst, 0);
#ifndef _WIN64
    static_assert(sizeof(time_t) == 4, "exported layouts assume a 32-bit time_t");
#endif
}
