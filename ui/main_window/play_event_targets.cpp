// The bridges' targets in the running player: the windows main_ui knows, the
// core's music player and the log service.
#include "core.h"
#include "log_service.h"
#include "main_ui.h"
#include "play_event_bridge.h"

namespace {
main_ui* user_interface() { return static_cast<main_ui*>(core::enum_create_component(main_ui::iid, 0)); }

class library_targets : public play_event_targets {
public:
    HWND main_window() override {
        main_ui* ui = user_interface();
        return ui ? ui->main_window() : nullptr;
    }
    HWND playlist_window() override {
        main_ui* ui = user_interface();
        return ui ? ui->playlist_window() : nullptr;
    }
    play_manager* music_player() override { return core::get_player(true); }
    void write_log(const wchar_t* line) override {
        component* log = core::enum_create_component(log_service::iid, 0);
        if (log) static_cast<log_service*>(log)->write_log(line);
    }
};
}  // namespace

play_event_targets& library_play_event_targets() {
    static library_targets targets;
    return targets;
}
