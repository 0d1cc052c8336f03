// zel_in_std's Audio CD services. Each node goes to the head of the
// library's list as its initializer runs; these must run before those of
// registration.cpp, so that the MPEG input and tag stay the first of the
// library under their interfaces.
#include "cd_input.h"
#include "cd_tag.h"
#include "cd_tool_impl.h"
#include "cda_expander.h"
#include "file_type.h"
#include "media_change_window.h"
#include "service_factory.h"

namespace {
class cd_file_type : public singleton_component<file_type> {
public:
    const wchar_t* description() override { return L"Audio CD"; }
    const wchar_t* extensions() override { return L"*.cda"; }
};

per_use_factory<input, cd_input> g_cd_input_node;
per_use_factory<tag, cd_tag> g_cd_tag_node;
singleton_factory<path_expander, cda_expander> g_cda_expander_node;
singleton_factory<file_type, cd_file_type> g_cd_file_type_node;
singleton_factory<cd_tool, cd_tool_impl> g_cd_tool_node;
singleton_factory<init_quit, media_change_window> g_media_change_node;
}  // namespace
