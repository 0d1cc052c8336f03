// Event sounds, Run key and other registry functions (system_registry.h).
#include "system_registry.h"
#include <cwchar>
#include <string>
#include <vector>
#include "core.h"
#include "utility.h"

const wchar_t k_sound_scheme_key[] = L"AppEvents\\Schemes\\Apps";
const wchar_t k_run_key[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t k_run_value_name[] = L"VOLQUIN 플레이어";
const wchar_t k_player_key[] = L"Software\\ZEL Player";

namespace {
const wchar_t k_parked_name[] = L"_ZEL";
const wchar_t k_multi_id[] = L"multi_id_";
// Registry names are at most this long.
const DWORD k_max_name = 16383;

// A text value of the key: its type and its text, which ends at the data's
// size (a value stored without its terminator is read no further).
bool read_text_value(HKEY key, const std::wstring& name, DWORD& type, std::wstring& text) {
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got) !=
        ERROR_SUCCESS)
        return false;
    text.assign(data.data(), got / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return true;
}

bool names_a_wav_file(const std::wstring& text) {
    const size_t dot = text.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    std::wstring extension = text.substr(dot);
    CharUpperBuffW(&extension[0], static_cast<DWORD>(extension.size()));
    return extension == L".WAV";
}

bool write_text_value(HKEY key, const wchar_t* name, DWORD type, const std::wstring& text) {
    return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The value names, then the subkey names of an open key; taken before
// anything changes, since moving a value renumbers the key's values.
void list_names(HKEY key, std::vector<std::wstring>& values, std::vector<std::wstring>& subkeys) {
    std::vector<wchar_t> name(k_max_name + 1);
    for (DWORD i = 0;; ++i) {
        DWORD length = k_max_name + 1;
        LONG result = RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS) values.emplace_back(name.data(), length);
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = k_max_name + 1;
        LONG result = RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS) subkeys.emplace_back(name.data(), length);
    }
}

// Parking moves the default value to "_ZEL"; restoring moves it back. The
// source is deleted only when the copy was written.
void move_sound_value(HKEY key, const std::wstring& name, bool restore) {
    const bool is_default = name.empty();
    const bool is_parked = _wcsicmp(name.c_str(), k_parked_name) == 0;
    if (restore ? !is_parked : !is_default) return;
    DWORD type = 0;
    std::wstring text;
    if (!read_text_value(key, name, type, text) || !names_a_wav_file(text)) return;
    if (!write_text_value(key, restore ? nullptr : k_parked_name, type, text)) return;
    RegDeleteValueW(key, name.c_str());
}

void walk_sound_keys(HKEY root, const std::wstring& path, bool restore) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::vector<std::wstring> values, subkeys;
    list_names(key, values, subkeys);
    RegCloseKey(key);
    for (const std::wstring& name : values) {
        HKEY writable = nullptr;
        if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, &writable) == ERROR_SUCCESS) {
            move_sound_value(writable, name, restore);
            RegCloseKey(writable);
        }
        Sleep(0);
    }
    for (const std::wstring& subkey : subkeys) walk_sound_keys(root, path.empty() ? subkey : path + L"\\" + subkey, restore);
}
}  // namespace

void set_system_sounds(bool restore) { set_system_sounds(HKEY_CURRENT_USER, k_sound_scheme_key, restore); }

void set_system_sounds(HKEY root, const wchar_t* path, bool restore) {
    walk_sound_keys(root, path ? path : L"", restore);
}

void park_system_sounds() { park_system_sounds(HKEY_CURRENT_USER, k_sound_scheme_key); }

void park_system_sounds(HKEY root, const wchar_t* path) {
    set_system_sounds(root, path, true);
    set_system_sounds(root, path, false);
}

int delete_values_containing(HKEY root, const wchar_t* subkey, const wchar_t* text) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return -1;
    int result = 0;
    if (text && *text) {
        std::vector<wchar_t> name(k_max_name + 1);
        // A deleted value's place is taken by the next one: the index stays.
        for (DWORD index = 0;;) {
            DWORD length = k_max_name + 1;
            LONG found = RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (found == ERROR_NO_MORE_ITEMS) break;
            // Any other failure (a key deleted meanwhile, access taken away)
            // would answer the same for every later index.
            if (found != ERROR_SUCCESS) {
                result = -2;
                break;
            }
            if (wcsstr(name.data(), text)) {
                if (RegDeleteValueW(key, name.data()) != ERROR_SUCCESS) {
                    result = -2;
                    break;
                }
                continue;
            }
            utility::message_pump(nullptr);
            ++index;
        }
    }
    RegCloseKey(key);
    return result;
}

int delete_multi_id_values() { return delete_values_containing(HKEY_CURRENT_USER, k_player_key, k_multi_id); }

int set_string_value(HKEY root, const wchar_t* subkey, const wchar_t* name, const wchar_t* text) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return -1;
    const bool written = write_text_value(key, name, REG_SZ, text ? text : L"");
    RegCloseKey(key);
    return written ? 0 : -2;
}

int apply_auto_start(bool on, const wchar_t* program_path, const run_keys& keys) {
    if (on) return set_string_value(keys.run_root, keys.run_path, k_run_value_name, program_path);
    const int result = delete_values_containing(keys.run_root, keys.run_path, k_run_value_name);
    // The multi-instance values go along; a player key that does not exist
    // yet (no login stored anything) is no failure of the Run value.
    if (result == 0) delete_values_containing(keys.player_root, keys.player_path, k_multi_id);
    return result;
}

bool remove_file(const wchar_t* path) {
    if (!path || !*path) return false;
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path) != 0;
}

component* interface_enumerator::next() {
    component* c = core::enum_create_component(iid_, index_);
    if (c) ++index_;
    return c;
}
