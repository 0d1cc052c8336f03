// The launcher link's view of the player through the component registry.
#include "launcher_host.h"

#include "core.h"
#include "interfaces/main_ui.h"
#include "play_manager.h"

namespace {

class registry_host : public launcher_host {
public:
    HWND main_window() override { return ask([](main_ui* ui) { return ui->main_window(); }); }
    HWND info_window() override { return ask([](main_ui* ui) { return ui->info_window(); }); }
    HWND library_window() override { return ask([](main_ui* ui) { return ui->library_window(); }); }
    bool expanded() override {
        component* c = core::enum_create_component(main_ui::iid, 0);
        if (!c)
            return false;
        const bool value = static_cast<main_ui*>(c)->expanded();
        c->release();
        return value;
    }
    bool is_playing(bool music) override {
        play_manager* player = core::get_player(music);
        return player && player->is_playing();
    }

private:
    template <class Fn>
    static HWND ask(Fn fn) {
        component* c = core::enum_create_component(main_ui::iid, 0);
        if (!c)
            return nullptr;
        HWND hwnd = fn(static_cast<main_ui*>(c));
        c->release();
        return hwnd;
    }
};

}  // namespace

launcher_host& registry_launcher_host() {
    static registry_host host;
    return host;
}
