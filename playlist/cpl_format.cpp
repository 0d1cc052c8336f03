// The own XML playlist format ".cpl": a "playlist" root with one "file"
// element per entry, the entry's fields as attributes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include "playlist_formats.h"
#include "playlist_paths.h"
#include "utf.h"
#include "utility.h"
#include "xml_edit.h"

namespace {

std::string utf8(const wchar_t* text) { return utf::utf16_to_utf8(text ? text : L"").value(); }

std::string number(const char* format, double value) {
    char buffer[64];
    int n = _snprintf(buffer, sizeof(buffer) - 1, format, value);
    buffer[n < 0 ? sizeof(buffer) - 1 : n] = 0;
    return buffer;
}

std::string integer(int value) { return std::to_string(value); }

// The sixteen attributes of one entry, in their order.
bool add_attributes(xml_edit& document, xmlNodePtr node, const list_info& e) {
    const std::pair<const char*, std::string> attributes[] = {
        {"path", utf8(e.path)},
        {"subtrack", integer(e.subtrack)},
        {"time", number("%f", e.time)},
        {"channel", integer(e.channel)},
        {"bitrate", integer(e.bitrate)},
        {"samplerate", integer(e.samplerate)},
        {"artist", utf8(e.artist)},
        {"title", utf8(e.title)},
        {"track", e.track ? integer(e.track) : std::string()},
        {"album", utf8(e.album)},
        {"genre", utf8(e.genre)},
        {"date", utf8(e.date)},
        {"track_gain", number("%f", e.track_gain)},
        {"track_peak", number("%f", e.track_peak)},
        {"album_gain", number("%f", e.album_gain)},
        {"album_peak", number("%f", e.album_peak)},
    };
    for (const auto& a : attributes)
        if (!document.add_attr(node, a.first, a.second.c_str())) return false;
    return true;
}

// The reader's table: each name fills one field (a text, an integer, a real
// number or the subtrack flag); names compare ignoring case.
struct field_rule {
    const char* name;
    wchar_t* list_info::*text;
    int list_info::*integer;
    double list_info::*real;
};

const field_rule field_rules[] = {
    {"path", &list_info::path, nullptr, nullptr},
    {"filename", &list_info::filename, nullptr, nullptr},
    {"artist", &list_info::artist, nullptr, nullptr},
    {"album", &list_info::album, nullptr, nullptr},
    {"title", &list_info::title, nullptr, nullptr},
    {"date", &list_info::date, nullptr, nullptr},
    {"genre", &list_info::genre, nullptr, nullptr},
    {"jenre", &list_info::genre, nullptr, nullptr},
    {"track", nullptr, &list_info::track, nullptr},
    {"channel", nullptr, &list_info::channel, nullptr},
    {"samplerate", nullptr, &list_info::samplerate, nullptr},
    {"bitrate", nullptr, &list_info::bitrate, nullptr},
    {"time", nullptr, nullptr, &list_info::time},
    {"track_gain", nullptr, nullptr, &list_info::track_gain},
    {"track_peak", nullptr, nullptr, &list_info::track_peak},
    {"album_gain", nullptr, nullptr, &list_info::album_gain},
    {"album_peak", nullptr, nullptr, &list_info::album_peak},
    {"subtrack", nullptr, nullptr, nullptr},
};

// Stores one attribute by the reader's table; other names are ignored.
void store_attribute(list_info& e, const char* name, const std::wstring& value) {
    for (const field_rule& rule : field_rules) {
        if (_stricmp(name, rule.name) != 0) continue;
        if (rule.text)
            list_info::set_string(e.*rule.text, value.c_str());
        else if (rule.integer)
            e.*rule.integer = _wtoi(value.c_str());
        else if (rule.real)
            e.*rule.real = wcstod(value.c_str(), nullptr);
        else
            e.subtrack = _wtoi(value.c_str()) != 0 ? 1 : 0;
        return;
    }
}

}  // namespace

bool write_cpl_document(const wchar_t* file, const std::vector<list_info>& entries) {
    if (!file || !*file) return false;
    // The short ANSI form reaches any file name through the byte-path API.
    char* short_path = utility::convert_filename(file);
    if (!short_path) return false;
    xml_edit document;
    const bool opened = document.open(short_path);
    free(short_path);
    if (!opened) return false;
    xmlNodePtr root = document.add_root_node("playlist", nullptr);
    if (!root) return false;
    for (const list_info& e : entries) {
        xmlNodePtr node = document.add_node(root, "file", nullptr);
        if (!node) return false;
        if (e.path && *e.path && !add_attributes(document, node, e)) return false;
    }
    return document.save();
}

bool read_cpl_playlist(const wchar_t* path, std::vector<list_info>& entries) {
    if (!path || !*path) return false;
    if (_wcsicmp(utility::get_file_extension(path).wvalue(), L"cpl") != 0) return false;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return false;
    const std::wstring folder = folder_of(path);
    char* short_path = utility::convert_filename(path);
    if (!short_path) return false;
    xml_edit document;
    const bool opened = document.open(short_path);
    free(short_path);
    if (!opened) return false;
    xmlNodePtr first = document.find_node("file");
    if (!first) return false;
    for (xmlNodePtr node = first; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE || strcmp(reinterpret_cast<const char*>(node->name), "file") != 0)
            continue;
        list_info entry;
        bool path_seen = false;
        for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next) {
            const char* name = reinterpret_cast<const char*>(attribute->name);
            // Values are taken whole, however long.
            char* raw = document.get_attr_text(attribute);
            std::wstring value = raw ? utf::utf8_to_utf16(raw).wvalue() : L"";
            free(raw);
            if (!path_seen && !_stricmp(name, "path")) {
                path_seen = true;
                value = resolve_relative_path(folder, value);
            }
            store_attribute(entry, name, value);
        }
        if (entry.path && *entry.path) entries.push_back(entry);
    }
    return true;
}
