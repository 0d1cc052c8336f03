// The services of zel_output.dll: the manager (singleton) and the output
// (per use: each request is the manager's current()). The capture control
// registers itself in capture_hub.cpp.
#include "output_manager_impl.h"
#include "service_factory.h"

namespace {
singleton_factory<output_manager, output_manager_impl> g_manager_node;

class output_node : public service_factory {
public:
    output_node() : service_factory(output::iid) {}
    component* create() override { return g_manager_node.object().current(); }
};
output_node g_output_node;
}  // namespace

output_manager_impl& output_manager_instance() { return g_manager_node.object(); }
