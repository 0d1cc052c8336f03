#pragma once
// The server notice: what most senders show when the service says that the
// user's login has expired. The reply's "message" is shown in a modal box
// owned by the main window, with OK and Cancel when the reply also names a
// page ("url"), OK alone otherwise; OK opens the page in the browser. A notice
// without a message shows nothing, even when a page is named.
//
// User-interface thread. The box and the browser go through a notice_display
// that tests replace.
#include <windows.h>
#include "service_reply.h"
#include "stringx.h"

class notice_display {
public:
    virtual ~notice_display() {}
    // MessageBoxW; the button pressed.
    virtual int message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
    // Opens the page with the shell verb "open" on the program "iexplore".
    virtual void open_page(const wchar_t* url) = 0;
};

// Replaces the display (null: the system's own); the previous one.
notice_display* set_notice_display(notice_display* display);

// The caption of the player's message boxes.
extern const wchar_t player_caption[];

// Shows the notice of message and url (as parse_reply gives them).
void show_server_notice(const stringx& message, const stringx& url);
// parse_reply of the reply's lines, then the notice.
void show_server_notice(const service_reply& reply);
