// The launcher's settings: the file's round trip, lookups without regard to
// case, store ids that are not XML names, a corrupt file kept aside, the
// version caption and the encrypted credentials.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "launcher_settings.h"
#include "mem_chunk.h"
#include "temp_folder.h"
#include "utf.h"
#include "utility.h"
#include "xml_edit.h"

namespace {
std::string file_text(const std::wstring& path) {
    std::ifstream in(utf::utf16_to_ansi(path.c_str()).value(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The element names under <ids>, with each one's device and autostart text.
std::vector<std::string> store_elements(const std::wstring& path) {
    std::vector<std::string> out;
    xml_edit doc;
    if (!doc.open(utf::utf16_to_ansi(path.c_str()).value()) || doc.parse_failed()) return {"<unreadable>"};
    xmlNodePtr ids = doc.find_node("ids");
    if (!ids) return out;
    for (xmlNodePtr c = ids->children; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE) continue;
        std::string entry = reinterpret_cast<const char*>(c->name);
        for (xmlNodePtr field = c->children; field; field = field->next) {
            if (field->type != XML_ELEMENT_NODE) continue;
            char* text = doc.get_node_text(field);
            entry += std::string(" ") + reinterpret_cast<const char*>(field->name) + "=" + (text ? text : "");
            free(text);
        }
        out.push_back(entry);
    }
    return out;
}
}  // namespace

TEST(launcher_settings, two_rows_round_trip_and_are_found_in_any_case) {
    temp_folder folder(L"launcher_settings");
    const std::wstring path = folder / L"zel_player\\zel_mtplayer.xml";
    {
        launcher_settings s(path);
        EXPECT_TRUE(s.load());  // no file yet: empty
        RECT none;
        EXPECT_FALSE(s.saved_rect(none));
        s.set_position(RECT{100, 200, 450, 641});
        s.set_stores({{L"shop1", L"Out: default", true}, {L"Shop2", L"", false}});
        ASSERT_TRUE(s.save());
    }
    EXPECT_EQ(store_elements(path), (std::vector<std::string>{"shop1 device=Out: default autostart=1",
                                                              "Shop2 device= autostart=0"}));
    launcher_settings s(path);
    ASSERT_TRUE(s.load());
    RECT r;
    ASSERT_TRUE(s.saved_rect(r));
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(r.right, 450);
    EXPECT_EQ(r.bottom, 641);
    const struct {
        const wchar_t* id;
        bool found;
        const wchar_t* device;
        bool autostart;
    } lookups[] = {{L"shop1", true, L"Out: default", true},
                   {L"SHOP1", true, L"Out: default", true},
                   {L"shop2", true, L"", false},
                   {L"shop3", false, L"", false},
                   {L"", false, L"", false}};
    for (const auto& l : lookups) {
        SCOPED_TRACE(l.id);
        launcher_store found;
        ASSERT_EQ(s.find_store(l.id, found), l.found);
        if (!l.found) continue;
        EXPECT_EQ(found.id, l.id);
        EXPECT_EQ(found.device, l.device);
        EXPECT_EQ(found.autostart, l.autostart);
    }

    // A second save with one row leaves exactly that row, and keeps the
    // file's other elements.
    xml_edit doc;
    ASSERT_TRUE(doc.open(utf::utf16_to_ansi(path.c_str()).value()));
    doc.add_node(doc.get_root_node(), "extra", "kept");
    ASSERT_TRUE(doc.save());
    s.set_stores({{L"shop2", L"Speakers", false}});
    ASSERT_TRUE(s.save());
    EXPECT_EQ(store_elements(path), (std::vector<std::string>{"shop2 device=Speakers autostart=0"}));
    EXPECT_NE(file_text(path).find("<extra>kept</extra>"), std::string::npos);
}

TEST(launcher_settings, a_store_id_that_is_no_xml_name_keeps_its_device) {
    // Ids that start with a digit or hold a blank or Hangul would make the
    // element unwritable if taken as they are.
    temp_folder folder(L"launcher_settings");
    const std::wstring path = folder / L"zel_mtplayer.xml";
    const wchar_t* ids[] = {L"1234shop", L"two words", L"가게-1", L"a:b"};
    {
        launcher_settings s(path);
        std::vector<launcher_store> stores;
        for (const wchar_t* id : ids) stores.push_back({id, std::wstring(L"dev ") + id, true});
        s.set_stores(stores);
        ASSERT_TRUE(s.save());
    }
    EXPECT_EQ(store_elements(path).size(), 4u);
    launcher_settings s(path);
    ASSERT_TRUE(s.load());
    for (const wchar_t* id : ids) {
        SCOPED_TRACE(id);
        launcher_store found;
        ASSERT_TRUE(s.find_store(id, found));
        EXPECT_EQ(found.device, std::wstring(L"dev ") + id);
    }
}

TEST(launcher_settings, a_corrupt_file_is_read_as_empty_and_kept_aside) {
    temp_folder folder(L"launcher_settings");
    const std::wstring path = folder / L"zel_mtplayer.xml";
    const char garbage[] = "<ZELPlayer><position><left>5</left></posit";
    ASSERT_TRUE(folder.write(L"zel_mtplayer.xml", garbage));
    launcher_settings s(path);
    EXPECT_FALSE(s.load());
    EXPECT_TRUE(s.corrupt());
    RECT r;
    EXPECT_FALSE(s.saved_rect(r));
    launcher_store found;
    EXPECT_FALSE(s.find_store(L"shop1", found));

    s.set_stores({{L"shop1", L"Out: default", false}});
    ASSERT_TRUE(s.save());
    EXPECT_EQ(file_text(path + L".bad"), garbage);
    EXPECT_EQ(store_elements(path), (std::vector<std::string>{"shop1 device=Out: default autostart=0"}));
    EXPECT_FALSE(s.corrupt());
}

TEST(launcher_settings, the_version_caption_comes_from_the_players_ini_file) {
    temp_folder folder(L"launcher_version");
    const struct {
        const char* ini;
        const wchar_t* caption;
    } cases[] = {{"[app]\r\nversion=2.3.4.5\r\n", L"ver.2.3.4.5"},
                 {"[app]\r\nversion=\r\n", L"ver.1.0.0.0.0"},
                 {"[other]\r\nversion=9\r\n", L"ver.1.0.0.0.0"},
                 {nullptr, L"ver.1.0.0.0.0"}};
    int n = 0;
    for (const auto& c : cases) {
        const std::wstring name = L"v" + std::to_wstring(n++) + L".ini";
        if (c.ini) {
            ASSERT_TRUE(folder.write(name, c.ini));
        }
        EXPECT_EQ(launcher_version_caption(folder / name), c.caption);
    }
}

TEST(launcher_settings, the_stored_id_decrypts_to_the_ansi_id_and_one_zero_byte) {
    const std::wstring path = L"Software\\ZEL Launcher Test " + std::to_wstring(GetCurrentProcessId());
    const credential_key key{HKEY_CURRENT_USER, path.c_str()};
    RegDeleteKeyW(HKEY_CURRENT_USER, key.path);
    const wchar_t* ids[] = {L"multi01", L"다중가게", L""};
    for (const wchar_t* id : ids) {
        SCOPED_TRACE(id);
        save_launcher_credential(true, id, key);
        save_launcher_credential(false, L"secret", key);
        HKEY k = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.path, 0, KEY_READ, &k), ERROR_SUCCESS);
        BYTE raw[256];
        DWORD size = sizeof raw, type = 0;
        ASSERT_EQ(RegQueryValueExW(k, L"id", nullptr, &type, raw, &size), ERROR_SUCCESS);
        RegCloseKey(k);
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        mem_chunk<unsigned char> buffer;
        ASSERT_TRUE(buffer.append(raw, static_cast<int>(size)));
        ASSERT_TRUE(utility::decrypt(buffer));
        std::string ansi = utf::utf16_to_ansi(id).value();
        ansi.push_back('\0');
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data), static_cast<size_t>(buffer.length)), ansi);
        EXPECT_EQ(std::wstring(read_credential(false, key).wvalue()), L"secret");
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, key.path);
}
