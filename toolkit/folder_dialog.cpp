// The shell's folder browser, remembering the chosen folder in the INI file.
#include "folder_dialog.h"

#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include "config_var.h"
#include "utility.h"

namespace {
const wchar_t kSection[] = L"app";
const wchar_t kKey[] = L"open_folder";
}  // namespace

folder_dialog::folder_dialog() : browse_window_(nullptr) {
    path_[0] = 0;
    config_var ini;
    set_path(ini.read(kSection, kKey));
    if (!path_[0]) {
        set_path(utility::find_system_folder(utility::folder_personal));
        ini.write(kSection, kKey, path_);
    }
}

folder_dialog::~folder_dialog() {}

// Values longer than the buffer (an edited INI file) are cut.
void folder_dialog::set_path(const wchar_t* path) { lstrcpynW(path_, path ? path : L"", path_size); }

int folder_dialog::modal(HWND owner) {
    // The new-style browser needs OLE on this thread; a thread that has it
    // already keeps it as it is.
    const HRESULT ole = OleInitialize(nullptr);
    IMalloc* allocator = nullptr;
    SHGetMalloc(&allocator);
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    info.lpfn = &folder_dialog::browse_callback_proc;
    info.lParam = reinterpret_cast<LPARAM>(this);
    browse_window_ = nullptr;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
    browse_window_ = nullptr;
    wchar_t path[MAX_PATH] = L"";
    bool found = false;
    if (chosen) {
        found = SHGetPathFromIDListW(chosen, path) && path[0];
        if (allocator)
            allocator->Free(chosen);
        else
            CoTaskMemFree(chosen);
    }
    if (allocator) allocator->Release();
    if (SUCCEEDED(ole)) OleUninitialize();
    if (!found) return 2;
    set_path(path);
    config_var().write(kSection, kKey, path_);
    return 1;
}

int CALLBACK folder_dialog::browse_callback_proc(HWND hwnd, UINT message, LPARAM lparam, LPARAM data) {
    folder_dialog* self = reinterpret_cast<folder_dialog*>(data);
    if (!self) return 0;
    if (!self->browse_window_) self->browse_window_ = hwnd;
    return self->browse_proc(message, lparam, data);
}

int folder_dialog::browse_proc(UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED) {
        if (!path_[0]) set_path(utility::find_system_folder(utility::folder_personal));
        SendMessageW(browse_window_, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path_));
    }
    return 0;
}
