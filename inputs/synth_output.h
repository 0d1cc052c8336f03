#pragma once
// The output stage of the MPEG decoder: turns the synthesis output (samples
// at nominal full scale 1.0) into 16-, 24- or 32-bit signed integers or
// 32-bit floats, interleaved and little-endian. Integer formats are scaled,
// optionally dithered, rounded to nearest (ties to even) and clipped.
//
// `real` is the decoder's precision (float or double): every intermediate
// value, the noise shaper's history and its previous random value are held
// in it. The routines for the format and dither mode are chosen once, at
// construction.
#include <cstdint>
#include <cstdlib>

enum class output_format { int16, int24, int32, float32 };

// Bytes per sample: 2, 3, 4, 4.
int output_sample_bytes(output_format format);

// Maps the decoder options (float_output, bits) to a format; false for
// combinations that have no output routines.
bool output_format_for(int float_output, int bits, output_format& format);

// Uniform integers 0 to 32767, as the C library's rand gives them.
using random_source = int (*)();

// Error-feedback state for dither mode 3 (modes 2 and 3 use `previous`).
template <typename real>
struct noise_shaper {
    int mask = 7;
    int size = 8;
    // Five-tap minimally audible noise-shaping filter (Lipshitz, Vanderkooy, Wannamaker).
    real c[5] = {real(2.033), real(-2.165), real(1.959), real(-1.590), real(0.6149)};
    int phase = 0;
    real previous = 0;
    real history[8] = {};
};

template <typename real>
class synth_output {
public:
    // dither_mode: 0 or below none, 1 rectangular, 2 high-pass triangular,
    // 3 and above shaped. The float format is never dithered.
    synth_output(output_format format, int dither_mode, random_source random = std::rand);

    output_format format() const { return format_; }
    int sample_bytes() const { return sample_bytes_; }

    // One block of 32 samples of one channel (block[0], block[2], ... as the
    // synthesis delivers a stereo time slot) into 32 interleaved stereo frames
    // at out + position, the channel's slot in each. Advances position by the
    // 32 frames: 128, 192, 256 or 256 bytes.
    void synth_stereo(const float* block, int channel, unsigned char* out, int& position);
    // One block of 32 consecutive samples of a single-channel stream into 32
    // consecutive samples; advances position by 64, 96, 128 or 128 bytes.
    void synth_mono(const float* block, unsigned char* out, int& position);

    // A whole decoded frame: samples_per_channel (a multiple of 32) interleaved
    // samples of 1 or 2 channels. The dither state advances in the order of
    // the synthesis: per time slot the 32 left samples, then the 32 right ones.
    // Returns the bytes written.
    int write_frame(const float* samples, int channels, int samples_per_channel, unsigned char* out);

    noise_shaper<real>& shaper() { return shaper_; }
    random_source random() const { return random_; }

    // Converts count samples, in[k * in_stride] to out + k * out_stride bytes.
    using convert_fn = void (*)(synth_output&, const float* in, int in_stride, unsigned char* out,
                                int out_stride, int count);
    // Converts count samples stored one after another (no dither state).
    using convert_run_fn = void (*)(const float* in, unsigned char* out, int count);

private:
    output_format format_;
    int dither_mode_;
    int sample_bytes_;
    random_source random_;
    noise_shaper<real> shaper_;
    convert_fn convert_ = nullptr;
    convert_run_fn convert_run_ = nullptr;  // set when the order of samples does not matter
};

extern template class synth_output<float>;
extern template class synth_output<double>;
