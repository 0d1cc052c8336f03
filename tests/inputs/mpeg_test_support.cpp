#include "mpeg_test_support.h"

#include <algorithm>
#include <cstdio>

#include "mpeg_header.h"

bytes read_fixture(const std::string& name)
{
    bytes data;
    const std::string path = std::string(ZEL_MPEG_FIXTURE_DIR) + "/" + name;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return data;
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.insert(data.end(), buffer, buffer + n);
    std::fclose(f);
    return data;
}

uint32_t header_word(const bytes& frame)
{
    return uint32_t(frame[0]) << 24 | uint32_t(frame[1]) << 16 | uint32_t(frame[2]) << 8 | frame[3];
}

bytes with_header(bytes frame, uint32_t header)
{
    frame[0] = uint8_t(header >> 24);
    frame[1] = uint8_t(header >> 16);
    frame[2] = uint8_t(header >> 8);
    frame[3] = uint8_t(header);
    return frame;
}

std::vector<bytes> split_frames(const bytes& stream)
{
    std::vector<bytes> frames;
    size_t pos = 0;
    while (pos + 4 <= stream.size()) {
        frame_header h;
        const uint32_t word = uint32_t(stream[pos]) << 24 | uint32_t(stream[pos + 1]) << 16 |
                              uint32_t(stream[pos + 2]) << 8 | stream[pos + 3];
        if (!parse_frame_header(word, h))
            break;
        const size_t size = 4 + size_t(h.framesize);
        if (pos + size > stream.size())
            break;
        frames.emplace_back(stream.begin() + pos, stream.begin() + pos + size);
        pos += size;
    }
    return frames;
}

decoder_ptr make_decoder()
{
    return decoder_ptr(create_mpeg_decoder(true, false, 0, 16, 0));
}

std::vector<decode_step> decode_stream(mpeg_decoder& decoder, const bytes& stream, size_t piece,
                                       int out_capacity)
{
    std::vector<decode_step> steps;
    bytes out(static_cast<size_t>(out_capacity));
    if (piece == 0)
        piece = stream.size() ? stream.size() : 1;
    for (size_t pos = 0; pos < stream.size() || pos == 0; pos += piece) {
        const size_t n = pos < stream.size() ? std::min(piece, stream.size() - pos) : 0;
        const unsigned char* in = n ? stream.data() + pos : nullptr;
        for (;;) {
            int written = -7;
            const int result = decoder.decode(in, unsigned(n), out.data(), out_capacity, &written);
            in = nullptr;
            if (result == 1)
                break;
            decode_step step{result, written, {}};
            if (result == 0 && written > 0 && written <= out_capacity)
                step.pcm.assign(out.begin(), out.begin() + written);
            steps.push_back(std::move(step));
            if (result == -1)
                return steps;
        }
        if (stream.empty())
            break;
    }
    return steps;
}

bytes join(const std::vector<bytes>& parts)
{
    bytes all;
    for (const bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}
