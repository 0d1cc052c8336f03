// Shell file associations. HKEY_CLASSES_ROOT of the test process is mapped
// onto a scratch key under HKEY_CURRENT_USER for each test (and the scratch
// tree deleted after), so the tests see exactly what the functions write
// and leave the machine's associations alone.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "core.h"
#include "utility.h"

namespace {
class scratch_classes_root {
public:
    scratch_classes_root() {
        path_ = L"Software\\ZEL_tests\\classes_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(GetTickCount());
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_,
                            nullptr) == ERROR_SUCCESS)
            mapped_ = RegOverridePredefKey(HKEY_CLASSES_ROOT, root_) == ERROR_SUCCESS;
    }
    ~scratch_classes_root() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        if (root_) RegCloseKey(root_);
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZEL_tests");  // only when no other test uses it
    }
    bool mapped() const { return mapped_; }
    HKEY root() const { return root_; }

private:
    std::wstring path_;
    HKEY root_ = nullptr;
    bool mapped_ = false;
};

// A REG_SZ value of root\key (null name: the default); "<none>" when the
// value is missing, "<no key>" when the key is.
std::wstring value_of(HKEY root, const std::wstring& key, const wchar_t* name = nullptr) {
    HKEY k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return L"<no key>";
    wchar_t buffer[1024];
    DWORD type = 0, size = sizeof buffer - sizeof(wchar_t);
    LONG r = RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) return L"<none>";
    if (type != REG_SZ) return L"<not text>";
    buffer[size / sizeof(wchar_t)] = L'\0';
    return buffer;
}

bool key_exists(HKEY root, const std::wstring& key) { return value_of(root, key) != L"<no key>"; }

void set_value(HKEY root, const std::wstring& key, const wchar_t* value) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
}

std::vector<stringx> extensions(std::initializer_list<const wchar_t*> names) {
    std::vector<stringx> out;
    for (const wchar_t* n : names) out.push_back(stringx(n));
    return out;
}

// "<folder of this program>\zel_player.exe": the module given to
// core::set_instance is the test program itself.
std::wstring expected_program() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.rfind(L'\\')) + L"\\zel_player.exe";
}

struct shell_fixture : testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        ASSERT_TRUE(classes.mapped()) << "HKEY_CLASSES_ROOT could not be mapped to a scratch key";
        root = classes.root();
        program = expected_program();
        open = L"\"" + program + L"\" \"%1\"";
        enqueue = L"\"" + program + L"\" /add \"%1\"";
    }
    scratch_classes_root classes;
    HKEY root = nullptr;
    std::wstring program, open, enqueue;
};
}  // namespace

TEST_F(shell_fixture, registering_mp3_over_another_type_keeps_it_and_removing_brings_it_back) {
    set_value(root, L".mp3", L"WMP11.AssocFile.MP3");
    EXPECT_FALSE(utility::registry_file_connected(L"mp3"));
    std::vector<stringx> mp3 = extensions({L"mp3"});
    utility::registry_file(mp3, true, false);
    EXPECT_EQ(value_of(root, L".mp3"), L"ZELPlayer.Audio");
    EXPECT_EQ(value_of(root, L".mp3", L"ZEL_backup"), L"WMP11.AssocFile.MP3");
    EXPECT_TRUE(utility::registry_file_connected(L"mp3"));
    EXPECT_TRUE(utility::registry_file_connected(L"MP3"));

    // Twice: the backup is not overwritten with our own type.
    utility::registry_file(mp3, true, false);
    EXPECT_EQ(value_of(root, L".mp3", L"ZEL_backup"), L"WMP11.AssocFile.MP3");

    utility::registry_file(mp3, false, false);
    EXPECT_EQ(value_of(root, L".mp3"), L"WMP11.AssocFile.MP3");
    EXPECT_EQ(value_of(root, L".mp3", L"ZEL_backup"), L"<none>");
    EXPECT_FALSE(utility::registry_file_connected(L"mp3"));
    EXPECT_TRUE(key_exists(root, L"ZELPlayer.Audio"));  // the type stays without remove_type
}

TEST_F(shell_fixture, the_type_names_the_host_program_beside_the_registered_module) {
    ASSERT_NE(GetFileAttributesW(program.c_str()), INVALID_FILE_ATTRIBUTES) << "no host program beside the test";
    std::vector<stringx> types = extensions({L"wav", L"ogg"});
    utility::registry_file(types, true, false);
    EXPECT_EQ(value_of(root, L".wav"), L"ZELPlayer.Audio");
    EXPECT_EQ(value_of(root, L".ogg"), L"ZELPlayer.Audio");
    EXPECT_EQ(value_of(root, L".wav", L"ZEL_backup"), L"<none>");  // nothing was there before
    const std::pair<const wchar_t*, std::wstring> table[] = {
        {L"ZELPlayer.Audio", L"ZELPlayer Media File"},
        {L"ZELPlayer.Audio\\DefaultIcon", program + L",1"},
        {L"ZELPlayer.Audio\\Shell", L"<none>"},
        {L"ZELPlayer.Audio\\Shell\\Open", L"<none>"},
        {L"ZELPlayer.Audio\\Shell\\Open\\command", open},
        {L"ZELPlayer.Audio\\Shell\\Enqueue", L"VOLQUIN 플레이어 목록에 추가(&E)"},
        {L"ZELPlayer.Audio\\Shell\\Enqueue\\command", enqueue},
    };
    for (const auto& row : table) EXPECT_EQ(value_of(root, row.first), row.second) << row.first;

    // Removing with remove_type deletes the whole type; an extension that had
    // no default before is left without one.
    utility::registry_file(types, false, true);
    EXPECT_FALSE(key_exists(root, L"ZELPlayer.Audio"));
    EXPECT_EQ(value_of(root, L".wav"), L"<none>");
    EXPECT_FALSE(utility::registry_file_connected(L"wav"));

    std::vector<stringx> none;
    utility::registry_file(none, true, false);
    EXPECT_FALSE(key_exists(root, L"ZELPlayer.Audio"));
    EXPECT_FALSE(utility::registry_file_connected(L"zzz"));
    EXPECT_FALSE(utility::registry_file_connected(nullptr));
}

TEST_F(shell_fixture, removing_keeps_the_association_of_a_program_that_took_over_since) {
    set_value(root, L".mp3", L"Old.Player.MP3");
    std::vector<stringx> both = extensions({L"mp3", L"flac"});
    utility::registry_file(both, true, false);
    set_value(root, L".mp3", L"New.Player.MP3");    // with our backup
    set_value(root, L".flac", L"New.Player.FLAC");  // without a backup
    utility::registry_file(both, false, false);
    EXPECT_EQ(value_of(root, L".mp3"), L"New.Player.MP3");
    EXPECT_EQ(value_of(root, L".mp3", L"ZEL_backup"), L"<none>");  // stale: dropped
    EXPECT_EQ(value_of(root, L".flac"), L"New.Player.FLAC");

    // Our own type in other letters still counts as ours.
    utility::registry_file(both, true, false);
    set_value(root, L".mp3", L"zelplayer.AUDIO");
    EXPECT_TRUE(utility::registry_file_connected(L"mp3"));
    utility::registry_file(both, false, false);
    EXPECT_EQ(value_of(root, L".mp3"), L"New.Player.MP3");
}

TEST_F(shell_fixture, audio_cd_verb_is_changed_only_where_it_exists) {
    std::vector<stringx> cda = extensions({L"cda"});
    utility::registry_file(cda, true, false);
    EXPECT_FALSE(key_exists(root, L"AudioCD\\shell\\play\\command"));
    EXPECT_TRUE(utility::registry_file_connected(L"cda"));
    utility::registry_file(cda, false, false);

    const wchar_t* earlier = L"\"C:\\Program Files\\CD Player\\cdplay.exe\" /play %1";
    set_value(root, L"AudioCD\\shell\\play\\command", earlier);
    utility::registry_file(cda, true, false);
    EXPECT_EQ(value_of(root, L"AudioCD\\shell\\play\\command"), open);
    EXPECT_EQ(value_of(root, L"AudioCD\\shell\\play\\command", L"ZEL_backup"), earlier);
    utility::registry_file(cda, false, false);
    EXPECT_EQ(value_of(root, L"AudioCD\\shell\\play\\command"), earlier);
    EXPECT_EQ(value_of(root, L"AudioCD\\shell\\play\\command", L"ZEL_backup"), L"<none>");
}

TEST_F(shell_fixture, folder_verbs_come_and_go) {
    EXPECT_FALSE(utility::rgistry_folder_connected());
    utility::registry_folder(true);
    EXPECT_TRUE(utility::rgistry_folder_connected());
    EXPECT_EQ(value_of(root, L"Directory\\Shell\\ZELPlayer.Play"), L"ZEL 플레이어 열기(&P)");
    EXPECT_EQ(value_of(root, L"Directory\\Shell\\ZELPlayer.Play\\Command"), open);
    EXPECT_EQ(value_of(root, L"Directory\\Shell\\ZELPlayer.Enqueue"), L"ZEL 플레이어 목록에 추가(&E)");
    EXPECT_EQ(value_of(root, L"Directory\\Shell\\ZELPlayer.Enqueue\\Command"), enqueue);
    utility::registry_folder(false);
    EXPECT_FALSE(utility::rgistry_folder_connected());
    EXPECT_FALSE(key_exists(root, L"Directory\\Shell\\ZELPlayer.Play"));
    EXPECT_FALSE(key_exists(root, L"Directory\\Shell\\ZELPlayer.Enqueue"));
    EXPECT_TRUE(key_exists(root, L"Directory\\Shell"));
}
