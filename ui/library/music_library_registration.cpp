// Registers the open folder page as the library_add_item target, through
// which the player windows hand it the folders of dropped files.
#include "music_library_page.h"
#include "service_factory.h"

namespace {
singleton_factory<library_add_item, folder_page_add_item> g_folder_page_add_item_node;
}  // namespace
