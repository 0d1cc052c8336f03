// The now-playing list: build, mode, rows, texts, keys and mouse, the
// status line and the player's messages.
#include "playlist_view.h"

#include <algorithm>

#include "channel_track_list.h"
#include "event_record.h"
#include "music_player_view.h"
#include "play_manager.h"
#include "play_option_rules.h"
#include "playlist.h"
#include "playlist_drop_target.h"
#include "playlist_view_services.h"
#include "playlist_view_text.h"
#include "window_messages.h"

unsigned char playlist_view::net_connected = 1;
unsigned playlist_view::play_error_count = 0;

namespace {
const UINT msg_forwarded_notify = 10524;
const COLORREF odd_row_background = 0xE2E2E2;

bool same_id(const wchar_t* a, const wchar_t* b) { return a && b && wcscmp(a, b) == 0; }
}  // namespace

void playlist_view::clock::tick() {
    if (!owner_.skin_ || !owner_.container_) return;
    const stringx now = owner_.services_.clock_text();
    owner_.skin_->draw_status_text(owner_.status_rect(), nullptr, now.wvalue());
}

playlist_view::playlist_view(playlist_view_services& services)
    : services_(services),
      clock_(*this),
      drop_(nullptr),
      entries_(nullptr),
      skin_(nullptr),
      channel_mode_(false),
      dragging_(false),
      drag_selected_(false),
      drag_row_(-1),
      playing_row_(-1),
      drag_worker_(*this) {}

playlist_view::~playlist_view() {
    end_drag();
    clock_.kill();
    if (drop_) {
        if (window && IsWindow(window)) RevokeDragDrop(window);
        drop_->Release();
        drop_ = nullptr;
    }
}

bool playlist_view::build(HWND parent, const RECT* rect, playlist_view_skin* skin) {
    skin_ = skin;
    if (skin) {
        dib* h[4] = {};
        dib* v[4] = {};
        skin->hscroll_images(h);
        skin->vscroll_images(v);
        if (h[0] && h[1] && h[2] && h[3]) set_hscroll_images(h[0], h[1], h[2], h[3]);
        if (v[0] && v[1] && v[2] && v[3]) set_vscroll_images(v[0], v[1], v[2], v[3]);
        const wchar_t* keys[] = {L"mp3", L"zel", L"cda", L"radio"};
        for (int i = 0; i < 4; ++i)
            if (dib* icon = skin->image(4 + i)) type_icons_[keys[i]] = icon;
    }
    if (!create(parent, rect, true, 0, 0)) return false;
    insert_column(column_number, L"NO", 2, 0);
    insert_column(column_title, L"제목", 0, 197);
    insert_column(column_artist, L"아티스트", 0, 95);
    set_column_width(column_number, 0);
    set_column_width(column_title, 197);
    set_column_width(column_artist, 95);
    set_fixed_column(column_number, true);

    drop_ = new playlist_drop_target(window, *this);
    if (RegisterDragDrop(window, drop_) != S_OK) {
        drop_->Release();
        drop_ = nullptr;
    }
    clock_.set(200);
    return true;
}

int playlist_view::shown_count() {
    if (channel_mode_) {
        channel_track_list* tracks = services_.channel_tracks();
        return tracks ? static_cast<int>(tracks->listed_tracks().size()) : 0;
    }
    return entries_ ? static_cast<int>(entries_->size()) : 0;
}

list_info* playlist_view::shown_entry(int row) {
    if (row < 0 || row >= shown_count()) return nullptr;
    if (channel_mode_) return services_.channel_tracks()->listed_tracks()[static_cast<size_t>(row)];
    return (*entries_)[static_cast<size_t>(row)];
}

void playlist_view::set_playlist(playlist* list) {
    if (skin_) skin_->set_control_visible(3, false);
    play_manager* music = services_.music_player();
    const int index = music && list ? music->playlist_index(list->id().c_str()) : 0;
    if (index == 0) {
        set_selection_color(0xB4B4B4);
        set_text_colors(0x3C3C3C, GetSysColor(COLOR_HIGHLIGHTTEXT));
        entries_ = list ? &list->entries() : nullptr;
        if (music) music->set_play_mode(play_mode_of(services_.play_method()));
        channel_mode_ = false;
    } else {
        set_selection_color(0xFFFFFF);
        set_text_colors(0, 0);
        // In order, round the list: the engine goes on to the next entry
        // on the same output, without a gap; each start refills the list
        // before nothing would follow.
        if (music) music->set_play_mode(1);
        channel_mode_ = true;
    }
    services_.fades_off();
    const int count = shown_count();
    set_item_count(count);
    if (has_vbar_ && vbar_.get_hwnd()) {
        vbar_.set_pos(0);
        vbar_.set_range(0, count - get_count_per_page(), true);
    }
}

void playlist_view::set_item_count(int n) {
    if (window) SendMessageW(window, LVM_SETITEMCOUNT, static_cast<WPARAM>(std::max(n, 0)), LVSICF_NOSCROLL);
}

RECT playlist_view::status_rect() {
    RECT r = {};
    if (!container_) return r;
    GetWindowRect(container_, &r);
    MapWindowPoints(nullptr, GetParent(container_), reinterpret_cast<POINT*>(&r), 2);
    dib* strip = skin_ ? skin_->image(8) : nullptr;
    const int height = strip ? strip->get_height() : 14;
    r.left += 5;
    r.top = r.bottom + 2;
    r.bottom = r.top + height;
    return r;
}

void playlist_view::refresh_status() {
    if (!skin_ || !container_ || !IsWindowVisible(container_)) return;
    std::wstring left;
    if (channel_mode_) {
        // The version does not change while the player runs.
        static std::wstring version;
        if (version.empty()) version = channel_status_text(services_.ini_version().wvalue());
        left = version;
    } else if (entries_) {
        left = playlist_status_text(*entries_);
        // The skin keeps its text when given none: an emptied list shows a
        // blank, not the total it had.
        if (left.empty()) left = L" ";
    }
    skin_->draw_status_text(status_rect(), left.c_str(), nullptr);
}

bool playlist_view::entry_is_playing(list_info* entry) {
    play_manager* music = services_.music_player();
    if (!entry || !music || !music->is_playing()) return false;
    const list_info current = current_entry_copy(music);
    return current.id && same_id(current.id, entry->id);
}

void playlist_view::repaint_row(int row) {
    if (row < 0 || !window) return;
    RECT r = {};
    r.left = LVIR_BOUNDS;
    if (SendMessageW(window, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)))
        InvalidateRect(window, &r, FALSE);
}

void playlist_view::invalidate_playing_row(int row) {
    if (playing_row_ >= 0) repaint_row(playing_row_);
    if (row >= 0) {
        repaint_row(row);
    } else {
        playing_row_ = -1;
    }
}

std::vector<int> playlist_view::selected_rows() {
    std::vector<int> rows;
    if (!window) return rows;
    for (int i = get_next_item(-1, LVNI_SELECTED); i >= 0; i = get_next_item(i, LVNI_SELECTED)) rows.push_back(i);
    return rows;
}

void playlist_view::clear_selection() {
    if (window) set_item_state(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

void playlist_view::play_row(int row) {
    play_manager* music = services_.music_player();
    list_info* entry = shown_entry(row);
    if (!music || !entry) return;
    music->stop(0);
    music->play(entry);
}

void playlist_view::remove_selected() {
    play_manager* music = services_.music_player();
    playlist* current = music ? music->current_playlist() : nullptr;
    const std::vector<int> rows = selected_rows();
    if (current && !rows.empty()) current->remove(rows);
    refresh_status();
}

// ---------------------------------------------------------------------------
// Drawing and texts

LRESULT playlist_view::draw_row(WPARAM wparam, LPARAM lparam) {
    auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    const int row = static_cast<int>(item->itemID);
    const bool playing = entry_is_playing(shown_entry(row));
    if (playing) {
        if (playing_row_ != row && !dragging_) repaint_row(playing_row_);
        playing_row_ = row;
    }
    // This row's colours over the list's; restored after it is drawn.
    const COLORREF text = text_, selected_text = selected_text_, background = background_,
                   selected_background = selected_background_;
    if (playing) text_ = selected_text_ = 0;
    if (row % 2 == 1) background_ = odd_row_background;
    if (channel_mode_) selected_background_ = background_;
    const LRESULT result = list_view::on_message(WM_DRAWITEM, wparam, lparam);
    text_ = text;
    selected_text_ = selected_text;
    background_ = background;
    selected_background_ = selected_background;
    return result;
}

void playlist_view::fill_texts(NMLVDISPINFOW* info) {
    LVITEMW& item = info->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    list_info* entry = shown_entry(item.iItem);
    if (!entry) return;
    std::wstring text;
    if (item.iSubItem == column_number) {
        text = std::to_wstring(item.iItem + 1);
    } else if (item.iSubItem == column_title) {
        text = entry_title_text(*entry);
    } else if (item.iSubItem == column_artist) {
        text = entry->artist ? entry->artist : L"";
    }
    const size_t room = static_cast<size_t>(item.cchTextMax) - 1;
    const size_t n = std::min(room, text.size());
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), item.pszText);
    item.pszText[n] = 0;
}

stringx playlist_view::get_cell_text(int row, int column) {
    if (column == column_number) return L"";
    return list_view::get_cell_text(row, column);
}

void playlist_view::draw_cell_text(int row, int column, HDC dc, RECT* rect, unsigned flags, int alignment,
                                   const wchar_t* text) {
    RECT area = *rect;
    if (column == column_title) {
        if (list_info* entry = shown_entry(row)) {
            auto icon = type_icons_.find(entry_type_key(*entry));
            if (icon != type_icons_.end() && icon->second) {
                dib* image = icon->second;
                const int y = area.top + (area.bottom - area.top - image->get_height()) / 2;
                image->draw_trans(dc, area.left, y, 0xFF00FF);
                area.left += image->get_width() + 2;
            }
        }
    }
    list_view::draw_cell_text(row, column, dc, &area, flags, alignment, text);
}

// ---------------------------------------------------------------------------
// The list window

LRESULT playlist_view::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_SIZE:
        refresh_status();
        break;
    case WM_KEYDOWN:
        if (channel_mode_) break;
        if (wparam == VK_RETURN) {
            const std::vector<int> rows = selected_rows();
            if (!rows.empty()) play_row(rows.front());
        } else if (wparam == VK_DELETE) {
            remove_selected();
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        // A press on a selected row starts a move of the selection, one on
        // another row a selection by dragging.
        if (!channel_mode_) {
            POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
            const int row = hittest(p, nullptr);
            drag_selected_ = row >= 0 && (get_item_state(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        }
        break;
    case WM_LBUTTONUP:
        if (GetCapture() == window) ReleaseCapture();
        // The reorder thread sees this within its step and ends.
        dragging_ = false;
        break;
    case msg_drag_step:
        drag_step();
        return 0;
    case WM_LBUTTONDBLCLK:
        if (!channel_mode_) {
            POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
            const int row = hittest(p, nullptr);
            if (row >= 0) play_row(row);
        }
        break;
    case msg_channel_refilled:
        refill_arrived();
        return 0;
    case msg_forwarded_notify: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header && header->hwndFrom == window && header->code == LVN_GETDISPINFOW) {
            fill_texts(reinterpret_cast<NMLVDISPINFOW*>(lparam));
            return 0;
        }
        break;
    }
    case WM_DESTROY:
        end_drag();
        if (drop_) {
            RevokeDragDrop(window);
            drop_->Release();
            drop_ = nullptr;
        }
        break;
    default:
        break;
    }
    return list_view::window_proc(msg, wparam, lparam);
}

void playlist_view::context_menu(const NMITEMACTIVATE* click) {
    if (channel_mode_ || click->iItem < 0) return;
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuW(menu, MF_STRING, delete_command, L"삭제");
    POINT p = click->ptAction;
    ClientToScreen(window, &p);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, p.x, p.y, 0, container_, nullptr));
    DestroyMenu(menu);
    if (chosen == delete_command) remove_selected();
}

LRESULT playlist_view::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        if (item && item->CtlType == ODT_LISTVIEW) return draw_row(wparam, lparam);
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (!header || !window || header->hwndFrom != window) break;
        if (header->code == NM_RCLICK) context_menu(reinterpret_cast<NMITEMACTIVATE*>(lparam));
        if (header->code == LVN_BEGINDRAG) begin_drag(reinterpret_cast<NMLISTVIEW*>(lparam));
        SendMessageW(window, msg_forwarded_notify, wparam, lparam);
        break;
    }
    case msg_playlist_changed:
    case msg_entry_added:
    case msg_entry_inserted:
    case msg_entry_removed:
    case msg_entries_removed:
    case msg_track_stopped:
    case msg_track_format:
    case msg_track_finished:
    case msg_play_error:
    case msg_track_started:
        return on_player_message(msg, wparam, lparam);
    default:
        break;
    }
    return list_view::on_message(msg, wparam, lparam);
}

LRESULT playlist_view::on_player_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    play_manager* music = services_.music_player();
    switch (msg) {
    case msg_playlist_changed:
        set_playlist(reinterpret_cast<playlist*>(lparam));
        refresh_status();
        break;
    case msg_entry_added:
        if (channel_mode_) break;
        set_item_count(shown_count());
        refresh_status();
        break;
    case msg_entry_inserted: {
        if (channel_mode_) break;
        const int count = shown_count();
        set_item_count(count);
        const auto* inserted = reinterpret_cast<const std::vector<list_info*>*>(lparam);
        const int first = static_cast<int>(wparam);
        const int n = inserted ? static_cast<int>(inserted->size()) : 0;
        for (int row = std::max(first, 0); row < first + n && row < count; ++row)
            set_item_state(row, LVIS_SELECTED, LVIS_SELECTED);
        refresh_status();
        break;
    }
    case msg_entry_removed:
        if (!channel_mode_ && lparam) on_entry_removed(*reinterpret_cast<const std::vector<int>*>(lparam));
        break;
    case msg_entries_removed:
        // A clear: the rows and the total go with the entries.
        if (!channel_mode_) set_item_count(shown_count());
        refresh_status();
        break;
    case msg_track_stopped:
        invalidate_playing_row(-1);
        break;
    case msg_track_format:
        play_error_count = 0;
        net_connected = 1;
        break;
    case msg_track_finished:
        if (!music) break;
        if (channel_mode_) {
            music->next();
        } else {
            music->stop(0);
        }
        break;
    case msg_play_error:
        on_play_error(static_cast<int>(wparam));
        break;
    case msg_track_started:
        if (lparam) on_track_started(event_record<list_info>::from(lparam)->copy());
        break;
    default:
        break;
    }
    return 0;
}

void playlist_view::on_entry_removed(const std::vector<int>& indices) {
    play_manager* music = services_.music_player();
    const int rows = get_item_count();
    if (music && music->is_playing()) {
        const list_info current = current_entry_copy(music);
        for (int index : indices) {
            if (index < 0 || index >= rows) continue;
            list_info* entry = shown_entry(index);
            if (current.id && entry && same_id(entry->id, current.id)) {
                music->stop(0);
                break;
            }
        }
    }
    set_item_count(rows - static_cast<int>(indices.size()));
    refresh_status();
}

void playlist_view::on_track_started(const list_info& entry) {
    if (channel_mode_) {
        channel_step(entry);
    } else {
        select_playing(entry);
    }
}

void playlist_view::select_playing(const list_info& entry) {
    play_manager* music = services_.music_player();
    playlist* active = music ? music->active_playlist() : nullptr;
    if (!active || active != music->current_playlist()) return;
    const int row = entry.id ? active->index_of(entry.id) : -1;
    const int count = get_item_count();
    for (int r = 0; r < count; ++r) {
        const bool selected = (get_item_state(r, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        if (r == row) {
            set_item_state(r, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        } else if (selected) {
            set_item_state(r, 0, LVIS_SELECTED | LVIS_FOCUSED);
        }
    }
    if (row >= 0) {
        ensure_visible(row, FALSE);
        sync_vscroll(-1);
    }
    invalidate_playing_row(row);
}
