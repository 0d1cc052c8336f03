#include "tag_item_list.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "stream.h"
#include "tag_text.h"

tag_item_list::tag_item_list()
    : m_stream(nullptr), m_leading_size(0), m_audio_end(-1), m_file_end(-1), m_kind(kind_none) {}

tag_item_list::~tag_item_list() {}

int tag_item_list::open(stream* s, bool past_leading_tag) {
    m_stream = s;
    if (!s)
        return -1;
    unsigned char head[10];
    if (tag_text::read_all(s, head, 10) == 10 && std::memcmp(head, "ID3", 3) == 0) {
        if ((head[5] & 0x0F) || ((head[6] | head[7] | head[8] | head[9]) & 0x80))
            return -1;
        const int64_t size = int64_t(head[6]) << 21 | int64_t(head[7]) << 14 | int64_t(head[8]) << 7 | head[9];
        m_leading_size = 10 + size + ((head[5] & 0x10) ? 10 : 0);
        if (10 < m_leading_size && !past_leading_tag)
            return -1;
    }
    m_file_end = m_audio_end = s->length();

    // The last window_size bytes, or the whole file when it is shorter (not
    // counting an empty ID3v2 header at its start).
    const int64_t start = std::max(m_leading_size, m_file_end - window_size);
    const int64_t length = m_file_end - start;
    if (length <= 0 || s->seek(start, 0) != 0)
        return 0;
    std::vector<unsigned char> data(static_cast<size_t>(length));
    if (tag_text::read_all(s, data.data(), static_cast<int>(length)) != length)
        return 0;

    // Peel tags from the end inwards, in any order and number.
    window w = {data.data(), length};
    for (;;) {
        const int64_t before = m_audio_end;
        read_ape(w, 1000);
        read_ape(w, 2000);
        read_id3v1(w);
        if (m_audio_end == before)
            break;
    }
    return 0;
}

int tag_item_list::index_of(const char* name) const {
    if (!name)
        return -1;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (tag_text::iequal(m_items[i].name.c_str(), name))
            return static_cast<int>(i);
    return -1;
}

const char* tag_item_list::find(const char* name) const {
    const int i = index_of(name);
    return i < 0 ? nullptr : m_items[i].value.c_str();
}

int tag_item_list::value_length(const char* name) const {
    const int i = index_of(name);
    return i < 0 ? -1 : static_cast<int>(m_items[i].value.size());
}

void tag_item_list::put(const char* name, const char* value) {
    if (!name)
        return;
    const int i = index_of(name);
    const std::string text = value ? value : "";
    if (i < 0) {
        m_items.push_back(item{name, text, 0, 0});
        return;
    }
    m_items[i].value = text;
    m_items[i].flags = 0;
    m_items[i].priority = 0;
}

void tag_item_list::offer(const char* name, const char* value, int length, int flags, int priority) {
    if (!name)
        return;
    const std::string text = value && length > 0 ? std::string(value, length) : std::string();
    const int i = index_of(name);
    if (i < 0) {
        m_items.push_back(item{name, text, flags, priority});
    } else if (m_items[i].priority < priority) {
        m_items[i].value = text;
        m_items[i].flags = flags;
        m_items[i].priority = priority;
    }
}

// Replaces the occurrences of pattern from left to right without overlap.
// Binary and empty values are left alone.
void tag_item_list::replace_in_values(const std::string& pattern, const std::string& replacement) {
    if (pattern.empty())
        return;
    for (item& it : m_items) {
        if ((it.flags & flag_binary) || it.value.empty())
            continue;
        std::string out;
        size_t from = 0;
        for (size_t at; (at = it.value.find(pattern, from)) != std::string::npos; from = at + pattern.size())
            out.append(it.value, from, at - from).append(replacement);
        if (from == 0)
            continue;
        out.append(it.value, from, std::string::npos);
        it.value.swap(out);
    }
}

int tag_item_list::strip() {
    if (!m_stream || m_file_end < 0 || m_audio_end > INT_MAX)
        return write_error;
    if (m_stream->seek(0, 2) != 0 || m_stream->tell() != m_file_end || m_stream->seek(m_audio_end, 0) != 0)
        return write_error;
    m_stream->set_length(static_cast<int>(m_audio_end));
    if (m_stream->length() != m_audio_end)
        return write_error;
    m_file_end = m_audio_end;
    return 0;
}

int tag_item_list::kind() const { return m_kind; }
void tag_item_list::set_kind(int kind) { m_kind = kind; }
int tag_item_list::count() const { return static_cast<int>(m_items.size()); }

const char* tag_item_list::name_at(int index) const {
    return index >= 0 && index < count() ? m_items[index].name.c_str() : nullptr;
}

const char* tag_item_list::value_at(int index) const {
    return index >= 0 && index < count() ? m_items[index].value.c_str() : nullptr;
}

int tag_item_list::flags_at(int index) const { return index >= 0 && index < count() ? m_items[index].flags : 0; }

int tag_item_list::priority_at(int index) const {
    return index >= 0 && index < count() ? m_items[index].priority : 0;
}

int64_t tag_item_list::leading_size() const { return m_leading_size; }
int64_t tag_item_list::audio_end() const { return m_audio_end; }
int64_t tag_item_list::file_end() const { return m_file_end; }
