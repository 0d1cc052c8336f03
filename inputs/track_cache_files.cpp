// The cache folders' files in the order of their creation.
#include <windows.h>
#include <algorithm>
#include <cstdint>
#include <utility>
#include "track_cache_impl.h"
#include "utility.h"

std::vector<stringx> cache_files_by_age(const stringx& folder) {
    std::vector<stringx> names;
    if (folder.length() == 0) return names;
    utility::find_files(folder.wvalue(), L"tmp", names, false);  // in name order
    std::vector<std::pair<uint64_t, size_t>> order;
    for (size_t i = 0; i < names.size(); ++i) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        uint64_t created = 0;
        if (GetFileAttributesExW(names[i].wvalue(), GetFileExInfoStandard, &data))
            created = (static_cast<uint64_t>(data.ftCreationTime.dwHighDateTime) << 32) |
                      data.ftCreationTime.dwLowDateTime;
        order.emplace_back(created, i);
    }
    // Equal creation times keep the name order.
    std::stable_sort(order.begin(), order.end(),
                     [](const std::pair<uint64_t, size_t>& a, const std::pair<uint64_t, size_t>& b) {
                         return a.first < b.first;
                     });
    std::vector<stringx> files;
    for (const auto& o : order) files.push_back(names[o.second]);
    return files;
}
