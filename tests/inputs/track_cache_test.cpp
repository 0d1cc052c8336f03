// The track cache's queue and tick without a server: enqueue order and
// duplicates, announcements first and their delay, entries that are no track
// URL, the file limit and the low-disk eviction.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "stand_in_server.h"
#include "track_cache_impl.h"
#include "track_test_support.h"

namespace {
list_info entry(const wchar_t* path) {
    list_info e;
    list_info::set_string(e.path, path);
    return e;
}

std::vector<list_info> entries(std::initializer_list<const wchar_t*> paths) {
    std::vector<list_info> out;
    for (const wchar_t* p : paths) out.push_back(entry(p));
    return out;
}

uint64_t g_free_bytes = 0;
bool fake_free_space(const wchar_t*, uint64_t* free_bytes) {
    *free_bytes = g_free_bytes;
    return true;
}
int g_random = 0;
int fake_random() { return g_random; }

// A URL of a server that refuses connections: its downloads never start.
std::wstring refused(const wchar_t* name, bool info = false) {
    return std::wstring(info ? L"zel2://" : L"zel://") + L"127.0.0.1:" +
           std::to_wstring(stand_in_server::unused_port()) + L"/" + name + L"|0.000000|1";
}

class track_cache_queue : public ::testing::Test {
protected:
    void SetUp() override {
        track_cache_impl::free_space_query = &fake_free_space;
        track_cache_impl::random_source = &fake_random;
        g_free_bytes = 500ull * 1024 * 1024;
        g_random = 0;
        cache.prepare();
    }
    void TearDown() override { cache.clear(); }

    // Files named in name order, so that the oldest also sort first.
    void make_files(const std::wstring& folder, int count) {
        for (int i = 0; i < count; ++i) {
            wchar_t name[32];
            _snwprintf(name, 31, L"\\f%05d.tmp", i);
            name[31] = 0;
            ASSERT_TRUE(track_test::write_file(folder + name, "x"));
        }
    }
    static int count_files(const std::wstring& folder) { return static_cast<int>(cache_files_by_age(folder.c_str()).size()); }

    track_test::environment env;
    track_cache_impl cache;
};
}  // namespace

TEST_F(track_cache_queue, enqueue_skips_the_first_entry_and_duplicates_ignoring_case) {
    const std::vector<list_info> list = entries({L"zel://h/A.mp3", L"zel://h/B.mp3", L"ZEL://H/b.MP3", L"zel://h/C.mp3"});
    cache.enqueue(0, &list);
    EXPECT_EQ(cache.queued_paths(), (std::vector<std::wstring>{L"zel://h/B.mp3", L"zel://h/C.mp3"}));
    EXPECT_EQ(cache.wait_ticks(), 4);

    // A null path counts as "": the second one is a duplicate.
    std::vector<list_info> with_nulls = entries({L"zel://h/A.mp3"});
    with_nulls.push_back(list_info());
    with_nulls.push_back(list_info());
    cache.enqueue(0, &with_nulls);
    EXPECT_EQ(cache.queued_paths().size(), 1u);
}

TEST_F(track_cache_queue, a_channel_start_drops_queued_announcements_and_announcements_go_first) {
    const list_info info = entry(L"zel2://h/anne.mp3");
    cache.enqueue_info(&info);
    std::vector<list_info> list = entries({L"zel://h/A.mp3", L"zel://h/B.mp3", L"zel://h/C.mp3"});
    cache.enqueue(0, &list);
    EXPECT_EQ(cache.queued_paths(), (std::vector<std::wstring>{L"zel://h/B.mp3", L"zel://h/C.mp3"}));

    cache.enqueue_info(&info);
    const list_info second = entry(L"zel2://h/anne2.mp3");
    cache.enqueue_info(&second);
    cache.enqueue_info(&info);  // no duplicate test for announcements
    EXPECT_EQ(cache.queued_paths(),
              (std::vector<std::wstring>{L"zel2://h/anne.mp3", L"zel2://h/anne2.mp3", L"zel2://h/anne.mp3",
                                         L"zel://h/B.mp3", L"zel://h/C.mp3"}));

    cache.drop_non_info();
    EXPECT_EQ(cache.queued_paths(),
              (std::vector<std::wstring>{L"zel2://h/anne.mp3", L"zel2://h/anne2.mp3", L"zel2://h/anne.mp3"}));
}

TEST_F(track_cache_queue, an_announcement_waits_its_drawn_delay_then_leaves_the_queue) {
    const std::wstring anne = refused(L"anne.mp3", true);
    const list_info info = entry(anne.c_str());
    std::vector<list_info> list = entries({L"zel://h/A.mp3", L"zel://h/B.mp3"});
    cache.enqueue(0, &list);
    for (int i = 0; i < 4; ++i) cache.tick_now();  // the four waiting ticks
    EXPECT_EQ(cache.wait_ticks(), 0);
    cache.enqueue_info(&info);
    g_random = 62;  // d = 62 % 60 = 2
    cache.tick_now();
    EXPECT_EQ(cache.info_delay(), 2);
    cache.tick_now();
    cache.tick_now();
    EXPECT_EQ(cache.info_delay(), 0);
    EXPECT_EQ(cache.queued_paths().front(), anne);
    cache.tick_now();  // the (d + 1)-th tick: the download is tried (and fails)
    EXPECT_EQ(cache.info_delay(), -1);
    EXPECT_EQ(cache.queued_paths(), (std::vector<std::wstring>{L"zel://h/B.mp3"}));
    EXPECT_EQ(cache.current_download(), nullptr);
}

TEST_F(track_cache_queue, entries_that_are_no_track_url_are_dropped_without_a_download) {
    const list_info web = entry(L"http://h/a.mp3");
    cache.enqueue_info(&web);
    cache.tick_now();
    EXPECT_TRUE(cache.queued_paths().empty());
    EXPECT_EQ(cache.current_download(), nullptr);
    EXPECT_TRUE(track_test::logged().empty());
}

TEST_F(track_cache_queue, a_music_download_first_brings_the_folder_below_its_limit) {
    struct row {
        int limit, files, deleted;
    } rows[] = {{1000, 1000, 1}, {5, 7, 3}, {5, 4, 0}};
    for (const row& r : rows) {
        const std::wstring music = cache.music_folder().wvalue();
        for (const stringx& f : cache_files_by_age(music.c_str())) _wremove(f.wvalue());
        make_files(music, r.files);
        cache.set_limits(10, r.limit, 100);
        const std::wstring url = refused(L"new.mp3");
        std::vector<list_info> list = entries({L"zel://h/first.mp3", url.c_str()});
        cache.enqueue(0, &list);
        for (int i = 0; i < 5; ++i) cache.tick_now();
        EXPECT_TRUE(cache.queued_paths().empty()) << r.files;
        EXPECT_EQ(count_files(music), r.files - r.deleted) << r.files;
        // The oldest go first.
        EXPECT_EQ(GetFileAttributesW((music + L"\\f00000.tmp").c_str()) != INVALID_FILE_ATTRIBUTES, r.deleted == 0)
            << r.files;
        const std::vector<std::wstring> lines = track_test::logged_with(L"파일 저장 갯수 초과로 파일 삭제 : ");
        ASSERT_EQ(lines.size(), static_cast<size_t>(r.deleted)) << r.files;
        if (r.deleted) {
            EXPECT_EQ(lines[0], L"파일 저장 갯수 초과로 파일 삭제 : f00000.tmp");
        }
        track_test::environment::clear_log();
    }
}

TEST_F(track_cache_queue, low_disk_space_deletes_the_oldest_music_file_on_every_tenth_tick) {
    const std::wstring anne = refused(L"anne.mp3", true);
    const list_info info = entry(anne.c_str());
    cache.enqueue_info(&info);
    g_random = 59;  // keeps the entry queued through the ticks below
    g_free_bytes = 99ull * 1024 * 1024 + 5;
    for (int i = 0; i < 10; ++i) cache.tick_now();
    EXPECT_TRUE(track_test::logged().empty());
    cache.tick_now();  // the check, with an empty music folder
    EXPECT_EQ(track_test::logged_with(L"하드 공간 부족").size(), 1u);
    EXPECT_EQ(track_test::logged_with(L"하드공간 부족으로 파일 삭제 : "),
              (std::vector<std::wstring>{L"하드공간 부족으로 파일 삭제 : 99"}));

    const std::wstring music = cache.music_folder().wvalue();
    make_files(music, 3);
    make_files(cache.info_folder().wvalue(), 2);
    for (int i = 0; i < 10; ++i) cache.tick_now();
    EXPECT_EQ(count_files(music), 3);
    cache.tick_now();
    EXPECT_EQ(count_files(music), 2);
    EXPECT_EQ(count_files(cache.info_folder().wvalue()), 2);  // never touched
    EXPECT_EQ(track_test::logged_with(L"하드공간 부족으로 파일 삭제 : f").back(), L"하드공간 부족으로 파일 삭제 : f00000.tmp");

    // 100 MB free: nothing more.
    g_free_bytes = 100ull * 1024 * 1024;
    const size_t before = track_test::logged().size();
    for (int i = 0; i < 11; ++i) cache.tick_now();
    EXPECT_EQ(count_files(music), 2);
    EXPECT_EQ(track_test::logged().size(), before);
}
