#include "synth_output.h"

#include <cstring>
#include <emmintrin.h>

namespace {

// Full scale of each integer format in the decoder's precision. 2147483647
// is not a single-precision number: the single-precision decoder scales by
// 2^31 and reaches the top only by clipping.
template <typename real> real format_scale(output_format format);
template <> float format_scale<float>(output_format format)
{
    switch (format) {
    case output_format::int16: return 32767.0f;
    case output_format::int24: return 8388607.0f;
    case output_format::int32: return 2147483648.0f;
    default: return 1.0f;
    }
}
template <> double format_scale<double>(output_format format)
{
    switch (format) {
    case output_format::int16: return 32767.0;
    case output_format::int24: return 8388607.0;
    case output_format::int32: return 2147483647.0;
    default: return 1.0;
    }
}

template <typename real, int mode>
inline real apply_dither(synth_output<real>& o, real v)
{
    if (mode <= 0)
        return v;
    const real u = real(o.random()()) * real(1.0 / 32767.0);
    if (mode == 1)
        return v - u;
    noise_shaper<real>& ns = o.shaper();
    const real r = real(2) * u - real(1);
    if (mode == 2) {
        const real y = v + r - ns.previous;
        ns.previous = r;
        return y;
    }
    int p = ns.phase;
    const int m = ns.mask;
    const real* h = ns.history;
    const real xe = v + ns.c[0] * h[p] + ns.c[1] * h[(p - 1) & m] + ns.c[2] * h[(p - 2) & m] +
                    ns.c[3] * h[(p - 3) & m] + ns.c[4] * h[(p - 4) & m];
    p = (p + 1) & m;
    ns.phase = p;
    const real y = xe + r - ns.previous;
    ns.previous = r;
    ns.history[p] = xe - y;
    return y;
}

// Rounds to nearest, ties to even (the processor's default rounding), and
// clips to 16 bits. Clamping first gives the same result as clipping the
// rounded value and keeps the conversion in range; NaN becomes -32768.
inline int32_t round_clip16(float v)
{
    if (!(v >= -32768.0f))
        v = -32768.0f;
    if (v > 32767.0f)
        v = 32767.0f;
    return _mm_cvtss_si32(_mm_set_ss(v));
}

inline int32_t round_clip16(double v)
{
    if (!(v >= -32768.0))
        v = -32768.0;
    if (v > 32767.0)
        v = 32767.0;
    return _mm_cvtsd_si32(_mm_set_sd(v));
}

// Rounds to a 64-bit integer, ties to even, and clips to [lo, hi]. Every
// float and double converts to double exactly; values far outside any
// format's range are clamped before rounding.
inline int64_t round_clip64(double v, int64_t lo, int64_t hi)
{
    const double limit = 1099511627776.0;  // 2^40
    if (!(v >= -limit))
        v = -limit;
    if (v > limit)
        v = limit;
    const double magic = 4503599627370496.0;  // 2^52: adding it drops the fraction, rounding to even
    const double t = v >= 0 ? v + magic : v - magic;
    const double r = v >= 0 ? t - magic : t + magic;
    int64_t n = int64_t(r);
    return n < lo ? lo : n > hi ? hi : n;
}

template <typename real, output_format F>
inline void store(real y, unsigned char* p)
{
    if (F == output_format::int16) {
        const int32_t n = round_clip16(y);
        p[0] = uint8_t(n);
        p[1] = uint8_t(n >> 8);
    } else if (F == output_format::int24) {
        const int64_t n = round_clip64(double(y), -8388608, 8388607);
        p[0] = uint8_t(n);
        p[1] = uint8_t(n >> 8);
        p[2] = uint8_t(n >> 16);
    } else {
        const int64_t n = round_clip64(double(y), INT32_MIN, INT32_MAX);
        p[0] = uint8_t(n);
        p[1] = uint8_t(n >> 8);
        p[2] = uint8_t(n >> 16);
        p[3] = uint8_t(n >> 24);
    }
}

template <typename real, output_format F, int mode>
void convert(synth_output<real>& o, const float* in, int in_stride, unsigned char* out, int out_stride,
             int count)
{
    if (F == output_format::float32) {
        for (int k = 0; k < count; ++k)
            std::memcpy(out + k * out_stride, in + k * in_stride, sizeof(float));
        return;
    }
    const real scale = format_scale<real>(F);
    for (int k = 0; k < count; ++k) {
        const real v = real(in[k * in_stride]) * scale;
        store<real, F>(apply_dither<real, mode>(o, v), out + k * out_stride);
    }
}

// Undithered runs: no state, so samples may go in any order and in vectors.
template <typename real, output_format F>
void convert_run(const float* in, unsigned char* out, int count)
{
    if (F == output_format::float32) {
        std::memcpy(out, in, size_t(count) * sizeof(float));
        return;
    }
    const real scale = format_scale<real>(F);
    const int bytes = F == output_format::int16 ? 2 : F == output_format::int24 ? 3 : 4;
    for (int k = 0; k < count; ++k)
        store<real, F>(real(in[k]) * scale, out + k * bytes);
}

template <>
void convert_run<float, output_format::int16>(const float* in, unsigned char* out, int count)
{
    const __m128 scale = _mm_set1_ps(32767.0f);
    const __m128 lo = _mm_set1_ps(-32768.0f);
    const __m128 hi = _mm_set1_ps(32767.0f);
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        __m128 a = _mm_mul_ps(_mm_loadu_ps(in + k), scale);
        __m128 b = _mm_mul_ps(_mm_loadu_ps(in + k + 4), scale);
        a = _mm_min_ps(_mm_max_ps(a, lo), hi);
        b = _mm_min_ps(_mm_max_ps(b, lo), hi);
        const __m128i packed = _mm_packs_epi32(_mm_cvtps_epi32(a), _mm_cvtps_epi32(b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * k), packed);
    }
    for (; k < count; ++k)
        store<float, output_format::int16>(in[k] * 32767.0f, out + 2 * k);
}

template <>
void convert_run<double, output_format::int16>(const float* in, unsigned char* out, int count)
{
    const __m128d scale = _mm_set1_pd(32767.0);
    const __m128d lo = _mm_set1_pd(-32768.0);
    const __m128d hi = _mm_set1_pd(32767.0);
    auto four = [&](const float* p) {
        const __m128 f = _mm_loadu_ps(p);
        __m128d d0 = _mm_mul_pd(_mm_cvtps_pd(f), scale);
        __m128d d1 = _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(f, f)), scale);
        d0 = _mm_min_pd(_mm_max_pd(d0, lo), hi);
        d1 = _mm_min_pd(_mm_max_pd(d1, lo), hi);
        return _mm_unpacklo_epi64(_mm_cvtpd_epi32(d0), _mm_cvtpd_epi32(d1));
    };
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m128i packed = _mm_packs_epi32(four(in + k), four(in + k + 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * k), packed);
    }
    for (; k < count; ++k)
        store<double, output_format::int16>(double(in[k]) * 32767.0, out + 2 * k);
}

template <typename real, output_format F>
typename synth_output<real>::convert_fn pick_convert(int mode)
{
    switch (mode) {
    case 0: return convert<real, F, 0>;
    case 1: return convert<real, F, 1>;
    case 2: return convert<real, F, 2>;
    default: return convert<real, F, 3>;
    }
}

}  // namespace

int output_sample_bytes(output_format format)
{
    switch (format) {
    case output_format::int16: return 2;
    case output_format::int24: return 3;
    default: return 4;
    }
}

bool output_format_for(int float_output, int bits, output_format& format)
{
    if (float_output == 0 && bits == 16)
        format = output_format::int16;
    else if (float_output == 0 && bits == 24)
        format = output_format::int24;
    else if (float_output == 0 && bits == 32)
        format = output_format::int32;
    else if (float_output == 1 && bits == 32)
        format = output_format::float32;
    else
        return false;
    return true;
}

template <typename real>
synth_output<real>::synth_output(output_format format, int dither_mode, random_source random)
    : format_(format),
      dither_mode_(dither_mode <= 0 ? 0 : dither_mode >= 3 ? 3 : dither_mode),
      sample_bytes_(output_sample_bytes(format)),
      random_(random ? random : std::rand)
{
    const int mode = format == output_format::float32 ? 0 : dither_mode_;
    switch (format) {
    case output_format::int16:
        convert_ = pick_convert<real, output_format::int16>(mode);
        convert_run_ = convert_run<real, output_format::int16>;
        break;
    case output_format::int24:
        convert_ = pick_convert<real, output_format::int24>(mode);
        convert_run_ = convert_run<real, output_format::int24>;
        break;
    case output_format::int32:
        convert_ = pick_convert<real, output_format::int32>(mode);
        convert_run_ = convert_run<real, output_format::int32>;
        break;
    default:
        convert_ = pick_convert<real, output_format::float32>(0);
        convert_run_ = convert_run<real, output_format::float32>;
        break;
    }
    if (mode != 0)
        convert_run_ = nullptr;
}

template <typename real>
void synth_output<real>::synth_stereo(const float* block, int channel, unsigned char* out, int& position)
{
    convert_(*this, block, 2, out + position + channel * sample_bytes_, 2 * sample_bytes_, 32);
    position += 64 * sample_bytes_;
}

template <typename real>
void synth_output<real>::synth_mono(const float* block, unsigned char* out, int& position)
{
    convert_(*this, block, 1, out + position, sample_bytes_, 32);
    position += 32 * sample_bytes_;
}

template <typename real>
int synth_output<real>::write_frame(const float* samples, int channels, int samples_per_channel,
                                    unsigned char* out)
{
    if (convert_run_) {
        convert_run_(samples, out, channels * samples_per_channel);
        return channels * samples_per_channel * sample_bytes_;
    }
    int position = 0;
    const int slots = samples_per_channel / 32;
    for (int slot = 0; slot < slots; ++slot) {
        if (channels == 2) {
            const float* pair = samples + slot * 64;
            int left = position;
            synth_stereo(pair, 0, out, left);
            synth_stereo(pair + 1, 1, out, position);
        } else {
            synth_mono(samples + slot * 32, out, position);
        }
    }
    return position;
}

template class synth_output<float>;
template class synth_output<double>;
