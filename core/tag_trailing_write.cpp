// The writers of the trailing tags. The new tag takes the place of every
// trailing tag that open() found: it is written at the audio end and the file
// is cut right after it.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "stream.h"
#include "tag_genre.h"
#include "tag_item_list.h"
#include "tag_text.h"

namespace {

void append_le32(std::string& out, uint32_t value) {
    unsigned char b[4];
    tag_text::put_le32(b, value);
    out.append(reinterpret_cast<const char*>(b), 4);
}

// "APETAGEX", version, tag size, item count, flags, 8 zero bytes.
void append_ape_block(std::string& out, uint32_t version, uint32_t size, uint32_t count, uint32_t flags) {
    out.append("APETAGEX", 8);
    append_le32(out, version);
    append_le32(out, size);
    append_le32(out, count);
    append_le32(out, flags);
    out.append(8, '\0');
}

// An ID3v1 field gets the value and its NUL byte, cut to the field's width.
void put_id3v1_field(unsigned char* field, const std::string& value, size_t width) {
    const size_t n = value.size() + 1 < width ? value.size() + 1 : width;
    std::memcpy(field, value.c_str(), n);
}

}  // namespace

int tag_item_list::write() {
    switch (m_kind) {
    case kind_id3v1:
        return write_id3v1();
    case kind_ape_v1:
        return write_ape_v1();
    case kind_ape_v2:
        return write_ape_v2();
    default:
        return write_error;
    }
}

// The file must still end where open() left it; then the stream goes to the
// audio end. With to_ansi the text values are converted to the ANSI code page.
bool tag_item_list::start_write(bool to_ansi) {
    if (!m_stream || m_file_end < 0)
        return false;
    if (m_stream->seek(0, 2) != 0 || m_stream->tell() != m_file_end || m_stream->seek(m_audio_end, 0) != 0)
        return false;
    if (to_ansi) {
        for (item& it : m_items) {
            if ((it.flags & flag_binary) || it.value.empty())
                continue;
            std::string ansi;
            if (!tag_text::utf8_to_ansi(it.value, ansi))
                return false;
            it.value.swap(ansi);
        }
    }
    return true;
}

// Cuts the file at the current position, which must be end.
bool tag_item_list::finish_write(int64_t end) {
    if (end > INT_MAX || m_stream->tell() != end)
        return false;
    m_stream->set_length(static_cast<int>(end));
    if (m_stream->length() != end)
        return false;
    m_file_end = end;
    return true;
}

int tag_item_list::write_id3v1() {
    if (!start_write(true))
        return write_error;
    unsigned char t[128] = {};
    std::memcpy(t, "TAG", 3);
    auto value = [this](const char* name) {
        const int i = index_of(name);
        return i < 0 ? std::string() : m_items[i].value;
    };
    put_id3v1_field(t + 3, value("Title"), 30);
    put_id3v1_field(t + 33, value("Artist"), 30);
    put_id3v1_field(t + 63, value("Album"), 30);
    put_id3v1_field(t + 93, value("Year"), 4);
    const std::string track = value("Track");
    if (!track.empty()) {
        put_id3v1_field(t + 97, value("Comment"), 28);
        t[126] = static_cast<unsigned char>(std::atoi(track.c_str()) & 0xFF);
    } else {
        put_id3v1_field(t + 97, value("Comment"), 30);
    }
    const int genre = index_of("Genre") < 0 ? -1 : tag_genre::find(value("Genre").c_str());
    t[127] = static_cast<unsigned char>(genre < 0 ? 255 : genre);

    if (!tag_text::write_all(m_stream, t, 128) || !finish_write(m_audio_end + 128))
        return write_error;
    return 0;
}

int tag_item_list::write_ape_v1() {
    if (!start_write(true))
        return write_error;
    std::string tag;
    uint32_t written = 0;
    for (const item& it : m_items) {
        if (it.value.empty())
            continue;
        append_le32(tag, static_cast<uint32_t>(it.value.size() + 1));
        append_le32(tag, 0);
        tag.append(it.name.c_str(), it.name.size() + 1);
        tag.append(it.value.c_str(), it.value.size() + 1);
        ++written;
    }
    if (tag.size() > INT_MAX / 2)
        return write_error;
    const uint32_t size = static_cast<uint32_t>(tag.size() + 32);
    append_ape_block(tag, 1000, size, written, 0);
    if (!tag_text::write_all(m_stream, tag.data(), static_cast<int>(tag.size())) ||
        !finish_write(m_audio_end + size))
        return write_error;
    return 0;
}

int tag_item_list::write_ape_v2() {
    if (!start_write(false))
        return write_error;
    replace_in_values("; ", std::string(1, '\0'));
    std::string items;
    uint32_t written = 0;
    for (const item& it : m_items) {
        if (it.value.empty())
            continue;
        append_le32(items, static_cast<uint32_t>(it.value.size()));
        append_le32(items, static_cast<uint32_t>(it.flags));
        items.append(it.name.c_str(), it.name.size() + 1);
        items.append(it.value);
        ++written;
    }
    if (items.size() > INT_MAX / 2)
        return write_error;
    const uint32_t size = static_cast<uint32_t>(items.size() + 32);
    std::string tag;
    append_ape_block(tag, 2000, size, written, 0xA0000000u);
    tag += items;
    append_ape_block(tag, 2000, size, written, 0x80000000u);
    if (!tag_text::write_all(m_stream, tag.data(), static_cast<int>(tag.size())) ||
        !finish_write(m_audio_end + size + 32))
        return write_error;
    return 0;
}
