#include "pcm_volume.h"
#include <cstring>

namespace {
void scale8(unsigned char* p, int n, int v) {
    for (int i = 0; i < n; ++i) p[i] = static_cast<unsigned char>((p[i] - 128) * v / 1000 + 128);
}

void scale16(unsigned char* p, int n, int v) {
    for (int i = 0; i + 1 < n; i += 2) {
        int s = static_cast<short>(p[i] | (p[i + 1] << 8));
        s = s * v / 1000;
        p[i] = static_cast<unsigned char>(s & 0xFF);
        p[i + 1] = static_cast<unsigned char>((s >> 8) & 0xFF);
    }
}

void scale24(unsigned char* p, int n, int v) {
    for (int i = 0; i + 2 < n; i += 3) {
        int s = p[i] | (p[i + 1] << 8) | (p[i + 2] << 16);
        if (s & 0x800000) s -= 0x1000000;
        s = static_cast<int>(static_cast<long long>(s) * v / 1000);
        p[i] = static_cast<unsigned char>(s & 0xFF);
        p[i + 1] = static_cast<unsigned char>((s >> 8) & 0xFF);
        p[i + 2] = static_cast<unsigned char>((s >> 16) & 0xFF);
    }
}

void scale32(unsigned char* p, int n, int v) {
    for (int i = 0; i + 3 < n; i += 4) {
        int s;
        std::memcpy(&s, p + i, 4);
        s = static_cast<int>(static_cast<long long>(s) * v / 1000);
        std::memcpy(p + i, &s, 4);
    }
}

void scale_float(unsigned char* p, int n, int v) {
    const float gain = static_cast<float>(v) / 1000.0f;
    for (int i = 0; i + 3 < n; i += 4) {
        float s;
        std::memcpy(&s, p + i, 4);
        s *= gain;
        std::memcpy(p + i, &s, 4);
    }
}
}  // namespace

void apply_volume(const pcm_format& format, unsigned char* bytes, int count, int volume, bool mute) {
    if (!bytes || count <= 0) return;
    if (volume < 0) volume = 0;
    if (volume > 1000) volume = 1000;
    if (mute) volume = 0;
    if (volume == 1000) return;
    if (format.format_tag == 3) {
        if (format.bits_per_sample == 32) scale_float(bytes, count, volume);
        return;
    }
    switch (format.bits_per_sample) {
    case 8: scale8(bytes, count, volume); break;
    case 16: scale16(bytes, count, volume); break;
    case 24: scale24(bytes, count, volume); break;
    case 32: scale32(bytes, count, volume); break;
    default: break;
    }
}
