// The player's channel track list: the music player and the track cache of
// the registry, the login's music cache setting, the service client's
// current channel, the per-user settings store.
#include "channel_track_list.h"
#include "config_var2.h"
#include "core.h"
#include "login_manager.h"
#include "service_client.h"
#include "track_cache.h"

namespace {

void (*g_view_count)(int) = nullptr;

class player_channel_track_services : public channel_track_services {
public:
    play_manager* music_player() override { return core::get_player(true); }

    track_cache* music_cache() override {
        component* c = core::enum_create_component(track_cache::iid, 0);
        if (!c) return nullptr;
        if (get_login_manager()->get_play_settings()[0] == 0) {
            c->release();
            return nullptr;
        }
        return static_cast<track_cache*>(c);
    }
    void release_cache(track_cache* cache) override { cache->release(); }

    int current_channel_id() override { return get_service_client()->current_channel()->id; }
    stringx list_title() override { return get_service_client()->get_title(); }

    void store_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override {
        config_var2().write(section, key, value);
    }
    // The now-playing list's count, once the list exists.
    void set_view_count(int rows) override {
        if (g_view_count) g_view_count(rows);
    }
};

}  // namespace

channel_track_list* get_channel_track_list() {
    static player_channel_track_services services;
    static channel_track_list list(services);
    return &list;
}

void set_channel_view_counter(void (*counter)(int rows)) { g_view_count = counter; }
