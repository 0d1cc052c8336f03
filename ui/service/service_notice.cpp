#include "service_notice.h"
#include <shellapi.h>
#include "core.h"
#include "interfaces/main_ui.h"

const wchar_t player_caption[] = L"VOLQUIN 플레이어";

namespace {

class system_notice_display : public notice_display {
public:
    int message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
        return MessageBoxW(owner, text, caption, type);
    }
    void open_page(const wchar_t* url) override {
        ShellExecuteW(nullptr, L"open", L"iexplore", url, nullptr, SW_SHOWNORMAL);
    }
};

system_notice_display g_system_display;
notice_display* g_display = &g_system_display;

// The main window, when the user interface runs; null before it.
HWND main_window() {
    component* c = core::enum_create_component(main_ui::iid, 0);
    if (!c) return nullptr;
    HWND window = static_cast<main_ui*>(c)->main_window();
    c->release();
    return window;
}

}  // namespace

notice_display* set_notice_display(notice_display* display) {
    notice_display* previous = g_display;
    g_display = display ? display : &g_system_display;
    return previous;
}

void show_server_notice(const stringx& message, const stringx& url) {
    if (message.length() == 0) return;
    bool page = url.length() > 0;
    int pressed = g_display->message_box(main_window(), message.wvalue(), player_caption, page ? MB_OKCANCEL : MB_OK);
    if (pressed == IDOK && page) g_display->open_page(url.wvalue());
}

void show_server_notice(const service_reply& reply) {
    stringx message, url;
    parse_reply(reply.lines(), message, url);
    show_server_notice(message, url);
}
