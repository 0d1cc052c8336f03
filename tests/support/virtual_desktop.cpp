// Wine gives a desktop other than the default one a window of its own (a
// virtual desktop) with the size registered under
// HKCU\Software\Wine\Explorer\Desktops\<name>. The desktop's explorer
// process is started when the thread first asks for its desktop window; it
// inherits the standard handles then current, so they are null meanwhile:
// otherwise it would hold the test runner's pipes open after the test.
#include "virtual_desktop.h"

#include <cwchar>

namespace window_rig {

bool enter_virtual_desktop(int width, int height) {
    wchar_t name[64], size[32];
    swprintf(name, 64, L"zel_test_%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    swprintf(size, 32, L"%dx%d", width, height);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(size),
                   static_cast<DWORD>((wcslen(size) + 1) * sizeof(wchar_t)));
    HDESK desktop = CreateDesktopW(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    bool entered = desktop && SetThreadDesktop(desktop);
    if (entered) {
        const DWORD kinds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
        HANDLE kept[3];
        for (int i = 0; i < 3; ++i) {
            kept[i] = GetStdHandle(kinds[i]);
            SetStdHandle(kinds[i], nullptr);
        }
        entered = GetDesktopWindow() != nullptr;
        for (int i = 0; i < 3; ++i) SetStdHandle(kinds[i], kept[i]);
    }
    RegDeleteValueW(key, name);
    RegCloseKey(key);
    return entered;
}

}  // namespace window_rig
