// The library window's page base and the page factory.
#include "page_view.h"

#include "channel_list_view.h"
#include "store_view_page.h"
#include "music_library_page.h"
#include "radio_page.h"
#include "anne_library_page.h"
#include "today_schedule_page.h"

namespace {

// A page maker builds its page class with the arguments of create_page;
// null when the build failed.
using page_maker = page_view* (*)(const stringx& text, HWND parent, const RECT& rect, library_skin* skin);

// One maker per page type; a type whose page is not built yet has none.
const page_maker makers[8] = {
    make_channel_list_page,  // 0 channel list
    make_radio_page,  // 1 radio
    make_today_page,  // 2 today's announcements
    make_anne_library_page,  // 3 announcement library
    make_music_folder_page,  // 4 music folders
    make_music_cd_page,      // 5 one audio CD drive
    make_store_view,  // 6 store view
    nullptr,  // 7 web page
};

}  // namespace

page_view::page_view() : companion(nullptr), type(-1) {}

page_view::~page_view() {
    if (companion) {
        HWND w = companion->get_hwnd();
        if (w && IsWindow(w)) DestroyWindow(w);
        delete companion;
        companion = nullptr;
    }
}

LRESULT page_view::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_DESTROY && companion) {
        HWND w = companion->get_hwnd();
        if (w && IsWindow(w)) DestroyWindow(w);
        delete companion;
        companion = nullptr;
    }
    return list_view::on_message(msg, wparam, lparam);
}

bool page_type_built(int type) { return type >= 0 && type < 8 && makers[type] != nullptr; }

page_view* create_page(int type, const stringx& text, HWND parent, const RECT& rect, library_skin* skin) {
    if (!page_type_built(type)) return nullptr;
    page_view* page = makers[type](text, parent, rect, skin);
    if (page) page->type = type;
    return page;
}
