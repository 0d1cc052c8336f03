// zel_ui's main_ui service. The user interface starts only when a main
// window can be made: until a library registers the main window's service
// (player_window_service), the node hands out nothing, so that the host
// runs without a user interface (and plays a file given to it).
#include "core.h"
#include "player_window_service.h"
#include "service_factory.h"
#include "startup_services.h"
#include "ui_service.h"

namespace {
class ui_service_node : public service_factory {
public:
    ui_service_node() : service_factory(main_ui::iid), services_(&get_module_instance), ui_(services_, &get_module_instance) {}

    component* create() override {
        if (core::enum_count_component(player_window_service::iid) == 0) return nullptr;
        return &ui_;
    }

private:
    registry_startup_services services_;
    ui_service ui_;
};
ui_service_node g_ui_node;
}  // namespace
