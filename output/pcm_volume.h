#pragma once
// Volume on samples in place: volume 0..1000 (linear, 1000 leaves them
// alone), mute gives silence. Integer samples are scaled by volume / 1000
// towards zero; 8-bit samples are unsigned around 128.
#include "pcm_format.h"

void apply_volume(const pcm_format& format, unsigned char* bytes, int count, int volume, bool mute);
