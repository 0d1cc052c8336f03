// The records of the service's replies are values: copies own their texts.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "service_records.h"

TEST(service_records, track_records_copy_their_entry_and_their_own_fields) {
    std::vector<track_record> tracks;
    {
        track_record t;
        t.path = _wcsdup(L"zel://127.0.0.1/music/101.mp3|-1.0|101");
        t.title = _wcsdup(L"곡1");
        t.bitrate = 101;
        t.time = 200.0;
        t.extra_text = L"extra";
        t.start_offset = timex_span(50);
        for (int i = 0; i < 20; ++i) tracks.push_back(t);  // copies, and reallocations
    }
    track_record copy = tracks[7];
    tracks.clear();
    EXPECT_STREQ(copy.path, L"zel://127.0.0.1/music/101.mp3|-1.0|101");
    EXPECT_STREQ(copy.title, L"곡1");
    EXPECT_EQ(copy.bitrate, 101);
    EXPECT_STREQ(copy.extra_text.wvalue(), L"extra");
    EXPECT_EQ(copy.start_offset.total_seconds(), 50);
    list_info* entry = new track_record(copy);  // deleted through the playlist entry type
    EXPECT_STREQ(entry->path, copy.path);
    EXPECT_NE(entry->path, copy.path);
    delete entry;
}

TEST(service_records, announcements_are_the_same_by_address_and_start) {
    anne_record a;
    a.url = L"zel2://127.0.0.1/anne/A01.mp3";
    a.start = timex_span(0, 9, 0, 0);
    anne_record b = a;
    b.url = L"ZEL2://127.0.0.1/ANNE/a01.MP3";
    b.volume = 150;
    EXPECT_TRUE(a.denotes_same(b));
    b.start = timex_span(0, 9, 0, 1);
    EXPECT_FALSE(a.denotes_same(b));
    b.start = a.start;
    b.url = L"zel2://127.0.0.1/anne/A02.mp3";
    EXPECT_FALSE(a.denotes_same(b));
}
