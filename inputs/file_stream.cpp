#include "file_stream.h"

#include <io.h>
#include <climits>
#include <cwchar>
#include <vector>

#include "stringx.h"
#include "utility.h"

namespace {
const wchar_t cd_track_prefix[] = L"cdda://";
const size_t cd_track_prefix_length = 7;

// Copies text into a fixed member, cut to fit.
template <size_t N>
void copy_member(wchar_t (&member)[N], const wchar_t* text) {
    wcsncpy(member, text, N - 1);
    member[N - 1] = 0;
}
}  // namespace

bool file_stream::open(const wchar_t* path) {
    close();
    writable_ = false;
    if (!path) return false;
    // A path the member cannot hold whole could not be reopened by name.
    if (wcslen(path) >= sizeof(this->path) / sizeof(wchar_t)) return false;

    // An audio-CD track name passes here; the CD input reads the disc itself.
    if (_wcsnicmp(path, cd_track_prefix, cd_track_prefix_length) == 0) {
        copy_member(this->path, path);
        copy_member(content_type, L"cda");
        return true;
    }

    std::vector<stringx> pieces;
    utility::string_tokenizer(path, L"|", pieces);
    if (pieces.empty()) return false;
    const stringx& name = pieces.back();
    if (name.length() == 0) return false;

    FILE* f = _wfopen(name.wvalue(), L"rb");
    if (!f) return false;
    if (fseek(f, 0, SEEK_END) != 0 || ftell(f) <= 0) {
        fclose(f);
        return false;  // empty files are refused
    }
    fseek(f, 0, SEEK_SET);
    file_ = f;

    const int dot = name.last_indexof(L'.');
    const stringx type = (dot < 0 ? name : name.substring(dot + 1)).lower();
    copy_member(content_type, type.wvalue());
    copy_member(this->path, path);
    return true;
}

void file_stream::close() {
    if (file_) fclose(file_);
    file_ = nullptr;
}

int file_stream::read(void* buffer, int bytes) {
    if (!file_ || !buffer || bytes <= 0) return 0;
    return static_cast<int>(fread(buffer, 1, static_cast<size_t>(bytes), file_));
}

int file_stream::peek(void* buffer, int bytes) {
    if (!file_ || !buffer || bytes <= 0) return 0;
    const long at = ftell(file_);
    const int n = static_cast<int>(fread(buffer, 1, static_cast<size_t>(bytes), file_));
    fseek(file_, at, SEEK_SET);
    return n;
}

int file_stream::seek(int64_t offset, int origin) {
    if (!file_) return -1;
    // The runtime's file offsets are 32-bit: an offset beyond them is refused
    // rather than cut to its low bits, which would land somewhere else.
    if (offset < LONG_MIN || offset > LONG_MAX) return -1;
    return fseek(file_, static_cast<long>(offset), origin);
}

int64_t file_stream::length() {
    if (!file_) return 0;
    const long n = _filelength(_fileno(file_));
    return n < 0 ? 0 : n;
}

int64_t file_stream::tell() {
    if (!file_) return 0;
    const long at = ftell(file_);
    return at < 0 ? 0 : at;
}

// The file is opened again by the name open used: the last "|" piece of path.
void file_stream::reopen_as(const wchar_t* mode) {
    const long at = ftell(file_);
    fclose(file_);
    std::vector<stringx> pieces;
    utility::string_tokenizer(path, L"|", pieces);
    file_ = pieces.empty() ? nullptr : _wfopen(pieces.back().wvalue(), mode);
    if (file_) fseek(file_, at < 0 ? 0 : at, SEEK_SET);
}

void file_stream::reopen(const wchar_t* mode) {
    if (!file_ || !mode) return;
    if (!writable_ && _wcsicmp(mode, L"r+b") == 0) {
        writable_ = true;
        reopen_as(L"r+b");
    } else if (writable_ && _wcsicmp(mode, L"rb") == 0) {
        writable_ = false;
        reopen_as(L"rb");
    }
}

int file_stream::write(const void* buffer, int bytes) {
    if (!file_ || !writable_ || !buffer || bytes <= 0) return 0;
    return static_cast<int>(fwrite(buffer, 1, static_cast<size_t>(bytes), file_));
}

void file_stream::set_length(int length) {
    if (!file_ || !writable_ || length < 0) return;
    const long at = ftell(file_);
    fflush(file_);
    _chsize(_fileno(file_), length);
    fseek(file_, at < length ? at : length, SEEK_SET);
}
