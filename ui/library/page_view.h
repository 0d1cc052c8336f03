#pragma once
// page_view: a page of the library window's right side, a skinned list view
// that may own a second window below it (its companion, such as the file
// list under the folder list). create_page makes the page of a page type;
// the library window owns the page, places it and its companion, forwards
// 1945, 1946 and 1947 to it and destroys it when another node is chosen.
//
// Page types (the low 16 bits of a tree node's code): 0 channel list,
// 1 radio, 2 today's announcements, 3 announcement library, 4 music
// folders, 5 one audio CD drive, 6 store view, 7 web page. A type whose page
// is not built yet has no maker: create_page answers null and the right
// side stays empty. User-interface thread only.
#include <windows.h>

#include "list_view.h"
#include "stringx.h"

class library_skin;

// A companion window the page owns: a window handle and a deleting
// destructor.
class page_companion {
public:
    virtual ~page_companion() = default;
    virtual HWND get_hwnd() const = 0;
};

class page_view : public list_view {
public:
    page_view();
    ~page_view() override;

    // The window handle of the page (its list view's container).
    HWND get_hwnd() const { return get_container(); }
    // On WM_DESTROY the companion's window (when still a window) is
    // destroyed and the companion deleted; every message then goes on to
    // list_view.
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

    page_companion* companion;  // owned; null without one
    int type;                   // 0-7, set by create_page
};

// Builds the page of a type: text is the node's key text (type 5 takes its
// first character as the drive letter), parent the library window, rect the
// page's place in its client coordinates, skin the window's images. Null for
// a type without a page.
page_view* create_page(int type, const stringx& text, HWND parent, const RECT& rect, library_skin* skin);

// Whether create_page makes a page of the type.
bool page_type_built(int type);
