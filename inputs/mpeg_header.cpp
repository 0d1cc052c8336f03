#include "mpeg_header.h"

namespace {

// ISO/IEC 11172-3 (MPEG-1, row lsf 0) and ISO/IEC 13818-3 (low sampling
// frequencies, row lsf 1), by layer, in kbit/s.
const int bitrates[2][3][16] = {
    {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    },
    {
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    },
};

const int sample_rates[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};

}  // namespace

int mpeg_bitrate_kbps(int lsf, int layer, int bitrate_index)
{
    if (lsf < 0 || lsf > 1 || layer < 1 || layer > 3 || bitrate_index < 0 || bitrate_index > 15)
        return 0;
    return bitrates[lsf][layer - 1][bitrate_index];
}

int mpeg_sample_rate(int sampling_frequency)
{
    if (sampling_frequency < 0 || sampling_frequency > 8)
        return 0;
    return sample_rates[sampling_frequency];
}

int mpeg_samples_per_frame(int lsf, int layer)
{
    switch (layer) {
    case 1: return 384;
    case 2: return 1152;
    case 3: return lsf ? 576 : 1152;
    default: return 0;
    }
}

bool parse_frame_header(uint32_t h, frame_header& out)
{
    frame_header f;
    if (h & (1u << 20)) {
        f.mpeg25 = false;
        f.lsf = (h & (1u << 19)) ? 0 : 1;
    } else {
        f.mpeg25 = true;
        f.lsf = 1;
    }
    const int frequency_bits = (h >> 10) & 3;
    if (frequency_bits == 3)
        return false;
    const int layer_bits = (h >> 17) & 3;
    if (layer_bits == 0)
        return false;
    f.layer = 4 - layer_bits;
    f.sampling_frequency = (f.mpeg25 ? 6 : 3 * f.lsf) + frequency_bits;
    f.error_protection = ((h >> 16) & 1) ? 0 : 1;
    f.bitrate_index = (h >> 12) & 15;
    f.padding = (h >> 9) & 1;
    f.extension = (h >> 8) & 1;
    f.mode = (h >> 6) & 3;
    f.mode_ext = (h >> 4) & 3;
    f.copyright = (h >> 3) & 1;
    f.original = (h >> 2) & 1;
    f.emphasis = h & 3;
    f.channels = f.mode == 3 ? 1 : 2;
    if (f.bitrate_index == 0 || f.bitrate_index == 15)
        return false;

    const int kbps = mpeg_bitrate_kbps(f.lsf, f.layer, f.bitrate_index);
    const int rate = mpeg_sample_rate(f.sampling_frequency);
    switch (f.layer) {
    case 1:
        f.framesize = (kbps * 12000 / rate + f.padding) * 4 - 4;
        break;
    case 2:
        f.framesize = kbps * 144000 / rate + f.padding - 4;
        break;
    default:
        f.framesize = kbps * 144000 / (rate << f.lsf) + f.padding - 4;
        f.layer3_padding = f.padding;
        if (f.lsf)
            f.side_info_size = f.channels == 1 ? 9 : 17;
        else
            f.side_info_size = f.channels == 1 ? 17 : 32;
        break;
    }
    out = f;
    return true;
}

bool same_stream(const frame_header& a, const frame_header& b)
{
    return a.mpeg25 == b.mpeg25 && a.lsf == b.lsf && a.layer == b.layer &&
           a.sampling_frequency == b.sampling_frequency && a.channels == b.channels;
}
