// The main window's display modes and the file drop.
#include "player_window_fakes.h"
#include "window_capture.h"

namespace ids = player_skin_ids;

namespace {
RECT rect_of(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    return r;
}

// Drops the paths on the window as the shell would (CF_HDROP).
bool drop_paths(player_window& w, const std::vector<std::wstring>& paths) {
    std::vector<stringx> list;
    for (const auto& p : paths) list.push_back(stringx(p.c_str()));
    data_object* data = new data_object(list);
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    bool ok = false;
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        ok = w.on_drop(&format, &medium, nullptr, nullptr);
        ReleaseStgMedium(&medium);
    }
    data->Release();
    return ok;
}
}  // namespace

TEST_F(player_window_test, mini_mode_hides_the_windows_and_brings_back_what_was_shown) {
    open();
    command(5);  // equalizer open
    HWND library = nullptr;
    command(7);
    library = window->library_window();
    command(7);  // library hidden
    ASSERT_FALSE(IsWindowVisible(library));

    command(3);
    window_rig::pump();
    EXPECT_TRUE(window->look().is_mini());
    RECT client = {};
    GetClientRect(hwnd(), &client);
    EXPECT_EQ(client.right, 350);
    EXPECT_EQ(client.bottom, 25);
    EXPECT_FALSE(IsWindowVisible(window->info_window()));
    EXPECT_FALSE(IsWindowVisible(window->playlist_window()));
    EXPECT_TRUE(companions.mini);
    EXPECT_TRUE(companions.hidden);
    ASSERT_TRUE(window_rig::pump_until([&] { return companions.equalizer == nullptr; }))
        << "the equalizer closes on entry";

    // The mini window moves; the others follow when the normal skin returns.
    const RECT info_before = rect_of(window->info_window());
    const RECT list_before = rect_of(window->playlist_window());
    const RECT lib_before = rect_of(library);
    const RECT mini_rect = rect_of(hwnd());
    SetWindowPos(hwnd(), nullptr, mini_rect.left + 37, mini_rect.top + 21, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    command(3);
    window_rig::pump();
    EXPECT_FALSE(window->look().is_mini());
    EXPECT_EQ(window->mini_width(), 350);
    EXPECT_TRUE(IsWindowVisible(window->info_window()));
    EXPECT_TRUE(IsWindowVisible(window->playlist_window()));
    EXPECT_FALSE(IsWindowVisible(library)) << "a hidden library window stays hidden";
    EXPECT_FALSE(companions.mini);
    EXPECT_FALSE(companions.hidden);
    EXPECT_EQ(companions.equalizers_created, 2) << "a new equalizer opens on return";
    for (auto pair : {std::make_pair(info_before, window->info_window()), std::make_pair(list_before, window->playlist_window()),
                      std::make_pair(lib_before, library)}) {
        const RECT now = rect_of(pair.second);
        EXPECT_EQ(now.left - pair.first.left, 37);
        EXPECT_EQ(now.top - pair.first.top, 21);
    }
    EXPECT_TRUE(is_checked(look(), ids::playlist));
    EXPECT_FALSE(is_checked(look(), ids::library));
    // Another colour, in mini mode and back: the announcement window that
    // shows stays shown (a skin build is no restore from the tray).
    for (int colour : {2, 1}) {
        window->apply_skin(colour);
        command(3);
        command(3);
        EXPECT_TRUE(IsWindowVisible(window->info_window())) << colour;
    }
}

TEST_F(player_window_test, leaving_mini_mode_after_expand_enters_the_expanded_mode) {
    open();
    command(1);
    EXPECT_TRUE(window->expand_requested());
    host.set_expanded(false);
    command(3);
    command(3);
    EXPECT_EQ(host.count("expand on"), 2);
    command(10000);
    EXPECT_FALSE(window->expand_requested());
    host.set_expanded(false);
    host.calls.clear();
    command(3);
    command(3);
    EXPECT_EQ(host.count("expand on"), 0);
}

TEST_F(player_window_test, expanded_mode_moves_to_the_corner_beside_the_library) {
    open();
    SetWindowPos(hwnd(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT before = rect_of(hwnd());
    host.set_expanded(true);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT now = rect_of(hwnd());
    EXPECT_EQ(now.left, work.left);
    EXPECT_EQ(now.top, work.top);
    EXPECT_EQ(companions.positions_recorded, 1);
    for (unsigned id : {ids::settings, ids::expand, ids::minimize, ids::mini_mode, ids::close})
        EXPECT_FALSE(look()->get_control(id)->visible) << id;
    ASSERT_NE(window->library_window(), nullptr);
    EXPECT_TRUE(IsWindowVisible(window->library_window()));
    EXPECT_EQ(rect_of(window->library_window()).left, now.right);

    // A colour change keeps the window buttons hidden.
    window->apply_skin(4);
    for (unsigned id : {ids::settings, ids::expand, ids::minimize, ids::mini_mode, ids::close})
        EXPECT_FALSE(look()->get_control(id)->visible) << id;

    host.set_expanded(false);
    EXPECT_EQ(rect_of(hwnd()).left, before.left);
    EXPECT_EQ(rect_of(hwnd()).top, before.top);
    for (unsigned id : {ids::settings, ids::expand, ids::minimize, ids::mini_mode, ids::close})
        EXPECT_TRUE(look()->get_control(id)->visible) << id;
}

TEST_F(player_window_test, a_double_click_switches_the_skin_outside_the_expanded_mode) {
    open();
    SendMessageW(hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(150, 60));
    EXPECT_TRUE(window->look().is_mini());
    host.is_expanded = true;
    SendMessageW(hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(150, 10));
    EXPECT_TRUE(window->look().is_mini());
}

TEST_F(player_window_test, dropped_files_and_folders_replace_the_first_playlist) {
    open();
    drop.folders[L"C:\\music\\a"] = {L"C:\\music\\a\\1.mp3", L"C:\\music\\a\\2.mp3"};
    drop.folders[L"C:\\music\\b|x"] = {L"C:\\music\\b|x\\never.mp3"};
    store.write(L"folders", L"folder0", L"C:\\MUSIC\\KNOWN");
    player.calls.clear();
    ASSERT_TRUE(drop_paths(*window, {L"C:\\music\\a", L"C:\\music\\b|x", L"C:\\music\\known\\3.mp3"}));
    ASSERT_EQ(player.first.size(), 4u);
    EXPECT_EQ(std::wstring(player.first[0].path), L"C:\\music\\a\\1.mp3");
    EXPECT_EQ(std::wstring(player.first[1].path), L"C:\\music\\a\\2.mp3");
    EXPECT_EQ(std::wstring(player.first[2].path), L"C:\\music\\b|x") << "a path with \"|\" is taken as a file";
    EXPECT_EQ(std::wstring(player.first[3].path), L"C:\\music\\known\\3.mp3");
    EXPECT_EQ(player.calls, (std::vector<std::string>{"reset_first", "play_first"}));
    // Folders new to the library are added once; the known one (any case) is not.
    EXPECT_EQ(drop.calls, (std::vector<std::string>{"library_add C:\\music\\a", "library_add C:\\music"}));
    EXPECT_EQ(store.get(L"folders", L"folder0"), L"C:\\MUSIC\\KNOWN");
    EXPECT_EQ(store.get(L"folders", L"folder1"), L"C:\\music\\a");
    EXPECT_EQ(store.get(L"folders", L"folder2"), L"C:\\music");

    // Dropping into a known folder adds no folder.
    drop.calls.clear();
    ASSERT_TRUE(drop_paths(*window, {L"c:\\music\\A\\9.mp3"}));
    EXPECT_TRUE(drop.calls.empty());
}

TEST_F(player_window_test, more_files_than_the_limit_go_through_the_progress_dialog) {
    open();
    for (int count : {50, 51, 60}) {
        SCOPED_TRACE(count);
        std::vector<std::wstring> files;
        for (int i = 0; i < count; ++i) files.push_back(L"C:\\many\\" + std::to_wstring(i) + L".mp3");
        drop.folders[L"C:\\many"] = files;
        drop.calls.clear();
        ASSERT_TRUE(drop_paths(*window, {L"C:\\many"}));
        EXPECT_EQ(drop.has("progress " + std::to_string(count)), count > 50);
        EXPECT_EQ(player.first.size(), static_cast<size_t>(count));
    }
}

TEST_F(player_window_test, a_drop_that_expands_to_nothing_plays_nothing) {
    open();
    drop.folders[L"C:\\empty"] = {};
    player.calls.clear();
    ASSERT_TRUE(drop_paths(*window, {L"C:\\empty"}));
    EXPECT_EQ(player.calls, (std::vector<std::string>{"reset_first"}));
    EXPECT_TRUE(player.first.empty());
}

TEST_F(player_window_test, dropped_entries_are_copied_into_the_first_playlist) {
    open();
    std::vector<list_info> source(2);
    source[0].path = _wcsdup(L"zel://a");
    source[1].path = _wcsdup(L"zel://b");
    std::vector<list_info*> pointers = {&source[0], &source[1]};
    data_object* data = new data_object(pointers);
    FORMATETC format = {static_cast<CLIPFORMAT>(entry_pointers_clipboard_format()), nullptr, DVASPECT_CONTENT, -1,
                        TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    ASSERT_TRUE(SUCCEEDED(data->GetData(&format, &medium)));
    EXPECT_TRUE(window->on_drop(&format, &medium, nullptr, nullptr));
    ReleaseStgMedium(&medium);
    data->Release();
    ASSERT_EQ(player.first.size(), 2u);
    EXPECT_EQ(std::wstring(player.first[1].path), L"zel://b");
    EXPECT_TRUE(player.has("play_first"));
}

namespace {
// Stands for the owner of a medium's storage: ReleaseStgMedium calls it
// in place of freeing the block.
struct release_counter : IUnknown {
    int released = 0;
    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override {
        ++released;
        return 1;
    }
};
}  // namespace

// A drop of a format the window does not take (here a block of entries that
// no live drag of this process made) gives its medium back.
TEST_F(player_window_test, a_refused_drop_releases_its_medium) {
    open();
    release_counter owner;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
    ASSERT_NE(block, nullptr);
    const CLIPFORMAT formats[] = {static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"ZELPLAYER_ENTRIES")), CF_TEXT};
    for (CLIPFORMAT cf : formats) {
        SCOPED_TRACE(cf);
        owner.released = 0;
        FORMATETC format = {cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = block;
        medium.pUnkForRelease = &owner;
        EXPECT_FALSE(window->on_drop(&format, &medium, nullptr, nullptr));
        EXPECT_EQ(owner.released, 1);
    }
    EXPECT_FALSE(player.has("play_first"));
    GlobalFree(block);
}
