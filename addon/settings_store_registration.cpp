// Registration of the settings store in zel_addv2: the singleton under its
// interface, and a start hook that points it at the user's settings file.
#include "init_quit.h"
#include "service_factory.h"
#include "settings_store_impl.h"

namespace {
singleton_factory<settings_store, settings_store_impl> g_settings_store_node;

class settings_store_hooks : public init_quit_hooks {
public:
    void on_init() override { g_settings_store_node.object().on_init(); }
};
singleton_factory<init_quit, settings_store_hooks> g_settings_store_hooks_node;
}  // namespace
