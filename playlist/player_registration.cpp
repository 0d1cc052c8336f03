// The two players (music 0, announcements 1) and their hooks, as registry
// singletons. The players are defined before the hooks, which refer to them.
#include "player.h"
#include "player_hooks.h"
#include "service_factory.h"

namespace {

class music_player_object : public player {
public:
    music_player_object() : player(0) {}
};

class announcement_player_object : public player {
public:
    announcement_player_object() : player(1) {}
};

singleton_factory<play_manager, music_player_object> music_node;
singleton_factory<play_manager, announcement_player_object> announcement_node;

class hooks_object : public player_hooks {
public:
    hooks_object() : player_hooks(music_node.object(), announcement_node.object()) {}
};

singleton_factory<init_quit, hooks_object> hooks_node;

}  // namespace
