// Open and Save As dialogs, and the walk through a multiple selection.
//
// The selection buffer holds the folder and then each file name, separated
// by NUL characters in the explorer-style dialog (the list ends with an empty
// entry) or by spaces in the old style (one line). A single selection is one
// full path. The walk never reads past the buffer, whatever the dialog left
// in it.
#include "file_dialog.h"

#include <cwchar>
#include <string>

#include "core.h"

file_dialog::file_dialog(bool open, const wchar_t* default_ext, const wchar_t* file_name, unsigned long flags,
                         const wchar_t* filter, HWND owner)
    : ofn_(), open_(open), owner_(owner) {
    title_[0] = 0;
    wmemset(file_, 0, file_size);
    ofn_.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn_.lpstrFile = file_;
    ofn_.nMaxFile = file_size;
    ofn_.lpstrDefExt = default_ext;
    ofn_.lpstrFileTitle = title_;
    ofn_.nMaxFileTitle = title_size;
    ofn_.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
    ofn_.hInstance = core::get_instance();
    if (file_name) lstrcpynW(file_, file_name, file_size);
    if (filter) {
        // "description|pattern|..." becomes NUL-separated pairs; the list
        // always ends in two NULs, also when the caller left out the last "|".
        for (const wchar_t* p = filter; *p; ++p) filter_.push_back(*p == L'|' ? L'\0' : *p);
        filter_.push_back(L'\0');
        filter_.push_back(L'\0');
        ofn_.lpstrFilter = filter_.data();
    }
}

file_dialog::~file_dialog() {}

int file_dialog::modal() {
    file_[file_size - 1] = 0;
    const size_t used = wcslen(file_);
    wmemset(file_ + used, 0, file_size - used);
    ofn_.hwndOwner = owner_;
    const BOOL chosen = open_ ? GetOpenFileNameW(&ofn_) : GetSaveFileNameW(&ofn_);
    return chosen ? 1 : 2;
}

stringx file_dialog::get_path() const { return stringx(file_); }

stringx file_dialog::get_file() const { return stringx(title_); }

stringx file_dialog::get_extension() const {
    if (ofn_.nFileExtension == 0 || ofn_.nFileExtension >= file_size) return stringx(L"");
    return stringx(file_ + ofn_.nFileExtension);
}

stringx file_dialog::get_title() const {
    const wchar_t* dot = wcsrchr(title_, L'.');
    if (!dot) return stringx(title_);
    return stringx(std::wstring(title_, dot).c_str());
}

void* file_dialog::get_start_position() { return file_; }

stringx file_dialog::get_next_path(void*& cursor) {
    wchar_t* const end = file_ + file_size;
    wchar_t* at = static_cast<wchar_t*>(cursor);
    if (!at || at < file_ || at >= end) {
        cursor = nullptr;
        return stringx(L"");
    }
    const bool explorer = (ofn_.Flags & OFN_EXPLORER) != 0;
    const wchar_t separator = explorer ? L'\0' : L' ';
    auto entry_end = [&](wchar_t* p) {
        while (p < end && *p && *p != separator) ++p;
        return p;
    };
    wchar_t* folder_end = entry_end(file_);
    if (at == file_) {
        // One path, unless a multiple selection put names after the folder
        // (in the old form, after a space).
        bool single = !(ofn_.Flags & OFN_ALLOWMULTISELECT) || folder_end >= end || (!explorer && !*folder_end);
        if (!single && (folder_end + 1 >= end || !folder_end[1])) single = true;
        if (single) {
            cursor = nullptr;
            return stringx(std::wstring(file_, wcsnlen(file_, file_size)).c_str());
        }
        at = folder_end + 1;
    }
    wchar_t* name_end = entry_end(at);
    const std::wstring name(at, name_end);
    wchar_t* next = name_end + 1;
    const bool last = name_end >= end || (!explorer && !*name_end) || next >= end || !*next;
    cursor = last ? nullptr : next;

    std::wstring folder(file_, folder_end);
    // A drive root ("C:\") already ends in its separator.
    const bool root = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    if (!root) folder += L'\\';
    return stringx((folder + name).c_str());
}
