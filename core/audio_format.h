#pragma once
// The audio format record that inputs and tags fill and that the playback
// thread, the processing stages and the output read.
struct audio_format {
    int format_tag;       // 1 integer PCM, 3 IEEE float
    int channels;
    int sample_rate;      // Hz
    int bits_per_sample;
    int channel_mask;     // 0 from the MPEG input; the Windows Media input sets the mask
    double length;        // seconds, 0.0 when the input cannot tell
    double bitrate;       // kbit/s
};
