// The per-user XML settings store, driven directly with a file of each test's
// own, and its element-name encoding.
#include <gtest/gtest.h>
#include "test_text.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>
#include "core.h"
#include "settings_document.h"
#include "settings_store_impl.h"
#include "temp_folder.h"
#include "xml_name.h"

namespace {
// The store's heap copy as a string, freed; the store never hands out null.
std::wstring take_store_text(wchar_t* text) {
    EXPECT_NE(text, nullptr);
    return take_heap_text(text);
}

// The file's markup without the declaration and the white space between tags.
std::string markup(const std::wstring& path) {
    std::string bytes = read_file_bytes(path), out;
    size_t start = bytes.find("?>");
    start = start == std::string::npos ? 0 : start + 2;
    bool between_tags = true;
    for (size_t i = start; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '<') between_tags = false;
        if (between_tags && (c == ' ' || c == '\r' || c == '\n' || c == '\t')) continue;
        out += c;
        if (c == '>') between_tags = true;
    }
    return out;
}

struct store_fixture {
    temp_folder folder{L"settings_store"};
    std::wstring path = folder / L"zel_player.xml";
    settings_store_impl store;
    store_fixture() { store.set_file_path(path); }
};

struct recording_listener : settings_listener {
    std::vector<std::wstring>* log;
    std::wstring name;
    recording_listener(std::vector<std::wstring>* l, const wchar_t* n) : log(l), name(n) {}
    void on_user_changed(const wchar_t* user) override { log->push_back(name + L":" + user); }
};
}  // namespace

TEST(settings_store, first_write_creates_the_file_with_the_local_user) {
    store_fixture f;
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"");
    EXPECT_FALSE(temp_folder::exists(f.path));  // reads never create the file
    f.store.write(L"app", L"device", L"3", nullptr);
    EXPECT_EQ(markup(f.path), "<ZELPlayer><Local><app><device>3</device></app></Local></ZELPlayer>");
    EXPECT_EQ(read_file_bytes(f.path).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"3");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", L"Local")), L"3");
}

TEST(settings_store, each_user_has_own_settings_beside_local) {
    store_fixture f;
    f.store.write(L"app", L"device", L"3", nullptr);
    f.store.set_user(L"shop7");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"");
    f.store.write(L"app", L"device", L"5", nullptr);
    EXPECT_EQ(markup(f.path),
              "<ZELPlayer><Local><app><device>3</device></app></Local>"
              "<shop7><app><device>5</device></app></shop7></ZELPlayer>");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", L"Local")), L"3");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", L"SHOP7")), L"5");
    // An empty name goes back to "Local".
    f.store.set_user(L"");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"3");
}

TEST(settings_store, names_match_ignoring_case_and_keep_their_first_spelling) {
    store_fixture f;
    f.store.write(L"App", L"Volume", L"70", nullptr);
    EXPECT_EQ(take_store_text(f.store.read(L"APP", L"volume", L"local")), L"70");
    f.store.write(L"app", L"VOLUME", L"80", L"LOCAL");
    EXPECT_EQ(markup(f.path), "<ZELPlayer><Local><App><Volume>80</Volume></App></Local></ZELPlayer>");
}

TEST(settings_store, values_round_trip_as_text) {
    store_fixture f;
    const wchar_t* values[] = {L"한글 값 é", L"<a href=\"x\">&amp; 'q'</a>", L"  spaced  ", L"line1\nline2",
                               L"\xD83D\xDE00 smile", L"-1", L" \x00E9\xD55C\t", L" x\t", L"\tx "};
    int i = 0;
    for (const wchar_t* v : values) f.store.write(L"text", (L"k" + std::to_wstring(i++)).c_str(), v, nullptr);
    i = 0;
    for (const wchar_t* v : values) EXPECT_EQ(take_store_text(f.store.read(L"text", (L"k" + std::to_wstring(i++)).c_str(), nullptr)), v);
    // Korean user and section names are element names as they are.
    f.store.write(L"재생", L"곡", L"하나", L"매장");
    EXPECT_EQ(take_store_text(f.store.read(L"재생", L"곡", L"매장")), L"하나");
    EXPECT_NE(read_file_bytes(f.path).find("<\xEB\xA7\xA4\xEC\x9E\xA5>"), std::string::npos);  // <매장> in UTF-8
}

TEST(settings_store, empty_values_and_mixed_content) {
    store_fixture f;
    f.store.write(L"app", L"title", L"something", nullptr);
    f.store.write(L"app", L"title", L"", nullptr);
    f.store.write(L"app", L"fresh", L"", nullptr);
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"title", nullptr)), L"");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"fresh", nullptr)), L"");
    EXPECT_EQ(markup(f.path), "<ZELPlayer><Local><app><title/><fresh/></app></Local></ZELPlayer>");

    // A key element that holds an element before its text reads as empty; a
    // write replaces its whole content.
    ASSERT_TRUE(f.folder.write(L"zel_player.xml",
                               "<ZELPlayer><Local><app><mixed><b>x</b>text</mixed><plain>v</plain></app></Local>"
                               "</ZELPlayer>"));
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"mixed", nullptr)), L"");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"plain", nullptr)), L"v");
    f.store.write(L"app", L"mixed", L"new", nullptr);
    EXPECT_EQ(markup(f.path), "<ZELPlayer><Local><app><mixed>new</mixed><plain>v</plain></app></Local></ZELPlayer>");
}

TEST(settings_store, a_document_element_of_another_name_is_kept) {
    store_fixture f;
    ASSERT_TRUE(f.folder.write(L"zel_player.xml",
                               "<?xml version=\"1.0\"?>\r\n<Settings>\r\n  <Local>\r\n    <app><device>2</device></app>\r\n"
                               "  </Local>\r\n</Settings>\r\n"));
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"2");
    f.store.write(L"app", L"device", L"4", L"other");
    EXPECT_EQ(markup(f.path),
              "<Settings><Local><app><device>2</device></app></Local>"
              "<other><app><device>4</device></app></other></Settings>");
}

TEST(settings_store, null_arguments_read_empty_and_write_nothing) {
    store_fixture f;
    EXPECT_EQ(take_store_text(f.store.read(nullptr, L"k", nullptr)), L"");
    EXPECT_EQ(take_store_text(f.store.read(L"s", nullptr, nullptr)), L"");
    EXPECT_EQ(take_store_text(f.store.read(L"", L"k", nullptr)), L"");
    f.store.write(nullptr, L"k", L"v", nullptr);
    f.store.write(L"s", nullptr, L"v", nullptr);
    f.store.write(L"s", L"k", nullptr, nullptr);
    f.store.write(L"s", L"", L"v", nullptr);
    EXPECT_FALSE(temp_folder::exists(f.path));

    // Before on_init the store has no file: nothing is read or saved.
    settings_store_impl unset;
    unset.write(L"s", L"k", L"v", nullptr);
    EXPECT_EQ(take_store_text(unset.read(L"s", L"k", nullptr)), L"");
}

TEST(settings_store, user_ids_that_are_no_xml_names_keep_the_file_loadable) {
    store_fixture f;
    f.store.write(L"app", L"device", L"1", nullptr);
    f.store.write(L"app", L"device", L"2", L"shop");
    const wchar_t* odd_users[] = {L"1234shop", L"a b", L"x:y", L"<tag>", L"-dash", L"\xD83D\xDE00", L"_x0031_234shop",
                                  L"shop&co"};
    int n = 10;
    for (const wchar_t* user : odd_users) f.store.write(L"app", L"device", std::to_wstring(n++).c_str(), user);

    // The file still loads: every user, the ordinary ones included, reads back
    // its own value, and no two ids share an element.
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"1");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", L"shop")), L"2");
    n = 10;
    for (const wchar_t* user : odd_users) EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", user)), std::to_wstring(n++)) << n;

    // A later write still sees every user (nothing was dropped by a failed load).
    f.store.write(L"app", L"volume", L"50", L"1234shop");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", L"shop")), L"2");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"volume", L"1234shop")), L"50");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"volume", L"1234SHOP")), L"50");  // case still does not count
    EXPECT_NE(markup(f.path).find("<_x0031_234shop><app><device>10</device><volume>50</volume></app></_x0031_234shop>"),
              std::string::npos);
    EXPECT_FALSE(temp_folder::exists(f.path + L".bad"));
}

TEST(xml_name, only_what_is_no_name_is_escaped) {
    struct row {
        const wchar_t* in;
        const wchar_t* out;
    };
    const row rows[] = {
        {L"Local", L"Local"},         {L"shop_7-b.c", L"shop_7-b.c"}, {L"매장", L"매장"},
        {L"1234shop", L"_x0031_234shop"}, {L"a b", L"a_x0020_b"},        {L"x:y", L"x_x003A_y"},
        {L"-a", L"_x002D_a"},         {L"_x0041_", L"_x005F_x0041_"}, {L"_xyz", L"_xyz"},
        {L"", L""},
    };
    for (const row& r : rows) EXPECT_EQ(encode_xml_name(r.in), r.out) << r.in;
}

TEST(settings_store, an_unreadable_file_is_moved_aside_before_it_is_replaced) {
    store_fixture f;
    const char* broken = "<ZELPlayer><Local><app><device>9</device></app></Local>";  // never closed
    ASSERT_TRUE(f.folder.write(L"zel_player.xml", broken));
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"");
    EXPECT_EQ(read_file_bytes(f.path), broken);  // reading changes nothing
    f.store.write(L"app", L"device", L"1", nullptr);
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"1");
    EXPECT_EQ(read_file_bytes(f.path + L".bad"), broken);
}

TEST(settings_store, set_user_makes_the_cache_folders_and_tells_listeners_in_order) {
    store_fixture f;
    EXPECT_STREQ(f.store.music_cache_folder(), L"");
    EXPECT_STREQ(f.store.info_cache_folder(), L"");
    std::vector<std::wstring> log;
    recording_listener a(&log, L"a"), b(&log, L"b");
    f.store.add_listener(&a);
    f.store.add_listener(&b);
    f.store.add_listener(&a);  // listed once
    f.store.add_listener(nullptr);
    f.store.set_user(L"shop1");
    f.store.set_user(L"shop1");
    EXPECT_EQ(log, (std::vector<std::wstring>{L"a:shop1", L"b:shop1", L"a:shop1", L"b:shop1"}));

    wchar_t* appdata = core::get_appdata_path();
    const std::wstring base = appdata;
    free(appdata);
    EXPECT_EQ(std::wstring(f.store.music_cache_folder()), base + L"\\temp\\music");
    EXPECT_EQ(std::wstring(f.store.info_cache_folder()), base + L"\\temp\\info");
    EXPECT_TRUE(temp_folder::is_folder(base + L"\\temp\\music"));
    EXPECT_TRUE(temp_folder::is_folder(base + L"\\temp\\info"));
    EXPECT_FALSE(temp_folder::exists(f.path));  // set_user leaves the file alone
}

TEST(settings_store, overlapping_writes_lose_no_change) {
    store_fixture f;
    const int writers = 4, keys = 8;
    std::vector<std::thread> threads;
    for (int t = 0; t < writers; ++t) {
        threads.emplace_back([&f, t] {
            for (int k = 0; k < keys; ++k) {
                const std::wstring key = L"w" + std::to_wstring(t) + L"_" + std::to_wstring(k);
                f.store.write(L"load", key.c_str(), std::to_wstring(t * 100 + k).c_str(), nullptr);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    for (int t = 0; t < writers; ++t)
        for (int k = 0; k < keys; ++k) {
            const std::wstring key = L"w" + std::to_wstring(t) + L"_" + std::to_wstring(k);
            EXPECT_EQ(take_store_text(f.store.read(L"load", key.c_str(), nullptr)), std::to_wstring(t * 100 + k)) << key;
        }
}

TEST(settings_store, a_file_held_open_by_another_program_is_neither_read_nor_overwritten) {
    store_fixture f;
    f.store.write(L"app", L"device", L"7", nullptr);
    const std::string stored = read_file_bytes(f.path);
    HANDLE held = CreateFileW(f.path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    f.store.write(L"app", L"volume", L"500", nullptr);  // dropped: the file cannot be opened
    f.store.write(L"app", L"device", L"1", L"other");
    CloseHandle(held);
    EXPECT_EQ(read_file_bytes(f.path), stored);
    EXPECT_FALSE(temp_folder::exists(f.path + L".bad"));
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"7");
    // Once released, writes go on and keep what was stored.
    f.store.write(L"app", L"volume", L"500", nullptr);
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"7");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"volume", nullptr)), L"500");
}

TEST(settings_store, reads_follow_changes_made_outside_this_store_object) {
    store_fixture f;
    settings_store_impl other;  // as another player instance of the same Windows user
    other.set_file_path(f.path);
    f.store.write(L"app", L"device", L"1", nullptr);
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"1");
    EXPECT_EQ(take_store_text(other.read(L"app", L"device", nullptr)), L"1");
    other.write(L"app", L"device", L"2", nullptr);
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"2");

    // The file replaced by hand with one of the same size.
    ASSERT_TRUE(f.folder.write(L"zel_player.xml", "<ZELPlayer><Local><app><device>3</device></app></Local></ZELPlayer>"));
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"3");
    ASSERT_TRUE(f.folder.write(L"zel_player.xml", "<ZELPlayer><Local><app><device>4</device></app></Local></ZELPlayer>"));
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"4");
    DeleteFileW(f.path.c_str());
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"");

    // The first element of a name wins at every level, as without the cache.
    ASSERT_TRUE(f.folder.write(L"zel_player.xml",
                               "<ZELPlayer><Local><app/></Local><LOCAL><app><device>5</device></app></LOCAL>"
                               "<shop><app><device>6</device></app><APP><device>8</device><x>9</x></APP></shop>"
                               "</ZELPlayer>"));
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"device", nullptr)), L"");
    EXPECT_EQ(take_store_text(f.store.read(L"App", L"DEVICE", L"SHOP")), L"6");
    EXPECT_EQ(take_store_text(f.store.read(L"app", L"x", L"shop")), L"");
}

// Run only as the child of two_processes_of_one_windows_user_lose_no_key:
// writes 100 keys of its own to the file named by the environment.
TEST(settings_store_child, DISABLED_writes_one_hundred_keys) {
    wchar_t path[MAX_PATH] = L"", tag[32] = L"";
    ASSERT_TRUE(GetEnvironmentVariableW(L"ZEL_STORE_CHILD_FILE", path, MAX_PATH));
    ASSERT_TRUE(GetEnvironmentVariableW(L"ZEL_STORE_CHILD_TAG", tag, 32));
    settings_store_impl store;
    store.set_file_path(path);
    for (int k = 0; k < 100; ++k) {
        const std::wstring key = std::wstring(tag) + L"_" + std::to_wstring(k);
        store.write(L"load", key.c_str(), std::to_wstring(k).c_str(), nullptr);
    }
}

TEST(settings_store, two_processes_of_one_windows_user_lose_no_key) {
    store_fixture f;
    wchar_t exe[MAX_PATH];
    ASSERT_TRUE(GetModuleFileNameW(nullptr, exe, MAX_PATH));
    SetEnvironmentVariableW(L"ZEL_STORE_CHILD_FILE", f.path.c_str());
    std::vector<PROCESS_INFORMATION> children;
    for (const wchar_t* tag : {L"a", L"b"}) {
        SetEnvironmentVariableW(L"ZEL_STORE_CHILD_TAG", tag);
        std::wstring line = std::wstring(L"\"") + exe +
                            L"\" --gtest_also_run_disabled_tests --gtest_filter=settings_store_child.*";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessW(exe, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        children.push_back(pi);
    }
    for (PROCESS_INFORMATION& pi : children) {
        const DWORD waited = WaitForSingleObject(pi.hProcess, 60000);
        if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 2);
        EXPECT_EQ(waited, WAIT_OBJECT_0) << "a writer process did not end";
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    for (const wchar_t* tag : {L"a", L"b"})
        for (int k = 0; k < 100; ++k) {
            const std::wstring key = std::wstring(tag) + L"_" + std::to_wstring(k);
            EXPECT_EQ(take_store_text(f.store.read(L"load", key.c_str(), nullptr)), std::to_wstring(k)) << key;
        }
    EXPECT_FALSE(temp_folder::exists(f.path + L".bad"));
}

// The file cannot be replaced (another program holds it without letting it be
// renamed over, though it could be written): the save fails and the old file
// stays whole rather than being rewritten in place.
TEST(settings_document, a_file_that_cannot_be_replaced_is_kept_whole) {
    temp_folder folder(L"settings_document");
    const std::wstring path = folder / L"zel_player.xml";
    const std::string old_text = "<ZELPlayer><Local><app><device>3</device></app></Local></ZELPlayer>";
    ASSERT_TRUE(folder.write(L"zel_player.xml", old_text.c_str()));
    settings_document document;
    com_ptr<IXMLDOMNode> user;
    ASSERT_TRUE(document.open_user(path, L"Local", user));
    com_ptr<IXMLDOMNode> section;
    ASSERT_TRUE(document.add_child(user.get(), L"more", section));
    HANDLE held = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // Writing in place would still be let through: only the replacing is barred.
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    const bool saved = document.save(path);
    CloseHandle(held);
    EXPECT_FALSE(saved);
    EXPECT_EQ(read_file_bytes(path), old_text);
    EXPECT_FALSE(temp_folder::exists(path + L".tmp"));
    // Released, the same save goes through.
    EXPECT_TRUE(document.save(path));
    EXPECT_NE(read_file_bytes(path).find("<more"), std::string::npos);
}
