#pragma once
// dsp: moves PCM samples between the raw block formats of the output and the
// float or double working buffers of the processing stages.
//
// Integer samples are held in the working buffers at their integer value (the
// 16-bit sample 1000 becomes 1000.0); 32-bit float samples keep their own
// range of -1.0 to 1.0. Conversions to integers round to the nearest value,
// ties to even. The functions are plain loops over caller-owned buffers: they
// allocate nothing, keep no state, never fail, and may run on any thread at
// once. src and dst must not overlap (scale32 and scale64 work in place).
//
// Sample format codes, derived from the audio format record of a block:
// 16 bits -> 0, 24 bits -> 1, 32 bits -> 3 for IEEE float (format tag 3) or 2
// for integer, anything else -> -1, which no function here converts.
#include "zel_export.h"

// One packed 24-bit sample, little-endian: bytes 0 and 1 are the low 16 bits,
// byte 2 holds bits 16 to 23 with the sign. Arrays have a 3-byte stride.
struct int24_t {
    unsigned char bytes[3];
};
static_assert(sizeof(int24_t) == 3, "int24_t must be packed to 3 bytes");

class ZEL_CORE_API dsp {
public:
    // The sample format code of a block (see above).
    static int sample_format_code(int format_tag, int bits_per_sample);

    static void scale32(float* data, double factor, unsigned count);
    static void scale64(double* data, double factor, unsigned count);
    static void convert_32f_to_64f(const float* src, double* dst, unsigned count);
    static void convert_64f_to_32f(const double* src, float* dst, unsigned count);

    // Integer samples to float or double at integer scale.
    static void convert_16_to_32f(const short* src, float* dst, unsigned count);
    static void convert_24_to_32f(const int24_t* src, float* dst, unsigned count);
    static void convert_32_to_32f(const long* src, float* dst, unsigned count);
    static void convert_16_to_64f(const short* src, double* dst, unsigned count);
    static void convert_24_to_64f(const int24_t* src, double* dst, unsigned count);
    static void convert_32_to_64f(const long* src, double* dst, unsigned count);

    // Round to a 32-bit integer and store its low 16, 24 or 32 bits (no
    // clamping: 32768.0 becomes the 16-bit -32768).
    static void convert_32_to_16(const float* src, short* dst, unsigned count);
    static void convert_32_to_24(const float* src, int24_t* dst, unsigned count);
    static void convert_32_to_32(const float* src, long* dst, unsigned count);
    static void convert_64_to_16(const double* src, short* dst, unsigned count);
    static void convert_64_to_24(const double* src, int24_t* dst, unsigned count);
    static void convert_64_to_32(const double* src, long* dst, unsigned count);

    // Round and clamp to the target's range; NaN becomes the most negative value.
    static void convert_32_to_16_clip(const float* src, short* dst, unsigned count);
    static void convert_32_to_24_clip(const float* src, int24_t* dst, unsigned count);
    static void convert_32_to_32_clip(const float* src, long* dst, unsigned count);
    static void convert_64_to_16_clip(const double* src, short* dst, unsigned count);
    static void convert_64_to_24_clip(const double* src, int24_t* dst, unsigned count);
    static void convert_64_to_32_clip(const double* src, long* dst, unsigned count);

    // Clamp to [-1.0, 1.0]; NaN becomes -1.0.
    static void convert_32_to_32f_clip(const float* src, float* dst, unsigned count);
    static void convert_64_to_32f_clip(const double* src, float* dst, unsigned count);

    // A raw block of `bytes` bytes in format `code` to floats (doubles); returns
    // the width of one sample in bytes, or `bytes` for an unknown code, in
    // which case nothing is converted. Trailing partial samples are ignored.
    static int read_audio_chunk(int code, void* src, float* dst, int bytes);
    static int read_audio_chunk_64(int code, void* src, double* dst, int bytes);
    // Floats (doubles) back into the raw block of `bytes` bytes, clamped; an
    // unknown code writes nothing.
    static void write_audio_chunk(int code, float* src, void* dst, int bytes);
    static void write_audio_chunk_64(int code, double* src, void* dst, int bytes);

private:
    dsp() = delete;
};
