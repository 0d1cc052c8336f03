#pragma once
// file_dialog: the Open or Save As common dialog with a filter given as one
// text of "description|pattern|" pairs, and a walk through the files of a
// multiple selection one full path at a time:
//
//     void* cursor = dialog.get_start_position();
//     while (cursor) add(dialog.get_next_path(cursor));
//
// User-interface thread only; the default extension text must outlive the
// object.
#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "stringx.h"
#include "zel_export.h"

class ZEL_CORE_API file_dialog {
public:
    static const int file_size = 8192;   // characters of the selection buffer
    static const int title_size = 260;   // characters of the chosen file's name

    // flags get OFN_EXPLORER and OFN_ENABLESIZING added. An initial file name
    // longer than the buffer is cut.
    file_dialog(bool open, const wchar_t* default_ext, const wchar_t* file_name, unsigned long flags,
                const wchar_t* filter, HWND owner);
    virtual ~file_dialog();
    file_dialog(const file_dialog&) = delete;
    file_dialog& operator=(const file_dialog&) = delete;

    // 1 when the user confirmed a choice, 2 otherwise (cancel or failure).
    int modal();
    // The full path of a single selection, or the folder of several.
    stringx get_path() const;
    // The chosen file's name without its folder.
    stringx get_file() const;
    // The chosen file's extension; "" when it has none.
    stringx get_extension() const;
    // The chosen file's name up to its last ".".
    stringx get_title() const;
    void* get_start_position();
    // The next chosen file as a full path; the cursor becomes null after the
    // last one.
    stringx get_next_path(void*& cursor);

protected:
    OPENFILENAMEW ofn_;
    bool open_;
    std::vector<wchar_t> filter_;  // NUL-separated pairs ending in two NULs
    wchar_t title_[title_size];
    wchar_t file_[file_size];
    HWND owner_;
};
