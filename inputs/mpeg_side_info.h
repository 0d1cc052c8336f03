#pragma once
// Layer III side information as far as the decoder checks it before handing
// a frame to the decoding core: main_data_begin, and each granule's window
// switching and block type.
#include <cstdint>

struct layer3_side_info {
    int main_data_begin = 0;  // bytes the frame's main data starts before its own
    bool valid = false;       // false when a granule has window switching with block type 0
};

// Reads the side information of one layer III frame (size bytes: 17 or 32 for
// MPEG-1, 9 or 17 for MPEG-2 and MPEG-2.5). Fields past size read as 0.
layer3_side_info read_layer3_side_info(const unsigned char* side, int size, int lsf, int channels);

// Bookkeeping of the layer III bit reservoir: how much main data has been
// received since the reservoir was last emptied, with 16-bit positions that
// wrap at 65536. The bytes themselves live in the decoding core.
struct main_data_ring {
    static constexpr uint32_t capacity = 65536;
    uint32_t count = 0;     // bytes ever written, saturating at capacity
    uint16_t write_position = 0;
    uint16_t read_position = 0;

    void empty() { count = 0; write_position = 0; }
    // Appends a frame's main data: the read position marks where it starts.
    void append(int n)
    {
        if (n < 0)
            n = 0;
        read_position = write_position;
        write_position = uint16_t(write_position + uint32_t(n));
        count = count + uint32_t(n) > capacity ? capacity : count + uint32_t(n);
    }
    // True when a frame reaching main_data_begin bytes back would read before
    // the main data received since the reservoir was emptied.
    bool reaches_before_start(int main_data_begin) const
    {
        return count < capacity && main_data_begin > int(read_position);
    }
};
