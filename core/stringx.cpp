// stringx: construction, access, search, substrings, numbers and
// comparison; the algorithms are in stringx_ops.h, the editing in
// stringx_edit.cpp.
#include "stringx_ops.h"

const int stringx::ASCII;
const int stringx::UNI_CODE;

// Construction and assignment -------------------------------------------------

stringx::stringx()
    : m_value(dup_text<char>(nullptr)), m_wvalue(dup_text<wchar_t>(nullptr)), m_encoding(UNI_CODE) {}

stringx::stringx(const char* text) : stringx() {
    set_text(m_value, text);
    m_encoding = ASCII;
}

stringx::stringx(const wchar_t* text) : stringx() {
    set_text(m_wvalue, text);
}

stringx::stringx(const stringx& other) : stringx() {
    m_encoding = other.m_encoding;
    if (m_encoding == ASCII)
        set_text(m_value, other.m_value);
    else
        set_text(m_wvalue, other.m_wvalue);
}

stringx::stringx(const stringx& source, int start, int end) : stringx() {
    m_encoding = source.m_encoding;
    if (m_encoding == ASCII)
        ops::init_range(*this, source.m_value, start, end);
    else
        ops::init_range(*this, source.m_wvalue, start, end);
}

stringx::stringx(const char* text, int start, int end) : stringx() {
    m_encoding = ASCII;
    ops::init_range(*this, text, start, end);
}

stringx::stringx(const wchar_t* text, int start, int end) : stringx() {
    ops::init_range(*this, text, start, end);
}

stringx::~stringx() {
    free(m_value);
    free(m_wvalue);
}

stringx& stringx::operator=(const stringx& other) {
    if (other.m_encoding == ASCII)
        set_text(m_value, other.m_value);
    else
        set_text(m_wvalue, other.m_wvalue);
    m_encoding = other.m_encoding;
    return *this;
}

stringx& stringx::operator=(const char* text) {
    set_text(m_value, text);
    m_encoding = ASCII;
    return *this;
}

stringx& stringx::operator=(const wchar_t* text) {
    set_text(m_wvalue, text);
    m_encoding = UNI_CODE;
    return *this;
}

void stringx::empty() {
    *this = stringx();
}

// Access ----------------------------------------------------------------------

const char* stringx::value() const { return m_value; }
const wchar_t* stringx::wvalue() const { return m_wvalue; }
stringx::operator const char*() const { return m_value; }
stringx::operator char*() { return m_value; }
stringx::operator const wchar_t*() const { return m_wvalue; }
stringx::operator wchar_t*() { return m_wvalue; }

int stringx::encoding() const { return m_encoding; }
void stringx::set_encoding(int encoding) { m_encoding = encoding; }

int stringx::length() const {
    if (m_encoding == ASCII)
        return text_len(m_value);
    if (m_encoding == UNI_CODE)
        return text_len(m_wvalue);
    return 0;
}

char stringx::char_at(int index) const { return m_value[index]; }
wchar_t stringx::wchar_at(int index) const { return m_wvalue[index]; }

// Search ----------------------------------------------------------------------

int stringx::indexof(char c) const { return indexof(c, 0); }
int stringx::indexof(char c, int from) const { return ops::index_of(m_value, c, from); }
int stringx::indexof(wchar_t c) const { return indexof(c, 0); }
int stringx::indexof(wchar_t c, int from) const { return ops::index_of(m_wvalue, c, from); }
int stringx::indexof(const stringx& text) const { return indexof(text, 0); }

int stringx::indexof(const stringx& text, int from) const {
    if (m_encoding == ASCII)
        return ops::index_of(m_value, text.m_value, from);
    return ops::index_of(m_wvalue, text.m_wvalue, from);
}

int stringx::last_indexof(char c) const { return last_indexof(c, 0); }
int stringx::last_indexof(char c, int stop) const { return ops::last_index_of(m_value, c, stop); }
int stringx::last_indexof(wchar_t c) const { return last_indexof(c, 0); }
int stringx::last_indexof(wchar_t c, int stop) const { return ops::last_index_of(m_wvalue, c, stop); }
int stringx::last_indexof(const stringx& text) const { return last_indexof(text, 0); }

int stringx::last_indexof(const stringx& text, int stop) const {
    if (m_encoding == ASCII)
        return ops::last_index_of(m_value, text.m_value, stop);
    return ops::last_index_of(m_wvalue, text.m_wvalue, stop);
}

// Substrings ------------------------------------------------------------------

stringx stringx::substring(int start, int end) const {
    if (m_encoding == ASCII)
        return ops::substring<char>(*this, start, end);
    return ops::substring<wchar_t>(*this, start, end);
}

stringx stringx::substring(int start) const { return substring(start, length()); }
stringx stringx::left(int n) const { return substring(0, n); }

stringx stringx::right(int n) const {
    const int len = length();
    return substring(len - n, len);
}

stringx stringx::mid(int start, int count) const { return substring(start, start + count); }
stringx stringx::mid(int start) const { return mid(start, length() - start); }

// Numbers ---------------------------------------------------------------------

int stringx::toint() const {
    return m_encoding == ASCII ? atoi(m_value) : _wtoi(m_wvalue);
}

long stringx::tolong() const {
    return m_encoding == ASCII ? atol(m_value) : _wtol(m_wvalue);
}

float stringx::tofloat() const {
    return static_cast<float>(m_encoding == ASCII ? atof(m_value) : wcstod(m_wvalue, nullptr));
}

double stringx::todouble() const {
    return m_encoding == ASCII ? strtod(m_value, nullptr) : wcstod(m_wvalue, nullptr);
}

// Comparison ------------------------------------------------------------------

bool stringx::equals(const stringx& other) const {
    if (m_encoding == ASCII)
        return ops::equal(m_value, other.m_value, false);
    return ops::equal(m_wvalue, other.m_wvalue, false);
}

bool stringx::equals_ignore_case(const stringx& other) const {
    if (m_encoding == ASCII)
        return ops::equal(m_value, other.m_value, true);
    return ops::equal(m_wvalue, other.m_wvalue, true);
}

// An empty affix is compared with substring's whole-string result, so it
// only matches an empty string, except a prefix of a UNI_CODE string, whose
// substring(0, 0) is empty.
bool stringx::starts_with(const stringx& prefix, bool ignore_case) const {
    if (m_encoding == ASCII)
        return ops::affix<char>(*this, prefix, false, ignore_case);
    return ops::affix<wchar_t>(*this, prefix, false, ignore_case);
}

bool stringx::ends_with(const stringx& suffix, bool ignore_case) const {
    if (m_encoding == ASCII)
        return ops::affix<char>(*this, suffix, true, ignore_case);
    return ops::affix<wchar_t>(*this, suffix, true, ignore_case);
}

bool stringx::operator==(const stringx& other) const { return equals(other); }

bool stringx::operator==(const char* text) const {
    return m_encoding == ASCII && text && strcmp(m_value, text) == 0;
}

bool stringx::operator==(const wchar_t* text) const {
    return m_encoding == UNI_CODE && text && wcscmp(m_wvalue, text) == 0;
}

bool stringx::operator<(const stringx& other) const {
    if (m_encoding == ASCII)
        return ops::compare(m_value, other.m_value) < 0;
    return ops::compare(m_wvalue, other.m_wvalue) < 0;
}

bool stringx::operator>(const stringx& other) const {
    if (m_encoding == ASCII)
        return ops::compare(m_value, other.m_value) > 0;
    return ops::compare(m_wvalue, other.m_wvalue) > 0;
}
