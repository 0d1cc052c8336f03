// The test environment lists a sound device (an ALSA null device behind
// Wine's driver), as the player's start-up check and the device output need.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

TEST(harness, a_sound_device_is_listed) {
    EXPECT_GE(waveOutGetNumDevs(), 1u);
    WAVEOUTCAPSW caps = {};
    ASSERT_EQ(waveOutGetDevCapsW(0, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_GT(wcslen(caps.szPname), 0u);
}
