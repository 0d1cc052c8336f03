// The music folders page, its file list and the audio CD page on real
// windows, over fake services: stored folders, folder listings and tags,
// the progress dialog, the CD lookup and the music player.
#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core.h"
#include "library_add_item.h"
#include "music_library_page.h"
#include "window_capture.h"
#include "window_messages.h"
#include "window_rig.h"

namespace {

struct tag {
    std::wstring artist, title, album;
};

class fake_services : public music_library_services {
public:
    std::map<std::wstring, std::wstring> settings;
    std::map<std::wstring, std::vector<std::wstring>> folders;
    std::map<std::wstring, tag> tags;
    std::map<std::wstring, std::vector<tag>> cd_discs;  // address -> tracks
    int inline_expands = 0;
    int dialog_runs = 0;
    size_t dialog_files = 0;
    HWND dialog_owner = nullptr;
    std::vector<wchar_t> lookups;
    std::vector<std::vector<list_info>> enqueued;
    std::wstring picked;
    std::function<void()> on_pump;

    stringx read_folder_key(const wchar_t* key) override {
        auto it = settings.find(key);
        return stringx(it == settings.end() ? L"" : it->second.c_str());
    }
    void write_folder_key(const wchar_t* key, const wchar_t* value) override { settings[key] = value; }
    void find_files(const wchar_t* folder, std::vector<stringx>& files) override {
        auto it = folders.find(folder);
        if (it == folders.end()) return;
        for (const auto& f : it->second) files.push_back(stringx(f.c_str()));
    }
    void expand(const wchar_t* path, std::vector<list_info>& entries) override {
        auto disc = cd_discs.find(path);
        if (disc != cd_discs.end()) {
            for (const tag& t : disc->second) entries.push_back(entry(L"cdda", t));
            return;
        }
        if (wcsncmp(path, L"cdda://", 7) == 0) return;  // a drive without an audio disc
        ++inline_expands;
        entries.push_back(entry(path, tags[path]));
    }
    std::vector<list_info> expand_with_progress(HWND owner, const std::vector<stringx>& files) override {
        ++dialog_runs;
        dialog_files = files.size();
        dialog_owner = owner;
        std::vector<list_info> out;
        for (const stringx& f : files) out.push_back(entry(f.wvalue(), tags[f.wvalue()]));
        return out;
    }
    HWND progress_owner(HWND fallback) override { return fallback; }
    void pump(HWND) override {
        window_rig::pump();
        if (on_pump) on_pump();
    }
    void cd_lookup(HWND, wchar_t letter) override { lookups.push_back(letter); }
    bool pick_folder(HWND, stringx& folder) override {
        if (picked.empty()) return false;
        folder = stringx(picked.c_str());
        return true;
    }
    void enqueue(const std::vector<list_info>& entries) override { enqueued.push_back(entries); }
    bool expanded() override { return false; }

    static list_info entry(const wchar_t* path, const tag& t) {
        list_info e;
        list_info::set_string(e.path, path);
        if (!t.artist.empty()) list_info::set_string(e.artist, t.artist.c_str());
        if (!t.title.empty()) list_info::set_string(e.title, t.title.c_str());
        if (!t.album.empty()) list_info::set_string(e.album, t.album.c_str());
        return e;
    }

    // A folder of n generated tracks "<folder>\track%03d.mp3", untagged.
    void make_folder(const std::wstring& folder, int n) {
        auto& files = folders[folder];
        files.clear();
        for (int i = 0; i < n; ++i) {
            wchar_t name[32];
            _snwprintf(name, 31, L"\\track%03d.mp3", i);
            name[31] = 0;
            files.push_back(folder + name);
        }
    }
};

class music_page_test : public ::testing::Test {
protected:
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        set_music_library_services(&fake);
    }
    void TearDown() override { set_music_library_services(nullptr); }

    // The folder page as the library window makes it, at the top half of
    // the host.
    std::unique_ptr<page_view> open_folders() {
        const RECT r = {0, 0, 480, 200};
        return std::unique_ptr<page_view>(create_page(4, stringx(L""), host.hwnd(), r, nullptr));
    }
    static music_library_page* as_music(const std::unique_ptr<page_view>& p) {
        return static_cast<music_library_page*>(p.get());
    }
    static void select(list_view& list, int row) {
        list.set_item_state(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        window_rig::pump();
    }
    static std::vector<std::wstring> column(list_view& list, int c) {
        std::vector<std::wstring> out;
        for (int row = 0; row < list.get_item_count(); ++row) out.push_back(list.get_item_text(row, c).wvalue());
        return out;
    }

    fake_services fake;
    window_rig::host_window host{0, 0, 480, 420};
};

}  // namespace

TEST_F(music_page_test, lists_the_stored_folders_in_key_order_and_saves_them_back_when_closed) {
    fake.settings[L"folder0"] = L"C:\\Music\\A";
    fake.settings[L"folder1"] = L"";
    fake.settings[L"folder3"] = L"D:\\곡\\B";
    fake.settings[L"folder999"] = L"E:\\Last";
    fake.settings[L"folder1000"] = L"E:\\Beyond";  // past the keys read
    {
        auto page = open_folders();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->type, 4);
        music_library_page* m = as_music(page);
        EXPECT_EQ(column(*m, 0), (std::vector<std::wstring>{L"C:\\Music\\A", L"D:\\곡\\B", L"E:\\Last"}));
        ASSERT_NE(m->file_list(), nullptr);
        EXPECT_EQ(page->companion, m->file_list());
        m->add_folder(L"F:\\New");
        DestroyWindow(page->get_hwnd());
    }
    // Saved in row order from folder0; the old keys emptied.
    EXPECT_EQ(fake.settings[L"folder0"], L"C:\\Music\\A");
    EXPECT_EQ(fake.settings[L"folder1"], L"D:\\곡\\B");
    EXPECT_EQ(fake.settings[L"folder2"], L"E:\\Last");
    EXPECT_EQ(fake.settings[L"folder3"], L"F:\\New");
    EXPECT_EQ(fake.settings[L"folder999"], L"");

    // A rebuilt page shows the same folders.
    auto again = open_folders();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(column(*as_music(again), 0),
              (std::vector<std::wstring>{L"C:\\Music\\A", L"D:\\곡\\B", L"E:\\Last", L"F:\\New"}));
}

TEST_F(music_page_test, a_selected_folder_is_scanned_inline_up_to_fifty_files_and_behind_the_dialog_above) {
    struct size_case {
        int files;
        bool dialog;
    };
    const size_case cases[] = {{0, false}, {1, false}, {50, false}, {51, true}, {120, true}};
    for (const size_case& c : cases) {
        SCOPED_TRACE(c.files);
        fake.inline_expands = fake.dialog_runs = 0;
        fake.make_folder(L"C:\\Gen", c.files);
        fake.settings[L"folder0"] = L"C:\\Gen";
        auto page = open_folders();
        ASSERT_NE(page, nullptr);
        music_library_page* m = as_music(page);
        select(*m, 0);
        folder_file_list* files = m->file_list();
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->get_item_count(), c.files);
        EXPECT_EQ(files->entries().size(), static_cast<size_t>(c.files));
        EXPECT_EQ(fake.dialog_runs, c.dialog ? 1 : 0);
        EXPECT_EQ(fake.inline_expands, c.dialog ? 0 : c.files);
        if (c.dialog) {
            EXPECT_EQ(fake.dialog_files, static_cast<size_t>(c.files));
            EXPECT_EQ(fake.dialog_owner, host.hwnd());
        }
        if (c.files > 0) {
            wchar_t last[32];
            _snwprintf(last, 31, L"track%03d.mp3", c.files - 1);
            last[31] = 0;
            EXPECT_STREQ(files->get_item_text(c.files - 1, 4).wvalue(), last);
        }
    }
}

TEST_F(music_page_test, file_rows_show_tags_and_untagged_files_by_their_base_name) {
    fake.folders[L"C:\\T"] = {L"C:\\T\\01 intro.mp3", L"C:\\T\\a.b.ogg", L"C:\\T\\tagged.mp3", L"C:\\T\\title only.mp3",
                              L"C:\\T\\noext"};
    fake.tags[L"C:\\T\\tagged.mp3"] = {L"가수", L"노래", L"앨범"};
    fake.tags[L"C:\\T\\title only.mp3"] = {L"", L"Only", L""};
    fake.settings[L"folder0"] = L"C:\\T";
    auto page = open_folders();
    ASSERT_NE(page, nullptr);
    select(*as_music(page), 0);
    folder_file_list& files = *as_music(page)->file_list();
    EXPECT_EQ(column(files, 1), (std::vector<std::wstring>{L"01 intro", L"a.b", L"노래", L"Only", L"noext"}));
    EXPECT_EQ(column(files, 2), (std::vector<std::wstring>{L"", L"", L"가수", L"", L""}));
    EXPECT_EQ(column(files, 3), (std::vector<std::wstring>{L"", L"", L"앨범", L"", L""}));
    EXPECT_EQ(column(files, 4),
              (std::vector<std::wstring>{L"01 intro.mp3", L"a.b.ogg", L"tagged.mp3", L"title only.mp3", L"noext"}));
    EXPECT_EQ(files.get_cell_text(2, 0), stringx(L""));
    // A folder that is gone lists nothing.
    as_music(page)->add_folder(L"C:\\Gone");
    select(*as_music(page), 1);
    EXPECT_EQ(files.get_item_count(), 0);
}

TEST_F(music_page_test, the_add_button_adds_a_picked_folder_once_whatever_its_case) {
    fake.settings[L"folder0"] = L"C:\\Music";
    auto page = open_folders();
    ASSERT_NE(page, nullptr);
    music_library_page* m = as_music(page);
    ASSERT_NE(m->add_button(), nullptr);
    EXPECT_EQ(GetDlgCtrlID(m->add_button()), music_library_page::add_button_id);

    fake.picked = L"c:\\MUSIC";
    SendMessageW(page->get_hwnd(), WM_COMMAND, music_library_page::add_button_id, 0);
    EXPECT_EQ(m->get_item_count(), 1);

    fake.make_folder(L"D:\\Other", 3);
    fake.picked = L"D:\\Other";
    SendMessageW(page->get_hwnd(), WM_COMMAND, music_library_page::add_button_id, 0);
    window_rig::pump();
    ASSERT_EQ(m->get_item_count(), 2);
    EXPECT_EQ(m->get_item_text(1, 0), stringx(L"D:\\Other"));
    EXPECT_TRUE(m->get_item_state(1, LVIS_SELECTED) & LVIS_SELECTED);
    EXPECT_EQ(m->file_list()->get_item_count(), 3);  // selecting it scanned it

    fake.picked.clear();  // cancelled
    SendMessageW(page->get_hwnd(), WM_COMMAND, music_library_page::add_button_id, 0);
    EXPECT_EQ(m->get_item_count(), 2);
}

TEST_F(music_page_test, enqueue_hands_the_selected_folders_tracks_to_the_music_player) {
    fake.make_folder(L"C:\\Q", 4);
    fake.settings[L"folder0"] = L"C:\\Q";
    auto page = open_folders();
    ASSERT_NE(page, nullptr);
    SendMessageW(page->get_hwnd(), msg_library_enqueue, 0, 0);
    ASSERT_EQ(fake.enqueued.size(), 1u);
    EXPECT_TRUE(fake.enqueued[0].empty());  // no folder selected yet

    select(*as_music(page), 0);
    SendMessageW(page->get_hwnd(), msg_library_enqueue, 0, 0);
    ASSERT_EQ(fake.enqueued.size(), 2u);
    ASSERT_EQ(fake.enqueued[1].size(), 4u);
    EXPECT_STREQ(fake.enqueued[1][0].path, L"C:\\Q\\track000.mp3");
}

TEST_F(music_page_test, dropped_folders_reach_the_open_folder_page_and_nothing_without_one) {
    // The object the player windows reach through the component registry.
    folder_page_add_item target;
    auto add_everywhere = [&](const wchar_t* path) { return target.add(path); };
    EXPECT_EQ(add_everywhere(L"C:\\Dropped"), 0);  // no page open
    fake.settings[L"folder0"] = L"C:\\Music";
    {
        auto page = open_folders();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(music_library_page::folder_target(), as_music(page));
        EXPECT_EQ(add_everywhere(L"C:\\Dropped"), 1);
        EXPECT_EQ(as_music(page)->get_item_text(1, 0), stringx(L"C:\\Dropped"));
    }
    // Deleted as the library window deletes its page.
    EXPECT_EQ(music_library_page::folder_target(), nullptr);
    EXPECT_EQ(add_everywhere(L"C:\\Late"), 0);
    // The dropped folder was saved with the others.
    EXPECT_EQ(fake.settings[L"folder1"], L"C:\\Dropped");
}

TEST_F(music_page_test, the_delete_text_of_a_folder_row_removes_it_and_empties_the_file_list) {
    fake.make_folder(L"C:\\A", 2);
    fake.settings[L"folder0"] = L"C:\\A";
    fake.settings[L"folder1"] = L"C:\\B";
    auto page = open_folders();
    ASSERT_NE(page, nullptr);
    music_library_page* m = as_music(page);
    select(*m, 0);
    ASSERT_EQ(m->file_list()->get_item_count(), 2);
    RECT cell;
    ASSERT_TRUE(m->get_cell_rect(0, 1, cell));
    window_rig::click(m->get_list(), (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    window_rig::pump();
    EXPECT_EQ(column(*m, 0), (std::vector<std::wstring>{L"C:\\B"}));
    EXPECT_EQ(m->file_list()->get_item_count(), 0);
}

TEST_F(music_page_test, the_cd_page_lists_the_looked_up_tracks_of_its_drive) {
    fake.cd_discs[L"cdda://E.cda"] = {{L"가수", L"첫 곡", L"음반"}, {L"B", L"Second", L"Album"}, {L"", L"", L""}};
    const RECT r = {0, 0, 480, 300};
    std::unique_ptr<page_view> page(create_page(5, stringx(L"E:\\"), host.hwnd(), r, nullptr));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->type, 5);
    auto* m = static_cast<music_library_page*>(page.get());
    EXPECT_EQ(m->drive_letter(), L'E');
    EXPECT_EQ(fake.lookups, (std::vector<wchar_t>{L'E'}));
    EXPECT_EQ(m->add_button(), nullptr);
    EXPECT_EQ(page->companion, nullptr);
    EXPECT_EQ(column(*m, 1), (std::vector<std::wstring>{L"첫 곡", L"Second", L""}));
    EXPECT_EQ(column(*m, 2), (std::vector<std::wstring>{L"가수", L"B", L""}));
    EXPECT_EQ(column(*m, 3), (std::vector<std::wstring>{L"음반", L"Album", L""}));
    EXPECT_EQ(column(*m, 4), (std::vector<std::wstring>{L"E:\\Track01.cda", L"E:\\Track02.cda", L"E:\\Track03.cda"}));
    // The CD page is no folder target.
    EXPECT_EQ(music_library_page::folder_target(), nullptr);

    SendMessageW(page->get_hwnd(), msg_library_enqueue, 0, 0);
    ASSERT_EQ(fake.enqueued.size(), 1u);
    EXPECT_EQ(fake.enqueued[0].size(), 3u);

    window_rig::pump_for(200);
    const std::wstring shot = save_artifact(capture_window(host.hwnd()), L"cd_page");
    EXPECT_FALSE(shot.empty());
}

TEST_F(music_page_test, an_empty_drive_gives_an_empty_page_and_an_empty_key_no_page) {
    const RECT r = {0, 0, 480, 300};
    std::unique_ptr<page_view> page(create_page(5, stringx(L"F"), host.hwnd(), r, nullptr));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(static_cast<music_library_page*>(page.get())->get_item_count(), 0);
    EXPECT_EQ(create_page(5, stringx(L""), host.hwnd(), r, nullptr), nullptr);
}

TEST_F(music_page_test, screenshot_of_the_folder_page_with_its_file_list) {
    fake.folders[L"C:\\음악"] = {L"C:\\음악\\봄.mp3", L"C:\\음악\\여름.mp3", L"C:\\음악\\untagged.mp3"};
    fake.tags[L"C:\\음악\\봄.mp3"] = {L"가수 하나", L"봄날", L"사계절"};
    fake.tags[L"C:\\음악\\여름.mp3"] = {L"가수 둘", L"여름밤", L"사계절"};
    fake.settings[L"folder0"] = L"C:\\음악";
    fake.settings[L"folder1"] = L"D:\\Other music";
    auto page = open_folders();
    ASSERT_NE(page, nullptr);
    select(*as_music(page), 0);
    window_rig::pump_for(200);
    const std::wstring shot = save_artifact(capture_window(host.hwnd()), L"folder_page");
    EXPECT_FALSE(shot.empty());
}

TEST_F(music_page_test, a_page_closed_while_an_inline_scan_lets_messages_run_ends_the_scan) {
    fake.make_folder(L"C:\\Slow", 10);
    fake.settings[L"folder0"] = L"C:\\Slow";
    auto page = open_folders();
    ASSERT_NE(page, nullptr);
    int pumps = 0;
    // The library window deletes the page when another node is chosen
    // during the scan.
    fake.on_pump = [&] {
        if (++pumps == 3) page.reset();
    };
    as_music(page)->set_item_state(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(page, nullptr);
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(fake.inline_expands, 3);
    EXPECT_EQ(fake.settings[L"folder0"], L"C:\\Slow");
}
