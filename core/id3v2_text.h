#pragma once
// Text of ID3v2 frames for the reader (id3v2_read.cpp); not exported.
#include <cstddef>
#include <string>

namespace id3v2_text {

// Decodes n bytes of frame text in the encoding of the frame's first byte
// (0 ANSI code page, 1 UTF-16 with byte-order mark, 2 UTF-16 big-endian,
// 3 UTF-8), up to the first NUL character. False for another encoding.
bool decode(int encoding, const unsigned char* p, size_t n, std::wstring& out);

// Where a description ends in n bytes of text: its length in bytes, and the
// offset of what follows its terminator (n when there is no terminator).
void split_description(int encoding, const unsigned char* p, size_t n, size_t& length, size_t& rest);

// A TCON text as a genre name: "(13)" is "Pop", "(13)Text" is "Text",
// numbers outside the table give "", other texts stay.
std::wstring genre(const std::wstring& tcon);
// A TRCK text without the part from its first "/" on ("3/12" is "3").
std::wstring track(const std::wstring& trck);

}  // namespace id3v2_text
