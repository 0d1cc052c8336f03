#pragma once
// drop_services: what a file drop on the main window needs besides the
// player: folders and their files, the expansion of a file into playlist
// entries (one at a time, or many behind the progress dialog) and the music
// library's folders. core_drop_services uses the core library, the progress
// dialog and the registered library_add_item objects.
#include <windows.h>

#include <vector>

#include "list_info.h"
#include "stringx.h"

class drop_services {
public:
    virtual ~drop_services() = default;
    virtual bool is_folder(const stringx& path) = 0;
    // The playable files directly in the folder (not in subfolders).
    virtual void find_files(const stringx& folder, std::vector<stringx>& files) = 0;
    virtual void expand(const stringx& path, std::vector<list_info>& entries) = 0;
    virtual std::vector<list_info> expand_with_progress(HWND owner, const std::vector<stringx>& files) = 0;
    // library_add_item::add on every registered object.
    virtual void library_add(const stringx& folder) = 0;
};

class core_drop_services : public drop_services {
public:
    bool is_folder(const stringx& path) override;
    void find_files(const stringx& folder, std::vector<stringx>& files) override;
    void expand(const stringx& path, std::vector<list_info>& entries) override;
    std::vector<list_info> expand_with_progress(HWND owner, const std::vector<stringx>& files) override;
    void library_add(const stringx& folder) override;
};
