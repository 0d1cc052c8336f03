// The running player's services of the channel list page, and the page's
// maker for the page factory.
#include <memory>

#include "channel_list_view.h"
#include "channel_track_list.h"
#include "core.h"
#include "login_manager.h"
#include "main_ui.h"
#include "report_identity.h"
#include "service_client.h"
#include "skin_tree.h"

namespace {

const wchar_t caption[] = L"VOLQUIN 플레이어";

skin_tree* library_tree = nullptr;

class player_channel_page_services : public channel_page_services {
public:
    service_client& client() override { return *get_service_client(); }
    bool logged_in() override { return get_login_manager()->is_logged_in(); }
    std::vector<std::wstring> category_keys() override {
        std::vector<std::wstring> keys;
        for (const category_record& c : get_login_manager()->get_categories(0)) {
            const wchar_t* key = c.key.wvalue();
            keys.push_back(key ? key : L"");
        }
        return keys;
    }
    void play_channel(const std::vector<track_record>& tracks) override {
        if (channel_track_list* list = get_channel_track_list()) list->load(tracks);
    }
    request_identity identity() override { return current_request_identity(); }
    void post(const service_request& request) override { request.send(); }
    void mark_playing_node() override {
        if (library_tree) library_tree->playing_item = library_tree->pressed_item;
    }
    bool expanded() override {
        component* c = core::enum_create_component(main_ui::iid, 0);
        if (!c) return false;
        const bool wide = static_cast<main_ui*>(c)->expanded();
        c->release();
        return wide;
    }
    bool add_file(const std::wstring& path, std::vector<list_info>& entries) override {
        return core::add_file(path.c_str(), entries);
    }
    void message(HWND owner, const std::wstring& text) override {
        MessageBoxW(owner, text.c_str(), caption, MB_OK);
    }
};

channel_page_services* chosen = nullptr;

}  // namespace

void set_channel_page_services(channel_page_services* services) { chosen = services; }

channel_page_services& current_channel_page_services() {
    static player_channel_page_services player;
    return chosen ? *chosen : player;
}

void set_channel_page_tree(skin_tree* tree) { library_tree = tree; }

page_view* make_channel_list_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin) {
    std::unique_ptr<channel_list_view> page(new channel_list_view(current_channel_page_services()));
    if (!page->build(text, parent, rect, skin)) return nullptr;
    return page.release();
}
