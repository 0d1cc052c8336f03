// Registration of the instance services in zel_addv2: the instance registry
// with its start and stop hooks, and the launcher link with its close hook
// and its channel listener.
#include "component.h"
#include "init_quit.h"
#include "instance_registry_impl.h"
#include "launcher_link_impl.h"
#include "interfaces/channel_changed_event.h"
#include "service_factory.h"

namespace {

singleton_factory<instance_registry, instance_registry_impl> g_instance_registry_node;

class instance_registry_hooks : public init_quit_hooks {
public:
    void on_init() override { g_instance_registry_node.object().on_init(); }
    void on_quit() override { g_instance_registry_node.object().on_quit(); }
};
singleton_factory<init_quit, instance_registry_hooks> g_instance_registry_hooks_node;

// The link makes its client window with zel_addv2's own module handle.
class registered_launcher_link : public launcher_link_impl {
public:
    registered_launcher_link() { set_module_source(&get_module_instance); }
};
singleton_factory<launcher_link, registered_launcher_link> g_launcher_link_node;

class launcher_link_hooks : public init_quit_hooks {
public:
    void on_ui_closing() override { g_launcher_link_node.object().on_ui_closing(); }
};
singleton_factory<init_quit, launcher_link_hooks> g_launcher_link_hooks_node;

class launcher_channel_listener : public singleton_component<channel_changed_event> {
public:
    void on_channel_changed(const wchar_t* title) override {
        g_launcher_link_node.object().on_channel_changed(title);
    }
};
singleton_factory<channel_changed_event, launcher_channel_listener> g_launcher_channel_node;

}  // namespace
