// The frame shared by the playlist loaders: the format's extension, the
// fetch of a remote playlist into a temporary file, the parse, the entries.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
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

namespace {
// The texts of the entries found so far, heap copies owned here until the
// entries take them over (or the parse fails). Gathering two pointers per
// entry and making the entries once the count is known spares the list of
// entries the copies of a growing vector.
class found_texts {
public:
    found_texts() = default;
    found_texts(const found_texts&) = delete;
    found_texts& operator=(const found_texts&) = delete;
    ~found_texts() {
        for (const texts& t : found_) {
            free(t.path);
            free(t.title);
        }
    }

    void add(const std::wstring& path, const std::wstring* title) {
        if (found_.empty()) found_.reserve(first_room);
        found_.push_back(texts{nullptr, nullptr});  // may throw: nothing owned yet
        texts& t = found_.back();
        t.path = copy_of(path);
        if (title && !title->empty()) t.title = copy_of(*title);
    }

    // Appends one entry per text pair, the texts moving into the entries.
    void move_into(std::vector<list_info>& entries) {
        const size_t needed = entries.size() + found_.size();
        if (entries.capacity() < needed) entries.reserve(std::max(needed, 2 * entries.capacity()));
        for (texts& t : found_) {
            entries.emplace_back();
            list_info& entry = entries.back();
            entry.path = t.path;
            entry.title = t.title;
            t.path = t.title = nullptr;
        }
        found_.clear();
    }

private:
    struct texts {
        wchar_t* path;
        wchar_t* title;
    };
    // Room for the first entries: 512 KB, a size the heap takes from the
    // system apart from its small blocks (as the larger ones the list grows
    // into), so that the list leaves no holes between the texts that later
    // small blocks would fill and keep the texts' memory from going back
    // when they are freed.
    static constexpr size_t first_room = 65536;

    static wchar_t* copy_of(const std::wstring& text) {
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        wchar_t* copy = static_cast<wchar_t*>(malloc(bytes));
        if (!copy) throw std::bad_alloc();
        memcpy(copy, text.c_str(), bytes);
        return copy;
    }

    std::vector<texts> found_;
};
}  // namespace

bool load_playlist(playlist_format format, const wchar_t* path, std::vector<list_info>& entries) {
    if (!playlist_path_fits(format, path)) return false;
    const format_rule* rule = rule_for(format);
    // Each path is copied once, into the heap copy its entry keeps, and the
    // entries join the list only when the whole file parsed.
    found_texts found;
    const bool titles = format == playlist_format::pls;
    const parsed_sink add = [&](const std::wstring& entry_path, const std::wstring& title) {
        if (entry_path.empty()) return;
        found.add(entry_path, titles ? &title : nullptr);
    };
    const bool parsed = is_remote(path) ? parse_remote(*rule, path, add) : rule->parse(path, add);
    if (!parsed) return false;
    found.move_into(entries);
    return true;
}
