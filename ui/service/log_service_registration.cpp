// zel_ui's log service and its hooks: the login opens the logged-in user's
// log files, the settings store tells who that user is, and the shutdown
// stops the flush timer (the last lines are written when the library goes).
#include "core.h"
#include "init_quit.h"
#include "log_writer.h"
#include "login_listener.h"
#include "service_factory.h"
#include "settings_store.h"

namespace {
singleton_factory<log_service, log_writer> g_log_node;

class log_user_listener : public settings_listener {
public:
    void on_user_changed(const wchar_t* user) override { g_log_node.object().set_current_user(user); }
};
log_user_listener g_user_listener;

class log_login_hook : public singleton_component<login_listener> {
public:
    void on_login(bool) override { g_log_node.object().open_logs(g_log_node.object().current_user().c_str()); }
};
singleton_factory<login_listener, log_login_hook> g_login_node;

class log_hooks : public init_quit_hooks {
public:
    void on_init() override {
        component* c = core::enum_create_component(settings_store::iid, 0);
        if (c) static_cast<settings_store*>(c)->add_listener(&g_user_listener);
    }
    void on_quit() override { g_log_node.object().kill(); }
};
singleton_factory<init_quit, log_hooks> g_hooks_node;
}  // namespace
