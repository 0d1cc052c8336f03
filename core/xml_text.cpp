#include "xml_text.h"
#include <libxml/tree.h>

namespace xml_text {
namespace {

const char replacement[] = "\xEF\xBF\xBD";  // U+FFFD

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

void put_utf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes one well-formed UTF-8 sequence at p (shortest form, at most
// U+10FFFF; surrogate halves decode too). Returns its length, 0 when the
// bytes are not such a sequence.
size_t decode(const unsigned char* p, unsigned long& code) {
    unsigned char lead = p[0];
    size_t length;
    unsigned long minimum;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if (!continuation(p[i])) return 0;  // also stops at the terminator
        code = (code << 6) | (p[i] & 0x3F);
    }
    return code >= minimum && code <= 0x10FFFF ? length : 0;
}

bool xml_char(unsigned long c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

std::string safe(const char* utf8) {
    std::string out;
    if (!utf8) return out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        unsigned long code;
        size_t length = decode(p, code);
        if (length == 0) {
            out += replacement;
            ++p;
            continue;
        }
        if (code >= 0xD800 && code <= 0xDBFF) {
            unsigned long low;
            if (decode(p + 3, low) == 3 && low >= 0xDC00 && low <= 0xDFFF) {
                put_utf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                p += 6;
                continue;
            }
        }
        if (xml_char(code))
            out.append(reinterpret_cast<const char*>(p), length);
        else
            out += replacement;
        p += length;
    }
    return out;
}

bool valid_name(const char* name) {
    return name && *name && xmlValidateName(reinterpret_cast<const xmlChar*>(name), 0) == 0;
}

size_t cut_length(const char* text, size_t length, size_t limit) {
    if (length <= limit) return length;
    size_t keep = limit;
    // Step back over continuation bytes to the start of the cut sequence.
    while (keep > 0 && continuation(static_cast<unsigned char>(text[keep]))) --keep;
    return keep;
}

}  // namespace xml_text
