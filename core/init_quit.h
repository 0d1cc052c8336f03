#pragma once
// Start and stop hooks. Every registered object is called in turn; an
// implementation leaves the slots it does not need empty.
//   on_init        host program, right after core::load_library
//   on_ui_ready    main_ui::run, after the main window is shown
//   on_ui_closing  the main window, when it is destroyed
//   on_quit        host program, after its message loop, before core::free_library
#include "component.h"

class init_quit : public component {
public:
    static constexpr GUID iid = {0x335431D4, 0x5F3F, 0x485B, {0xB5, 0xC2, 0xFB, 0xA0, 0x14, 0x2B, 0xE8, 0xA8}};

    virtual void on_init() {}
    virtual void on_ui_ready() {}
    virtual void on_ui_closing() {}
    virtual void on_quit() {}
};

// Singleton hook objects derive from this.
class init_quit_hooks : public singleton_component<init_quit> {};
