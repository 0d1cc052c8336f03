// zel_in_std's services for the service's tracks: the track stream, the
// track cache, the network options, and their start and stop hooks.
#include "init_quit.h"
#include "net_options.h"
#include "service_factory.h"
#include "track_cache_impl.h"
#include "track_net.h"
#include "zel_stream.h"

namespace {
per_use_factory<stream, zel_stream> g_zel_stream_node;

singleton_factory<track_cache, track_cache_impl> g_track_cache_node;

class net_options_impl : public singleton_component<net_options> {
public:
    void set_packet_retry(bool on) override { track_net::packet_retry = on; }
    void set_linger_ms(int ms) override { track_net::linger_ms = ms; }
};
singleton_factory<net_options, net_options_impl> g_net_options_node;

class track_cache_hooks : public init_quit_hooks {
public:
    void on_ui_ready() override { g_track_cache_node.object().on_ui_ready(); }
    void on_ui_closing() override { g_track_cache_node.object().on_ui_closing(); }
};
singleton_factory<init_quit, track_cache_hooks> g_track_cache_hooks_node;

class network_hooks : public init_quit_hooks {
public:
    void on_quit() override { track_net::network_shut_down(); }
};
singleton_factory<init_quit, network_hooks> g_network_hooks_node;
}  // namespace
