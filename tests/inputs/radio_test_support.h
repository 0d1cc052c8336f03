#pragma once
// Helpers of the radio stream tests: the loaded registry (the recording
// title listeners live in a fixture library beside the test program), ICY
// replies built from audio bytes, and bounded loops that drain a stream.
#include <windows.h>
#include <string>
#include <vector>
#include "stream.h"
#include "title_recorder.h"

// The recorder control of the fixture library (loaded once per process).
title_recorder* recorder();

// What one listener heard, by kind.
std::vector<title_event> heard(int id = 0);
std::vector<title_event> titles(int id = 0);
std::vector<title_event> buffering_events(int id = 0);
std::vector<title_event> info_events(int id = 0);

// A metadata block as sent: its length byte (length / 16, rounded up) and
// the text padded with NULs.
std::string icy_block(const std::string& text);

// An ICY reply: status line "ICY 200 OK", the given header lines (each
// "name:value"), then audio with metadata blocks[i] after each interval
// bytes (the last entry repeats; an empty text is a zero-length block).
// Ends after the last audio byte.
std::string icy_reply(const std::vector<std::string>& headers, const std::string& audio, int interval,
                      const std::vector<std::string>& blocks);

// The MP3 fixture repeated until it holds at least min_bytes.
std::string radio_audio(size_t min_bytes);
// A file of the MPEG fixture folder as bytes ("" when missing).
std::string mpeg_fixture(const char* name);

// Reads until want bytes came, the stream is at its end or guard_ms passed.
std::string drain(stream& s, size_t want, DWORD guard_ms = 60000);

// Polls cond every millisecond for at most guard_ms; its last value.
template <class Cond>
bool wait_until(Cond cond, DWORD guard_ms = 60000) {
    const DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > guard_ms) return cond();
        Sleep(1);
    }
    return true;
}
