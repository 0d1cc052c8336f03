// Registration of the volume ducker in zel_addv2: the service and its start
// and stop hooks.
#include "init_quit.h"
#include "service_factory.h"
#include "volume_ducker_impl.h"

namespace {

singleton_factory<volume_ducker, volume_ducker_impl> g_volume_ducker_node;

class volume_ducker_hooks : public init_quit_hooks {
public:
    void on_init() override { g_volume_ducker_node.object().on_init(); }
    void on_quit() override { g_volume_ducker_node.object().on_quit(); }
};
singleton_factory<init_quit, volume_ducker_hooks> g_volume_ducker_hooks_node;

}  // namespace
