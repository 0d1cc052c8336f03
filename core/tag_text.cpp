#include "tag_text.h"

#include "stream.h"
#include "utf.h"

namespace tag_text {

bool iequal(const char* a, const char* b) {
    if (!a || !b)
        return false;
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a);
        unsigned char y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
        if (x == 0)
            return true;
    }
}

std::string ansi_to_utf8(const std::string& ansi) {
    if (ansi.empty())
        return std::string();
    const stringx text = utf::ansi_to_utf8(ansi.c_str());
    return std::string(text.value());
}

bool utf8_to_ansi(const std::string& utf8, std::string& ansi) {
    ansi.clear();
    if (utf8.empty())
        return true;
    const stringx text = utf::utf8_to_ansi(utf8.c_str());
    ansi = text.value();
    return !ansi.empty();
}

int read_all(stream* s, void* buffer, int bytes) {
    unsigned char* p = static_cast<unsigned char*>(buffer);
    int done = 0;
    while (done < bytes) {
        const int n = s->read(p + done, bytes - done);
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

bool write_all(stream* s, const void* buffer, int bytes) {
    const unsigned char* p = static_cast<const unsigned char*>(buffer);
    int done = 0;
    while (done < bytes) {
        const int n = s->write(p + done, bytes - done);
        if (n <= 0 || n > bytes - done)
            return false;
        done += n;
    }
    return true;
}

uint32_t get_le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void put_le32(unsigned char* p, uint32_t value) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

}  // namespace tag_text
