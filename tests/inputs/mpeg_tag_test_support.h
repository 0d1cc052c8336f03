#pragma once
// Shared by the MPEG tag tests: ID3v2.3 tags and RIFF files laid out byte by
// byte around the generated MPEG fixtures, the registry of a folder that
// holds zel_core and zel_in_std, and entries read through it.
#include <string>
#include <vector>

#include "list_info.h"
#include "mpeg_media_support.h"

namespace mpeg_tag_test {

// The texts of the tagged fixture.
extern const wchar_t* const title;
extern const wchar_t* const artist;
extern const wchar_t* const album;

// One ID3v2.3 frame. A text frame (encoding 1: UTF-16 with a byte-order
// mark) and a TXXX frame (encoding 0, ASCII description and value).
bytes text_frame(const char* id, const std::wstring& text);
bytes user_frame(const char* description, const char* value);
// An ID3v2.3 tag holding the frames, then padding zero bytes.
bytes id3v23(const std::vector<bytes>& frames, size_t padding = 0);

// The four replay-gain TXXX frames ("-7.50 dB", "0.912345", "-6.25 dB",
// "0.998000").
std::vector<bytes> replay_gain_frames();
// The Korean title, artist and album, track "3/12" and year "2016", with or
// without the replay-gain frames.
bytes korean_tag(bool with_replay_gain);

// A RIFF chunk: id, little-endian size, body, a pad byte for an odd size.
bytes chunk(const char* id, const bytes& body);
// A RIFF WAVE file of the chunks.
bytes wave(const std::vector<bytes>& chunks);
// A "fmt " body of 16 bytes.
bytes fmt_body(int format_tag, int channels = 2, int rate = 44100, int average = 16000, int align = 1);

// Loads the libraries beside the program once.
void load_components();

// The single entry core::add_file makes of path; false (and entry
// untouched) when it makes none or several.
bool read_entry(const std::wstring& path, list_info& entry);

}  // namespace mpeg_tag_test
