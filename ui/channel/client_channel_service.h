#pragma once
// client_channel_service: the main window's channel requests given to the
// player's service client (get_service_client) and its channel track list
// (get_channel_track_list). The tracks a fetch or a checked selection got
// are kept here until load_fetched hands them to the channel track list.
//
// The store's announcements are counted from the service client's list.
// User-interface thread only.
#include <vector>
#include "channel_service.h"
#include "request_worker.h"
#include "service_records.h"

class client_channel_service : public channel_service {
public:
    bool is_logged_in() override;
    bool fetch_channel_tracks(unsigned id, const stringx& title) override;
    void set_single_channel(unsigned id, const stringx& title) override;
    void select_channel_by_key(unsigned id) override;
    void set_title(const stringx& title) override;
    void load_fetched() override;
    bool get_channel_list(const stringx& list_name) override;
    bool select_channel_checked() override;
    unsigned current_channel_id() override;
    stringx current_channel_title() override;
    stringx list_title() override;
    double first_track_offset() override;
    // kind 0: the kept list (asked for when none is kept); any other kind:
    // the list asked for anew.
    int announcement_count(int kind) override;
    void save_channel_state() override;
    void restore_channel_state() override;
    bool fetch_saved_tracks() override;
    bool start_checked_fetch(HWND window, UINT message) override;
    fetch_result finish_checked_fetch() override;
    bool last_check_refused() override { return refused_; }

private:
    std::vector<track_record> fetched_;
    request_worker worker_;
    int worker_channel_ = 0;  // the channel worker_ asks for
    bool refused_ = false;
};
