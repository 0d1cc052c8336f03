// Play modes: the entry advance, next and previous choose in every mode, and
// the history of random order.
#include <gtest/gtest.h>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include "player_test_support.h"

namespace {

// The entry now playing: first, middle, last, or one no longer in the list.
enum where { first, middle, last, gone };
const wchar_t* start_path[] = {L"A", L"B", L"C", L"X"};

struct mode_row {
    int mode;
    where at;
    const wchar_t* advance;  // L"(none)" for no entry
    const wchar_t* next;
    const wchar_t* previous;
};

// Plays the starting entry (from the playlist, or the stray "X"); the
// random source answers 0: the first candidate.
void start(test_player& t, where at) {
    if (at == gone) {
        list_info stray = entry_at(L"X");
        list_info::set_string(stray.id, L"stray");
        t.p.play(&stray);
    } else {
        t.p.play(t.entry(start_path[at]));
    }
}

// A thread of its own that runs one task at a time on request, as a
// playback thread asks its player again and again.
class asking_thread {
public:
    asking_thread() : worker_([this] { loop(); }) {}
    ~asking_thread() {
        {
            std::lock_guard<std::mutex> guard(m_);
            quit_ = true;
        }
        cv_.notify_all();
        worker_.join();
    }
    list_info* advance(player& p) {
        list_info* result = nullptr;
        run([&] { result = p.advance(true); });
        return result;
    }

private:
    void run(std::function<void()> task) {
        std::unique_lock<std::mutex> lock(m_);
        task_ = std::move(task);
        cv_.notify_all();
        cv_.wait(lock, [&] { return !task_; });
    }
    void loop() {
        std::unique_lock<std::mutex> lock(m_);
        for (;;) {
            cv_.wait(lock, [&] { return quit_ || task_; });
            if (quit_) return;
            task_();
            task_ = nullptr;
            cv_.notify_all();
        }
    }
    std::mutex m_;
    std::condition_variable cv_;
    std::function<void()> task_;
    bool quit_ = false;
    std::thread worker_;
};

}  // namespace

TEST(play_mode, advance_next_and_previous_by_mode_and_position) {
    const mode_row rows[] = {
        {mode_sequential, first, L"B", L"B", L"C"},
        {mode_sequential, middle, L"C", L"C", L"A"},
        {mode_sequential, last, L"(none)", L"A", L"B"},
        {mode_sequential, gone, L"(none)", L"A", L"C"},
        {mode_repeat_all, first, L"B", L"B", L"C"},
        {mode_repeat_all, middle, L"C", L"C", L"A"},
        {mode_repeat_all, last, L"A", L"A", L"B"},
        {mode_repeat_all, gone, L"A", L"A", L"C"},
        {mode_repeat_one, first, L"A", L"B", L"C"},
        {mode_repeat_one, middle, L"B", L"C", L"A"},
        {mode_repeat_one, last, L"C", L"A", L"B"},
        {mode_repeat_one, gone, L"(none)", L"A", L"C"},
        {mode_single, first, L"(none)", L"B", L"C"},
        {mode_single, middle, L"(none)", L"C", L"A"},
        {mode_single, last, L"(none)", L"A", L"B"},
        {mode_single, gone, L"(none)", L"A", L"C"},
        // Random: the first entry not yet played; nothing to go back to yet.
        {mode_random, first, L"B", L"B", L"(none)"},
        {mode_random, middle, L"A", L"A", L"(none)"},
        {mode_random, last, L"A", L"A", L"(none)"},
        {mode_random, gone, L"A", L"A", L"(none)"},
        {mode_random_repeat, first, L"B", L"B", L"(none)"},
        {mode_random_repeat, middle, L"A", L"A", L"(none)"},
        {mode_random_repeat, last, L"A", L"A", L"(none)"},
        {mode_random_repeat, gone, L"A", L"A", L"(none)"},
    };
    for (const mode_row& row : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << " at " << row.at);
        // Each question on a fresh player: random picks record history.
        for (int question = 0; question < 3; ++question) {
            test_player t{L"A", L"B", L"C"};
            t.p.set_play_mode(row.mode);
            start(t, row.at);
            list_info* got = question == 0 ? t.p.advance(false) : question == 1 ? t.p.find_next() : t.p.find_previous();
            const wchar_t* want = question == 0 ? row.advance : question == 1 ? row.next : row.previous;
            EXPECT_EQ(path_of(got), want) << "question " << question;
        }
    }
}

TEST(play_mode, one_entry_playlist_by_mode) {
    const struct {
        int mode;
        const wchar_t* advance;
    } rows[] = {{mode_sequential, L"(none)"}, {mode_repeat_all, L"A"}, {mode_repeat_one, L"A"},
                {mode_single, L"(none)"}, {mode_random, L"(none)"}, {mode_random_repeat, L"A"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        test_player t{L"A"};
        t.p.set_play_mode(row.mode);
        t.p.play(t.entry(L"A"));
        EXPECT_EQ(path_of(t.p.advance(true)), row.advance);
    }
}

TEST(play_mode, nothing_is_chosen_without_an_engine_or_entries) {
    for (int mode = 0; mode <= 5; ++mode) {
        SCOPED_TRACE(mode);
        test_player idle{L"A", L"B"};
        idle.p.set_play_mode(mode);
        EXPECT_EQ(idle.p.advance(true), nullptr);
        EXPECT_EQ(idle.p.find_next(), nullptr);
        EXPECT_EQ(idle.p.find_previous(), nullptr);

        // Emptied while its entry plays.
        test_player emptied{L"A", L"B"};
        emptied.p.set_play_mode(mode);
        emptied.p.play(emptied.entry(L"A"));
        emptied.list->clear();
        EXPECT_EQ(emptied.p.advance(true), nullptr);
        EXPECT_EQ(emptied.p.find_next(), nullptr);
        EXPECT_EQ(emptied.p.find_previous(), nullptr);
    }
}

TEST(play_mode, advance_with_make_current_moves_the_current_entry) {
    test_player t{L"A", L"B", L"C"};
    t.p.play(t.entry(L"A"));
    EXPECT_EQ(path_of(t.p.advance(false)), L"B");
    EXPECT_EQ(path_of(t.p.current()), L"A");
    EXPECT_EQ(path_of(t.p.advance(true)), L"B");
    EXPECT_EQ(path_of(t.p.current()), L"B");
    EXPECT_EQ(path_of(t.p.advance(true)), L"C");
    EXPECT_EQ(t.p.advance(true), nullptr);
}

TEST(random_order, one_pass_plays_every_entry_once_then_ends_with_an_empty_history) {
    test_player t{L"A", L"B", L"C"};
    t.random = scripted_random{1, 0};
    t.p.set_play_mode(mode_random);
    t.p.play(t.entry(L"A"));
    EXPECT_EQ(path_of(t.p.advance(true)), L"C");  // candidates B, C: number 1
    EXPECT_EQ(path_of(t.p.advance(true)), L"B");  // candidate B
    EXPECT_EQ(t.p.advance(true), nullptr);
    EXPECT_TRUE(t.p.random_history().empty());
    EXPECT_EQ(t.random.seeds, 1);  // seeded when the history was empty
}

TEST(random_order, repeat_starts_a_new_pass_that_may_replay_the_last_entry) {
    test_player t{L"A", L"B", L"C"};
    t.random = scripted_random{0, 0, 2};
    t.p.set_play_mode(mode_random_repeat);
    t.p.play(t.entry(L"A"));
    EXPECT_EQ(path_of(t.p.advance(true)), L"B");
    EXPECT_EQ(path_of(t.p.advance(true)), L"C");
    // All three played: a new pass, chosen among all entries; 2 is C again.
    EXPECT_EQ(path_of(t.p.advance(true)), L"C");
    EXPECT_TRUE(t.p.random_history().empty());
    EXPECT_EQ(t.random.seeds, 2);
}

TEST(random_order, previous_walks_back_through_the_history) {
    test_player t{L"A", L"B", L"C", L"D"};
    t.random = scripted_random{1, 1};
    t.p.set_play_mode(mode_random);
    t.p.play(t.entry(L"B"));
    EXPECT_EQ(path_of(t.p.advance(true)), L"C");  // candidates A, C, D
    EXPECT_EQ(path_of(t.p.advance(true)), L"D");  // candidates A, D
    ASSERT_EQ(t.p.random_history().size(), 2u);

    t.p.previous();  // D playing: back to C, and D is recorded
    EXPECT_EQ(path_of(t.p.current()), L"C");
    EXPECT_EQ(t.p.random_history().size(), 3u);
    t.p.previous();
    EXPECT_EQ(path_of(t.p.current()), L"B");
    EXPECT_EQ(t.p.find_previous(), nullptr);  // B is the oldest
    EXPECT_EQ(last_engine()->played, std::vector<std::wstring>{L"B"});
}

TEST(random_order, a_removed_entry_leaves_the_history_at_the_next_previous) {
    test_player t{L"A", L"B", L"C", L"D"};
    t.random = scripted_random{1, 1};
    t.p.set_play_mode(mode_random);
    t.p.play(t.entry(L"B"));
    t.p.advance(true);  // C
    t.p.advance(true);  // D; history B, C
    t.list->remove({2});  // C goes
    list_info* back = t.p.find_previous();
    EXPECT_EQ(path_of(back), L"B");
    std::vector<std::wstring> history = t.p.random_history();
    ASSERT_EQ(history.size(), 2u);  // B, then D recorded
    EXPECT_EQ(history[0], std::wstring(t.entry(L"B")->id));
    EXPECT_EQ(history[1], std::wstring(t.entry(L"D")->id));
}

TEST(random_order, the_history_survives_a_mode_change_until_cleared) {
    test_player t{L"A", L"B", L"C"};
    t.p.set_play_mode(mode_random);
    t.p.play(t.entry(L"A"));
    t.p.advance(true);
    t.p.set_play_mode(mode_sequential);
    t.p.set_play_mode(mode_random);
    EXPECT_EQ(t.p.random_history().size(), 1u);
    t.p.clear_random_history();
    EXPECT_TRUE(t.p.random_history().empty());
}

TEST(random_order, a_pick_on_an_empty_playlist_gives_nothing) {
    test_player t;
    EXPECT_EQ(t.p.random_pick(L"gone", true), L"");
    EXPECT_EQ(t.p.random_pick(L"gone", false), L"");
    EXPECT_EQ(t.p.random_previous(L"gone"), L"");
}

TEST(play_mode, the_entry_advance_hands_out_outlives_its_removal) {
    test_player t{L"A", L"B", L"C"};
    t.p.play(t.entry(L"A"));
    list_info* next = t.p.advance(true);
    ASSERT_NE(next, nullptr);
    std::wstring id = next->id;
    t.list->remove({1});  // B goes before the playback thread copied it
    EXPECT_EQ(path_of(next), L"B");
    EXPECT_EQ(std::wstring(next->id), id);
}

TEST(play_mode, an_entry_handed_to_one_thread_survives_other_threads_asking_again) {
    // Regression: the entries handed out were kept in a deque, and a thread
    // asking again erased its old one from the middle, which moved (and
    // destroyed) the entries other playback threads might still be copying.
    test_player t{L"A", L"B", L"C", L"D", L"E"};
    t.p.set_play_mode(mode_repeat_all);
    t.p.play(t.entry(L"A"));
    asking_thread x, y, z, w;
    list_info* held = x.advance(t.p);  // B, kept by x while it copies
    ASSERT_NE(held, nullptr);
    const std::wstring id = held->id;
    ASSERT_NE(y.advance(t.p), nullptr);
    ASSERT_NE(z.advance(t.p), nullptr);
    ASSERT_NE(w.advance(t.p), nullptr);
    for (int i = 0; i < 3; ++i) ASSERT_NE(y.advance(t.p), nullptr);  // y asks again and again
    EXPECT_EQ(path_of(held), L"B");
    EXPECT_EQ(held->id ? std::wstring(held->id) : L"<null>", id);
    // A thread's own earlier entry is the one its next answer replaces.
    list_info* again = x.advance(t.p);
    EXPECT_EQ(again, held);
}
