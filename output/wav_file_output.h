#pragma once
// The WAV-file output (type 1) and its configuration from the environment.
#include <string>

class output;

// ZEL_OUTPUT_WAV, or "%TEMP%\zel_output.wav" when it is not set.
std::wstring wav_output_path();
// ZEL_OUTPUT_WAV_SPEED: the pace as a factor of real time; 1 when not set or
// not a number; 0 (or less) for no pacing.
double wav_output_speed();

// The file name for the next file written under `base`: base itself the first
// time in the process, then base with "-2", "-3", ... before the extension.
std::wstring claim_wav_path(const std::wstring& base);

output* make_wav_file_output(const std::wstring& path, int buffer_ms, double speed);
