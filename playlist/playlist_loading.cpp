// The frame shared by the playlist loaders: the format's extension, the
// fetch of a remote playlist into a temporary file, the parse, the entries.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>
#include "core.h"
#include "playlist_formats.h"
#include "utility.h"

namespace {

struct format_rule {
    playlist_format format;
    const wchar_t* extensions[2];
    const wchar_t* temporary_name;  // in the application-data folder
    bool (*parse)(const wchar_t* file, const parsed_sink& found);
};

const format_rule format_rules[] = {
    {playlist_format::wpl, {L"wpl", nullptr}, L"\\temp.wpl", parse_wpl},
    {playlist_format::pls, {L"pls", nullptr}, L"\\temp.pls", parse_pls},
    {playlist_format::m3u, {L"m3u", L"m3u8"}, L"\\temp.m3u", parse_m3u},
    {playlist_format::asx, {L"asx", nullptr}, L"\\temp.asx", parse_asx},
};

const format_rule* rule_for(playlist_format format) {
    for (const format_rule& rule : format_rules)
        if (rule.format == format) return &rule;
    return nullptr;
}

// Whether text equals the lower-case ASCII word, ignoring the case of
// ASCII letters (no other character folds to one of the words' letters).
bool equals_ascii_word(const wchar_t* text, const wchar_t* word) {
    for (; *word; ++text, ++word) {
        wchar_t c = *text;
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != *word) return false;
    }
    return *text == 0;
}

// The text after the last "." (the whole path when it has none), as
// utility::get_file_extension takes it; asked of every entry of every list,
// so it allocates nothing and takes no lock.
bool has_extension_of(const format_rule& rule, const wchar_t* path) {
    const wchar_t* extension = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'.') extension = p + 1;
    for (const wchar_t* e : rule.extensions)
        if (e && equals_ascii_word(extension, e)) return true;
    return false;
}

bool is_remote(const wchar_t* path) { return !_wcsnicmp(path, L"http://", 7) || !_wcsnicmp(path, L"ftp://", 6); }

// Fetches the playlist at url into the format's temporary file and parses
// that; the file is deleted again whatever the parse gave.
bool parse_remote(const format_rule& rule, const wchar_t* url, const parsed_sink& found) {
    char* text = nullptr;
    if (!utility::open_url(url, L"", text) || !text) {
        free(text);
        return false;
    }
    wchar_t* appdata = core::get_appdata_path();
    if (!appdata) {
        free(text);
        return false;
    }
    utility::check_directory(appdata);
    const std::wstring temporary = std::wstring(appdata) + rule.temporary_name;
    free(appdata);
    FILE* f = _wfopen(temporary.c_str(), L"wb");
    if (!f) {
        free(text);
        return false;
    }
    const size_t length = strlen(text);
    const bool written = fwrite(text, 1, length, f) == length;
    free(text);
    bool parsed = fclose(f) == 0 && written && rule.parse(temporary.c_str(), found);
    _wremove(temporary.c_str());
    return parsed;
}

}  // namespace

bool playlist_path_fits(playlist_format format, const wchar_t* path) {
    const format_rule* rule = rule_for(format);
    return rule && path && *path && has_extension_of(*rule, path);
}

bool load_playlist(playlist_format format, const wchar_t* path, std::vector<list_info>& entries) {
    if (!playlist_path_fits(format, path)) return false;
    const format_rule* rule = rule_for(format);
    // Each entry is made as its line is parsed (its path copied once, into
    // the entry), and the entries join the list only when the whole file
    // parsed.
    std::vector<list_info> found;
    const bool titles = format == playlist_format::pls;
    const parsed_sink add = [&](const std::wstring& entry_path, const std::wstring& title) {
        if (entry_path.empty()) return;
        found.emplace_back();
        list_info& entry = found.back();
        list_info::set_string(entry.path, entry_path.c_str());
        if (titles && !title.empty()) list_info::set_string(entry.title, title.c_str());
    };
    const bool parsed = is_remote(path) ? parse_remote(*rule, path, add) : rule->parse(path, add);
    if (!parsed) return false;
    if (entries.empty()) {
        entries.swap(found);
    } else {
        entries.reserve(entries.size() + found.size());
        for (list_info& entry : found) entries.push_back(std::move(entry));
    }
    return true;
}
