// The core library's side of a file drop.
#include "drop_services.h"

#include <cstdlib>

#include "core.h"
#include "library_add_item.h"
#include "progress_dialog.h"
#include "utility.h"

bool core_drop_services::is_folder(const stringx& path) {
    const DWORD a = GetFileAttributesW(path.wvalue());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void core_drop_services::find_files(const stringx& folder, std::vector<stringx>& files) {
    wchar_t* mask = core::build_openfolder_mask();
    utility::find_files(folder.wvalue(), mask ? mask : L"", files, false);
    free(mask);
}

void core_drop_services::expand(const stringx& path, std::vector<list_info>& entries) {
    core::add_file(path.wvalue(), entries);
}

std::vector<list_info> core_drop_services::expand_with_progress(HWND owner, const std::vector<stringx>& files) {
    progress_dialog dialog(owner, &files);
    return dialog.run();
}

void core_drop_services::library_add(const stringx& folder) {
    for_each_component<library_add_item>([&](library_add_item* item) { item->add(folder.wvalue()); });
}
