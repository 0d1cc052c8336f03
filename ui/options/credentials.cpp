// Stored credentials, folder emptying and the sound-device count.
#include "credentials.h"
#include <mmsystem.h>
#include <dsound.h>
#include <string>
#include "mem_chunk.h"
#include "utf.h"
#include "utility.h"

namespace {
const wchar_t* value_name(bool id) { return id ? L"id" : L"password"; }
const wchar_t k_caption_value[] = L"VOLQUIN 플레이어";

BOOL CALLBACK count_entry(GUID*, const wchar_t*, const wchar_t*, void* context) {
    ++*static_cast<int*>(context);
    return TRUE;
}
}  // namespace

stringx read_credential(bool id, const credential_key& where) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(where.root, where.path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return stringx();
    mem_chunk<unsigned char> buffer;
    DWORD type = 0;
    DWORD size = 1;
    LONG result = ERROR_MORE_DATA;
    // The buffer doubles from one byte until the value fits.
    for (DWORD capacity = 1; capacity <= (1u << 24); capacity *= 2) {
        if (!buffer.resize(static_cast<int>(capacity))) break;
        size = capacity;
        result = RegQueryValueExW(key, value_name(id), nullptr, &type, buffer.data, &size);
        if (result != ERROR_MORE_DATA) break;
    }
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_BINARY) return stringx();
    buffer.length = static_cast<int>(size);
    if (!utility::decrypt(buffer)) return stringx();
    // The ANSI text up to its zero byte; a value without one ends at its end.
    std::string text(reinterpret_cast<const char*>(buffer.data), static_cast<size_t>(buffer.length));
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return utf::ansi_to_utf16(text.c_str());
}

void write_credential(bool id, const wchar_t* text, const credential_key& where) {
    const stringx ansi = utf::utf16_to_ansi(text ? text : L"");
    mem_chunk<unsigned char> buffer;
    const char* bytes = ansi.value();
    if (!buffer.append(reinterpret_cast<const unsigned char*>(bytes), static_cast<int>(strlen(bytes)) + 1)) return;
    if (!utility::encrypt(buffer)) return;
    HKEY key = nullptr;
    if (RegOpenKeyExW(where.root, where.path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS &&
        RegCreateKeyExW(where.root, where.path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, value_name(id), 0, REG_BINARY, buffer.data, static_cast<DWORD>(buffer.length));
    RegCloseKey(key);
}

void delete_caption_value(const credential_key& where) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(where.root, where.path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, k_caption_value);
    RegDeleteValueW(key, value_name(true));
    RegDeleteValueW(key, value_name(false));
    RegCloseKey(key);
}

bool delete_tree(const wchar_t* path) {
    const std::wstring folder = path ? path : L"";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring full = folder + L"\\" + name;
        const DWORD attributes = GetFileAttributesW(full.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(full.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            delete_tree(full.c_str());
            RemoveDirectoryW(full.c_str());
        } else {
            DeleteFileW(full.c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

int count_sound_devices() {
    int count = 0;
    if (FAILED(DirectSoundEnumerateW(&count_entry, &count))) return -1;
    return count;
}

bool check_sound_devices() { return count_sound_devices() >= 2; }
