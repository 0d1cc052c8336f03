#pragma once
// What the login needs of the rest of the player: the options block it reads
// and fills, the per-user settings store, the INI file, the instance registry,
// the launcher link, the sound-device chooser, the output manager, the
// playback settings, the stream readers' network options, the track cache,
// the music player, the window docker, the service client's favourites, the
// skin listeners, the channel reservation and the log.
//
// login_manager reaches all of them through one login_services object, so
// that a test can stand in for any of them and so that a service built later
// is wired in by overriding one operation. registry_login_services (below) is
// the player's own: it looks every service up in the component registry at
// each call and skips the step when the service is missing.
//
// Everything runs on the user-interface thread, during a login.
#include <windows.h>
#include "stringx.h"

// The player options that the login reads and writes, named and initialised
// as the options block of the user interface names them.
struct login_options {
    bool last_channel = true;
    stringx channel;        // list name and channel id joined by "|"
    stringx login_channel;  // `channel` as it was when the last login started
    unsigned volume = 0;       // 0 to 1000
    unsigned info_volume = 0;  // 0 to 1000
    int max_bps = 60;          // KB per second
    bool packet_retry = false;
    bool anne_volume_linkage_off = false;
    int fadeinout_time = 6000;
    int fadedirect_time = 1000;
    int anne_refresh_time = -1;
    stringx channel_title;
    stringx last_title;
    bool norm = true;
    int norm_scale = 5;
    int play_method = 0;
    int priority = 1;
    int output_buffer = 3000;
    int output_type = 0;
    int vm = 0;
    int skin = 1;
    int device = 0;
    bool always_top = false;
    bool tray_when_minimize = true;
    bool show_title_when_tray = true;
    bool mute = false;
    bool info_mute = false;
    bool maximize = false;
    int server_maximize = 9;  // 9: the reply sent none
    unsigned list_limit = 10;
    int eq_preset = 0;
    float music_volume_rate = 1.0f;
    stringx usermac;  // the PC identity, collected at start-up
    stringx pc_ostime;
    stringx pc_pgtime;
    stringx hddidx;
    stringx server_password;  // the password the last login returned
    bool listenlog = false;
    int skip = 0;
};

class login_services {
public:
    virtual ~login_services() {}

    // The options block.
    virtual login_options& options() = 0;

    // The per-user settings store. Without one, reads give "" and writes do
    // nothing.
    virtual bool has_settings_store() = 0;
    virtual void set_store_user(const wchar_t* user) = 0;
    virtual stringx store_read(const wchar_t* section, const wchar_t* key) = 0;
    virtual void store_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) = 0;

    // The INI file "zel_player.ini".
    virtual stringx ini_read(const wchar_t* section, const wchar_t* key) = 0;
    virtual void ini_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) = 0;

    // The instance registry: whether a running player instance holds the
    // user id or plays on the sound device; entering this instance.
    virtual bool user_in_use(const wchar_t* user) = 0;
    virtual bool device_in_use(int device) = 0;
    virtual void register_instance(const wchar_t* user, int device) = 0;

    // The launcher link: whether this player runs under the launcher; a
    // new launcher for the stores of a multi-store login (false when there is
    // no launcher link or the launcher could not start).
    virtual bool launcher_connected() = 0;
    virtual bool start_launcher(const wchar_t* user, const wchar_t* password, const wchar_t* stores) = 0;

    // The sound-device chooser, modal over parent: the device chosen, or -1
    // when the user cancelled.
    virtual int choose_device(HWND parent, int output_type, int device) = 0;

    // The output manager.
    virtual int output_device_count(int output_type) = 0;
    virtual void select_output(int output_type, int device) = 0;
    virtual void set_output_buffer(int ms) = 0;

    // The playback settings, when registered (nothing otherwise).
    virtual void set_normalize(bool enabled, int scale) = 0;
    virtual void set_playback_priority(int priority) = 0;

    // Every network options object of the stream readers.
    virtual void set_packet_retry(bool on) = 0;
    virtual void set_linger_ms(int ms) = 0;

    // The log service's played-tracks switch (the reply's "listenlog").
    virtual void set_played_log(bool on) = 0;

    // The track cache.
    virtual void set_rate_limit(int bytes_per_second) = 0;
    virtual void set_cache_limits(int first, int music_files, int info_files) = 0;

    // The music player and the window docker.
    virtual void set_play_mode(int mode) = 0;
    virtual void set_music_volume(unsigned volume) = 0;
    virtual void set_music_mute(bool mute) = 0;
    virtual void set_always_on_top(bool on) = 0;

    // The service client's favourite channels.
    virtual void clear_favourites() = 0;
    virtual void add_favourite(const wchar_t* favourite) = 0;

    // Every skin listener.
    virtual void tell_skin(int skin) = 0;
    // The channel reservation, when it exists: the login number for its
    // requests and its check interval.
    virtual void configure_reservation(const wchar_t* loginno, bool enabled, int seconds) = 0;

    // A line of the general log.
    virtual void write_log(const wchar_t* text) = 0;

    // Loads the user's options from the settings store into the block and
    // hands them to the services (the login calls it when a store is
    // registered). The default is load_login_options below.
    virtual void load_options();
};

// Where registry_login_services::configure_reservation hands the login
// reply's reservation values (the login number, whether reservations play,
// their refresh period in seconds); null: nowhere. Set once while the
// library that has the reservations loads.
void set_reservation_configurer(void (*configure)(const wchar_t* loginno, bool enabled, int seconds));

// Loading the options at login: the favourites, the keys of section "app"
// of the user's store in their order, and what they set in the output
// manager, the network options, the playback settings, the track cache, the
// music player and the window docker.
void load_login_options(login_services& services);

// The player's own services, each looked up in the component registry at
// every call: the settings store (config_var2), the output manager, the
// playback settings, the network options, the track cache, the music player
// and the log service, the instance registry and the launcher link (both of
// zel_addv2; without it no other instance holds a user or device and no
// launcher is connected or started), the window docker and every skin
// listener. The device chooser and the favourites act as absent here: the
// chooser is cancelled. The user interface's own object
// (player_login_services) keeps the favourites in its service client. The
// channel reservation's values go to the configurer set above.
class registry_login_services : public login_services {
public:
    login_options& options() override { return options_; }

    bool has_settings_store() override;
    void set_store_user(const wchar_t* user) override;
    stringx store_read(const wchar_t* section, const wchar_t* key) override;
    void store_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override;
    stringx ini_read(const wchar_t* section, const wchar_t* key) override;
    void ini_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override;
    bool user_in_use(const wchar_t* user) override;
    bool device_in_use(int device) override;
    void register_instance(const wchar_t* user, int device) override;
    bool launcher_connected() override;
    bool start_launcher(const wchar_t* user, const wchar_t* password, const wchar_t* stores) override;
    int choose_device(HWND, int, int) override { return -1; }
    int output_device_count(int output_type) override;
    void select_output(int output_type, int device) override;
    void set_output_buffer(int ms) override;
    void set_normalize(bool enabled, int scale) override;
    void set_playback_priority(int priority) override;
    void set_packet_retry(bool on) override;
    void set_linger_ms(int ms) override;
    void set_played_log(bool on) override;
    void set_rate_limit(int bytes_per_second) override;
    void set_cache_limits(int first, int music_files, int info_files) override;
    void set_play_mode(int mode) override;
    void set_music_volume(unsigned volume) override;
    void set_music_mute(bool mute) override;
    void set_always_on_top(bool on) override;
    void clear_favourites() override {}
    void add_favourite(const wchar_t*) override {}
    void tell_skin(int skin) override;
    void configure_reservation(const wchar_t* loginno, bool enabled, int seconds) override;
    void write_log(const wchar_t* text) override;

private:
    login_options options_;
};
