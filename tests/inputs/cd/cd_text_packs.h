#pragma once
// CD-Text packs as a drive returns them from READ TOC format 5, for the
// virtual drives of the tests.
#include <string>
#include <vector>

namespace cd_text_packs {

// One 18-byte pack: type, track, sequence, block (bits 4 to 6), 12 text
// bytes (the text padded with NUL), two check bytes that no drive here
// fills correctly.
inline std::vector<unsigned char> pack(unsigned char type, unsigned char track, const std::string& text,
                                       int block = 0) {
    std::vector<unsigned char> p(18, 0);
    p[0] = type;
    p[1] = track;
    p[3] = static_cast<unsigned char>(block << 4);
    for (size_t i = 0; i < 12 && i < text.size(); ++i) p[4 + i] = static_cast<unsigned char>(text[i]);
    p[16] = 0xDE;
    p[17] = 0xAD;
    return p;
}

// The packs of one type that carry these strings (each with its NUL) in
// order, the first string for track `first`; each pack names the track of
// the first string that ends in it.
inline std::vector<unsigned char> packs(unsigned char type, unsigned char first,
                                        const std::vector<std::string>& strings, int block = 0) {
    std::string all;
    for (const std::string& s : strings) all += s + std::string(1, '\0');
    std::vector<unsigned char> out;
    unsigned char track = first;
    for (size_t at = 0; at < all.size(); at += 12) {
        const std::string piece = all.substr(at, 12);
        const std::vector<unsigned char> p = pack(type, track, piece, block);
        out.insert(out.end(), p.begin(), p.end());
        for (char c : piece)
            if (c == '\0') ++track;
    }
    return out;
}

inline std::vector<unsigned char> operator+(std::vector<unsigned char> a, const std::vector<unsigned char>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace cd_text_packs
