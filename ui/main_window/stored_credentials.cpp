#include "stored_credentials.h"

#include <cstring>
#include <vector>

#include "mem_chunk.h"
#include "utf.h"
#include "utility.h"

namespace {

const wchar_t* value_name(bool id) { return id ? L"id" : L"password"; }

}  // namespace

void write_credential(bool id, const wchar_t* text, const credential_key& key) {
    const stringx ansi = utf::utf16_to_ansi(text ? text : L"");
    const char* bytes = ansi.value();
    const int length = static_cast<int>(std::strlen(bytes)) + 1;  // with its zero byte
    mem_chunk<unsigned char> buffer;
    if (!buffer.resize(length))
        return;
    std::memcpy(buffer.data, bytes, static_cast<size_t>(length));
    if (!utility::encrypt(buffer))
        return;
    HKEY k = nullptr;
    if (RegOpenKeyExW(key.root, key.path, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS &&
        RegCreateKeyExW(key.root, key.path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(k, value_name(id), 0, REG_BINARY, buffer.data, static_cast<DWORD>(buffer.length));
    RegCloseKey(k);
}

stringx read_credential(bool id, const credential_key& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(key.root, key.path, 0, KEY_READ, &k) != ERROR_SUCCESS)
        return stringx(L"");
    DWORD type = 0;
    DWORD size = 0;
    std::vector<unsigned char> data;
    LONG result = RegQueryValueExW(k, value_name(id), nullptr, &type, nullptr, &size);
    if (result == ERROR_SUCCESS && type == REG_BINARY && size > 0) {
        data.resize(size);
        result = RegQueryValueExW(k, value_name(id), nullptr, &type, data.data(), &size);
    }
    RegCloseKey(k);
    if (result != ERROR_SUCCESS || type != REG_BINARY || data.empty())
        return stringx(L"");
    mem_chunk<unsigned char> buffer;
    if (!buffer.resize(static_cast<int>(size) + 1))
        return stringx(L"");
    std::memcpy(buffer.data, data.data(), size);
    buffer.length = static_cast<int>(size);
    if (!utility::decrypt(buffer))
        return stringx(L"");
    buffer.data[size] = 0;  // the text ends at its zero byte, or here
    return utf::ansi_to_utf16(reinterpret_cast<const char*>(buffer.data));
}

void forget_credentials(const credential_key& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(key.root, key.path, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(k, L"VOLQUIN 플레이어");
    RegDeleteValueW(k, L"id");
    RegDeleteValueW(k, L"password");
    RegCloseKey(k);
}
