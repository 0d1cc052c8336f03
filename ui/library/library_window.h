#pragma once
// library_window: the second top-level window of the player (dialog 117,
// class "ZELLibrary"), a skinned, resizable window beside the main window:
// on the left the tree of what the store can hear and manage (library_tree
// .cpp builds it from the login's category lists and the CD drives), on
// the right the page of the selected node (page_view.h), along the top the
// path of what is playing. It follows the main window's expanded mode.
//
// At most one exists (current()); the main window's command 7 makes it. The
// object deletes itself when its window is gone (WM_NCDESTROY). It reaches
// everything else through library_window_services, which must outlive it.
// User-interface thread only.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "button.h"
#include "dialog.h"
#include "library_skin.h"
#include "library_window_services.h"
#include "page_view.h"
#include "scroll_ctrl.h"
#include "skin_tree.h"
#include "splitter.h"
#include "stringx.h"

class library_window : public dialog {
public:
    enum : unsigned {
        template_id = 117,
        tree_id = 1014,
        path_id = 1048,
        notice_id = 1052,
        set_combo_id = 1050,
        open_label_id = 1033,
        close_label_id = 1034,
        switch_id = 1001,
        new_post_id = 1003,
    };
    // Node codes: the low half the page type, the high half 1 (the page
    // alone) or 2 (with the companion splitter unless the type is 0).
    enum : DWORD {
        code_favourites = 0x10000,
        code_channels = 0x20000,
        code_radio = 0x10001,
        code_today = 0x10002,
        code_library = 0x10003,
        code_library_with_list = 0x20003,
        code_folders = 0x20004,
        code_cd_drive = 0x10005,
        code_stores = 0x10006,
        code_web_page = 0x10007,
    };

    // The two images of the main window's title bar (may be null).
    library_window(library_window_services& services, dib* first_image, dib* second_image);
    ~library_window() override;

    // The modeless dialog with the main window as parent; false on failure.
    bool create_window(HWND parent);
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // The window of the run, between WM_INITDIALOG and WM_DESTROY.
    static library_window* current() { return current_; }

    void apply_skin(int skin_number);
    void layout_controls();
    void layout_panes();
    void build_channel_tree();
    void open_page(HTREEITEM node);

    // One line of the tree: depth, text, code, key text and image key (0
    // without image), in display order.
    struct tree_row {
        int depth;
        std::wstring text;
        DWORD code;
        std::wstring key;
        int image;
    };
    std::vector<tree_row> dump_tree();
    HTREEITEM find_node(const std::wstring& text);

    skin_tree& tree() { return tree_; }
    library_skin& look() { return look_; }
    skin* current_skin() const { return skin_; }
    page_view* page() const { return page_; }
    // The page type last asked of the factory (-1 before any, or after a
    // page was closed without a new one).
    int requested_page_type() const { return requested_type_; }
    bool companion_splitter_shown() const;
    bool store_tree_mode() const { return store_tree_mode_; }
    HTREEITEM cd_node() const { return cd_node_; }
    std::wstring path_text() const;
    const RECT& initial_client() const { return initial_client_; }

private:
    void on_init_dialog();
    void on_command(unsigned id, unsigned code);
    void on_show(bool shown);
    void on_expanded_mode(bool on);
    void on_track_started(std::wstring* title);
    void on_drive_changed(bool arrived, wchar_t letter);
    void on_library_command(WPARAM command, LPARAM data);
    void on_close_command();
    void create_controls();
    void draw_button_images();
    void size_skin();
    void close_page();
    void set_path(const std::wstring& text);
    void fit_path_line();
    std::vector<std::wstring> node_path(HTREEITEM node);
    void initial_path_line();
    HTREEITEM insert(const wchar_t* text, HTREEITEM parent, int image_key, DWORD code, const std::wstring& key);
    void forget_nodes();
    HTREEITEM add_drive_node(wchar_t letter);
    HTREEITEM find_by_key(const std::wstring& key);
    HTREEITEM find_by_type(int type);

    library_window_services& s_;
    dib* first_image_;
    dib* second_image_;
    library_skin look_;
    skin* skin_;
    scroll_ctrl hscroll_;
    scroll_ctrl vscroll_;
    skin_tree tree_;
    splitter pane_splitter_;
    splitter companion_splitter_;
    button switch_button_;
    button new_post_button_;
    dib branch_image_, broadcast_image_, new_post_image_;
    RECT initial_client_;
    RECT saved_rect_;
    page_view* page_;
    HWND companion_;
    int requested_type_;
    std::map<HTREEITEM, std::wstring> item_keys_;
    std::map<HTREEITEM, wchar_t> drive_items_;
    std::map<HTREEITEM, int> image_keys_;
    HTREEITEM cd_node_;
    HTREEITEM marked_store_;
    bool store_tree_mode_;
    bool shown_before_expand_;

    static library_window* current_;
};
