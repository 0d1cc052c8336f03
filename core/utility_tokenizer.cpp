#include "utility.h"

#include <cwchar>
#include <string>

void utility::string_tokenizer(const wchar_t* text, const wchar_t* delimiter,
                               std::vector<stringx>& pieces) {
    if (!text || !*text)
        return;
    // wcsstr finds an empty delimiter at every position; taking the text as
    // one piece keeps the loop finite.
    if (!delimiter || !*delimiter) {
        pieces.push_back(stringx(text));
        return;
    }
    const size_t delimiter_length = wcslen(delimiter);
    const wchar_t* rest = text;
    for (const wchar_t* hit; (hit = wcsstr(rest, delimiter)) != nullptr;) {
        pieces.push_back(stringx(std::wstring(rest, hit).c_str()));
        rest = hit + delimiter_length;
    }
    pieces.push_back(stringx(rest));
}
