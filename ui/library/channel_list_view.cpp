// The library's channel list page: a category's channels or the favourites.
#include "channel_list_view.h"

#include <commctrl.h>

#include <cwchar>
#include <cwctype>
#include <vector>

#include "library_skin.h"
#include "page_actions.h"
#include "service_client.h"
#include "service_requests.h"
#include "utility.h"
#include "window_messages.h"

namespace {

const wchar_t no_connection_text[] =
    L"서버에 연결할 수 없습니다\n\n인터넷 상태를 확인하신 후 다시 시도하여 주시기 바랍니다.";

// The channel name cell holds "label title\nsubtitle": the part drawn and
// the part the tooltip shows.
std::wstring first_line(const std::wstring& text) { return text.substr(0, text.find(L'\n')); }
std::wstring after_first_line(const std::wstring& text) {
    const size_t at = text.find(L'\n');
    return at == std::wstring::npos ? text : text.substr(at + 1);
}

bool starts_without_case(const std::wstring& text, const wchar_t* prefix) {
    const size_t n = wcslen(prefix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::towlower(text[i]) != std::towlower(prefix[i])) return false;
    return true;
}

bool is_stream_address(const std::wstring& key) {
    for (const wchar_t* scheme : {L"http://", L"mms://", L"mmst://", L"mmsh://", L"mmsu://"})
        if (starts_without_case(key, scheme)) return true;
    return false;
}

std::wstring text_of(const stringx& s) {
    const wchar_t* w = s.wvalue();
    return w ? w : L"";
}

}  // namespace

std::wstring channel_list_view::speed_label(const std::wstring& speed) {
    if (speed == L"fast") return L"[Fast]";
    if (speed == L"slow") return L"[Slow]";
    if (speed == L"nomal") return L"[Normal]";
    if (speed == L"all") return L"[All]";
    return L"";
}

channel_list_view::channel_list_view(channel_page_services& services)
    : s_(services), favourites_(false), name_font_(nullptr), selected_row_(-1) {}

channel_list_view::~channel_list_view() {
    if (name_font_) DeleteObject(name_font_);
}

bool channel_list_view::build(const stringx& key, HWND parent, const RECT& rect, library_skin* skin) {
    key_ = text_of(key);
    favourites_ = _wcsicmp(key_.c_str(), favourites_key) == 0;
    if (skin) {
        const library_scroll_images h = skin->hscroll_images();
        const library_scroll_images v = skin->vscroll_images();
        if (h.channel && h.thumb && h.minus && h.plus) set_hscroll_images(h.channel, h.thumb, h.minus, h.plus);
        if (v.channel && v.thumb && v.minus && v.plus) set_vscroll_images(v.channel, v.thumb, v.minus, v.plus);
    }
    if (!create(parent, &rect, false, 0, 0)) return false;
    HWND list = get_list();
    if (list) SetWindowLongW(list, GWL_STYLE, GetWindowLongW(list, GWL_STYLE) | LVS_SINGLESEL);
    if (favourites_) {
        build_favourites(rect, skin);
    } else {
        build_channels(rect, skin);
    }
    return true;
}

void channel_list_view::build_channels(const RECT& rect, library_skin* skin) {
    const int width = rect.right - rect.left - vbar_width();
    const bool wide = s_.expanded();
    insert_column(column_name, L"이름", 0, 0);
    insert_column(column_title, L"채널명", 0, width - (wide ? 200 : 110));
    insert_column(column_genre, L"장르", 0, wide ? 90 : 0);
    insert_column(column_purpose, L"용도", 0, 0);
    insert_column(column_listen, L"듣기", 2, 50);
    insert_column(column_add, L"즐겨찾기", 0, 60);
    for (int c : {column_name, column_genre, column_purpose, column_listen, column_add}) set_fixed_column(c, true);
    column_images listen;
    listen.alignment = 1;
    if (dib* image = skin ? skin->image(29) : nullptr) listen.images.push_back(image);
    set_column_images(column_listen, listen);
    column_images add;
    add.alignment = 1;
    add.texts.push_back(L"추가");
    set_column_images(column_add, add);

    std::vector<channel_record> records;
    s_.client().get_channel_list(stringx(key_.c_str()), records);
    int row = 0;
    for (const channel_record& r : records) {
        const int at = insert_item(row, r.title.wvalue());
        if (at < 0) continue;
        const std::wstring name = speed_label(text_of(r.tempo)) + L" " + text_of(r.title) + L"\n" +
                                  text_of(r.description);
        set_item_text(at, column_title, name.c_str());
        set_item_text(at, column_genre, r.genre.wvalue());
        set_item_text(at, column_purpose, r.purpose.wvalue());
        set_item_data(at, static_cast<DWORD_PTR>(r.id));
        ++row;
    }
    const channel_record* current = s_.client().current_channel();
    const int current_id = current ? current->id : 0;
    if (current_id == 0) return;
    for (int i = 0; i < get_item_count(); ++i) {
        if (row_id(i) != current_id) continue;
        selected_row_ = i;
        const int top = get_top_index();
        set_item_state(i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ensure_visible(i, FALSE);
        if (has_vbar_ && vbar_.get_hwnd()) vbar_.set_pos(vbar_.get_pos() + get_top_index() - top);
        break;
    }
}

void channel_list_view::build_favourites(const RECT& rect, library_skin* skin) {
    const int width = rect.right - rect.left - vbar_width();
    insert_column(column_key, L"key", 0, 0);
    insert_column(column_favourite_title, L"채널명", 0, width - 110);
    insert_column(column_favourite_listen, L"듣기", 0, 50);
    insert_column(column_remove, L"즐겨찾기", 0, 60);
    for (int c : {column_key, column_favourite_listen, column_remove}) set_fixed_column(c, true);
    column_images listen;
    listen.alignment = 1;
    if (dib* image = skin ? skin->image(29) : nullptr) listen.images.push_back(image);
    set_column_images(column_favourite_listen, listen);
    column_images remove;
    remove.alignment = 1;
    remove.texts.push_back(L"삭제");
    set_column_images(column_remove, remove);

    const bool logged_in = s_.logged_in();
    const std::vector<stringx> names = *s_.client().favourites();
    int row = 0;
    for (const stringx& name : names) {
        const std::wstring text = text_of(name);
        if (text.empty()) continue;
        std::vector<stringx> pieces;
        utility::string_tokenizer(text.c_str(), L"^", pieces);
        if (pieces.size() != 2) continue;
        const std::wstring key = text_of(pieces[0]);
        // Channel favourites need the login; addresses are always listed.
        if (!logged_in && _wtoi(key.c_str()) >= 1) continue;
        const int at = insert_item(row, key.c_str());
        if (at < 0) continue;
        set_item_text(at, column_favourite_title, pieces[1].wvalue());
        ++row;
    }
}

int channel_list_view::row_id(int row) { return static_cast<int>(get_item_data(row)); }

int channel_list_view::first_selected() { return get_next_item(-1, LVNI_SELECTED); }

int channel_list_view::row_height(int height) { return static_cast<int>(height * 1.6); }

void channel_list_view::draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) {
    RECT client = {};
    GetClientRect(get_list(), &client);
    HPEN pen = CreatePen(PS_SOLID, 1, grid_);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, client.left, rect->bottom - 1, nullptr);
    LineTo(dc, rect->right, rect->bottom - 1);
    SelectObject(dc, old);
    DeleteObject(pen);
    RECT cell = *rect;
    cell.top += 1;
    list_view::draw_cell(row, column, dc, &cell, flags);
}

void channel_list_view::draw_cell_text(int, int column, HDC dc, RECT* rect, unsigned flags, int alignment,
                                       const wchar_t* text) {
    UINT align;
    switch (alignment) {
    case 0:
        align = DT_LEFT;
        break;
    case 1:
        align = DT_RIGHT;
        break;
    case 2:
        align = DT_CENTER;
        break;
    default:
        return;
    }
    std::wstring shown = text ? text : L"";
    if (!favourites_ && column == column_title) {
        shown = first_line(shown);
        if (!name_font_) {
            LOGFONTW font = *utility::get_default_logfont(nullptr);
            name_font_ = CreateFontIndirectW(&font);
        }
        SelectObject(dc, name_font_ ? static_cast<HGDIOBJ>(name_font_) : GetStockObject(DEFAULT_GUI_FONT));
    } else {
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (flags & 1) ? selected_text_ : text_);
    RECT area = *rect;
    DrawTextW(dc, shown.c_str(), -1, &area,
              align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
}

stringx channel_list_view::get_cell_text(int row, int column) {
    if (favourites_) {
        if (column == column_favourite_title) return get_item_text(row, column);
        return stringx(L"");
    }
    if (column == column_title) return stringx(after_first_line(text_of(get_item_text(row, column))).c_str());
    return get_item_text(row, column);
}

void channel_list_view::fit_columns(int width) {
    set_column_width(0, 0);
    if (favourites_) {
        set_column_width(column_favourite_listen, 50);
        set_column_width(column_remove, 60);
        set_column_width(column_favourite_title, width - 110);
        return;
    }
    const bool wide = s_.expanded();
    set_column_width(column_genre, wide ? 90 : 0);
    set_column_width(column_purpose, 0);
    set_column_width(column_listen, 50);
    set_column_width(column_add, 60);
    set_column_width(column_title, width - (wide ? 200 : 110));
}

LRESULT channel_list_view::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = list_view::window_proc(msg, wparam, lparam);
    if (msg == WM_SIZE && hwnd_) {
        RECT client = {};
        GetClientRect(hwnd_, &client);
        fit_columns(client.right - client.left);
    }
    return result;
}

LRESULT channel_list_view::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header && get_list() && header->hwndFrom == get_list()) {
            if (header->code == LVN_ITEMCHANGED) on_selection_changed();
            if (header->code == NM_DBLCLK) on_double_click();
        }
    } else if (msg == msg_list_view_notify) {
        on_cell_click(static_cast<int>(wparam), static_cast<int>(lparam));
    }
    return page_view::on_message(msg, wparam, lparam);
}

void channel_list_view::on_selection_changed() {
    const int row = first_selected();
    if (row < 0 || row == selected_row_) return;
    selected_row_ = row;
    if (favourites_) return;
    const int id = row_id(row);
    if (id != 0) check_channel(id);
}

void channel_list_view::on_double_click() {
    const int row = first_selected();
    if (row < 0) return;
    selected_row_ = row;
    if (!favourites_) {
        const int id = row_id(row);
        if (id == 0) return;
        s_.mark_playing_node();
        s_.client().select_channel_by_key(id);
        start_current_channel();
        return;
    }
    if (_wtoi(text_of(get_item_text(row, column_key)).c_str()) > 0) {
        start_favourite_channel();
    } else {
        play_address_favourite(row);
    }
}

void channel_list_view::on_cell_click(int row, int column) {
    if (row < 0 || row >= get_item_count()) return;
    if (!favourites_) {
        if (column == column_listen) {
            const int id = row_id(row);
            if (id == 0) return;
            selected_row_ = row;
            set_item_state(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            s_.mark_playing_node();
            s_.client().select_channel_by_key(id);
            start_current_channel();
        } else {
            add_favourite(row);
        }
        return;
    }
    if (column == column_favourite_listen) {
        selected_row_ = row;
        if (_wtoi(text_of(get_item_text(row, column_key)).c_str()) > 0) start_favourite_channel();
    } else {
        remove_favourite(row);
    }
}

void channel_list_view::check_channel(int id) {
    std::vector<track_record> tracks;
    stringx message;
    if (s_.client().select_channel_checked(id, tracks, message)) return;
    const std::wstring text = text_of(message);
    if (!text.empty()) s_.message(get_hwnd(), text);
}

void channel_list_view::start_current_channel() {
    const channel_record* current = s_.client().current_channel();
    if (!current || current->id == 0) return;
    std::vector<track_record> tracks;
    if (!s_.client().select_channel(current->id, tracks, true)) return;
    s_.client().set_title(stringx(key_.c_str()));
    s_.play_channel(tracks);
}

void channel_list_view::start_favourite_channel() {
    if (!s_.logged_in()) return;
    if (selected_row_ < 0 || selected_row_ >= get_item_count()) return;
    const int id = _wtoi(text_of(get_item_text(selected_row_, column_key)).c_str());
    const std::vector<std::wstring> keys = s_.category_keys();
    std::wstring found;
    for (size_t i = 1; i < keys.size() && found.empty(); ++i) {
        if (keys[i].empty()) continue;
        std::vector<channel_record> records;
        if (!s_.client().check_channels(stringx(keys[i].c_str()), records)) continue;
        for (const channel_record& r : records)
            if (r.id == id) {
                found = keys[i];
                break;
            }
    }
    if (found.empty()) return;
    std::vector<channel_record> records;
    if (!s_.client().get_channel_list(stringx(found.c_str()), records)) return;
    s_.client().select_channel_by_key(id);
    const channel_record* current = s_.client().current_channel();
    std::vector<track_record> tracks;
    stringx message;
    if (!current || !s_.client().select_channel_checked(current->id, tracks, message)) {
        const std::wstring text = text_of(message);
        s_.message(get_hwnd(), text.empty() ? no_connection_text : text);
        return;
    }
    s_.client().set_title(stringx(found.c_str()));
    s_.play_channel(tracks);
}

void channel_list_view::play_address_favourite(int row) {
    const std::wstring key = text_of(get_item_text(row, column_key));
    const std::wstring title = text_of(get_item_text(row, column_favourite_title));
    std::vector<list_info> entries;
    s_.add_file(key, entries);
    if (is_stream_address(key)) {
        for (list_info& e : entries) {
            const std::wstring path = e.path ? e.path : L"";
            const size_t slash = path.rfind(L'\\');
            list_info::set_string(e.artist, slash == std::wstring::npos ? path.c_str() : path.c_str() + slash + 1);
            list_info::set_string(e.title, title.c_str());
        }
        page_actions::play_in_default_playlist(entries);
        return;
    }
    for (list_info& e : entries) list_info::set_string(e.title, title.c_str());
    page_actions::play_entries(entries);
}

void channel_list_view::add_favourite(int row) {
    const int id = row_id(row);
    const std::wstring title = text_of(get_item_text(row, column_name));
    wchar_t number[16];
    swprintf(number, 16, L"%d", id);
    const std::wstring favourite = std::wstring(number) + L"^" + title;
    s_.client().add_favourite(stringx(favourite.c_str()));
    s_.message(get_hwnd(), L"즐겨찾기에 추가되었습니다.");
    s_.post(favourite_request(s_.identity(), true, number, title.c_str(), true));
}

void channel_list_view::remove_favourite(int row) {
    const std::wstring key = text_of(get_item_text(row, column_key));
    const std::wstring title = text_of(get_item_text(row, column_favourite_title));
    s_.client().remove_favourite(stringx((key + L"^" + title).c_str()));
    delete_item(row);
    if (selected_row_ >= get_item_count()) selected_row_ = -1;
    s_.post(favourite_request(s_.identity(), false, key.c_str(), title.c_str(), true));
}
