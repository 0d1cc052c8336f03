#include "service_host.h"
#include <windows.h>
#include <vector>

namespace {
const wchar_t config_file[] = L"zel_service.ini";
const wchar_t section[] = L"service";
}  // namespace

stringx service_host::config_path() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return stringx(L"");
        if (n < path.size()) break;
        if (path.size() >= 32768) return stringx(L"");
        path.resize(path.size() * 2);
    }
    stringx folder(path.data());
    int slash = folder.last_indexof(L'\\');
    stringx result = slash >= 0 ? folder.left(slash + 1) : stringx(L"");
    result.concat(stringx(config_file));
    return result;
}

stringx service_host::lookup(const wchar_t* variable, const wchar_t* ini_path, const wchar_t* key) {
    if (variable && *variable) {
        DWORD n = GetEnvironmentVariableW(variable, nullptr, 0);
        if (n > 1) {
            std::vector<wchar_t> value(n);
            if (GetEnvironmentVariableW(variable, value.data(), n) == n - 1) {
                stringx text = stringx(value.data()).trim();
                if (text.length() > 0) return text;
            }
        }
    }
    if (ini_path && *ini_path && key && *key) {
        wchar_t value[1024] = L"";
        GetPrivateProfileStringW(section, key, L"", value, 1024, ini_path);
        return stringx(value).trim();
    }
    return stringx(L"");
}

stringx service_host::request_host() {
    stringx ini = config_path();
    return lookup(L"ZEL_SERVICE_HOST", ini.wvalue(), L"host");
}

stringx service_host::web_host() {
    stringx ini = config_path();
    stringx host = lookup(L"ZEL_SERVICE_WEB_HOST", ini.wvalue(), L"web_host");
    return host.length() > 0 ? host : request_host();
}
