// The stored credentials in a throw-away key, and the folder emptying.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "credentials.h"
#include "temp_folder.h"

namespace {
struct scratch_key {
    std::wstring path = L"Software\\zel_credentials_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                        std::to_wstring(GetTickCount());
    ~scratch_key() { RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
    credential_key key() const {
        credential_key k;
        k.path = path.c_str();
        return k;
    }
};

// The raw bytes of a value; empty when it is missing.
std::string raw_value(const scratch_key& s, const wchar_t* name, DWORD* type = nullptr) {
    char data[256];
    DWORD size = sizeof(data), t = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, s.path.c_str(), name, RRF_RT_ANY, &t, data, &size) != ERROR_SUCCESS)
        return std::string();
    if (type) *type = t;
    return std::string(data, size);
}
}  // namespace

TEST(credentials, are_stored_encrypted_and_read_back) {
    scratch_key s;
    // Nothing stored yet: empty texts, no key made by reading.
    EXPECT_EQ(std::wstring(read_credential(true, s.key()).wvalue()), L"");
    const wchar_t* const texts[] = {L"store01", L"가게01", L"", L"a much longer password of 40 characters.."};
    for (const wchar_t* text : texts) {
        write_credential(true, text, s.key());
        write_credential(false, (std::wstring(text) + L"!").c_str(), s.key());
        EXPECT_EQ(std::wstring(read_credential(true, s.key()).wvalue()), text);
        EXPECT_EQ(std::wstring(read_credential(false, s.key()).wvalue()), std::wstring(text) + L"!");
        DWORD type = 0;
        const std::string raw = raw_value(s, L"password", &type);
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        // The ANSI text and its zero byte, not in the clear.
        const std::string ansi_plain = std::string("store01!") + '\0';
        if (std::wstring(text) == L"store01") {
            EXPECT_EQ(raw.size(), ansi_plain.size());
            EXPECT_NE(raw, ansi_plain);
        }
    }
}

TEST(credentials, a_value_of_another_type_reads_empty) {
    scratch_key s;
    write_credential(true, L"store01", s.key());
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, s.path.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const wchar_t text[] = L"store01";
    RegSetValueExW(key, L"password", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
    RegCloseKey(key);
    EXPECT_EQ(std::wstring(read_credential(false, s.key()).wvalue()), L"");
    EXPECT_EQ(std::wstring(read_credential(true, s.key()).wvalue()), L"store01");
}

// Turning password saving off must not leave the password behind.
TEST(credentials, turning_saving_off_deletes_the_stored_password) {
    scratch_key s;
    write_credential(true, L"store01", s.key());
    write_credential(false, L"pw01", s.key());
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, s.path.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const wchar_t other[] = L"x";
    RegSetValueExW(key, L"VOLQUIN 플레이어", 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof(other));
    RegSetValueExW(key, L"multi_id_1", 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof(other));
    RegCloseKey(key);
    delete_caption_value(s.key());
    EXPECT_EQ(raw_value(s, L"VOLQUIN 플레이어"), "");
    EXPECT_EQ(std::wstring(read_credential(true, s.key()).wvalue()), L"");
    EXPECT_EQ(std::wstring(read_credential(false, s.key()).wvalue()), L"");
    EXPECT_NE(raw_value(s, L"multi_id_1"), "");
}

TEST(delete_tree, empties_the_folder_read_only_files_and_subfolders_included) {
    temp_folder folder(L"zel_tree");
    ASSERT_FALSE(folder.path().empty());
    const std::wstring music = folder / L"music";
    ASSERT_TRUE(CreateDirectoryW(music.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((music + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(folder.write(L"music\\a.mp3", "a"));
    ASSERT_TRUE(folder.write(L"music\\sub\\b.mp3", "b"));
    ASSERT_TRUE(folder.write(L"music\\ro.mp3", "c"));
    SetFileAttributesW((music + L"\\ro.mp3").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(delete_tree(music.c_str()));
    EXPECT_NE(GetFileAttributesW(music.c_str()), INVALID_FILE_ATTRIBUTES);  // the folder stays
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((music + L"\\*").c_str(), &found);
    int entries = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) ++entries;
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(entries, 0);
    EXPECT_FALSE(delete_tree((folder / L"missing").c_str()));
}
