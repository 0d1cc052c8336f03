#pragma once
// player_options: the one block of options of the user-interface library,
// read and written directly by its windows, dialogs and listeners on the
// user-interface thread (get_player_options()).
//
// Two homes hold the options: the INI file "zel_player.ini" (section "app",
// read before anybody logs in; section "client", written only) and the
// per-user settings store (sections "app" and "folders" of the user who is
// logged in). Every value is text there: booleans and whole numbers as
// decimal text, music_volume_rate as a whole percentage, channel as the
// list name and the channel id joined by "|".
//
// The loads push the values to the other components through option_targets
// (option_targets.h), so that tests can watch them; the registered
// components are reached through component_option_targets (ui/channel).
#include <vector>
#include "login_services.h"
#include "play_option_rules.h"
#include "service_records.h"
#include "stringx.h"

class option_targets;

// One home of options: the INI file or the per-user store.
class option_home {
public:
    virtual ~option_home() = default;
    // The value trimmed of blanks and tabs; "" when missing.
    virtual stringx read(const wchar_t* section, const wchar_t* key) = 0;
    virtual void write(const wchar_t* section, const wchar_t* key, const wchar_t* value) = 0;
};

// The INI file (config_var) of the application-data folder; another file
// name in that folder for tests.
class ini_home : public option_home {
public:
    explicit ini_home(const wchar_t* file_name = nullptr);
    ~ini_home() override;
    stringx read(const wchar_t* section, const wchar_t* key) override;
    void write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override;

private:
    class config_var* file_;
};

// The per-user store of the current user (config_var2): without a
// registered settings store reads give "" and writes do nothing.
class store_home : public option_home {
public:
    stringx read(const wchar_t* section, const wchar_t* key) override;
    void write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override;
};

// The block: the options that the login reads and fills (login_options,
// the login's view of this same block), and those only the user interface
// keeps.
struct player_options : login_options {
    bool password_save = false;
    bool auto_login = false;
    bool auto_start = false;
    int anne_preparing_count = 0;
    stringx user_id;
    stringx password;
    bool live_anne_on = false;
    anne_record live_anne;
};

// The block of the library, with the initial values above at load.
player_options& get_player_options();

// The music player's volume: volume x music_volume_rate, rounded to the
// nearest whole number (music_volume_of).
unsigned music_player_volume(const player_options& options);

// The load at start: section "app" of the INI file, before any login; then
// the network and output values go to the components.
void load_start_options(player_options& options, option_home& ini, option_targets& targets);
// The load at every login, after the store was switched to the user: the
// store's keys, the favourites, then every component gets its values.
void load_options(player_options& options, option_home& store, option_targets& targets);
// The same on the library's block, its store and the registered components
// is load_options() of component_option_targets.h.

// What the main window saves when it is destroyed. channel is the value
// for "channel" (saved_channel_value), written only when last_channel is
// on; expanded is main_ui::expanded.
void save_options(const player_options& options, option_home& store, option_targets& targets,
                  const stringx& channel, bool expanded);
// "<list name>|<id>" while a channel of the service plays from a playlist
// other than the first one (channel_list_active) and its id is not 0;
// else an empty value.
stringx saved_channel_value(bool channel_list_active, const stringx& list_name, int channel_id);

// Section "folders" of the store: the folders of the music library, written
// again from "folder0" on; keys beyond them that hold a value are emptied.
void save_folder_list(option_home& store, const std::vector<stringx>& folders);
std::vector<stringx> read_folder_list(option_home& store);

// Section "client" of the INI file (written, read by no part of the player):
// the user id of the last successful login, and the service's "server"
// value "address|port" split into "address" and "port" (only when it has
// exactly two parts).
void write_client_id(option_home& ini, const stringx& user_id);
void write_client_server(option_home& ini, const stringx& server);
