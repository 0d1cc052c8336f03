#pragma once
// Helpers of the processing-stage tests: the registry of the test's folder,
// raw PCM blocks and signals, and a fresh thread (each thread has an
// equalizer history of its own).
#include <windows.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>
#include "audio_format.h"
#include "core.h"

inline void load_components() {
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
}

template <class Interface>
Interface* first_component() {
    load_components();
    return static_cast<Interface*>(core::enum_create_component(Interface::iid, 0));
}

// Runs fn on a thread of its own and waits for it.
template <class Fn>
void on_new_thread(Fn fn) {
    std::thread t(fn);
    t.join();
}

inline audio_format pcm_format(int bits, int channels = 2, int rate = 44100, int tag = 1) {
    return audio_format{tag, channels, rate, bits, 0, 0.0, 0.0};
}

inline std::vector<unsigned char> bytes_of16(const std::vector<int16_t>& samples) {
    std::vector<unsigned char> out(samples.size() * 2);
    if (!samples.empty()) memcpy(out.data(), samples.data(), out.size());
    return out;
}

inline std::vector<int16_t> samples16(const std::vector<unsigned char>& bytes) {
    std::vector<int16_t> out(bytes.size() / 2);
    if (!out.empty()) memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

inline std::vector<unsigned char> bytes_of24(const std::vector<int32_t>& samples) {
    std::vector<unsigned char> out;
    for (int32_t s : samples) {
        out.push_back(static_cast<unsigned char>(s));
        out.push_back(static_cast<unsigned char>(s >> 8));
        out.push_back(static_cast<unsigned char>(s >> 16));
    }
    return out;
}

inline std::vector<int32_t> samples24(const std::vector<unsigned char>& bytes) {
    std::vector<int32_t> out;
    for (size_t i = 0; i + 3 <= bytes.size(); i += 3) {
        int32_t v = bytes[i] | (bytes[i + 1] << 8) | (static_cast<int32_t>(static_cast<signed char>(bytes[i + 2])) << 16);
        out.push_back(v);
    }
    return out;
}

template <class T>
std::vector<unsigned char> bytes_of(const std::vector<T>& samples) {
    std::vector<unsigned char> out(samples.size() * sizeof(T));
    if (!samples.empty()) memcpy(out.data(), samples.data(), out.size());
    return out;
}

template <class T>
std::vector<T> samples_of(const std::vector<unsigned char>& bytes) {
    std::vector<T> out(bytes.size() / sizeof(T));
    if (!out.empty()) memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
    return out;
}

// frames frames of a sine of the given peak (same on every channel),
// rounded to integers at integer scale, or as given for floats.
inline std::vector<double> sine(double peak, double freq, int rate, long long frames, int channels) {
    std::vector<double> out;
    out.reserve(static_cast<size_t>(frames * channels));
    for (long long f = 0; f < frames; ++f) {
        double v = peak * std::sin(2.0 * 3.14159265358979323846 * freq * static_cast<double>(f) / rate);
        for (int c = 0; c < channels; ++c) out.push_back(v);
    }
    return out;
}

// Raw bytes of values in the format: integers rounded, floats as they are.
inline std::vector<unsigned char> encode(const std::vector<double>& values, const audio_format& f) {
    std::vector<unsigned char> out;
    int width = f.bits_per_sample / 8;
    out.resize(values.size() * width);
    for (size_t i = 0; i < values.size(); ++i) {
        unsigned char* d = out.data() + i * width;
        if (f.bits_per_sample == 32 && f.format_tag == 3) {
            float x = static_cast<float>(values[i]);
            memcpy(d, &x, 4);
            continue;
        }
        long long x = std::llround(values[i]);
        for (int b = 0; b < width; ++b) d[b] = static_cast<unsigned char>(x >> (8 * b));
    }
    return out;
}

// The samples of raw bytes as doubles (integers at integer scale).
inline std::vector<double> decode(const unsigned char* bytes, size_t count, const audio_format& f) {
    std::vector<double> out;
    int width = f.bits_per_sample / 8;
    for (size_t i = 0; i + width <= count; i += width) {
        const unsigned char* s = bytes + i;
        if (f.bits_per_sample == 32 && f.format_tag == 3) {
            float x;
            memcpy(&x, s, 4);
            out.push_back(x);
        } else if (width == 2) {
            int16_t x;
            memcpy(&x, s, 2);
            out.push_back(x);
        } else if (width == 3) {
            out.push_back((s[0] | (s[1] << 8)) + (static_cast<int>(static_cast<signed char>(s[2])) << 16));
        } else {
            int32_t x;
            memcpy(&x, s, 4);
            out.push_back(x);
        }
    }
    return out;
}
