#include "cd_track_name.h"

#include <cstdlib>
#include <cwchar>
#include <vector>

#include "stringx.h"
#include "utility.h"

namespace cd_track_name {

namespace {
const wchar_t prefix[] = L"cdda://";
const size_t prefix_length = 7;
}  // namespace

std::wstring make(int track, unsigned disc_id, wchar_t letter) {
    wchar_t name[64];
    _snwprintf(name, 63, L"cdda://%02u|%08X|%c.cda", static_cast<unsigned>(track), disc_id, letter);
    name[63] = 0;
    return name;
}

bool parse(const wchar_t* path, parts& out) {
    out = parts();
    if (!path || wcslen(path) <= prefix_length) return false;
    std::vector<stringx> pieces;
    utility::string_tokenizer(path + prefix_length, L"|", pieces);
    if (pieces.size() != 3) return false;
    out.track = pieces[0].toint();
    out.disc_id = static_cast<unsigned>(wcstoul(pieces[1].wvalue(), nullptr, 16));
    out.letter = pieces[2].wvalue()[0];
    return true;
}

bool is_cd_name(const wchar_t* path) { return path && _wcsnicmp(path, prefix, prefix_length) == 0; }

bool has_cda_extension(const wchar_t* path) {
    return path && *path && _wcsicmp(utility::get_file_extension(path).wvalue(), L"cda") == 0;
}

bool claims(const wchar_t* path) { return has_cda_extension(path) || is_cd_name(path); }

}  // namespace cd_track_name
