#pragma once
// The "playback" section of the INI file: decimal integers, each key of a
// pair read on its own, with these defaults when a key is missing or empty:
//   auto_cross_enable  0   auto_cross_length  -2000
//   force_cross_enable 0   force_cross_length -1000
//   fade_enable        0   fade_length         1000
//   seek_fade_enable   0   seek_fade_length     200
//   visual_enable      1   visual_length        100
// An enable key is on when its number is not 0; text that is no number
// counts as 0.
#include "config_var.h"
#include "playback_settings.h"
#include "zel_export.h"

class ZEL_CORE_API playback_settings_file {
public:
    // Reads the five pairs from section "playback" of file and hands them to
    // target's setters in the order auto_cross, force_cross, fade, seek_fade,
    // visual. The priority and the normalizer are left alone.
    static void apply(config_var& file, playback_settings& target);

private:
    playback_settings_file() = delete;
};
