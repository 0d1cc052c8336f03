// Loading the player options of the logged-in user from the settings store
// (section "app"), in the order of the keys, and handing them to the
// services that keep copies of them.
#include "login_services.h"
#include "play_option_rules.h"

namespace {

class app_keys {
public:
    explicit app_keys(login_services& services) : services_(services) {}

    // The key's text; empty when it is missing.
    stringx text(const wchar_t* key) { return services_.store_read(L"app", key); }
    // Its number, or missing_value when the key is missing or empty.
    int number(const wchar_t* key, int missing_value) {
        const stringx value = text(key);
        return value.length() > 0 ? value.toint() : missing_value;
    }
    bool flag(const wchar_t* key, bool missing_value) { return number(key, missing_value ? 1 : 0) != 0; }

private:
    login_services& services_;
};

}  // namespace

void login_services::load_options() { load_login_options(*this); }

void load_login_options(login_services& services) {
    login_options& o = services.options();
    app_keys keys(services);
    services.clear_favourites();

    o.max_bps = keys.number(L"max_bps", 60);
    if (o.max_bps < 20 || o.max_bps > 1000) o.max_bps = 60;
    o.last_channel = keys.flag(L"last_channel", false);
    o.channel = keys.text(L"channel");
    o.last_title = keys.text(L"last_title");
    o.volume = static_cast<unsigned>(keys.number(L"volume", 1000));
    o.music_volume_rate = static_cast<float>(keys.number(L"music_volume_rate", 100) * 0.01);
    if (!(o.music_volume_rate > 0.0f) || o.music_volume_rate > 1.0f) o.music_volume_rate = 1.0f;
    o.info_volume = static_cast<unsigned>(keys.number(L"info_volume", 1000));
    o.norm = keys.flag(L"norm", false);
    o.norm_scale = keys.number(L"norm_scale", 5);
    o.priority = keys.number(L"priority", 1);
    o.packet_retry = keys.flag(L"packet_retry", false);
    services.set_packet_retry(o.packet_retry);
    o.maximize = keys.flag(L"maximize", false);
    o.skin = keys.number(L"skin", o.skin);
    o.output_type = keys.number(L"output_type", 0);
    o.output_buffer = keys.number(L"output_buffer", 3000);
    // Under the launcher the device is the one the launcher gave.
    if (services.launcher_connected())
        o.maximize = false;
    else
        o.device = keys.number(L"device", 0);
    services.set_output_buffer(o.output_buffer);
    services.select_output(o.output_type, o.device);

    o.always_top = keys.flag(L"always_top", o.always_top);
    o.tray_when_minimize = keys.flag(L"tray_when_minimize", o.tray_when_minimize);
    o.show_title_when_tray = keys.flag(L"show_title_when_tray", o.show_title_when_tray);
    o.mute = keys.flag(L"mute", false);
    o.info_mute = keys.flag(L"info_mute", false);
    o.play_method = keys.number(L"play_method", 0);
    o.eq_preset = keys.number(L"eq_preset", 0);

    for (int n = 0; n < 1000; ++n) {
        stringx key;
        key.format(L"favorates%d", n);
        const stringx favourite = keys.text(key.wvalue());
        if (favourite.length() > 0) services.add_favourite(favourite.wvalue());
    }

    services.set_play_mode(play_mode_of(o.play_method));
    services.set_normalize(o.norm, o.norm_scale);
    services.set_playback_priority(o.priority);
    services.set_rate_limit(o.max_bps * 1000);
    services.set_music_volume(music_volume_of(o.volume, o.music_volume_rate));
    services.set_music_mute(o.mute);
    services.set_always_on_top(o.always_top);
}
