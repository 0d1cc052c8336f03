#include "cddb_disc.h"

#include <climits>
#include <cstring>

#include "utf.h"

namespace cddb_text {

int read_int(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        if (value <= INT_MAX) value = value * 10 + (*text - '0');
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int status_code(const char* body) {
    if (!body || strnlen(body, 3) < 3) return -1;
    const char digits[4] = {body[0], body[1], body[2], 0};
    return read_int(digits);
}

const char* after_status_line(const char* body) {
    if (!body) return nullptr;
    const char* end = strstr(body, "\r\n");
    if (end) return end[2] ? end + 2 : nullptr;
    end = strchr(body, '\n');
    return end && end[1] ? end + 1 : nullptr;
}

std::vector<std::string> lines(const char* text) {
    std::vector<std::string> out;
    if (!text) return out;
    for (;;) {
        const char* end = strchr(text, '\n');
        if (!end) break;
        size_t n = static_cast<size_t>(end - text);
        if (n > 0 && text[n - 1] == '\r') --n;
        out.emplace_back(text, n);
        text = end + 1;
    }
    if (*text) out.emplace_back(text);
    return out;
}

std::wstring wide(const std::string& ansi) {
    if (ansi.empty()) return std::wstring();
    return utf::ansi_to_utf16(ansi.c_str()).wvalue();
}

}  // namespace cddb_text

namespace {

using cddb_text::read_int;

bool starts_with(const std::string& text, const char* prefix) { return text.compare(0, strlen(prefix), prefix) == 0; }

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Every occurrence of from (two characters) becomes to, left to right.
std::string replace_all(const std::string& text, const char* from, char to) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == from[0] && i + 1 < text.size() && text[i + 1] == from[1]) {
            out += to;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string unescape(const std::string& value) {
    return replace_all(replace_all(replace_all(value, "\\n", '\n'), "\\t", '\t'), "\\\\", '\\');
}

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (true) {
        at = text.find_first_not_of(" \t", at);
        if (at == std::string::npos) break;
        const size_t end = text.find_first_of(" \t", at);
        out.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end;
    }
    return out;
}

// The entry n of a track list (TTITLEn, EXTTn): the list is cut or grown to
// exactly n + 1 entries; null for a number outside a CD's tracks.
std::string* track_entry(std::vector<std::string>& list, const std::string& key, size_t prefix) {
    const char* digits = key.c_str() + prefix;
    const int n = read_int(digits);
    if (n < 0 || n >= cddb_disc::max_tracks) return nullptr;
    list.resize(static_cast<size_t>(n) + 1);
    return &list[static_cast<size_t>(n)];
}

struct record_text {
    std::string title, genre, extended, play_order;
    std::vector<std::string> tracks, extended_tracks;
    bool xmcd = false, in_offsets = false, length = false, submitter = false, id = false, has_title = false;
};

// A comment line (the text after "#"); false when the record must be refused.
bool comment(const std::string& line, cddb_disc& d, record_text& r) {
    const std::string rest = line.substr(1);
    const std::string text = rest.size() >= 2 ? trimmed(rest) : std::string();
    if (starts_with(text, "xmcd")) {
        r.xmcd = true;
    } else if (text.find("Track frame offsets:") != std::string::npos) {
        r.in_offsets = true;
    } else if (starts_with(text, "Disc length:")) {
        // The number after the colon, white space skipped: read past the
        // colon alone, "Disc length:2563" keeps its first digit, and a
        // comment that ends at the colon is not read beyond its end.
        r.in_offsets = false;
        r.length = true;
        d.disc_length = read_int(text.c_str() + strlen("Disc length:"));
    } else if (starts_with(text, "Revision:")) {
        d.revision = read_int(text.c_str() + strlen("Revision:"));
    } else if (starts_with(text, "Submitted via:")) {
        r.submitter = true;
        const std::vector<std::string> w = words(text.substr(strlen("Submitted via:")));
        if (w.size() < 2) return false;
        d.submitter_name = cddb_text::wide(w[0]);
        d.submitter_version = cddb_text::wide(w[1]);
        d.submitter_comment = w.size() > 2 ? cddb_text::wide(w[2]) : std::wstring();
    } else if (r.in_offsets && !text.empty()) {
        d.frame_offsets.push_back(read_int(text.c_str()));
    }
    return true;
}

void key_value(const std::string& line, record_text& r, cddb_disc& d) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return;
    const std::string key = line.substr(0, equals);
    const std::string value = unescape(line.substr(equals + 1));
    if (key == "DISCID") {
        if (value.size() >= 8) r.id = true;
    } else if (key == "DTITLE") {
        r.title += value;
        r.has_title = true;
    } else if (key == "DYEAR") {
        d.year = read_int(value.c_str());
    } else if (key == "DGENRE") {
        r.genre += value;
    } else if (starts_with(key, "TTITLE")) {
        if (std::string* entry = track_entry(r.tracks, key, 6)) *entry += value;
    } else if (key == "EXTD") {
        r.extended += value;
    } else if (starts_with(key, "EXTT")) {
        if (std::string* entry = track_entry(r.extended_tracks, key, 4)) *entry += value;
    } else if (key == "PLAYORDER") {
        r.play_order += value;
    }
}

}  // namespace

cddb_disc& cddb_disc::operator=(const cddb_disc& other) {
    if (this == &other) return *this;
    frame_offsets.insert(frame_offsets.end(), other.frame_offsets.begin(), other.frame_offsets.end());
    disc_length = other.disc_length;
    revision = other.revision;
    submitter_name = other.submitter_name;
    submitter_version = other.submitter_version;
    submitter_comment = other.submitter_comment;
    disc_id = other.disc_id;
    artist = other.artist;
    title = other.title;
    track_titles.insert(track_titles.end(), other.track_titles.begin(), other.track_titles.end());
    extended_data = other.extended_data;
    extended_track_data.insert(extended_track_data.end(), other.extended_track_data.begin(),
                               other.extended_track_data.end());
    play_order.insert(play_order.end(), other.play_order.begin(), other.play_order.end());
    year = other.year;
    genre = other.genre;
    return *this;
}

bool cddb_disc::parse(const char* body) {
    const int code = cddb_text::status_code(body);
    if (code < 210 || code > 219) return false;
    const char* data = cddb_text::after_status_line(body);
    if (!data) return false;

    disc_length = revision = year = 0;
    submitter_name.clear();
    submitter_version.clear();
    submitter_comment.clear();
    artist.clear();
    title.clear();
    extended_data.clear();
    genre.clear();

    record_text r;
    // Texts are gathered as bytes and converted once, so that a double-byte
    // character split over two continuation lines stays whole.
    for (const std::string& line : cddb_text::lines(data)) {
        if (!line.empty() && line[0] == '#') {
            if (!comment(line, *this, r)) return false;
        } else {
            key_value(line, r, *this);
        }
    }
    for (const std::string& t : r.tracks) track_titles.push_back(cddb_text::wide(t));
    for (const std::string& t : r.extended_tracks) extended_track_data.push_back(cddb_text::wide(t));
    genre = cddb_text::wide(r.genre);
    extended_data = cddb_text::wide(r.extended);

    if (!r.xmcd || frame_offsets.empty() || !r.length || !r.submitter || !r.id || !r.has_title ||
        r.tracks.size() != r.extended_tracks.size())
        return false;

    const size_t split = r.title.find(" / ");
    if (split == std::string::npos) {
        artist = title = cddb_text::wide(r.title);
    } else {
        artist = cddb_text::wide(r.title.substr(0, split));
        title = cddb_text::wide(r.title.substr(split + 3));
    }

    size_t at = 0;
    for (size_t comma; (comma = r.play_order.find(',', at)) != std::string::npos; at = comma + 1)
        play_order.push_back(read_int(r.play_order.substr(at, comma - at).c_str()));
    if (at < r.play_order.size()) play_order.push_back(read_int(r.play_order.c_str() + at));
    return true;
}
