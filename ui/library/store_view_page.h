#pragma once
// store_view: page type 6 of the library window, the head office's list of
// its branch stores in one group, with each store's connection state, the
// channel it listens to, its phone number and its last connection time.
//
// The rows come from the store list (store_view_services::records) whose
// storemother equals the page key. The page filters them by state (the
// combo over the status heading), searches them (the bar under the list),
// sorts them by a click on a heading and refreshes the durations every
// minute. Its header also carries a check-all box. The popup menu, the note
// button and the cell images lead to the note dialog and the store's detail
// page. User-interface thread only.
#include <windows.h>

#include <string>
#include <vector>

#include "channel_changed_event.h"
#include "dialog.h"
#include "page_view.h"
#include "store_manager.h"

class store_header;

class store_view : public page_view {
public:
    // Messages the header posts to the list.
    static const UINT msg_check_all = 1025;         // wParam 0 or 1
    static const UINT msg_store_sort_column = 1026;  // wParam the heading
    static const UINT refresh_ms = 60000;

    store_view();
    ~store_view() override;

    bool build(const stringx& key, HWND parent, const RECT& rect, library_skin* skin);

    // The minute's refresh: applies the state filter to the shown rows and
    // rewrites every row (durations move on).
    void on_timer();
    // The channel playing now changed: the logged-in store's row shows it.
    void on_channel_changed();

    const std::vector<store_record>& shown() const { return shown_; }
    const std::vector<store_record>& full() const { return full_; }
    int sort_column() const { return sort_column_; }
    HWND state_combo() const { return state_combo_; }
    HWND field_combo() const { return field_combo_; }
    HWND search_edit() const { return search_edit_; }
    HWND search_button() const { return search_button_; }
    HWND note_button() const { return note_button_; }
    store_header* header_box() const { return header_box_; }
    // The popup items the logged-in store is offered.
    std::vector<std::wstring> popup_items() const;
    // Runs a popup command (10001 note, 10002 detail, 10003 disconnect) on a row.
    void run_command(int command, int row);
    // The note to the selected stores (the note button).
    void group_note();

    // The page built last; null when none lives.
    static store_view* current();

    void on_subclass() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    int row_height(int height) override;
    void draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) override;
    stringx get_cell_text(int row, int column) override;
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;
    void create_list() override;

private:
    void set_widths(int width);
    void fill_rows();
    void fill_row(int row, int count);
    void refilter();
    void search();
    void sort(int column);
    void check_all(bool on);
    void reload();
    void record_changed(store_record* record);
    void layout_bar();
    void popup(const NMITEMACTIVATE* item);
    void note_to(int row);
    void detail(int row);
    void disconnect(int row);
    std::wstring status_of(const store_record& r);

    stringx key_;
    std::vector<store_record> shown_;
    std::vector<store_record> full_;
    int search_field_;
    std::wstring search_text_;
    int sort_column_;
    int scroll_width_;
    HWND state_combo_;
    HWND field_combo_;
    HWND search_edit_;
    HWND search_button_;
    HWND note_button_;
    store_header* header_box_;
    dib check_images_[2];
    dib send_image_;
    dib detail_image_;
    COLORREF saved_text_;
};

// The header of the store view's list: the check-all box in item 0, the
// state combo over item 5, sort requests for clicks on the other items and
// four columns that cannot be dragged wider.
class store_header : public subclass {
public:
    explicit store_header(HWND combo) : hit_item(-1), checked(false), combo(combo) {}
    void on_subclass() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    // Places the combo over item 5 (hidden below 30 pixels).
    void place_combo();

    int hit_item;
    bool checked;
    HWND combo;
};

// The note dialog (resource 103): asks for the text of a note to one store
// (titled with its name) or to the selected stores.
class send_note_dialog : public dialog {
public:
    send_note_dialog(bool group, const std::wstring& store_name) : group_(group), store_name_(store_name) {}
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    std::wstring message;  // the confirmed text

private:
    bool group_;
    std::wstring store_name_;
};

// Tells the store view built last (when one lives) the channel that plays
// now; registered for the whole run.
class store_view_channel_listener : public singleton_component<channel_changed_event> {
public:
    void on_channel_changed(const wchar_t* title) override;
};

page_view* make_store_view(const stringx& text, HWND parent, const RECT& rect, library_skin* skin);
