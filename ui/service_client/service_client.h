#pragma once
// service_client: the one object of the user interface that asks the service
// for channel lists, a channel's tracks, the store's announcements and its
// reservations, and keeps what came back: the channel list of the last list
// request, the current channel, its tracks, the announcements, the title of
// the list the channel came from and the user's favourite channels.
//
// The player's object lives as long as zel_ui (get_service_client). Every
// operation runs on the user-interface thread and blocks while its request
// is on the wire; nothing is locked. The virtual operations keep their slot
// order. Records are copied in and out; the pointers of current_channel and
// favourites point into the object and stay valid for its life.
//
// Failures keep what the object held. A failed request hands the caller the
// kept list or tracks only when they belong to the same category or channel,
// and is always reported as false.
#include <vector>
#include "service_records.h"
#include "service_request.h"
#include "stringx.h"

class service_client_services;
class service_reply;

class service_client {
public:
    // The services stay the caller's and must outlive the object.
    explicit service_client(service_client_services& services);
    service_client(const service_client&) = delete;
    service_client& operator=(const service_client&) = delete;

    // Slot 0: the channel list becomes one record of id and title (the
    // channel started by id and title); the current channel stays. True.
    virtual bool set_single_channel(int id, stringx title);
    // Slot 1: asks the service for the channels of a category and appends
    // them to list (which is not emptied first). "즐겨찾기" (the local
    // favourites) sends nothing and returns true with list untouched. When
    // the request fails, the kept list is appended only when it is the list
    // of the same category; false then.
    virtual bool get_channel_list(stringx category, std::vector<channel_record>& list);
    // Slot 2: the same request; the channels go to list only and the kept
    // list stays. The result is the request's.
    virtual bool check_channels(stringx category, std::vector<channel_record>& list);
    // Slot 3: a radio list, appended to list; also without a login.
    virtual bool check_user_channels(stringx category, std::vector<radio_record>& list);
    // Slot 4: the tracks of a channel started by id and title
    // (service_client_tracks.cpp).
    virtual bool get_channel_tracks(int chkey, stringx title, std::vector<track_record>& out);
    // Slots 5 and 6: copy the live state (channels, current channel, tracks,
    // announcements, list title, favourites) to the saved one and back.
    virtual void save_channel_state();
    virtual void restore_channel_state();
    // Slots 7 to 9: the tracks of a channel of the current list (with the
    // kept tracks of the current channel as a cache unless force is set),
    // the same for the restore of the last channel, and a channel of the
    // service's "auto" list found by its title (service_client_tracks.cpp).
    virtual bool select_channel(int chkey, std::vector<track_record>& out, bool force);
    virtual bool select_channel_checked(int chkey, std::vector<track_record>& out, stringx& error_text);
    virtual bool select_auto_channel(const stringx title, std::vector<track_record>& out);

    // Slots 10 to 14: the store's announcement list (kept by the object),
    // the user's choices, the announcement library and the store hours
    // (service_client_announcements.cpp; announcement_requests.h says what
    // each does). Without a service link they fail and change nothing.
    virtual bool load_anne_list(std::vector<anne_record>& out, bool refresh);
    virtual void reload_anne_records(const std::vector<anne_record>& list);
    virtual void update_anne_record(const anne_record& record);
    virtual bool load_anne_library(const stringx kind_letter, std::vector<anne_record>& out);
    virtual bool update_store_hours(const stringx open_hour, const stringx open_minute, const stringx close_hour,
                                    const stringx close_minute);
    // Slots 15 to 20: the store's announcement reservations
    // (reservation_requests.h).
    virtual bool list_anne_schedule(std::vector<anne_schedule_record>& out);
    virtual bool insert_anne_schedule(const stringx anne_code, const stringx title, const stringx category_k,
                                      const stringx category_e, timex_span playtime, int weekday_mask,
                                      timex_span apptime, int volume, bool mute,
                                      std::vector<anne_schedule_record>& out);
    virtual bool update_anne_schedule(const stringx listkey, const stringx comkey, timex_span playtime,
                                      int weekday_mask, timex_span apptime, int volume, bool mute,
                                      std::vector<anne_schedule_record>& out);
    virtual bool delete_anne_schedule(const stringx listkey, const stringx comkey, const stringx category_e,
                                      std::vector<anne_schedule_record>& out);
    virtual bool get_anne_schedule(const stringx listkey, std::vector<anne_schedule_record>& out);
    virtual bool apply_anne_schedule();

    // Slots 21 and 22: the title under which the current channel was started.
    virtual stringx get_title();
    virtual void set_title(const stringx title);
    // Slot 23: the first record of the channel list with that id becomes the
    // current channel; nothing changes when none has it.
    virtual void select_channel_by_key(int id);
    // Slot 24: the current channel (id 0 and empty texts at first).
    virtual channel_record* current_channel();
    // Slot 25: the favourite channels' names in the order they were added;
    // callers may change the vector.
    virtual std::vector<stringx>* favourites();
    // Slots 26 and 27: a favourite added unless empty or present already, and
    // removed; names compare without regard to case.
    virtual void add_favourite(const stringx name);
    virtual void remove_favourite(const stringx name);
    // Slot 28.
    virtual ~service_client();

    // select_channel_checked in two steps, so that the request can be sent
    // on another thread: checked_request logs the selection, sets the title
    // option and gives the request (send it anywhere); take_checked_reply
    // reads its reply exactly as select_channel_checked does. Both on the
    // user-interface thread.
    service_request checked_request(int chkey);
    bool take_checked_reply(int chkey, const service_reply& reply, std::vector<track_record>& out,
                            stringx& error_text);
    // get_channel_tracks in two steps likewise: the request, then its reply
    // read exactly as get_channel_tracks does.
    service_request channel_tracks_request(int chkey, const stringx& title);
    bool take_channel_tracks_reply(int chkey, const service_reply& reply, std::vector<track_record>& out);
    // select_channel (forced) in two steps likewise: select_request gives
    // the request (false, with nothing logged, when chkey is not in the
    // channel list), take_select_reply reads its reply; previous is the
    // current channel's id when the request was made.
    bool select_request(int chkey, service_request& request);
    bool take_select_reply(int chkey, int previous, const service_reply& reply, std::vector<track_record>& out);
    // The tracks of chkey's last successful track reply, kept beyond this run
    // (service_client_services::keep_track_lines); false when none are kept.
    bool saved_tracks(int chkey, std::vector<track_record>& out);
    // How many announcements the object keeps (the last list the service
    // sent); asks the service nothing.
    size_t kept_announcement_count() const { return live_.announcements.size(); }

protected:
    // What the object keeps, live and saved.
    struct channel_state {
        std::vector<channel_record> channels;
        channel_record current;
        std::vector<track_record> tracks;
        std::vector<anne_record> announcements;
        stringx list_title;
        std::vector<stringx> favourite_names;
        // The category whose list channels holds ("" after
        // set_single_channel), and the channel whose tracks tracks holds (0:
        // none): a failed request hands out only what belongs to its own.
        stringx channels_category;
        int tracks_channel = 0;
    };

    // The channel list request; on success the records are appended to list.
    bool request_channels(const stringx& category, std::vector<channel_record>& list);
    // Shows, logs and reports a reply of the channel check script that is not
    // a success; false for those.
    bool channel_reply_ok(const service_reply& reply);
    // The track lines of a successful reply, appended to out.
    static void read_tracks(const service_reply& reply, std::vector<track_record>& out);
    // A successful track reply: it replaces the kept tracks of chkey, which
    // out receives.
    void keep_tracks(int chkey, const service_reply& reply, std::vector<track_record>& out);
    // The kept tracks when they are chkey's.
    void hand_out_kept_tracks(int chkey, std::vector<track_record>& out);
    // True when chkey is the current channel (previous) and its tracks are kept.
    bool same_channel_kept(int chkey, int previous) const;

    service_client_services& services_;
    channel_state live_;
    channel_state saved_;
};

// The user interface's service client (defined with its wiring in the main
// window's library, ui/channel/service_client_wiring.cpp).
service_client* get_service_client();
