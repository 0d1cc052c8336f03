// The readers of the trailing tags: APE v1, APE v2 and ID3v1. Each looks at
// the end of the part of the window not yet consumed; on success it consumes
// its tag there and lowers the audio end by the tag's size. Every length read
// from the file is checked against the bytes that are really there.
#include <cstring>

#include "tag_genre.h"
#include "tag_item_list.h"
#include "tag_text.h"

namespace {

const uint32_t kHasHeader = 0x80000000u;
const uint32_t kIsHeader = 0x20000000u;
const int kId3v1Priority = 10;

bool is_ape_block(const unsigned char* p, uint32_t version) {
    return std::memcmp(p, "APETAGEX", 8) == 0 && tag_text::get_le32(p + 8) == version;
}

// An ID3v1 text field: up to width bytes, ending at a NUL byte, trailing
// spaces removed.
std::string id3v1_text(const unsigned char* p, int width) {
    int n = 0;
    while (n < width && p[n] != 0)
        ++n;
    while (n > 0 && p[n - 1] == ' ')
        --n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

std::string decimal(unsigned value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

}  // namespace

bool tag_item_list::read_ape(window& w, uint32_t version) {
    if (w.length < 32)
        return false;
    const unsigned char* footer = w.data + w.length - 32;
    if (!is_ape_block(footer, version))
        return false;
    const uint32_t size = tag_text::get_le32(footer + 12);
    const uint32_t item_count = tag_text::get_le32(footer + 16);
    const uint32_t flags = tag_text::get_le32(footer + 20);
    if (size <= 32 || size > w.length)
        return false;  // a tag that reaches past the window stays where it is

    const unsigned char* items = w.data + w.length - size;
    const uint32_t items_length = size - 32;
    const bool v2 = version == 2000;
    uint32_t pos = 0;
    for (uint32_t i = 0; i < item_count && pos < items_length; ++i) {
        // Each item: value size, flags, the name and its NUL, the value. An
        // item that does not fit in the rest of the tag ends the walk.
        const uint32_t left = items_length - pos;
        if (left < 9)
            break;
        const unsigned char* p = items + pos;
        const uint32_t value_size = tag_text::get_le32(p);
        const int item_flags = static_cast<int>(tag_text::get_le32(p + 4));
        const void* nul = std::memchr(p + 8, 0, left - 8);
        if (!nul)
            break;
        const uint32_t name_length = static_cast<uint32_t>(static_cast<const unsigned char*>(nul) - (p + 8));
        const uint32_t head = 8 + name_length + 1;
        if (value_size > left - head)
            break;
        const char* name = reinterpret_cast<const char*>(p + 8);
        const char* value = reinterpret_cast<const char*>(p + head);
        if (value_size != 0) {
            if (v2) {
                offer(name, value, static_cast<int>(value_size), item_flags, 20);
            } else {
                const std::string text =
                    tag_text::ansi_to_utf8(std::string(value, strnlen(value, value_size)));
                offer(name, text.c_str(), static_cast<int>(text.size()), 0, 19);
            }
        }
        pos += head + value_size;
    }
    w.length -= size;
    m_audio_end -= size;
    m_kind = v2 ? kind_ape_v2 : kind_ape_v1;
    if (!v2)
        return true;

    replace_in_values(std::string(1, '\0'), "; ");
    // The header in front of the items. It is taken away only when it is
    // there: a footer that claims a header which is missing must not make a
    // later write cut 32 bytes of audio.
    if (w.length >= 32) {
        const unsigned char* header = w.data + w.length - 32;
        const bool claimed = (flags & kHasHeader) && std::memcmp(header, "APETAGEX", 8) == 0;
        if (claimed || (is_ape_block(header, 2000) && (tag_text::get_le32(header + 20) & kIsHeader))) {
            w.length -= 32;
            m_audio_end -= 32;
        }
    }
    return true;
}

bool tag_item_list::read_id3v1(window& w) {
    if (w.length < 128)
        return false;
    const unsigned char* t = w.data + w.length - 128;
    if (std::memcmp(t, "TAG", 3) != 0)
        return false;

    const bool has_track = t[125] == 0 && t[126] != 0;
    static const struct {
        const char* name;
        int offset;
        int width;
    } fields[] = {{"Title", 3, 30}, {"Artist", 33, 30}, {"Album", 63, 30}, {"Year", 93, 4}, {"Comment", 97, 30}};
    for (const auto& f : fields) {
        const int width = f.offset == 97 && has_track ? 28 : f.width;
        const std::string text = tag_text::ansi_to_utf8(id3v1_text(t + f.offset, width));
        if (!text.empty())
            offer(f.name, text.c_str(), static_cast<int>(text.size()), 0, kId3v1Priority);
    }
    if (has_track) {
        const std::string number = decimal(t[126]);
        offer("Track", number.c_str(), static_cast<int>(number.size()), 0, kId3v1Priority);
    }
    if (const char* genre = tag_genre::name(t[127]))
        offer("Genre", genre, static_cast<int>(std::strlen(genre)), 0, kId3v1Priority);

    w.length -= 128;
    m_audio_end -= 128;
    m_kind = kind_id3v1;
    return true;
}
