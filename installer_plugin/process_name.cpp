// The name test: an ASCII case-blind substring search over multibyte text.
#include "process_name.h"

#include <windows.h>

namespace zel_nsis {
namespace {

char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether program, upper-cased, is spelt at text. Both step by characters:
// only single-byte characters are upper-cased, a double-byte one compares as
// its two bytes.
bool spelt_at(const char* text, const char* program) {
    while (*program) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*program)) && program[1]) {
            if (text[0] != program[0] || text[1] != program[1]) return false;
            text += 2;
            program += 2;
            continue;
        }
        if (ascii_upper(*text) != ascii_upper(*program)) return false;
        ++text;
        ++program;
    }
    return true;
}

}  // namespace

bool process_name_matches(const char* exe_file, const char* program) {
    if (!exe_file || !program) return false;
    for (const char* at = exe_file;;) {
        if (spelt_at(at, program)) return true;
        if (!*at) return false;
        // A lead byte with its trail byte is one character; a lead byte at the
        // very end stands alone.
        at += (IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1]) ? 2 : 1;
    }
}

}  // namespace zel_nsis
