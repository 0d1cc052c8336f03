#pragma once
// The private window messages of zel_ui: the numbers by which its windows
// talk to each other and by which listeners on other threads reach the
// windows. Records passed in lParam by the play-event bridges belong to the
// bridges (see play_event_bridge.h for how a receiver reads them).
#include <windows.h>

enum window_message : UINT {
    msg_cd_drive_changed = 1025,
    msg_header_check_all = 1025,
    msg_reservation_edited = 1124,
    msg_expanded_mode = 1924,
    msg_track_finished = 1925,
    msg_track_position = 1926,
    msg_audio_data = 1927,
    msg_track_format = 1929,
    msg_play_error = 1931,
    msg_track_started = 1932,
    msg_track_stopped = 1933,
    msg_pause_changed = 1934,
    msg_next_track = 1935,
    msg_previous_track = 1936,
    msg_entries_removed = 1937,
    msg_playlist_changed = 1938,
    msg_entry_added = 1939,
    msg_entry_inserted = 1940,
    msg_entry_removed = 1941,
    msg_schedule_changed = 1942,
    msg_anne_play_now = 1943,
    msg_library_command = 1944,
    msg_store_list_changed = 1945,
    msg_store_record_changed = 1946,
    msg_library_enqueue = 1947,
    msg_anne_handover = 1948,
    msg_list_view_notify = 2024,
    msg_cell_clicked = 2025,
    msg_tray_notify = 2234,
    msg_transport_state = 8001,
    msg_info_window_refresh = 8080,
    msg_splitter_moved = 10452,
    // 10524 msg_skin_resized: the skin engine's, declared in skin.h.
    msg_ctl_colour = 10525,
    // The reply of the channel request running on a worker is there
    // (channel_service::finish_checked_fetch).
    msg_channel_fetched = WM_APP + 42,
    // The login's request is on its way (wParam 1) or has ended (wParam 0):
    // the main window says that it logs in meanwhile.
    msg_login_state = WM_APP + 43,
    // The reply of a channel refill that was still on its way when its
    // track started is there (playlist_view_services::late_refill).
    msg_channel_refilled = WM_APP + 44,
    // The announcement window forgets the title of a play-now through a fade,
    // so that its on-air caption shows the record's own title.
    msg_info_clear_title = WM_APP + 45,
};
