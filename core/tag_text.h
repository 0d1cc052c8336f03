#pragma once
// Helpers shared by the tag readers and writers of zel_core (not exported):
// ASCII case-insensitive comparison, the tag text conversions, and stream
// reads and writes that go on until every byte is through.
#include <cstdint>
#include <string>

class stream;

namespace tag_text {

// Equal ignoring ASCII case only (no locale); null equals nothing.
bool iequal(const char* a, const char* b);

// ANSI code page bytes to UTF-8; "" for an empty text or when the platform
// cannot convert them.
std::string ansi_to_utf8(const std::string& ansi);
// UTF-8 to the ANSI code page (characters outside it become "?"). False when
// a non-empty text gives no result.
bool utf8_to_ansi(const std::string& utf8, std::string& ansi);

// Reads up to bytes bytes, calling stream::read until it returns 0; the
// count read.
int read_all(stream* s, void* buffer, int bytes);
// Writes bytes bytes, calling stream::write until it returns 0; true when
// all of them were written.
bool write_all(stream* s, const void* buffer, int bytes);

// Little-endian 32-bit numbers of the APE blocks.
uint32_t get_le32(const unsigned char* p);
void put_le32(unsigned char* p, uint32_t value);

}  // namespace tag_text
