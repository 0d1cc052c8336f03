#pragma once
// utf: conversion between the system's UTF-16 text and the ANSI (system code
// page) or UTF-8 text of files and the network.
//
// Every function takes a NUL-terminated text that may be null and returns a
// new stringx: narrow results (ANSI, UTF-8) as ASCII strings, UTF-16 results
// as UNI_CODE strings. Nothing is reported: null or empty input, or a failed
// conversion, gives an empty string of the target's encoding.
//
// UTF-8 is encoded and decoded here, not by the platform:
// - a UTF-16 surrogate pair becomes one four-byte sequence; a lone surrogate
//   half (not valid text) becomes U+FFFD, so the output is always valid UTF-8;
// - the decoder does not validate: a stray continuation byte is taken as the
//   lead of a two-byte sequence, 0xE0-0xEF and 0xF8-0xFF start three-byte
//   sequences, 0xF0-0xF7 four-byte ones, which give a surrogate pair (U+FFFD
//   beyond U+10FFFF). Pairs written as two three-byte sequences (as older
//   files may hold them) decode to the same pair. A sequence cut off by the
//   terminator is dropped.
// ANSI goes through the Win32 code-page functions with the ANSI code page.
//
// All functions are reentrant.
#include "stringx.h"
#include "zel_export.h"

class ZEL_CORE_API utf {
public:
    static stringx ansi_to_utf16(const char* text);     // UNI_CODE
    static stringx utf16_to_ansi(const wchar_t* text);  // ASCII
    static stringx utf16_to_utf8(const wchar_t* text);  // ASCII holding UTF-8
    static stringx utf8_to_utf16(const char* text);     // UNI_CODE
    static stringx ansi_to_utf8(const char* text);      // ASCII holding UTF-8
    static stringx utf8_to_ansi(const char* text);      // ASCII

private:
    utf() = delete;
};
