#pragma once
// The path line at the top of the library window: what is playing, as a
// path through the tree, or the channel's title.
#include <string>
#include <vector>

struct path_line_input {
    bool first_playlist;               // the track plays from the player's own list (index 0)
    std::wstring track_title;          // the started track's title
    bool playing_node;                 // the tree marks a playing category
    std::vector<std::wstring> path;    // that node's texts, root first
    std::wstring channel_title;        // the current channel's second text
    std::wstring service_title;        // service_client::get_title
    bool channel_is_login_channel;     // option "channel" equals the login's
    std::wstring last_title;           // option "last_title"
    std::wstring login_channel_title;  // login "channeltitle"
};

struct path_line_text {
    std::wstring text;
    bool save;  // also written as "app"/"last_title"
};

// The text the path line shows when a music track starts.
path_line_text make_path_line(const path_line_input& in);
// The texts trimmed and joined by " > ".
std::wstring join_path(const std::vector<std::wstring>& parts);
