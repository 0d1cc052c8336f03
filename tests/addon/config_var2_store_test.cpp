// config_var2 over the settings store that zel_addv2 registers, in a program
// folder holding zel_core and zel_addv2 as deployed.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <string>
#include "config_var2.h"
#include "core.h"
#include "init_quit.h"
#include "settings_store.h"

namespace {
settings_store* load_store() {
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
    static bool initialised = false;
    if (!initialised) {
        for_each_component<init_quit>([](init_quit* hook) { hook->on_init(); });
        initialised = true;
    }
    return static_cast<settings_store*>(core::enum_create_component(settings_store::iid, 0));
}

// A section no other test program writes: they share the user's file.
std::wstring own_section(const wchar_t* tag) {
    return std::wstring(tag) + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount());
}

std::wstring store_text(settings_store* store, const std::wstring& section, const wchar_t* key) {
    wchar_t* value = store->read(section.c_str(), key, nullptr);
    std::wstring s = value ? value : L"<null>";
    free(value);
    return s;
}
}  // namespace

TEST(config_var2, reaches_the_registered_store_for_the_current_user) {
    settings_store* store = load_store();
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(load_store(), store);
    const std::wstring section = own_section(L"cv2");
    config_var2 cfg;
    cfg.write_int(section.c_str(), L"int", -1);
    cfg.write_float(section.c_str(), L"real", 1.5);
    cfg.write(section.c_str(), L"text", L" \x00E9\xD55C\t");
    EXPECT_EQ(store_text(store, section, L"int"), L"-1");
    EXPECT_EQ(store_text(store, section, L"real"), L"1.500000");
    EXPECT_EQ(store_text(store, section, L"text"), L" \x00E9\xD55C\t");

    EXPECT_EQ(cfg.read_int(section.c_str(), L"int"), -1);
    EXPECT_EQ(cfg.read_float(section.c_str(), L"real"), 1.5);
    EXPECT_STREQ(cfg.read(section.c_str(), L"text").wvalue(), L"\x00E9\xD55C");
    EXPECT_STREQ(cfg.read(section.c_str(), L"missing").wvalue(), L"");
    EXPECT_EQ(cfg.read_int(section.c_str(), L"missing"), 0);

    // Another user sees none of it; the same user again sees it all.
    store->set_user(L"1234shop");
    EXPECT_STREQ(cfg.read(section.c_str(), L"int").wvalue(), L"");
    cfg.write_int(section.c_str(), L"int", 9);
    EXPECT_EQ(cfg.read_int(section.c_str(), L"int"), 9);
    store->set_user(L"");
    EXPECT_EQ(cfg.read_int(section.c_str(), L"int"), -1);
}

TEST(config_var2, store_file_lies_in_the_application_data_folder) {
    settings_store* store = load_store();
    ASSERT_NE(store, nullptr);
    const std::wstring section = own_section(L"file");
    config_var2().write(section.c_str(), L"k", L"v");
    wchar_t* appdata = core::get_appdata_path();
    const std::wstring path = std::wstring(appdata) + L"\\zel_player.xml";
    free(appdata);
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}
