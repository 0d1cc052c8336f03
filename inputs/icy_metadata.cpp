#include "icy_metadata.h"
#include <cctype>
#include <cstring>

namespace icy {

namespace {

std::string lower(const std::string& text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return out;
}

// The quoted value after name (which ends in "="): skips the opening quote,
// runs to the next "'", cut to max_item bytes. False without a closing quote.
bool quoted_value(const std::string& text, const std::string& low, size_t at, size_t name_length,
                  std::string& value) {
    size_t start = at + name_length + 1;  // past the name and its opening quote
    if (start > text.size()) return false;
    size_t end = low.find('\'', start);
    if (end == std::string::npos) return false;
    value = text.substr(start, end - start);
    if (value.size() > static_cast<size_t>(max_item)) value.resize(max_item);
    return true;
}

}  // namespace

block_items parse_block(const char* block, int length) {
    block_items items;
    if (!block || length <= 0) return items;
    const void* nul = memchr(block, 0, static_cast<size_t>(length));
    size_t used = nul ? static_cast<size_t>(static_cast<const char*>(nul) - block) : static_cast<size_t>(length);
    std::string text(block, used);
    std::string low = lower(text);

    static const char title_name[] = "streamtitle=";
    static const char url_name[] = "streamurl=";
    size_t at = low.find(title_name);
    if (at != std::string::npos) {
        items.has_title = quoted_value(text, low, at, sizeof(title_name) - 1, items.title);
        return items;
    }
    at = low.find(url_name);
    if (at != std::string::npos) items.has_url = quoted_value(text, low, at, sizeof(url_name) - 1, items.url);
    return items;
}

std::string server_text(const char* server, const char* notice2) {
    std::string text = server ? server : "";
    if (text.empty() && notice2) text = notice2;
    size_t br = lower(text).find("<br>");
    if (br != std::string::npos && br > 0) text.resize(br);
    return text;
}

long long id3_tag_bytes(const unsigned char* head, int size) {
    if (!head || size < 10) return 0;
    if (head[0] != 'I' || head[1] != 'D' || head[2] != '3') return 0;
    const unsigned char flags = head[5];
    if (flags & 0x0F) return 0;
    long long bytes = 0;
    for (int i = 6; i < 10; ++i) {
        if (head[i] & 0x80) return 0;
        bytes = (bytes << 7) | head[i];
    }
    bytes += 10;
    if (flags & 0x10) bytes += 10;
    return bytes;
}

}  // namespace icy
