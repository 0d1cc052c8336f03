#pragma once
// The records that the service's replies are read into, shared by the login,
// the service client, the announcement subsystem and the windows. All are
// value types: they own their texts, a copy copies every field, and callers
// keep them in vectors of their own.
#include "list_info.h"
#include "stringx.h"
#include "timex.h"

// The logged-in store, from the login reply's "storeinfo". The store group of
// the requests comes from it.
struct store_info {
    stringx usertype;  // one letter: "A", "T", "B", ...
    stringx storetop;
    stringx storemother;
    stringx storecode;
    stringx storeid;
    stringx storename;
};

// One channel of a channel list.
struct channel_record {
    int id = 0;          // the channel number, sent as "chkey"
    stringx extra_text;
    stringx title;
    stringx tempo;       // "fast", "slow", "nomal" or "all"
    stringx genre;
    stringx description;
    stringx purpose;
};

// One internet radio station or programme of a radio list.
struct radio_record {
    stringx name;
    stringx address;  // the stream address
    stringx time;
    stringx genre;
    stringx quality;
    stringx comment;  // a number as text
    stringx homepage;
    stringx extra_text;
};

// One track of a channel: a playlist entry whose path is the "zel://" form of
// the track's address, start fraction and track number, and whose bitrate
// field holds the service's track number.
class track_record : public list_info {
public:
    stringx extra_text;
    timex_span start_offset;  // seconds into the track where the channel joins it
};

// One announcement of the store's list or of the service's library.
struct anne_record {
    stringx code;
    timex_span start;   // time of day, seconds after midnight
    timex_span length;  // seconds
    stringx category;   // library only
    stringx kind;       // library only
    stringx title;
    int volume = 0;
    unsigned char enabled = 0;  // 1: takes part in scheduling
    unsigned char flag = 0;
    stringx url;         // "zel2://" address
    stringx start_text;  // the hours text of the start time as the service wrote it

    // The same announcement: equal addresses without regard to case and
    // equal start times.
    bool denotes_same(const anne_record& other) const {
        return start == other.start && url.equals_ignore_case(other.url);
    }
};

// One announcement reservation of the store.
struct anne_schedule_record {
    stringx text_a;
    stringx text_b;
    stringx category_k;
    stringx category_e;
    timex_span apptime;  // time of day, seconds after midnight
    stringx title;
    int number_a = 0;
    int weekdays = 0;  // bit i: character i of the weekday text is "1"
    int volume = 0;
    timex_span playtime;
    unsigned char auto_mute = 0;
    stringx url;          // "http://" address, empty when file_number is used
    int file_number = 0;
    stringx listkey;
    stringx comkey;
};
