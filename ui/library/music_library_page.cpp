// The music folders page, its file list and the audio CD page.
#include "music_library_page.h"

#include <shlobj.h>

#include <cwchar>
#include <cwctype>

#include "config_var2.h"
#include "core.h"
#include "library_skin.h"
#include "main_ui.h"
#include "play_manager.h"
#include "playlist.h"
#include "progress_dialog.h"
#include "utility.h"
#include "window_messages.h"

namespace {

const wchar_t* const folders_section = L"folders";
const int folder_keys = 1000;

stringx folder_key(int n) {
    wchar_t key[32];
    _snwprintf(key, 31, L"folder%d", n);
    key[31] = 0;
    return stringx(key);
}

// The core library's services.
class core_music_library_services : public music_library_services {
public:
    stringx read_folder_key(const wchar_t* key) override { return config_var2().read(folders_section, key); }
    void write_folder_key(const wchar_t* key, const wchar_t* value) override {
        config_var2().write(folders_section, key, value);
    }
    void find_files(const wchar_t* folder, std::vector<stringx>& files) override {
        wchar_t* mask = core::build_openfolder_mask();
        utility::find_files(folder, mask ? mask : L"", files, false);
        free(mask);
    }
    void expand(const wchar_t* path, std::vector<list_info>& entries) override { core::add_file(path, entries); }
    std::vector<list_info> expand_with_progress(HWND owner, const std::vector<stringx>& files) override {
        progress_dialog dialog(owner, &files);
        return dialog.run();
    }
    HWND progress_owner(HWND fallback) override {
        HWND owner = nullptr;
        if (component* c = core::enum_create_component(main_ui::iid, 0)) {
            owner = static_cast<main_ui*>(c)->library_window();
            c->release();
        }
        return owner ? owner : fallback;
    }
    void pump(HWND window) override { utility::message_pump(window); }
    void cd_lookup(HWND parent, wchar_t drive_letter) override;
    bool pick_folder(HWND owner, stringx& folder) override;
    void enqueue(const std::vector<list_info>& entries) override {
        play_manager* player = core::get_player(true);
        playlist* active = player ? player->active_playlist() : nullptr;
        if (!active) return;
        active->add(entries);
        if (active->count() > 0) player->play(active->at(0));
    }
    bool expanded() override {
        bool on = false;
        if (component* c = core::enum_create_component(main_ui::iid, 0)) {
            on = static_cast<main_ui*>(c)->expanded();
            c->release();
        }
        return on;
    }
};

}  // namespace

#include "cd_tool.h"

namespace {

void core_music_library_services::cd_lookup(HWND parent, wchar_t drive_letter) {
    if (component* c = core::enum_create_component(cd_tool::iid, 0)) {
        static_cast<cd_tool*>(c)->cddb_dialog(parent, drive_letter);
        c->release();
    }
}

bool core_music_library_services::pick_folder(HWND owner, stringx& folder) {
    wchar_t path[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = path;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen) return false;
    const bool ok = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (ok) folder = stringx(path);
    return ok && path[0];
}

core_music_library_services g_core_services;
music_library_services* g_services = nullptr;
music_library_page* g_folder_target = nullptr;

bool same_text_nocase(const wchar_t* a, const wchar_t* b) { return _wcsicmp(a ? a : L"", b ? b : L"") == 0; }

// The grid line along the bottom of a cell, and the cell's top one pixel
// lower, as the channel page draws its rows.
void draw_row_line(HWND list, HDC dc, RECT* rect, COLORREF grid) {
    RECT client;
    GetClientRect(list, &client);
    RECT line = {client.left, rect->bottom - 1, rect->right, rect->bottom};
    HBRUSH brush = CreateSolidBrush(grid);
    FillRect(dc, &line, brush);
    DeleteObject(brush);
    rect->top += 1;
}

const wchar_t* text_or_empty(const wchar_t* s) { return s ? s : L""; }

void fill_track_row(list_ctrl& list, int row, const list_info& e) {
    list.insert_item(row, L"");
    list.set_item_text(row, 1, track_row_title(e).wvalue());
    list.set_item_text(row, 2, text_or_empty(e.artist));
    list.set_item_text(row, 3, text_or_empty(e.album));
    list.set_item_text(row, 4, utility::get_file_name(text_or_empty(e.path)).wvalue());
}

void set_scroll_images(list_view& list, library_skin* skin) {
    if (!skin) return;
    const library_scroll_images h = skin->hscroll_images();
    const library_scroll_images v = skin->vscroll_images();
    if (h.channel && h.thumb && h.minus && h.plus) list.set_hscroll_images(h.channel, h.thumb, h.minus, h.plus);
    if (v.channel && v.thumb && v.minus && v.plus) list.set_vscroll_images(v.channel, v.thumb, v.minus, v.plus);
}

int vbar_width_of(list_view& list) {
    HWND bar = list.vscroll().get_hwnd();
    if (!bar) return 0;
    RECT r;
    GetWindowRect(bar, &r);
    return r.right - r.left;
}

std::vector<list_info> selected_of(list_ctrl& list, const std::vector<list_info>& entries) {
    std::vector<list_info> out;
    for (int row = list.get_next_item(-1, LVNI_SELECTED); row >= 0; row = list.get_next_item(row, LVNI_SELECTED)) {
        if (static_cast<size_t>(row) < entries.size()) out.push_back(entries[row]);
    }
    return out;
}

}  // namespace

music_library_services& current_music_library_services() { return g_services ? *g_services : g_core_services; }

void set_music_library_services(music_library_services* services) { g_services = services; }

stringx track_row_title(const list_info& e) {
    const bool no_artist = !e.artist || !e.artist[0];
    const bool no_title = !e.title || !e.title[0];
    if (!(no_artist && no_title)) return stringx(text_or_empty(e.title));
    std::wstring path = text_or_empty(e.path);
    const size_t slash = path.rfind(L'\\');
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return stringx(name.c_str());
}

// ---------------------------------------------------------------------------
// The file list

bool folder_file_list::build(HWND parent, const RECT& rect, library_skin* skin) {
    set_scroll_images(*this, skin);
    if (!create(parent, &rect, false, 0, 0)) return false;
    const int width = rect.right - rect.left;
    insert_column(0, L"", 0, 20);
    insert_column(1, L"제목", 0, width / 3);
    insert_column(2, L"가수", 0, width / 3);
    insert_column(3, L"앨범", 0, width / 3);
    insert_column(4, L"파일명", 0, 150);
    set_fixed_column(0, true);
    return true;
}

bool folder_file_list::scan(const wchar_t* folder) {
    delete_all_items();
    entries_.clear();
    if (!folder || !folder[0]) return false;
    music_library_services& s = current_music_library_services();
    std::vector<stringx> files;
    s.find_files(folder, files);
    bool behind_dialog = false;
    if (files.size() > inline_scan_limit) {
        behind_dialog = true;
        entries_ = s.expand_with_progress(s.progress_owner(GetParent(get_container())), files);
    } else {
        const std::shared_ptr<bool> alive = alive_;
        for (const stringx& file : files) {
            std::vector<list_info> items;
            s.expand(file.wvalue(), items);
            for (list_info& e : items) entries_.push_back(std::move(e));
            s.pump(get_container());
            // A page closed while the messages ran leaves nothing to fill.
            if (!*alive || !get_list()) return behind_dialog;
        }
    }
    if (!get_list()) return behind_dialog;
    SendMessageW(get_list(), WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < entries_.size(); ++i) fill_track_row(*this, static_cast<int>(i), entries_[i]);
    SendMessageW(get_list(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(get_list(), nullptr, TRUE);
    return behind_dialog;
}

std::vector<list_info> folder_file_list::selected_entries() { return selected_of(*this, entries_); }

int folder_file_list::row_height(int height) { return static_cast<int>(height * 1.6); }

void folder_file_list::draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) {
    draw_row_line(get_list(), dc, rect, grid_);
    list_view::draw_cell(row, column, dc, rect, flags);
}

stringx folder_file_list::get_cell_text(int row, int column) {
    if (column == 0) return stringx(L"");
    return list_view::get_cell_text(row, column);
}

LRESULT folder_file_list::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_SIZE && get_list()) {
        const LRESULT r = list_view::on_message(msg, wparam, lparam);
        RECT client;
        GetClientRect(get_list(), &client);
        const int w = client.right - client.left - 20;
        const bool wide = current_music_library_services().expanded();
        for (int c = 1; c <= 3; ++c) set_column_width(c, wide ? w / 4 : w / 3);
        set_column_width(4, wide ? w / 4 : 150);
        return r;
    }
    return list_view::on_message(msg, wparam, lparam);
}

// ---------------------------------------------------------------------------
// The page

music_library_page::music_library_page()
    : drive_letter_(0),
      add_button_(nullptr),
      files_(nullptr),
      last_item_(-1),
      saved_(false),
      alive_(std::make_shared<bool>(true)) {}

music_library_page::~music_library_page() {
    // The library window deletes the page while its windows still exist:
    // the folders are saved here, as the base classes no longer reach this
    // class's WM_DESTROY handling.
    save_folders();
    *alive_ = false;
    if (g_folder_target == this) g_folder_target = nullptr;
}

music_library_page* music_library_page::folder_target() { return g_folder_target; }

bool music_library_page::build(HWND parent, const RECT& rect, library_skin* skin, wchar_t drive_letter) {
    drive_letter_ = drive_letter;
    set_scroll_images(*this, skin);
    music_library_services& s = current_music_library_services();
    if (drive_letter_ == 0) {
        if (!create(parent, &rect, false, 0, 50)) return false;
        const int width = rect.right - rect.left - vbar_width_of(*this) - 60;
        insert_column(0, L"폴더 경로", 0, width);
        insert_column(1, L"삭제", 0, 60);
        set_fixed_column(1, true);
        column_images remove;
        remove.alignment = 1;
        remove.images.push_back(nullptr);
        remove.texts.push_back(L"삭제");
        set_column_images(1, remove);
        const int height = rect.bottom - rect.top;
        const RECT below = {rect.left, rect.bottom, rect.right, rect.bottom + height};
        files_ = new folder_file_list;
        if (!files_->build(parent, below, skin)) {
            delete files_;
            files_ = nullptr;
        } else {
            companion = files_;
        }
        read_folders();
        g_folder_target = this;
        return true;
    }
    if (!create(parent, &rect, false, 0, 0)) return false;
    const int w = rect.right - rect.left - vbar_width_of(*this) - 20;
    const bool wide = s.expanded();
    insert_column(0, L"", 0, 20);
    insert_column(1, L"제목", 0, wide ? w / 4 : w / 3);
    insert_column(2, L"가수", 0, wide ? w / 4 : w / 3);
    insert_column(3, L"앨범", 0, wide ? w / 4 : w / 3);
    insert_column(4, L"파일명", 0, wide ? w / 4 : 100);
    s.cd_lookup(parent, drive_letter_);
    wchar_t address[32];
    _snwprintf(address, 31, L"cdda://%c.cda", drive_letter_);
    address[31] = 0;
    s.expand(address, entries_);
    fill_cd_rows();
    return true;
}

void music_library_page::fill_cd_rows() {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const int row = static_cast<int>(i);
        insert_item(row, L"");
        set_item_text(row, 1, text_or_empty(entries_[i].title));
        set_item_text(row, 2, text_or_empty(entries_[i].artist));
        set_item_text(row, 3, text_or_empty(entries_[i].album));
        wchar_t name[32];
        _snwprintf(name, 31, L"%c:\\Track%02d.cda", drive_letter_, row + 1);
        name[31] = 0;
        set_item_text(row, 4, name);
    }
}

void music_library_page::read_folders() {
    music_library_services& s = current_music_library_services();
    for (int n = 0; n < folder_keys; ++n) {
        const stringx value = s.read_folder_key(folder_key(n).wvalue());
        if (value.wvalue() && value.wvalue()[0]) add_folder(value.wvalue());
    }
}

void music_library_page::save_folders() {
    if (saved_ || drive_letter_ != 0 || !get_list()) return;
    saved_ = true;
    std::vector<stringx> rows;
    const int count = get_item_count();
    for (int row = 0; row < count; ++row) {
        stringx text = get_item_text(row, 0);
        if (text.wvalue() && text.wvalue()[0]) rows.push_back(text);
    }
    music_library_services& s = current_music_library_services();
    for (int n = 0; n < folder_keys; ++n) {
        const stringx key = folder_key(n);
        const stringx old = s.read_folder_key(key.wvalue());
        if (old.wvalue() && old.wvalue()[0]) s.write_folder_key(key.wvalue(), L"");
    }
    for (size_t n = 0; n < rows.size(); ++n)
        s.write_folder_key(folder_key(static_cast<int>(n)).wvalue(), rows[n].wvalue());
}

int music_library_page::add_folder(const wchar_t* path) {
    const int row = get_item_count();
    const int at = insert_item(row, path ? path : L"");
    set_item_text(at, 1, L"");
    return at;
}

bool music_library_page::add_picked_folder(const wchar_t* path) {
    if (!path || !path[0]) return false;
    const int count = get_item_count();
    for (int row = 0; row < count; ++row)
        if (same_text_nocase(get_item_text(row, 0).wvalue(), path)) return false;
    const int at = add_folder(path);
    if (at < 0) return false;
    const std::shared_ptr<bool> alive = alive_;
    set_item_state(at, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (*alive) ensure_visible(at, FALSE);
    return true;
}

std::vector<list_info> music_library_page::page_tracks(bool all) {
    if (drive_letter_ != 0) return all ? entries_ : selected_of(*this, entries_);
    return files_ ? files_->entries() : std::vector<list_info>();
}

void music_library_page::create_list() {
    list_view::create_list();
    if (!get_list()) return;
    if (drive_letter_ != 0) return;
    SetWindowLongPtrW(get_list(), GWL_STYLE, GetWindowLongPtrW(get_list(), GWL_STYLE) | LVS_SINGLESEL);
    add_button_ = CreateWindowExW(0, L"BUTTON", L"추가", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 40, 20,
                                  get_container(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(add_button_id)),
                                  core::get_instance(), nullptr);
    place_button();
}

void music_library_page::place_button() {
    if (!add_button_ || !get_list()) return;
    RECT r;
    GetWindowRect(get_list(), &r);
    MapWindowPoints(nullptr, get_container(), reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(add_button_, nullptr, r.left + 10, r.bottom + 10, 40, 20, SWP_NOZORDER | SWP_NOACTIVATE);
}

void music_library_page::draw_add_button(const DRAWITEMSTRUCT* item) {
    RECT r = item->rcItem;
    HBRUSH edge = CreateSolidBrush(grid_);
    FillRect(item->hDC, &r, edge);
    DeleteObject(edge);
    InflateRect(&r, -1, -1);
    HBRUSH inside = CreateSolidBrush((item->itemState & ODS_SELECTED) ? grid_ : background_);
    FillRect(item->hDC, &r, inside);
    DeleteObject(inside);
    HGDIOBJ old = SelectObject(item->hDC, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, text_);
    DrawTextW(item->hDC, L"추가", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item->hDC, old);
}

void music_library_page::draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) {
    if (drive_letter_ == 0) draw_row_line(get_list(), dc, rect, grid_);
    list_view::draw_cell(row, column, dc, rect, flags);
}

stringx music_library_page::get_cell_text(int row, int column) { return list_view::get_cell_text(row, column); }

void music_library_page::on_notify(NMHDR* header) {
    switch (header->code) {
    case LVN_ITEMCHANGED: {
        auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if (!(change->uChanged & LVIF_STATE) || change->iItem < 0) break;
        if (drive_letter_ != 0) {
            last_item_ = change->iItem;
            break;
        }
        if (!(change->uNewState & LVIS_SELECTED) || change->iItem == last_item_) break;
        last_item_ = change->iItem;
        if (files_) {
            const stringx text = get_item_text(change->iItem, 0);
            files_->scan(text.wvalue() && text.wvalue()[0] ? text.wvalue() : nullptr);
        }
        break;
    }
    default:
        break;
    }
}

LRESULT music_library_page::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_DESTROY:
        save_folders();
        if (g_folder_target == this) g_folder_target = nullptr;
        break;
    case WM_COMMAND:
        if (LOWORD(wparam) == add_button_id && drive_letter_ == 0) {
            stringx folder;
            HWND owner = GetParent(GetParent(get_container()));
            if (!owner) owner = GetParent(get_container());
            if (current_music_library_services().pick_folder(owner, folder)) add_picked_folder(folder.wvalue());
            return 0;
        }
        break;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        if (item && item->CtlType == ODT_BUTTON && item->CtlID == add_button_id) {
            draw_add_button(item);
            return TRUE;
        }
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header && get_list() && header->hwndFrom == get_list()) {
            const std::shared_ptr<bool> alive = alive_;
            on_notify(header);
            if (!*alive) return 0;  // closed while the scan let messages run
        }
        break;
    }
    case WM_SIZE:
        if (get_list()) {
            const LRESULT r = page_view::on_message(msg, wparam, lparam);
            RECT client;
            GetClientRect(get_list(), &client);
            if (drive_letter_ == 0) {
                set_column_width(1, 60);
                set_column_width(0, client.right - client.left - 60);
                place_button();
            } else {
                const int w = client.right - client.left - 20;
                const bool wide = current_music_library_services().expanded();
                for (int c = 1; c <= 3; ++c) set_column_width(c, wide ? w / 4 : w / 3);
                set_column_width(4, wide ? w / 4 : 100);
            }
            return r;
        }
        break;
    case msg_list_view_notify: {
        // The "삭제" text of a folder row removes the folder.
        const int row = static_cast<int>(wparam);
        if (drive_letter_ != 0 || lparam != 1 || row < 0 || row >= get_item_count()) return 0;
        if ((get_item_state(row, LVIS_SELECTED) & LVIS_SELECTED) && files_) files_->scan(nullptr);
        delete_item(row);
        if (last_item_ == row) {
            last_item_ = -1;
        } else if (last_item_ > row) {
            --last_item_;
        }
        return 0;
    }
    case msg_library_enqueue: {
        std::vector<list_info> tracks = page_tracks(true);
        current_music_library_services().enqueue(tracks);
        return 0;
    }
    default:
        break;
    }
    return page_view::on_message(msg, wparam, lparam);
}

int folder_page_add_item::add(const wchar_t* path) {
    music_library_page* page = music_library_page::folder_target();
    if (!page || !path || !path[0]) return 0;
    return page->add_folder(path);
}

page_view* make_music_folder_page(const stringx&, HWND parent, const RECT& rect, library_skin* skin) {
    auto* page = new music_library_page;
    if (!page->build(parent, rect, skin, 0)) {
        delete page;
        return nullptr;
    }
    return page;
}

page_view* make_music_cd_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin) {
    const wchar_t* key = text.wvalue();
    if (!key || !key[0]) return nullptr;
    auto* page = new music_library_page;
    if (!page->build(parent, rect, skin, key[0])) {
        delete page;
        return nullptr;
    }
    return page;
}
