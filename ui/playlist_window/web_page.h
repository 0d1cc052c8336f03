#pragma once
// web_page: one web browser control of a dialog, as the playlist window uses
// it: open a page in the control (menu bar off, an event receiver
// connected), hide the page's scroll bars, let go of the browser.
//
// make_browser_page gives the real one: the control is asked for its object
// with the registered message "WM_ATLGETCONTROL" and then for
// IWebBrowserApp; a control that does not answer either is skipped without
// a message (open returns false). Tests hand the window pages of their own.
#include <windows.h>

#include <memory>
#include <string>

class browser_event_sink;

class web_page {
public:
    virtual ~web_page() = default;
    // Lets go of the browser of an earlier open first; false when the
    // control has no browser.
    virtual bool open(HWND control, browser_event_sink* sink, const std::wstring& url) = 0;
    // The opened page's body gets scroll "no".
    virtual void hide_scroll_bars() = 0;
    virtual void release() = 0;
};

std::unique_ptr<web_page> make_browser_page();
