#include "zel_tag.h"

#include <cstring>

#include "id3v2_tag.h"
#include "stream.h"
#include "tag_item_list.h"
#include "tag_text.h"
#include "utf.h"

namespace {

// The standard fields, in the order in which they are read from the
// trailing tags and written.
const char* const kStandard[] = {"Title",   "Artist", "Album",
                                 "Year",    "Comment", "Lyrics",
                                 "Track",   "Genre",   "replaygain_track_gain",
                                 "replaygain_track_peak", "replaygain_album_gain", "replaygain_album_peak"};

// The standard fields and their ID3v2 texts, in the order in which the ID3v2
// values are taken.
const struct {
    const char* name;
    id3v2_fields::index field;
} kId3v2[] = {
    {"Album", id3v2_fields::album},
    {"Artist", id3v2_fields::artist},
    {"Comment", id3v2_fields::comment},
    {"Genre", id3v2_fields::genre},
    {"Lyrics", id3v2_fields::lyrics},
    {"Title", id3v2_fields::title},
    {"Track", id3v2_fields::track},
    {"Year", id3v2_fields::year},
    {"replaygain_album_gain", id3v2_fields::album_gain},
    {"replaygain_album_peak", id3v2_fields::album_peak},
    {"replaygain_track_gain", id3v2_fields::track_gain},
    {"replaygain_track_peak", id3v2_fields::track_peak},
};

}  // namespace

zel_tag::zel_tag() : m_stream(nullptr) {}

zel_tag::zel_tag(const zel_tag& other)
    : m_stream(other.m_stream), m_names(other.m_names), m_values(other.m_values) {}

zel_tag& zel_tag::operator=(const zel_tag& other) {
    if (this != &other) {
        m_stream = other.m_stream;
        m_names = other.m_names;
        m_values = other.m_values;
    }
    return *this;
}

zel_tag::~zel_tag() {}

int zel_tag::find(const char* name) const {
    if (!name || !*name)
        return -1;
    for (size_t i = 0; i < m_names.size(); ++i)
        if (tag_text::iequal(m_names[i].value(), name))
            return static_cast<int>(i);
    return -1;
}

bool zel_tag::set_stream(stream* s) {
    if (!s)
        return false;
    m_names.clear();
    m_values.clear();
    m_stream = s;
    const int64_t position = s->tell();
    s->seek(0, 0);
    {
        tag_item_list list;
        list.open(s);
        for (const char* name : kStandard)
            if (const char* value = list.find(name))
                set_field(name, value);
    }
    id3v2_fields id3v2;
    if (id3v2_read(s, &id3v2)) {
        for (const auto& f : kId3v2) {
            const stringx& text = id3v2.text[f.field];
            if (text.length() > 0)
                set_field(f.name, utf::utf16_to_utf8(text.wvalue()).value());
        }
    }
    s->seek(position, 0);
    return true;
}

const char* zel_tag::get_field(const char* name) const {
    if (!m_stream)
        return "";
    const int i = find(name);
    return i < 0 ? "" : m_values[i].value();
}

void zel_tag::set_field(const char* name, const char* value) {
    if (!m_stream || !name || !*name)
        return;
    const int i = find(name);
    if (i < 0) {
        m_names.push_back(stringx(name));
        m_values.push_back(stringx(value ? value : ""));
    } else if (value && *value) {
        m_values[i] = stringx(value);
    } else {
        m_names.erase(m_names.begin() + i);
        m_values.erase(m_values.begin() + i);
    }
}

bool zel_tag::update(int kind) {
    if (kind < 0 || !m_stream)
        return false;
    if (kind < kind_id3v2)
        return update_trailing(kind);
    id3v2_fields id3v2;
    for (const auto& f : kId3v2) {
        const char* value = get_field(f.name);
        if (*value)
            id3v2.text[f.field] = utf::utf8_to_utf16(value);
    }
    return id3v2_write(m_stream, &id3v2);
}

bool zel_tag::update_trailing(int kind) {
    const int64_t position = m_stream->tell();
    m_stream->seek(0, 0);
    m_stream->reopen(L"r+b");
    m_stream->seek(0, 0);
    int result = tag_item_list::write_error;
    {
        tag_item_list list;
        list.open(m_stream);
        for (const char* name : kStandard)
            list.put(name, get_field(name));
        const char* genre = list.find("Genre");
        if (genre && std::strcmp(genre, "(kein)") == 0)
            list.put("Genre", "");
        list.set_kind(kind == kind_ape_v1   ? tag_item_list::kind_ape_v1
                      : kind == kind_ape_v2 ? tag_item_list::kind_ape_v2
                                            : tag_item_list::kind_id3v1);
        result = list.write();
    }
    m_stream->reopen(L"rb");
    m_stream->seek(position, 0);
    return result != tag_item_list::write_error;
}

void zel_tag::remove() {
    if (!m_stream)
        return;
    const int64_t position = m_stream->tell();
    m_stream->seek(0, 0);
    m_stream->reopen(L"r+b");
    m_stream->seek(0, 0);
    {
        tag_item_list list;
        if (list.open(m_stream, true) == 0 && list.audio_end() < list.file_end())
            list.strip();
    }
    m_stream->reopen(L"rb");
    m_stream->seek(position, 0);
    id3v2_strip(m_stream);
}

int zel_tag::field_count() const { return static_cast<int>(m_names.size()); }

const char* zel_tag::field_name(int index) const {
    return index >= 0 && index < field_count() ? m_names[index].value() : nullptr;
}

const char* zel_tag::field_value(int index) const {
    return index >= 0 && index < field_count() ? m_values[index].value() : nullptr;
}
