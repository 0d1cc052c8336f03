#pragma once
// skin: turns an ordinary top-level window into a skinned one. Attached as a
// subclass object, it removes the caption and sizing frame, composes a back
// buffer from pieces of PNG images, cuts the window region from it (every
// pixel that is not the key colour 0xFF00FF belongs to the window), paints
// the window from it, and draws controls and statics on top, turning mouse
// input into the messages real controls send:
//   a click        WM_COMMAND (id, lParam -1), posted;
//   a slider move  WM_HSCROLL / WM_VSCROLL (SB_THUMBPOSITION | position << 16,
//                  lParam = the control's id), posted;
//   a resize drag  msg_skin_resized (width, height), sent to the window and
//                  to the owner window when one is set.
// A WM_COMMAND the window receives for an id that is no child window's is
// also posted to the owner as WM_COMMAND (id, 0).
//
// Building order: subclassing, load the images, add_region, add_resize_region
// for each piece of a resizable skin, create_skin or create_resize_skin,
// add_control / add_static for every element, delete_backup_image. Later
// refresh_resize_skin after the window was resized, and unsubclass (or the
// destructor) at the end.
//
// Everything runs on the user-interface thread. The skin owns its regions
// (and their images), controls, statics, item list and detail group; the
// resize pieces stay the creator's.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "critsec.h"
#include "dib.h"
#include "skin_control.h"
#include "skin_static.h"
#include "subclass.h"
#include "zel_export.h"

const UINT msg_skin_resized = 10524;

// A source image of the skin: its part rect is drawn at position.
struct _region {
    RECT rect;
    POINT position;
    dib* image;
};

// One piece of a resizable skin (a nine-grid and fixed pieces in its rows).
// Kinds: 0 top-left, 1 top edge, 2 top-right, 3 left edge, 4 centre, 5 right
// edge, 6 bottom-left, 7 bottom edge, 8 bottom-right, 9 fixed piece in the
// top row, 12 fixed piece in the centre row, 13 fixed piece in the bottom
// row; other kinds stay where they are.
struct ZEL_CORE_API _resize_region {
    _resize_region();
    _resize_region(const _resize_region&) = delete;
    _resize_region& operator=(const _resize_region&) = delete;

    RECT grip;  // where the pointer starts a resize with this piece; empty: none
    RECT initial_grip;
    int kind;
    RECT initial_placement;
    RECT placement;  // where the piece is drawn in the window
    RECT source;     // in the first region's image
    RECT second_source;
    POINT second_position;
    dib image;  // cut by the skin
};

class ZEL_CORE_API skin : public subclass {
public:
    // Nonzero resizable enables the resize grips.
    explicit skin(int resizable);
    ~skin() override;

    // Removes caption, sizing frame and maximize box, makes the tooltip
    // window and attaches to the window.
    void subclassing(HWND hwnd);
    // Detaches and deletes tooltip window, regions, controls and statics.
    void unsubclass();
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

    // --- images; each returns a new dib the caller owns ---
    // Null when missing or not decodable.
    static dib* load_png_resource(const wchar_t* type, unsigned long id);
    static dib* load_png_memory(const unsigned char* bytes, unsigned int length);
    static dib* load_png_from_file(const wchar_t* path);
    // Always a dib, empty when loading failed.
    static dib* load_bitmap_from_file(const wchar_t* path);
    static dib* load_bitmap_resource(unsigned long id);
    static dib* load_picture_from_file(const wchar_t* path);
    static dib* load_picture_resource(const wchar_t* type, unsigned long id);

    // --- frame (skin_frame.cpp, skin_resize.cpp) ---
    // The skin owns record and image from now on.
    _region* add_region(const POINT* position, const RECT* rect, dib* image);
    // A fixed skin: back buffer of rect's size from the regions, window
    // region, window resized to it.
    void create_skin(COLORREF key, const RECT* rect);
    // Rebuilds a fixed skin from its regions with plain copies.
    void refresh_skin(const RECT* rect);
    // Cut the piece's image from the first region's image and append it.
    void add_resize_region(_resize_region* piece);
    void add_resize_region_ex(_resize_region* piece);
    // A resizable skin of base size *size from its pieces; the window is
    // resized to it unless keep_size is given.
    void create_resize_skin(COLORREF key, const RECT* size, const RECT* keep_size);
    // Lays the pieces and their controls out for a new window size (never
    // below the base size).
    void refresh_resize_skin(const RECT* new_rect, int invalidate);
    // Drops the region images once every control and static is cut.
    void delete_backup_image();
    void clear_region();

    HDC get_dc() const { return back_.get_memdc(); }
    HWND get_tooltip() const { return tooltip_; }
    const dib& back_buffer() const { return back_; }
    int get_width() const { return back_width_; }
    int get_height() const { return back_height_; }
    const RECT& base_size() const { return base_size_; }
    HWND get_owner() const { return owner_; }
    void set_owner(HWND owner) { owner_ = owner; }
    const std::vector<_resize_region*>& resize_regions() const { return pieces_; }

    // --- controls (skin_control.cpp, skin_slider.cpp) ---
    void add_control(_region* region, skin_control* control);
    // Removes the control from the list without deleting it.
    bool delete_control(skin_control* control);
    void clear_control();
    skin_control* find_control(POINT point);
    skin_control* get_control(unsigned int id);
    void set_visible(unsigned int id, bool visible);
    void refresh_control(unsigned int id);
    // Redraws the hot control in its resting look.
    void refresh();
    void set_check(unsigned int id, bool checked);
    void set_enable(unsigned int id, bool enabled);
    void set_position(unsigned int id, int value);
    // -1 for a missing control or one that is no slider.
    int get_position(unsigned int id);
    void get_range(unsigned int id, int& min, int& max);
    void set_range(unsigned int id, int min, int max);
    void draw_scroll_position(skin_scroll* control);
    skin_control* get_hot_control() const { return hot_; }
    size_t control_count() const { return controls_.size(); }

    // Orders controls by the distance of their hit centres from (0,0).
    static bool control_comp(const skin_control* a, const skin_control* b);

    // --- statics, progress bars and the item list (skin_static.cpp, skin_list.cpp) ---
    void add_static(_region* region, skin_static* s);
    skin_static* get_static(unsigned int id);
    // Null when no static has the id.
    const wchar_t* get_caption(unsigned int id);
    void set_caption(unsigned int id, const wchar_t* text);
    void refresh_static(unsigned int id);
    void set_static_visible(unsigned int id, bool visible);
    void set_progress_position(unsigned int id, int value);
    int get_progress_position(unsigned int id);
    void get_progress_range(unsigned int id, int& min, int& max);
    void set_progress_range(unsigned int id, int min, int max);
    // The text a progress bar shows: its own, else the percentage.
    static void progress_text(const skin_progress* p, wchar_t* text, size_t size);

    void set_list_control(skin_list_control* list) { list_ = list; }
    skin_list_control* get_list_control() const { return list_; }
    void set_list_detail(skin_list_detail* detail) { detail_ = detail; }
    skin_list_detail* get_list_detail() const { return detail_; }
    void set_check(skin_list_item* item, bool checked);
    void refresh_list_control();
    void set_list_visible(bool visible);
    void set_list_item_visible(skin_list_item* item, bool visible);
    void refresh_list_detail();
    void set_list_detail_visible(bool visible);

private:
    // skin_frame.cpp
    void build_window_region(bool resize_window);
    void on_paint();
    void on_active(bool deactivating);
    bool point_on_live_control(LPARAM lparam);
    bool ui_expanded() const;
    bool window_may_move() const;
    void start_window_move();

    // skin_resize.cpp
    _resize_region* grip_at(POINT point) const;
    void set_grip_edges(const _resize_region* piece);
    void start_resize(const _resize_region* piece);
    void resize_move(int x, int y);
    void end_resize();
    void cancel_resize();
    void move_piece_controls(const RECT& piece, int dx, int dy);
    void draw_outline(const RECT* outline);

    // skin_control.cpp
    void draw_image(dib& image, const RECT& at);
    void draw_look(skin_control* c, dib& image);
    void draw_rest_look(skin_control* c);
    void draw_caption(skin_control* c);
    void invalidate(const RECT& r);
    // Whether the window's tool of that id exists; its text into text (1024
    // characters) when it does.
    bool find_tool(unsigned int id, wchar_t* text);
    void add_tool(unsigned int id, const RECT& r, wchar_t* text);
    void delete_tool(unsigned int id);
    void update_tool_rect(skin_control* c);
    void set_hand_cursor(bool on);

    // skin_input.cpp
    void on_mouse_move(WPARAM flags, POINT p);
    void on_lbutton_down(WPARAM flags, POINT p);
    void on_lbutton_up(WPARAM flags, POINT p);
    void on_capture_changed(HWND new_capture);
    void hover(POINT p);
    void auto_repeat(skin_button* button);
    void click(WPARAM flags, POINT p);

    // skin_slider.cpp
    void start_slider_drag(skin_scroll* s, POINT p);
    void drag_slider(skin_scroll* s, POINT p);
    void end_slider_drag(bool notify);
    void place_thumb(skin_scroll* s, int p);
    void draw_slider(skin_scroll* s);
    void show_value_tip(skin_scroll* s);

    // skin_static.cpp, skin_list.cpp
    void draw_static(skin_static* s);
    void draw_framed_box(skin_progress* p);
    void draw_progress(skin_progress* p);
    void draw_item_caption(skin_list_item* item, bool hot);
    void show_static_tool(skin_static* s);
    void check_list_item(skin_list_item* item);
    void draw_list_item(skin_list_item* item, bool visible);

    HWND owner_;
    std::vector<_region*> regions_;
    std::vector<_resize_region*> pieces_;
    int resizable_;
    bool resizing_;
    std::vector<skin_control*> controls_;
    std::vector<skin_static*> statics_;
    int back_width_;
    int back_height_;
    COLORREF key_;
    dib back_;
    HCURSOR hand_cursor_;
    // Bit 0: the left button is down on a part of the window without a
    // control (a window drag).
    int press_flags_;
    // Bit 1: a slider is being dragged.
    int drag_flags_;
    skin_scroll* dragged_;
    skin_control* hot_;
    POINT drag_start_;
    wchar_t value_text_[260];
    bool repeating_;
    skin_button* repeat_control_;
    HWND tooltip_;
    skin_list_control* list_;
    skin_list_detail* detail_;
    critsec controls_lock_;
    critsec statics_lock_;
    bool active_;
    TOOLINFOW tool_;
    RECT base_size_;
    RECT outline_;
    RECT drawn_outline_;
    bool outline_drawn_;
    bool edge_left_, edge_top_, edge_right_, edge_bottom_;
    // Cleared by the destructor: a nested message loop (the auto-repeat
    // press) finds out whether the skin still exists after dispatching.
    std::shared_ptr<bool> alive_;
};
