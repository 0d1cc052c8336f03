#include "mpeg_decoder.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "mpeg_core.h"
#include "mpeg_header.h"
#include "mpeg_input_queue.h"
#include "mpeg_side_info.h"
#include "synth_output.h"

namespace {

// The largest frame of any accepted header: MPEG-2.5 layer II at 160 kbit/s
// and 8000 Hz, 2881 bytes with the header.
constexpr int max_frame_bytes = 4096;

// `real` is the precision of the output stage. libmpg123 is built for single
// precision, so the double-precision decoder converts the same float samples
// with every step of the output stage in double.
template <typename real>
class mpeg_decoder_impl final : public mpeg_decoder {
public:
    mpeg_decoder_impl(output_format format, bool use_3dnow, int dither_mode)
        : use_3dnow_(use_3dnow),
          min_capacity_(output_sample_bytes(format) * 2304),
          output_(format, dither_mode)
    {
    }

    bool start() { return core_.create(use_3dnow_); }

    int sample_rate() override { return mpeg_sample_rate(current_.sampling_frequency); }
    int channels() override { return current_.channels; }

    void reset() override
    {
        queue_.clear();
        first_frame_ = true;
        pending_ = 0;
        reference_ = frame_header();
        current_ = frame_header();
        main_data_.empty();
        core_.restart();
    }

    int decode(const unsigned char* in_data, unsigned in_size, unsigned char* out_data, int out_capacity,
               int* out_bytes) override
    {
        if (out_bytes)
            *out_bytes = 0;
        if (out_capacity < min_capacity_ || !out_data)
            return -1;
        if (in_data && !queue_.push(in_data, in_size))
            return -1;
        if (pending_ == 0) {
            if (queue_.size() < 4)
                return 1;
            queue_.take(frame_, 4);
            const uint32_t h = uint32_t(frame_[0]) << 24 | uint32_t(frame_[1]) << 16 |
                               uint32_t(frame_[2]) << 8 | frame_[3];
            frame_header parsed;
            if (!parse_frame_header(h, parsed))
                return -1;
            current_ = parsed;
            if (first_frame_) {
                reference_ = current_;
                first_frame_ = false;
            } else if (!same_stream(current_, reference_)) {
                return -1;
            }
            if (current_.framesize > max_frame_bytes - 4)
                return -1;  // cannot happen with the standard tables; keeps the copy in bounds
            pending_ = current_.framesize;
            bitrate = mpeg_bitrate_kbps(current_.lsf, current_.layer, current_.bitrate_index);
        }
        if (queue_.size() < pending_)
            return 1;
        queue_.take(frame_ + 4, pending_);
        const int size = 4 + pending_;
        pending_ = 0;
        // The sync bits were never examined; the core expects them.
        frame_[0] = 0xFF;
        frame_[1] |= 0xE0;
        int written = 0;
        const int result = current_.layer == 3 ? decode_layer3(size, out_data, written)
                                               : decode_samples(size, out_data, written);
        if (out_bytes)
            *out_bytes = written;
        return result;
    }

private:
    int decode_layer3(int size, unsigned char* out, int& written)
    {
        const int crc_bytes = 2 * current_.error_protection;
        const int body = current_.framesize - crc_bytes;
        const int side_bytes = body < current_.side_info_size ? (body > 0 ? body : 0)
                                                               : current_.side_info_size;
        unsigned char* side = frame_ + 4 + crc_bytes;
        const layer3_side_info info = read_layer3_side_info(side, side_bytes, current_.lsf, current_.channels);
        main_data_.append(body - side_bytes);
        const bool reaches_back = main_data_.reaches_before_start(info.main_data_begin);
        if (info.valid && !reaches_back)
            return decode_samples(size, out, written);
        // Refused. The frame's main data still belongs to the reservoir, so
        // the core gets the frame anyway, with its side information cleared:
        // main_data_begin 0 and empty granules, which read no bits and
        // decode to silence. Its samples are dropped. While the history is
        // empty (every refused frame after a reset, before the first decoded
        // one) it stays exactly empty; after decoded frames the core ends
        // their overlap here, which no public libmpg123 call can avoid.
        std::memset(side, 0, size_t(side_bytes));
        const int samples = mpeg_samples_per_frame(current_.lsf, 3) * current_.channels;
        if (!core_.decode_frame(frame_, size, samples))
            main_data_.empty();
        return info.valid ? -2 : -1;
    }

    int decode_samples(int size, unsigned char* out, int& written)
    {
        const int per_channel = mpeg_samples_per_frame(current_.lsf, current_.layer);
        const float* samples = core_.decode_frame(frame_, size, per_channel * current_.channels);
        if (!samples) {
            // The core restarted: its reservoir is gone, and so is ours.
            main_data_.empty();
            return -1;
        }
        written = output_.write_frame(samples, current_.channels, per_channel, out);
        return 0;
    }

    const bool use_3dnow_;
    const int min_capacity_;
    bool first_frame_ = true;
    input_queue queue_;
    int32_t pending_ = 0;  // body bytes of the current frame still to come; 0 while a header is expected
    frame_header reference_;
    frame_header current_;
    main_data_ring main_data_;
    mpeg_core core_;
    synth_output<real> output_;
    unsigned char frame_[max_frame_bytes];
};

using mpeg_decoder_float = mpeg_decoder_impl<float>;
using mpeg_decoder_double = mpeg_decoder_impl<double>;

template <typename decoder>
mpeg_decoder* make_decoder(output_format format, bool use_3dnow, int dither_mode)
{
    auto* d = new (std::nothrow) decoder(format, use_3dnow, dither_mode);
    if (d && !d->start()) {
        delete d;
        d = nullptr;
    }
    return d;
}

}  // namespace

mpeg_decoder* create_mpeg_decoder(bool single_precision, bool use_3dnow, int float_output, int bits,
                                  int dither_mode)
{
    output_format format;
    if (!output_format_for(float_output, bits, format))
        return nullptr;
    std::srand(unsigned(std::time(nullptr)));
    if (single_precision)
        return make_decoder<mpeg_decoder_float>(format, use_3dnow, dither_mode);
    return make_decoder<mpeg_decoder_double>(format, false, dither_mode);
}
