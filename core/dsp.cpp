// Sample conversion loops. Rounding uses the processor's conversion
// instruction in its default mode (nearest, ties to even); the clamping
// variants clamp in floating point before rounding, which gives the same
// results as rounding first and never overflows the integer conversion.
#include "dsp.h"
#include <emmintrin.h>
#include <cstring>

namespace {
inline int round_to_int(double v) { return _mm_cvtsd_si32(_mm_set_sd(v)); }

inline void store24(int24_t& out, int v) {
    out.bytes[0] = static_cast<unsigned char>(v);
    out.bytes[1] = static_cast<unsigned char>(v >> 8);
    out.bytes[2] = static_cast<unsigned char>(v >> 16);
}

inline int load24(const int24_t& in) {
    return static_cast<int>(in.bytes[0]) | (static_cast<int>(in.bytes[1]) << 8) |
           (static_cast<int>(static_cast<signed char>(in.bytes[2])) << 16);
}

// Clamps v to [lo, hi]; NaN (which compares with nothing) goes to lo.
inline double clamp(double v, double lo, double hi) {
    if (!(v >= lo)) return lo;
    if (v > hi) return hi;
    return v;
}

// --- plain kernels, installed once at load ---
void scale32_plain(float* data, double factor, unsigned count) {
    for (unsigned i = 0; i < count; ++i) data[i] = static_cast<float>(data[i] * factor);
}
void scale64_plain(double* data, double factor, unsigned count) {
    for (unsigned i = 0; i < count; ++i) data[i] = data[i] * factor;
}
void widen_plain(const float* src, double* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = src[i];
}
void narrow_plain(const double* src, float* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = static_cast<float>(src[i]);
}

void (*g_scale32)(float*, double, unsigned) = scale32_plain;
void (*g_scale64)(double*, double, unsigned) = scale64_plain;
void (*g_widen)(const float*, double*, unsigned) = widen_plain;
void (*g_narrow)(const double*, float*, unsigned) = narrow_plain;

// --- conversions to integers and clamped floats, one template per target ---
template <class Src>
void to16(const Src* src, short* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = static_cast<short>(round_to_int(src[i]));
}
template <class Src>
void to24(const Src* src, int24_t* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) store24(dst[i], round_to_int(src[i]));
}
template <class Src>
void to32(const Src* src, long* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = round_to_int(src[i]);
}
template <class Src>
void to16_clip(const Src* src, short* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i)
        dst[i] = static_cast<short>(round_to_int(clamp(src[i], -32768.0, 32767.0)));
}
template <class Src>
void to24_clip(const Src* src, int24_t* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) store24(dst[i], round_to_int(clamp(src[i], -8388608.0, 8388607.0)));
}
template <class Src>
void to32_clip(const Src* src, long* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = round_to_int(clamp(src[i], -2147483648.0, 2147483647.0));
}
template <class Src>
void to32f_clip(const Src* src, float* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = static_cast<float>(clamp(src[i], -1.0, 1.0));
}

// The fourteen kernels, reached through one constant table.
struct conversion_kernels {
    void (*f16)(const float*, short*, unsigned);
    void (*f24)(const float*, int24_t*, unsigned);
    void (*f32)(const float*, long*, unsigned);
    void (*d16)(const double*, short*, unsigned);
    void (*d24)(const double*, int24_t*, unsigned);
    void (*d32)(const double*, long*, unsigned);
    void (*f16_clip)(const float*, short*, unsigned);
    void (*f24_clip)(const float*, int24_t*, unsigned);
    void (*f32_clip)(const float*, long*, unsigned);
    void (*d16_clip)(const double*, short*, unsigned);
    void (*d24_clip)(const double*, int24_t*, unsigned);
    void (*d32_clip)(const double*, long*, unsigned);
    void (*f32f_clip)(const float*, float*, unsigned);
    void (*d32f_clip)(const double*, float*, unsigned);
};
const conversion_kernels k_kernels = {
    to16<float>,       to24<float>,       to32<float>,       to16<double>,      to24<double>,
    to32<double>,      to16_clip<float>,  to24_clip<float>,  to32_clip<float>,  to16_clip<double>,
    to24_clip<double>, to32_clip<double>, to32f_clip<float>, to32f_clip<double>,
};

// Whole samples in a block of `bytes` bytes; a negative size holds none.
inline unsigned samples_in(int bytes, int width) { return bytes > 0 ? static_cast<unsigned>(bytes / width) : 0; }
}  // namespace

int dsp::sample_format_code(int format_tag, int bits_per_sample) {
    switch (bits_per_sample) {
    case 16: return 0;
    case 24: return 1;
    case 32: return format_tag == 3 ? 3 : 2;
    default: return -1;
    }
}

void dsp::scale32(float* data, double factor, unsigned count) { g_scale32(data, factor, count); }
void dsp::scale64(double* data, double factor, unsigned count) { g_scale64(data, factor, count); }
void dsp::convert_32f_to_64f(const float* src, double* dst, unsigned count) { g_widen(src, dst, count); }
void dsp::convert_64f_to_32f(const double* src, float* dst, unsigned count) { g_narrow(src, dst, count); }

void dsp::convert_16_to_32f(const short* src, float* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = src[i];
}
void dsp::convert_24_to_32f(const int24_t* src, float* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = static_cast<float>(load24(src[i]));
}
void dsp::convert_32_to_32f(const long* src, float* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = static_cast<float>(src[i]);
}
void dsp::convert_16_to_64f(const short* src, double* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = src[i];
}
void dsp::convert_24_to_64f(const int24_t* src, double* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = load24(src[i]);
}
void dsp::convert_32_to_64f(const long* src, double* dst, unsigned count) {
    for (unsigned i = 0; i < count; ++i) dst[i] = src[i];
}

void dsp::convert_32_to_16(const float* s, short* d, unsigned n) { k_kernels.f16(s, d, n); }
void dsp::convert_32_to_24(const float* s, int24_t* d, unsigned n) { k_kernels.f24(s, d, n); }
void dsp::convert_32_to_32(const float* s, long* d, unsigned n) { k_kernels.f32(s, d, n); }
void dsp::convert_64_to_16(const double* s, short* d, unsigned n) { k_kernels.d16(s, d, n); }
void dsp::convert_64_to_24(const double* s, int24_t* d, unsigned n) { k_kernels.d24(s, d, n); }
void dsp::convert_64_to_32(const double* s, long* d, unsigned n) { k_kernels.d32(s, d, n); }
void dsp::convert_32_to_16_clip(const float* s, short* d, unsigned n) { k_kernels.f16_clip(s, d, n); }
void dsp::convert_32_to_24_clip(const float* s, int24_t* d, unsigned n) { k_kernels.f24_clip(s, d, n); }
void dsp::convert_32_to_32_clip(const float* s, long* d, unsigned n) { k_kernels.f32_clip(s, d, n); }
void dsp::convert_64_to_16_clip(const double* s, short* d, unsigned n) { k_kernels.d16_clip(s, d, n); }
void dsp::convert_64_to_24_clip(const double* s, int24_t* d, unsigned n) { k_kernels.d24_clip(s, d, n); }
void dsp::convert_64_to_32_clip(const double* s, long* d, unsigned n) { k_kernels.d32_clip(s, d, n); }
void dsp::convert_32_to_32f_clip(const float* s, float* d, unsigned n) { k_kernels.f32f_clip(s, d, n); }
void dsp::convert_64_to_32f_clip(const double* s, float* d, unsigned n) { k_kernels.d32f_clip(s, d, n); }

int dsp::read_audio_chunk(int code, void* src, float* dst, int bytes) {
    switch (code) {
    case 0: convert_16_to_32f(static_cast<const short*>(src), dst, samples_in(bytes, 2)); return 2;
    case 1: convert_24_to_32f(static_cast<const int24_t*>(src), dst, samples_in(bytes, 3)); return 3;
    case 2: convert_32_to_32f(static_cast<const long*>(src), dst, samples_in(bytes, 4)); return 4;
    case 3:
        // Whole samples only: the float buffer is sized for bytes / 4 values,
        // so a trailing partial sample must not be copied into it.
        std::memcpy(dst, src, samples_in(bytes, 4) * 4u);
        return 4;
    default: return bytes;
    }
}

int dsp::read_audio_chunk_64(int code, void* src, double* dst, int bytes) {
    switch (code) {
    case 0: convert_16_to_64f(static_cast<const short*>(src), dst, samples_in(bytes, 2)); return 2;
    case 1: convert_24_to_64f(static_cast<const int24_t*>(src), dst, samples_in(bytes, 3)); return 3;
    case 2: convert_32_to_64f(static_cast<const long*>(src), dst, samples_in(bytes, 4)); return 4;
    case 3: convert_32f_to_64f(static_cast<const float*>(src), dst, samples_in(bytes, 4)); return 4;
    default: return bytes;
    }
}

void dsp::write_audio_chunk(int code, float* src, void* dst, int bytes) {
    switch (code) {
    case 0: convert_32_to_16_clip(src, static_cast<short*>(dst), samples_in(bytes, 2)); break;
    case 1: convert_32_to_24_clip(src, static_cast<int24_t*>(dst), samples_in(bytes, 3)); break;
    case 2: convert_32_to_32_clip(src, static_cast<long*>(dst), samples_in(bytes, 4)); break;
    case 3: convert_32_to_32f_clip(src, static_cast<float*>(dst), samples_in(bytes, 4)); break;
    default: break;
    }
}

void dsp::write_audio_chunk_64(int code, double* src, void* dst, int bytes) {
    switch (code) {
    case 0: convert_64_to_16_clip(src, static_cast<short*>(dst), samples_in(bytes, 2)); break;
    case 1: convert_64_to_24_clip(src, static_cast<int24_t*>(dst), samples_in(bytes, 3)); break;
    case 2: convert_64_to_32_clip(src, static_cast<long*>(dst), samples_in(bytes, 4)); break;
    case 3: convert_64_to_32f_clip(src, static_cast<float*>(dst), samples_in(bytes, 4)); break;
    default: break;
    }
}
