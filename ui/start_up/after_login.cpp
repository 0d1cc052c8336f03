#include "after_login.h"
#include <cstdio>
#include <cstdlib>
#include <string>
#include "credentials.h"
#include "login_manager.h"
#include "utility.h"

namespace {
// The file's size, or -1 when it does not exist.
long long file_size(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void refresh_logo(const stringx& url, const std::wstring& path) {
    if (url.length() == 0) return;
    const long long size = file_size(path);
    if (size >= 0) {
        const int announced = utility::get_url_length(url.wvalue());
        if (announced <= 0 || announced == size) return;
    }
    unsigned char* data = nullptr;
    int length = 0;
    if (utility::open_url(url.wvalue(), data, length) && data && length > 0) {
        if (FILE* file = _wfopen(path.c_str(), L"wb")) {
            fwrite(data, 1, static_cast<size_t>(length), file);
            fclose(file);
        }
    }
    free(data);
}
}  // namespace

void refresh_logo_files(login_manager& login, const stringx& app_data) {
    const std::wstring folder = app_data.wvalue();
    refresh_logo(login.get_logo_url(), folder + L"\\logo.png");
    refresh_logo(login.get_main_logo_url(), folder + L"\\main_logo.png");
}

void clear_music_cache_when_off(login_manager& login, const stringx& app_data) {
    if (login.get_play_settings()[0] != 0) return;
    delete_tree((std::wstring(app_data.wvalue()) + L"\\temp\\music").c_str());
}
