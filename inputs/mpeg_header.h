#pragma once
// MPEG audio frame headers: the 4-byte header parse of the decoder and the
// per-version, per-layer constants (bit rates, sample rates, samples per
// frame) that every MPEG reader of this library takes from here.
#include <cstdint>

// One parsed frame header. Fields that the decoding core derives for itself
// (joint-stereo bound, layer II subband limit and allocation table) stay
// inside libmpg123 and are not kept here.
struct frame_header {
    bool mpeg25 = false;        // MPEG-2.5 stream
    int lsf = 0;                // 1 for MPEG-2 and MPEG-2.5, 0 for MPEG-1
    int layer = 0;              // 1, 2 or 3
    int error_protection = 0;   // 1 when a 16-bit CRC follows the header
    int bitrate_index = 0;      // 1 to 14 in an accepted header
    int sampling_frequency = 0; // index 0 to 8 into the sample-rate table
    int padding = 0;
    int extension = 0;          // private bit
    int mode = 0;               // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int mode_ext = 0;
    int copyright = 0;
    int original = 0;
    int emphasis = 0;
    int channels = 0;           // 1 when mode is 3, else 2
    int framesize = 0;          // bytes of the frame after the 4 header bytes
    int layer3_padding = 0;     // copy of the padding bit, layer III only
    int side_info_size = 0;     // bytes of layer III side information; 0 for layers I and II
};

// Bit rate in kbit/s for (lsf, layer 1-3, bitrate index 0-15); 0 for the free
// format index 0 and the forbidden index 15. MPEG-2.5 uses the lsf row.
int mpeg_bitrate_kbps(int lsf, int layer, int bitrate_index);

// Sample rate in Hz for index 0-8 (MPEG-1: 0-2, MPEG-2: 3-5, MPEG-2.5: 6-8); 0 outside.
int mpeg_sample_rate(int sampling_frequency);

// Samples per channel in one frame: 384 for layer I, 1152 for layer II and
// MPEG-1 layer III, 576 for MPEG-2 and MPEG-2.5 layer III.
int mpeg_samples_per_frame(int lsf, int layer);

// Parses the big-endian header word h. The 11 sync bits are not examined:
// callers align the stream on a frame first. Returns false for reserved
// values (frequency index 3, bitrate index 0 or 15, layer bits 00); out is
// then left unchanged.
bool parse_frame_header(uint32_t h, frame_header& out);

// True when b continues the stream that a starts: same MPEG version, layer,
// sample rate and channel count.
bool same_stream(const frame_header& a, const frame_header& b);
