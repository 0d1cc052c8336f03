#pragma once
#include "zel_export.h"

// Printf-style checking of the narrow format(): msvcrt conventions.
#if defined(__MINGW32__)
#define ZEL_STRINGX_MS_PRINTF __attribute__((format(ms_printf, 2, 3)))
#else
#define ZEL_STRINGX_MS_PRINTF
#endif

// The text value passed between all modules of the player.
//
// A stringx owns two malloc'd, NUL-terminated buffers, a narrow one (bytes:
// ANSI or UTF-8, the producer decides) and a wide one (UTF-16). Both always
// exist; the encoding flag says which one holds the value (ASCII: narrow,
// UNI_CODE: wide). The other buffer keeps whatever it last held and may be
// stale after an assignment or set_encoding, so read the buffer that matches
// encoding() and convert between the forms with utf, never here.
//
// Copies are deep. Operations that take another stringx read its buffer of
// this string's encoding. "Characters" are bytes for ASCII strings and UTF-16
// code units for UNI_CODE strings.
class ZEL_CORE_API stringx {
public:
    static const int ASCII = 1;     // the narrow buffer holds the value
    static const int UNI_CODE = 2;  // the wide buffer holds the value

    stringx();                                        // empty, UNI_CODE
    stringx(const char* text);                        // ASCII; null gives ""
    stringx(const wchar_t* text);                     // UNI_CODE; null gives ""
    stringx(const stringx& other);
    // Characters start..end inclusive. end is first limited to the length,
    // then a start beyond end becomes 0; an end at the length copies up to
    // the terminator.
    stringx(const stringx& source, int start, int end);
    stringx(const char* text, int start, int end);
    stringx(const wchar_t* text, int start, int end);
    ~stringx();

    // Assignment copies the source's selected buffer only; the other buffer
    // of this string keeps its earlier content.
    stringx& operator=(const stringx& other);
    stringx& operator=(const char* text);
    stringx& operator=(const wchar_t* text);
    void empty();  // assigns stringx(): UNI_CODE, ""

    // Buffers stay valid until the string is next changed or destroyed.
    const char* value() const;
    const wchar_t* wvalue() const;
    operator const char*() const;
    operator char*();
    operator const wchar_t*() const;
    operator wchar_t*();

    int encoding() const;
    void set_encoding(int encoding);  // flag only, buffers untouched
    int length() const;               // 0 for a flag other than ASCII/UNI_CODE
    char char_at(int index) const;    // unchecked
    wchar_t wchar_at(int index) const;

    // Searches return an index or -1. The character forms search the buffer
    // of their own width whatever the flag says.
    int indexof(char c) const;
    int indexof(char c, int from) const;
    int indexof(wchar_t c) const;
    int indexof(wchar_t c, int from) const;
    int indexof(const stringx& text) const;
    int indexof(const stringx& text, int from) const;
    int last_indexof(char c) const;
    int last_indexof(char c, int stop) const;
    int last_indexof(wchar_t c) const;
    int last_indexof(wchar_t c, int stop) const;
    int last_indexof(const stringx& text) const;
    int last_indexof(const stringx& text, int stop) const;

    // Characters [start, end). Out-of-range arguments give the whole string;
    // ASCII and UNI_CODE strings differ for end <= start (see stringx_ops.h).
    stringx substring(int start, int end) const;
    stringx substring(int start) const;
    stringx left(int n) const;
    stringx right(int n) const;
    stringx mid(int start, int count) const;
    stringx mid(int start) const;

    // Editing: each returns a new string and leaves this one unchanged.
    stringx insert(const stringx& text, int pos) const;
    stringx replace(const stringx& text, int pos) const;  // overwrite from pos
    stringx replace(const char* from, const char* to) const;        // ASCII result
    stringx replace(const wchar_t* from, const wchar_t* to) const;  // UNI_CODE result
    stringx remove(int start, int end) const;  // drops start..end inclusive
    stringx reverse() const;
    stringx ltrim() const;  // blanks and tabs only
    stringx rtrim() const;
    stringx trim() const;
    stringx upper() const;
    stringx lower() const;
    stringx capitalize() const;  // upper after a blank or '.', lower elsewhere
    stringx invert() const;      // swaps the case of letters

    // In-place changes.
    void concat(const stringx& other);
    stringx operator+=(const stringx& other);  // appends, returns a copy
    stringx operator+(const stringx& other) const;
    // printf-style formatting with msvcrt conventions, cut to 8096
    // characters. The narrow form makes the string ASCII, the wide form
    // UNI_CODE; in the wide form %s takes a wide string and %c a wide char.
    void format(const char* fmt, ...) ZEL_STRINGX_MS_PRINTF;
    void format(const wchar_t* fmt, ...);
    // Direct writing: get_buffer makes the selected buffer hold size
    // characters plus the terminator (0: the current length), zero-filled
    // after the current text, and returns it as char* (ASCII) or wchar_t*
    // (UNI_CODE); null when size is below the current length. release_buffer
    // then cuts it to length characters (-1: up to the first terminator).
    void* get_buffer(int size);
    void release_buffer(int length);

    // Standard library conversions of the selected buffer; 0 for non-numbers.
    int toint() const;
    long tolong() const;
    float tofloat() const;
    double todouble() const;

    bool equals(const stringx& other) const;
    bool equals_ignore_case(const stringx& other) const;
    bool starts_with(const stringx& prefix, bool ignore_case) const;
    bool ends_with(const stringx& suffix, bool ignore_case) const;
    bool operator==(const stringx& other) const;
    bool operator==(const char* text) const;     // false unless ASCII
    bool operator==(const wchar_t* text) const;  // false unless UNI_CODE
    // Ordinal order: unsigned bytes or UTF-16 code units, no locale.
    bool operator<(const stringx& other) const;
    bool operator>(const stringx& other) const;

private:
    struct ops;  // width-generic implementation, stringx_ops.h

    char* m_value;
    wchar_t* m_wvalue;
    int m_encoding;
};
