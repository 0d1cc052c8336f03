// Any INI file through the wide private-profile functions (utility).
#include "utility.h"
#include "utf.h"

namespace {
// The text of a stringx of either encoding as UTF-16 (narrow ones are ANSI).
stringx wide(const stringx& s) {
    return s.encoding() == stringx::ASCII ? utf::ansi_to_utf16(s.value()) : s;
}
}  // namespace

stringx utility::get_profile_string(stringx file, stringx section, stringx key, stringx default_text, long size) {
    if (size <= 0) return stringx(L"");
    stringx buffer;
    wchar_t* chars = static_cast<wchar_t*>(buffer.get_buffer(static_cast<int>(size)));
    if (!chars) return stringx(L"");
    GetPrivateProfileStringW(wide(section).wvalue(), wide(key).wvalue(), wide(default_text).wvalue(), chars,
                             static_cast<DWORD>(size), wide(file).wvalue());
    buffer.release_buffer(-1);
    return buffer.trim();
}

int utility::write_profile_string(stringx file, stringx section, stringx key, stringx value) {
    return WritePrivateProfileStringW(wide(section).wvalue(), wide(key).wvalue(), wide(value).wvalue(),
                                      wide(file).wvalue());
}
