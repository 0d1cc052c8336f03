// The players' start and stop hooks with the real settings store: zel_core,
// zel_playlist and zel_addv2 in one program folder. One test walks a whole
// run (start, logins, close, quit): every step shares "playlist.cpl" in the
// application-data folder, so the steps cannot run as separate processes.
#include <gtest/gtest.h>
#include <objbase.h>
#include <sys/stat.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "core.h"
#include "init_quit.h"
#include "output_capture.h"
#include "list_info.h"
#include "play_manager.h"
#include "playlist.h"
#include "playlist_formats.h"
#include "settings_store.h"

namespace {

std::wstring appdata(const wchar_t* name) {
    wchar_t* folder = core::get_appdata_path();
    std::wstring path = folder ? folder : L"";
    free(folder);
    return path + name;
}

list_info entry_with(const wchar_t* path) {
    list_info e;
    list_info::set_string(e.path, path);
    return e;
}

std::vector<std::wstring> paths_of(playlist* list) {
    std::vector<std::wstring> v;
    for (list_info* e : list->entries()) v.push_back(e->path ? e->path : L"");
    return v;
}

std::wstring stored(settings_store* store, const wchar_t* key) {
    wchar_t* value = store->read(L"playlist", key, nullptr);
    std::wstring text = value ? value : L"";
    free(value);
    return text;
}

// The own-format document of these entries, as text.
std::wstring document_of(const std::vector<list_info>& entries) {
    std::wstring file = appdata(L"\\hooks_test_doc.cpl");
    if (!save_last_playlist(file.c_str(), entries)) return L"";
    FILE* f = _wfopen(file.c_str(), L"rb");
    std::string bytes;
    char buffer[4096];
    size_t n;
    while (f && (n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    if (f) fclose(f);
    _wremove(file.c_str());
    int wide = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], wide);
    return text;
}

}  // namespace

TEST(player_hooks, a_run_keeps_the_last_playlist_across_start_logins_and_quit) {
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
    auto* store = static_cast<settings_store*>(core::enum_create_component(settings_store::iid, 0));
    ASSERT_NE(store, nullptr);
    play_manager* music = core::get_player(true);
    play_manager* notices = core::get_player(false);
    ASSERT_NE(music, nullptr);
    ASSERT_NE(notices, nullptr);
    const std::wstring last_file = appdata(L"\\playlist.cpl");
    CreateDirectoryW(appdata(L"").c_str(), nullptr);
    ASSERT_TRUE(save_last_playlist(last_file.c_str(), {entry_with(L"zel://track/1"), entry_with(L"zel://track/2")}));
    // A store user of this run alone (process ids come back under Wine).
    GUID guid;
    ASSERT_EQ(CoCreateGuid(&guid), S_OK);
    wchar_t guid_text[40] = {};
    StringFromGUID2(guid, guid_text, 39);
    const std::wstring user = std::wstring(L"hooks_") + guid_text;

    // Start-up: the default playlists, "Default" loaded from the file.
    for_each_component<init_quit>([](init_quit* h) { h->on_init(); });
    for_each_component<init_quit>([](init_quit* h) { h->on_ui_ready(); });
    ASSERT_EQ(music->playlist_count(), 2);
    playlist* first = music->playlist_at(0);
    EXPECT_EQ(first->name(), L"Default");
    EXPECT_EQ(music->playlist_at(1)->name(), L"음악방송");
    EXPECT_EQ(music->active_playlist(), first);
    EXPECT_EQ(music->current_playlist(), first);
    EXPECT_EQ(paths_of(first), (std::vector<std::wstring>{L"zel://track/1", L"zel://track/2"}));
    ASSERT_EQ(notices->playlist_count(), 1);
    EXPECT_EQ(notices->playlist_at(0)->name(), L"안내방송");
    EXPECT_EQ(notices->active_playlist(), notices->playlist_at(0));
    EXPECT_EQ(notices->current_playlist(), notices->playlist_at(0));

    // A user without a stored playlist keeps what is on screen.
    store->set_user(user.c_str());
    EXPECT_EQ(paths_of(first), (std::vector<std::wstring>{L"zel://track/1", L"zel://track/2"}));

    // A user with one: it replaces the first playlist, with new ids; a second
    // login replaces again rather than appending.
    std::wstring doc = document_of({entry_with(L"zel://track/9"), entry_with(L"http://radio.example/x")});
    ASSERT_FALSE(doc.empty());
    store->write(L"playlist", L"last_playlist", doc.c_str(), nullptr);
    store->write(L"playlist", L"last_played_track_index", L"7", nullptr);
    std::wstring old_id = first->at(0)->id;
    store->set_user(user.c_str());
    EXPECT_EQ(paths_of(first), std::vector<std::wstring>{L"zel://track/9"});  // addresses are not kept
    std::wstring new_id = first->at(0)->id;
    EXPECT_NE(new_id, old_id);
    store->set_user(user.c_str());
    EXPECT_EQ(paths_of(first), std::vector<std::wstring>{L"zel://track/9"});
    EXPECT_NE(std::wstring(first->at(0)->id), new_id);
    EXPECT_FALSE(GetFileAttributesW(appdata(L"\\temp.cpl").c_str()) != INVALID_FILE_ATTRIBUTES);

    // Closing while nothing plays leaves the stored index alone.
    first->add(std::vector<list_info>{entry_with(L"zel://track/10")});
    for_each_component<init_quit>([](init_quit* h) { h->on_ui_closing(); });
    EXPECT_EQ(stored(store, L"last_played_track_index"), L"7");

    // Closing while an entry of "Default" plays keeps its row; while the
    // channel playlist plays, an empty text. The capture clock stands still,
    // so the long entry plays on until the hook stops it.
    capture_control* capture = start_capture(200);
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    const wchar_t* long_entry = L"synth:long?secs=600";
    first->add(std::vector<list_info>{entry_with(long_entry)});
    music->play(first->at(2));
    ASSERT_TRUE(wait_for([&] { return music->is_playing(); }));
    for_each_component<init_quit>([](init_quit* h) { h->on_ui_closing(); });
    EXPECT_EQ(stored(store, L"last_played_track_index"), L"2");
    EXPECT_FALSE(music->is_playing());

    playlist* channel = music->playlist_at(1);
    channel->add(std::vector<list_info>{entry_with(long_entry)});
    music->set_active_playlist(channel->id().c_str());
    music->play(channel->at(0));
    ASSERT_TRUE(wait_for([&] { return music->is_playing(); }));
    for_each_component<init_quit>([](init_quit* h) { h->on_ui_closing(); });
    EXPECT_EQ(stored(store, L"last_played_track_index"), L"");

    // Quit: the first playlist goes to the file and to the store.
    for_each_component<init_quit>([](init_quit* h) { h->on_quit(); });
    std::vector<list_info> read;
    ASSERT_TRUE(read_cpl_playlist(last_file.c_str(), read));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_STREQ(read[1].path, L"zel://track/10");
    std::wstring kept = stored(store, L"last_playlist");
    EXPECT_NE(kept.find(L"zel://track/10"), std::wstring::npos);

    // A quit whose save fails reports nothing to the store: the stored
    // playlist stays the one saved before.
    first->add(std::vector<list_info>{entry_with(L"zel://track/11")});
    ASSERT_EQ(_wremove(last_file.c_str()), 0);
    ASSERT_TRUE(CreateDirectoryW(last_file.c_str(), nullptr));
    for_each_component<init_quit>([](init_quit* h) { h->on_quit(); });
    EXPECT_EQ(stored(store, L"last_playlist"), kept);
    RemoveDirectoryW(last_file.c_str());

    store->set_user(L"");
}
