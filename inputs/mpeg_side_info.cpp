#include "mpeg_side_info.h"

namespace {

// Most significant bit first; reads past the end give zero bits.
class bit_reader {
public:
    bit_reader(const unsigned char* data, int size) : data_(data), bits_(size > 0 ? size * 8 : 0) {}

    int read(int n)
    {
        int value = 0;
        for (int i = 0; i < n; ++i) {
            int bit = 0;
            if (position_ < bits_)
                bit = (data_[position_ >> 3] >> (7 - (position_ & 7))) & 1;
            ++position_;
            value = (value << 1) | bit;
        }
        return value;
    }

    void skip(int n) { position_ += n; }

private:
    const unsigned char* data_;
    int bits_;
    int position_ = 0;
};

// One granule of one channel; returns false for window switching with block type 0.
bool read_granule_channel(bit_reader& bits, int lsf)
{
    bits.skip(12 + 9 + 8);          // part2_3_length, big_values, global_gain
    bits.skip(lsf ? 9 : 4);         // scalefac_compress
    const int window_switching = bits.read(1);
    bool valid = true;
    if (window_switching) {
        const int block_type = bits.read(2);
        if (block_type == 0)
            valid = false;
        bits.skip(1 + 2 * 5 + 3 * 3);  // mixed_block_flag, table_select, subblock_gain
    } else {
        bits.skip(3 * 5 + 4 + 3);      // table_select, region0_count, region1_count
    }
    bits.skip(lsf ? 2 : 3);          // (preflag,) scalefac_scale, count1table_select
    return valid;
}

}  // namespace

layer3_side_info read_layer3_side_info(const unsigned char* side, int size, int lsf, int channels)
{
    layer3_side_info info;
    bit_reader bits(side, size);
    const bool mono = channels == 1;
    if (lsf) {
        info.main_data_begin = bits.read(8);
        bits.skip(mono ? 1 : 2);              // private bits
    } else {
        info.main_data_begin = bits.read(9);
        bits.skip(mono ? 5 : 3);              // private bits
        bits.skip(4 * channels);              // scfsi
    }
    const int granules = lsf ? 1 : 2;
    info.valid = true;
    for (int gr = 0; gr < granules; ++gr)
        for (int ch = 0; ch < channels; ++ch)
            if (!read_granule_channel(bits, lsf))
                info.valid = false;
    return info;
}
