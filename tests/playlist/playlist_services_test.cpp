// zel_playlist's format services as the registry hands them out: zel_core
// and zel_playlist alone in a program folder.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "core.h"
#include "file_type.h"
#include "path_expander.h"
#include "playlist_formats.h"
#include "playlist_loader.h"
#include "playlist_test_support.h"

namespace {

struct playlist_services : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        core::load_library();
    }
};

}  // namespace

TEST_F(playlist_services, file_types_come_in_reverse_registration_order) {
    std::vector<std::wstring> rows;
    for_each_component<file_type>([&](file_type* t) { rows.push_back(t->description() + std::wstring(L"|") + t->extensions()); });
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"ZEL Playlist|*.cpl", L"ASX Playlist|*.asx",
                                               L"M3U Playlist|*.m3u;*.m3u8", L"PLS Playlist|*.pls",
                                               L"WPL Playlist|*.wpl"}));
}

TEST_F(playlist_services, each_loader_takes_its_own_format) {
    playlist_folder folder;
    ASSERT_TRUE(folder.ok());
    const char* fixtures[][2] = {{"edge_cases.asx", "a.asx"}, {"edge_cases.m3u", "b.m3u"},
                                 {"edge_cases.pls", "c.pls"}, {"edge_cases.wpl", "d.wpl"}};
    std::vector<std::wstring> files;
    for (const auto& f : fixtures) {
        files.push_back(folder.in_lists(std::wstring(f[1], f[1] + strlen(f[1]))));
        ASSERT_TRUE(copy_fixture(f[0], files.back()));
    }
    // Loader i (in enumeration order: ASX, M3U, PLS, WPL) accepts file i only.
    ASSERT_EQ(core::enum_count_component(playlist_loader::iid), 4);
    for (int i = 0; i < 4; ++i) {
        auto* loader = static_cast<playlist_loader*>(core::enum_create_component(playlist_loader::iid, i));
        ASSERT_NE(loader, nullptr);
        for (int j = 0; j < 4; ++j) {
            std::vector<list_info> entries;
            EXPECT_EQ(loader->load(files[j].c_str(), entries), i == j) << i << " " << j;
            EXPECT_EQ(entries.empty(), i != j) << i << " " << j;
        }
        loader->release();
    }
}

TEST_F(playlist_services, core_expands_a_cpl_and_a_playlist_of_addresses) {
    playlist_folder folder;
    ASSERT_TRUE(folder.ok());
    const std::wstring cpl = folder.in_lists(L"list.cpl");
    ASSERT_TRUE(save_playlist_file(cpl.c_str(), {entry_with_path(L"zel://track/1"),
                                                 entry_with_path(L"http://radio.example/live")}));
    std::vector<list_info> entries;
    ASSERT_TRUE(core::add_file(cpl.c_str(), entries));
    EXPECT_EQ(paths_of(entries), (std::vector<std::wstring>{L"zel://track/1", L"http://radio.example/live"}));

    const std::wstring m3u = folder.in_lists(L"list.m3u");
    ASSERT_TRUE(save_playlist_file(m3u.c_str(), {entry_with_path(L"http://radio.example/a"),
                                                 entry_with_path(L"mms://radio.example/b")}));
    entries.clear();
    ASSERT_TRUE(core::add_file(m3u.c_str(), entries));
    EXPECT_EQ(paths_of(entries), (std::vector<std::wstring>{L"http://radio.example/a", L"mms://radio.example/b"}));
}
