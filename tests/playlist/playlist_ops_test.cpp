// Playlist operations: copies with fresh ids, insert, remove, update, swap,
// sorting, searching and saving, and the events the current playlist raises.
#include <gtest/gtest.h>
#include <set>
#include "player_test_support.h"
#include "playlist_formats.h"
#include "temp_folder.h"

TEST(playlist, every_copy_gets_a_fresh_id) {
    test_player t;
    list_info source = entry_at(L"A");
    list_info::set_string(source.id, L"from-elsewhere");
    t.list->add(std::vector<list_info*>{&source, &source, nullptr});
    ASSERT_EQ(t.list->count(), 3u);
    std::set<std::wstring> ids;
    for (list_info* e : t.list->entries()) {
        ASSERT_NE(e->id, nullptr);
        EXPECT_EQ(std::wcslen(e->id), 32u);
        ids.insert(e->id);
    }
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids.count(L"from-elsewhere"), 0u);
    EXPECT_STREQ(source.id, L"from-elsewhere");  // the source is not taken over
    EXPECT_EQ(path_of(t.list->at(2)), L"");       // a null source gives an empty entry
}

TEST(playlist, insert_at_the_end_and_past_it) {
    const struct {
        int index;
        std::vector<std::wstring> after;
        bool event;
    } rows[] = {
        {0, {L"X", L"Y", L"A", L"B"}, true},
        {1, {L"A", L"X", L"Y", L"B"}, true},
        {2, {L"A", L"B", L"X", L"Y"}, true},  // at count: appends
        {3, {L"A", L"B"}, false},             // past the end: nothing
        {-1, {L"A", L"B"}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        test_player t{L"A", L"B"};
        t.list->insert(row.index, entries_at({L"X", L"Y"}));
        EXPECT_EQ(paths_in(*t.list), row.after);
        std::vector<heard> calls = t.listener.calls();
        ASSERT_EQ(calls.size(), row.event ? 1u : 0u);
        if (row.event) {
            EXPECT_EQ(calls[0].what, "inserted");
            EXPECT_EQ(calls[0].indices, std::vector<int>{row.index});
            EXPECT_EQ(calls[0].paths, (std::vector<std::wstring>{L"Y", L"X"}));  // last source first
        }
    }
}

TEST(playlist, remove_reports_the_indices_as_given_and_takes_those_entries) {
    test_player t{L"0", L"1", L"2", L"3", L"4"};
    t.list->remove({3, 1, 7, -1, 3});
    EXPECT_EQ(paths_in(*t.list), (std::vector<std::wstring>{L"0", L"2", L"4"}));
    std::vector<heard> calls = t.listener.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].what, "removed");
    EXPECT_EQ(calls[0].indices, (std::vector<int>{3, 1, 3}));
}

TEST(playlist, remove_duplicates_keeps_the_first_whatever_the_case) {
    test_player t{L"C:\\a.mp3", L"B", L"c:\\A.MP3", L"C:\\a.mp3"};
    t.list->remove_duplicates();
    EXPECT_EQ(paths_in(*t.list), (std::vector<std::wstring>{L"C:\\a.mp3", L"B"}));
    ASSERT_EQ(t.listener.calls().size(), 1u);
    EXPECT_EQ(t.listener.calls()[0].indices, (std::vector<int>{2, 3}));
}

TEST(playlist, remove_missing_keeps_addresses_and_existing_files) {
    temp_folder folder;
    std::wstring here = folder.path() + L"\\here.mp3";
    FILE* f = _wfopen(here.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    std::wstring gone = folder.path() + L"\\gone.mp3";
    std::wstring cd = L"cd|" + here;
    test_player t{here.c_str(), gone.c_str(), L"http://radio.example/live", L"zel://track/1", cd.c_str()};
    t.list->remove_missing();
    EXPECT_EQ(paths_in(*t.list),
              (std::vector<std::wstring>{here, L"http://radio.example/live", L"zel://track/1", cd}));
}

TEST(playlist, update_applies_pairs_in_range_and_keeps_ids) {
    test_player t{L"A", L"B"};
    std::wstring id_b = t.list->at(1)->id;
    list_info value = entry_at(L"Z", L"artist");
    list_info::set_string(value.id, L"other");

    t.list->update({1}, {});  // lengths differ: nothing
    EXPECT_EQ(paths_in(*t.list), (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_TRUE(t.listener.calls().empty());

    t.list->update({1, 5}, {&value, &value});
    EXPECT_EQ(paths_in(*t.list), (std::vector<std::wstring>{L"A", L"Z"}));
    EXPECT_EQ(std::wstring(t.list->at(1)->id), id_b);
    EXPECT_STREQ(t.list->at(1)->artist, L"artist");
    EXPECT_STREQ(t.list->at(1)->filename, L"");
    ASSERT_EQ(t.listener.calls().size(), 1u);
    EXPECT_EQ(t.listener.calls()[0].indices, std::vector<int>{1});
}

TEST(playlist, swap_checks_both_indices) {
    const struct {
        int a, b;
        bool result;
        std::vector<std::wstring> after;
        size_t events;
    } rows[] = {
        {0, 2, true, {L"C", L"B", L"A"}, 1},
        {1, 1, true, {L"A", L"B", L"C"}, 0},
        {0, 3, false, {L"A", L"B", L"C"}, 0},
        {-1, 0, false, {L"A", L"B", L"C"}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.a << "," << row.b);
        test_player t{L"A", L"B", L"C"};
        EXPECT_EQ(t.list->swap(row.a, row.b), row.result);
        EXPECT_EQ(paths_in(*t.list), row.after);
        EXPECT_EQ(t.listener.calls().size(), row.events);
    }
}

// A move takes one entry out and puts it back at the target index; the
// entry keeps its id, and the change is told as a reorder.
TEST(playlist, move_puts_one_entry_at_the_target_index) {
    const struct {
        int from, to;
        bool result;
        std::vector<std::wstring> after;
        bool event;
    } rows[] = {
        {1, 3, true, {L"A", L"C", L"D", L"B", L"E"}, true},
        {3, 1, true, {L"A", L"D", L"B", L"C", L"E"}, true},
        {0, 4, true, {L"B", L"C", L"D", L"E", L"A"}, true},
        {4, 0, true, {L"E", L"A", L"B", L"C", L"D"}, true},
        {2, 2, true, {L"A", L"B", L"C", L"D", L"E"}, false},
        {0, 5, false, {L"A", L"B", L"C", L"D", L"E"}, false},
        {-1, 0, false, {L"A", L"B", L"C", L"D", L"E"}, false},
        {5, 0, false, {L"A", L"B", L"C", L"D", L"E"}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.from << "->" << row.to);
        test_player t{L"A", L"B", L"C", L"D", L"E"};
        const std::wstring id = row.result ? std::wstring(t.list->at(static_cast<unsigned>(row.from))->id) : L"";
        EXPECT_EQ(t.list->move(row.from, row.to), row.result);
        EXPECT_EQ(paths_in(*t.list), row.after);
        if (row.result) {
            EXPECT_EQ(t.list->index_of(id.c_str()), row.to);
        }
        const std::vector<heard> calls = t.listener.calls();
        ASSERT_EQ(calls.size(), row.event ? 1u : 0u);
        if (row.event) {
            EXPECT_EQ(calls[0].what, "reordered");
        }
    }
}

TEST(playlist, sort_by_each_key) {
    const struct {
        int type;
        std::vector<std::wstring> after;
    } rows[] = {
        {sort_by_path, {L"a", L"B", L"c"}},
        {sort_by_filename, {L"a", L"B", L"c"}},
        {sort_reverse, {L"a", L"B", L"c"}},  // of c, B, a
        {99, {L"c", L"B", L"a"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.type);
        test_player t{L"c", L"B", L"a"};
        EXPECT_TRUE(t.list->sort(row.type));
        EXPECT_EQ(paths_in(*t.list), row.after);
        EXPECT_EQ(t.listener.names(), std::vector<std::string>{"reordered"});
    }
    test_player shuffled{L"c", L"B", L"a"};
    shuffled.list->sort(sort_shuffle);
    std::vector<std::wstring> got = paths_in(*shuffled.list);
    EXPECT_EQ(std::set<std::wstring>(got.begin(), got.end()), (std::set<std::wstring>{L"a", L"B", L"c"}));
}

TEST(playlist, sort_selected_moves_contents_among_the_chosen_positions) {
    test_player t{L"d", L"c", L"b", L"a"};
    std::wstring id_of_a = t.list->at(3)->id;
    EXPECT_FALSE(t.list->sort_selected({1}, sort_by_path));  // a single selection
    EXPECT_EQ(paths_in(*t.list), (std::vector<std::wstring>{L"d", L"c", L"b", L"a"}));
    EXPECT_TRUE(t.listener.calls().empty());

    EXPECT_TRUE(t.list->sort_selected({3, 1, 9}, sort_by_path));
    EXPECT_EQ(paths_in(*t.list), (std::vector<std::wstring>{L"d", L"c", L"b", L"a"}));  // 3 gets a, 1 gets c
    EXPECT_TRUE(t.list->sort_selected({1, 3}, sort_by_path));
    EXPECT_EQ(paths_in(*t.list), (std::vector<std::wstring>{L"d", L"a", L"b", L"c"}));
    EXPECT_EQ(std::wstring(t.list->at(1)->id), id_of_a);  // ids travel with their contents

    // A position named twice takes part once; no entry is lost.
    EXPECT_TRUE(t.list->sort_selected({2, 2, 0}, sort_by_path));
    EXPECT_EQ(paths_in(*t.list), (std::vector<std::wstring>{L"d", L"a", L"b", L"c"}));
    EXPECT_TRUE(t.list->sort_selected({0, 0, 2}, sort_by_path));
    EXPECT_EQ(paths_in(*t.list), (std::vector<std::wstring>{L"b", L"a", L"d", L"c"}));
}

TEST(playlist, search_matches_fields_case_insensitively) {
    test_player t;
    t.list->add(std::vector<list_info>{entry_at(L"C:\\Music\\Rain.mp3", L"Sun"), entry_at(L"C:\\x.mp3", L"RAINbow"),
                                       entry_at(L"C:\\y.mp3")});
    auto paths = [](const std::vector<list_info*>& found) {
        std::vector<std::wstring> v;
        for (list_info* e : found) v.push_back(path_of(e));
        return v;
    };
    EXPECT_EQ(paths(t.list->search(L"rain", false, false, false, false)),
              std::vector<std::wstring>{L"C:\\Music\\Rain.mp3"});
    EXPECT_EQ(paths(t.list->search(L"rain", false, true, false, false)),
              (std::vector<std::wstring>{L"C:\\Music\\Rain.mp3", L"C:\\x.mp3"}));
    EXPECT_TRUE(t.list->search(L"", false, true, true, true).empty());
    EXPECT_TRUE(t.list->search(L"nowhere", false, true, true, true).empty());
}

TEST(playlist, search_with_empty_text_does_not_load_the_file) {
    test_player t;
    playlist* other = t.p.create_playlist(L"lazy", false);
    other->set_file_path(L"C:\\nowhere\\list.cpl");
    EXPECT_TRUE(other->search(L"", false, false, false, false).empty());
    EXPECT_FALSE(other->loaded());
    other->search(L"x", false, false, false, false);
    EXPECT_TRUE(other->loaded());
}

TEST(playlist, only_the_current_playlist_raises_entry_events) {
    test_player t{L"A"};
    playlist* other = t.p.create_playlist(L"other", false);
    t.listener.clear();
    other->add(entries_at({L"X", L"Y"}));
    other->insert(0, entries_at({L"Z"}));
    other->swap(0, 1);
    other->sort(sort_reverse);
    other->remove({0});
    other->clear();
    EXPECT_TRUE(t.listener.calls().empty());
    t.list->add(entries_at({L"B"}));
    EXPECT_EQ(t.listener.names(), std::vector<std::string>{"added"});
}

TEST(playlist, set_name_fills_a_missing_id) {
    test_player t;
    EXPECT_EQ(t.list->id().size(), 38u);
    EXPECT_EQ(t.list->id()[0], L'{');
    t.list->set_name(L"renamed");
    EXPECT_EQ(t.list->name(), L"renamed");
    EXPECT_NE(t.list->id(), L"renamed");
}

TEST(playlist, save_writes_known_formats_and_refuses_the_others_untouched) {
    temp_folder folder;
    test_player t{L"http://radio.example/a", L"zel://track/2"};
    std::wstring m3u = folder.path() + L"\\list.m3u";
    ASSERT_TRUE(t.list->save(m3u.c_str()));
    std::vector<parsed_entry> read;
    ASSERT_TRUE(parse_m3u(m3u.c_str(), read));
    EXPECT_EQ(read.size(), 2u);

    // An extension no writer has: false, and the user's file stays.
    std::wstring wpl = folder.path() + L"\\kept.wpl";
    FILE* f = _wfopen(wpl.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fputs("<smil/>", f);
    fclose(f);
    EXPECT_FALSE(t.list->save(wpl.c_str()));
    struct _stat st;
    ASSERT_EQ(_wstat(wpl.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 7);
    // A folder that does not exist: false.
    EXPECT_FALSE(t.list->save((folder.path() + L"\\missing\\list.cpl").c_str()));
}
