// The library's radio page.
#include "radio_page.h"

#include <cwchar>
#include <cwctype>

#include "library_skin.h"
#include "window_messages.h"

namespace {

radio_page_services* chosen_services = nullptr;

// The listen image of the library's image table (40 x 15).
const int listen_image_key = 29;

const wchar_t favourite_added[] = L"즐겨찾기에 추가되었습니다.";
const wchar_t player_caption[] = L"VOLQUIN 플레이어";

std::wstring text_of(const stringx& s) { return s.wvalue() ? s.wvalue() : L""; }

}  // namespace

void set_radio_page_services(radio_page_services* services) { chosen_services = services; }

radio_page::radio_page(radio_page_services& services) : services_(services) {}

const wchar_t* radio_page::comment_text(const stringx& flag) {
    // Read as an integer the way the service writes it: optional blanks and
    // sign, then digits; anything else reads as 0.
    const wchar_t* text = flag.wvalue();
    if (!text) return L"X";
    const long value = std::wcstol(text, nullptr, 10);
    return value != 0 ? L"O" : L"X";
}

bool radio_page::build(const stringx& key, HWND parent, const RECT& rect, library_skin* skin) {
    if (skin) {
        const library_scroll_images h = skin->hscroll_images(), v = skin->vscroll_images();
        set_hscroll_images(h.channel, h.thumb, h.minus, h.plus);
        set_vscroll_images(v.channel, v.thumb, v.minus, v.plus);
    }
    RECT r = rect;
    if (!create(parent, &r, false, 0, 0)) return false;
    if (HWND list = get_list()) SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_SINGLESEL);
    page_key_ = key;
    detailed_ = text_of(key).size() == 8 && _wcsicmp(text_of(key).c_str(), L"24hradio") == 0;
    homepages_.clear();

    std::vector<radio_record> records;
    services_.stations(key, records);

    const int width = (rect.right - rect.left) - vbar_width();
    if (detailed_) {
        insert_column(address_column, L"주소", LVCFMT_LEFT, 0);
        insert_column(genre_column, L"장르", LVCFMT_LEFT, 70);
        insert_column(time_column, L"시간", LVCFMT_CENTER, 40);
        insert_column(detail_name_column, L"방송명", LVCFMT_LEFT, width - 330 > 0 ? width - 330 : 0);
        insert_column(quality_column, L"음질", LVCFMT_CENTER, 40);
        insert_column(comment_column, L"멘트", LVCFMT_CENTER, 40);
        insert_column(homepage_column, L"홈피", LVCFMT_CENTER, 40);
        insert_column(detail_listen_column, L"듣기", LVCFMT_CENTER, 50);
        insert_column(detail_favourite_column, L"즐겨찾기", LVCFMT_CENTER, 50);
        for (int c = 0; c <= detail_favourite_column; ++c)
            if (c != detail_name_column) set_fixed_column(c, true);
    } else {
        insert_column(address_column, L"주소", LVCFMT_LEFT, 0);
        insert_column(plain_name_column, L"방송명", LVCFMT_LEFT, width - 100 > 0 ? width - 100 : 0);
        insert_column(plain_listen_column, L"듣기", LVCFMT_CENTER, 50);
        insert_column(plain_favourite_column, L"즐겨찾기", LVCFMT_CENTER, 50);
        set_fixed_column(address_column, true);
        set_fixed_column(plain_listen_column, true);
        set_fixed_column(plain_favourite_column, true);
    }

    for (const radio_record& record : records) {
        const int row = insert_item(get_item_count(), record.address.wvalue() ? record.address.wvalue() : L"");
        if (row < 0) continue;
        if (detailed_) {
            set_item_text(row, genre_column, record.genre.wvalue());
            set_item_text(row, time_column, record.time.wvalue());
            set_item_text(row, detail_name_column, record.name.wvalue());
            set_item_text(row, quality_column, record.quality.wvalue());
            set_item_text(row, comment_column, comment_text(record.comment));
            homepages_.push_back(record.homepage);
        } else {
            set_item_text(row, plain_name_column, record.name.wvalue());
        }
    }

    // The listen image and the text buttons, centred, one per row.
    const size_t rows = static_cast<size_t>(get_item_count());
    column_images listen;
    listen.alignment = 1;
    if (dib* image = skin ? skin->image(listen_image_key) : nullptr) listen.images.push_back(image);
    else listen.texts.push_back(L"듣기");
    listen.rows.assign(rows, 0);
    column_images favourite;
    favourite.alignment = 1;
    favourite.texts.push_back(L"추가");
    favourite.rows.assign(rows, 0);
    set_column_images(detailed_ ? int(detail_listen_column) : int(plain_listen_column), listen);
    set_column_images(detailed_ ? int(detail_favourite_column) : int(plain_favourite_column), favourite);
    if (detailed_) {
        column_images home;
        home.alignment = 1;
        home.texts.push_back(L"H");
        home.rows.assign(rows, 0);
        set_column_images(homepage_column, home);
    }
    return true;
}

stringx radio_page::get_cell_text(int row, int column) {
    if (column == 1) return get_item_text(row, 1);
    return stringx(L"");
}

void radio_page::draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) {
    // A line in the grid colour along the row's bottom from the list's left
    // edge, and the cell drawn one pixel lower.
    HPEN pen = CreatePen(PS_SOLID, 1, grid_);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, 0, rect->bottom - 1, nullptr);
    LineTo(dc, rect->right, rect->bottom - 1);
    SelectObject(dc, old);
    DeleteObject(pen);
    RECT cell = *rect;
    cell.top += 1;
    list_view::draw_cell(row, column, dc, &cell, flags);
}

void radio_page::fit_columns() {
    if (!get_list()) return;
    RECT client;
    GetClientRect(get_list(), &client);
    const int w = client.right - client.left;
    set_column_width(address_column, 0);
    if (detailed_) {
        set_column_width(genre_column, 70);
        set_column_width(time_column, 40);
        set_column_width(quality_column, 40);
        set_column_width(comment_column, 40);
        set_column_width(homepage_column, 40);
        set_column_width(detail_listen_column, 50);
        set_column_width(detail_name_column, w - 330 > 0 ? w - 330 : 0);
    } else {
        set_column_width(plain_listen_column, 50);
        set_column_width(plain_name_column, w - 100 > 0 ? w - 100 : 0);
    }
}

LRESULT radio_page::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = list_view::window_proc(msg, wparam, lparam);
    if (msg == WM_SIZE) fit_columns();
    return result;
}

std::vector<list_info> radio_page::row_entries(int row) {
    std::vector<list_info> entries;
    if (!get_list() || row < 0 || row >= get_item_count()) return entries;
    entries = services_.expand(get_item_text(row, address_column));
    const stringx name = get_item_text(row, name_column());
    for (list_info& entry : entries) {
        list_info::set_string(entry.artist, L"");
        list_info::set_string(entry.title, name.wvalue() ? name.wvalue() : L"");
    }
    return entries;
}

void radio_page::play_row(int row) {
    if (!get_list() || row < 0 || row >= get_item_count()) return;
    services_.play_in_default_playlist(row_entries(row));
}

void radio_page::drag_row(int row) {
    const std::vector<list_info> entries = row_entries(row);
    if (!entries.empty()) services_.drag_entries(get_list(), entries);
}

void radio_page::add_favourite_row(int row) {
    if (!get_list() || row < 0 || row >= get_item_count()) return;
    const stringx address = get_item_text(row, address_column);
    const stringx name = get_item_text(row, name_column());
    const std::wstring text = text_of(address) + L"^" + text_of(name);
    services_.add_favourite(stringx(text.c_str()));
    services_.message(get_container(), favourite_added, player_caption);
    services_.report_favourite(address, name);
}

void radio_page::open_homepage_row(int row) {
    if (!detailed_ || row < 0 || static_cast<size_t>(row) >= homepages_.size()) return;
    const stringx& home = homepages_[static_cast<size_t>(row)];
    // The address comes from the service: only web addresses go to the
    // shell, never a local path, a "file:" address or a program name.
    const std::wstring text = text_of(home);
    const bool web = _wcsnicmp(text.c_str(), L"http://", 7) == 0 || _wcsnicmp(text.c_str(), L"https://", 8) == 0;
    if (!web) return;
    services_.shell_open(home);
}

LRESULT radio_page::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header && get_list() && header->hwndFrom == get_list()) {
            if (header->code == NM_DBLCLK) {
                const int row = get_next_item(-1, LVNI_SELECTED);
                if (row >= 0) play_row(row);
            } else if (header->code == LVN_BEGINDRAG) {
                const int row = get_next_item(-1, LVNI_SELECTED);
                if (row >= 0) drag_row(row);
            }
        }
    } else if (msg == msg_list_view_notify) {
        const int row = static_cast<int>(wparam);
        const int column = static_cast<int>(lparam);
        if (column == (detailed_ ? int(detail_favourite_column) : int(plain_favourite_column))) add_favourite_row(row);
        else if (detailed_ && column == homepage_column) open_homepage_row(row);
        else if (column == (detailed_ ? int(detail_listen_column) : int(plain_listen_column))) play_row(row);
    }
    return page_view::on_message(msg, wparam, lparam);
}

page_view* make_radio_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin) {
    radio_page_services& services = chosen_services ? *chosen_services : player_radio_page_services();
    auto* page = new radio_page(services);
    if (!page->build(text, parent, rect, skin)) {
        delete page;
        return nullptr;
    }
    return page;
}
