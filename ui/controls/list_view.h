#pragma once
// list_view: the skinned list of every list window of the user interface.
//
// It wraps a report-style list view ("SysListView32", owner drawn) in a
// container window of its own class "ZEL_LISTVIEW", draws every cell itself,
// can replace the native scroll bars by two skinned scroll_ctrl bars and the
// header by a header_ctrl2, shows the text of the cell under the mouse as a
// tooltip, and can show in chosen columns a per-row image or text that steps
// on when it is clicked (a column_images set).
//
// Derived lists add their columns, data and commands by replacing the
// virtual slots. A replaced on_subclass calls the base's; a replaced
// window_proc or on_message hands every message it does not consume to the
// one it replaces.
//
// The object is a subclass of the list view window; the container window
// finds the object through its property "LISTVIEW". Windows and object may
// end in either order: destroying the windows (with their parent, say)
// leaves an object that only waits to be deleted; deleting the object first
// destroys its windows. User-interface thread only. Images handed to the
// list are the caller's and must outlive it.
#include <windows.h>

#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "dib.h"
#include "header_ctrl.h"
#include "list_ctrl.h"
#include "scroll_ctrl.h"
#include "stringx.h"
#include "subclass.h"

// The per-row images or texts of one column: row r shows images[rows[r]] or,
// when texts has an entry there that is not empty, texts[rows[r]].
struct column_images {
    int alignment = 0;  // 0 left, 1 centred, 2 right
    std::vector<dib*> images;
    std::vector<std::wstring> texts;
    std::vector<unsigned> rows;
};

class list_view : public subclass, public list_ctrl {
public:
    static constexpr const wchar_t* class_name = L"ZEL_LISTVIEW";
    static const unsigned hscroll_id = 12345;
    static const unsigned vscroll_id = 12346;
    // The list view window's own control id in its container.
    static const unsigned list_id = 1;

    list_view();
    // Destroys the windows that still exist, then the parts.
    ~list_view() override;

    // Registers the container class and creates the container as a visible
    // child of parent at rect. True when the container was made.
    bool create(HWND parent, const RECT* rect, bool owner_data, int top_margin, int bottom_margin);

    // Before create: the skinned bars' channel, thumb, minus and plus images.
    void set_hscroll_images(dib* channel, dib* thumb, dib* minus, dib* plus);
    void set_vscroll_images(dib* channel, dib* thumb, dib* minus, dib* plus);

    // Keeps a copy of the set for the column (replacing an earlier one), with
    // one index 0 per existing row.
    void set_column_images(int column, const column_images& set);
    column_images* find_column_images(int column);
    void set_fixed_column(int column, bool fixed);
    // Returns the previous normal text colour.
    COLORREF set_text_colors(COLORREF normal, COLORREF selected);
    void set_selection_color(COLORREF colour);

    // With vertical bar images only: a negative position puts the own bar at
    // the list's scroll position; another one scrolls the list there.
    void sync_vscroll(int position);
    // The row's image or text of the column's set, drawn into the cell.
    void draw_cell_images(HDC dc, const RECT* cell, int row, int column, unsigned flags);
    // The set whose image or text of the cell under the point (list client
    // coordinates) holds the point, and that image's or text's rectangle.
    column_images* image_at(int x, int y, RECT* out);

    // Virtual slots.
    void on_subclass() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    virtual int row_height(int height);
    // flags: bit 0 selected; bits 8 and up the item state shifted right by 9.
    virtual void draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags);
    // alignment 0 left, 1 right, 2 centred; other codes draw nothing.
    virtual void draw_cell_text(int row, int column, HDC dc, RECT* rect, unsigned flags, int alignment,
                                const wchar_t* text);
    virtual stringx get_cell_text(int row, int column);
    // The container window's messages.
    virtual LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam);
    virtual void create_list();

    HWND get_container() const { return container_; }
    HWND get_list() const { return window; }
    HWND get_tooltip() const { return tooltip_; }
    scroll_ctrl& hscroll() { return hbar_; }
    scroll_ctrl& vscroll() { return vbar_; }
    header_ctrl2& header() { return header_; }
    int measured_row_height() const { return row_height_; }
    const std::wstring& tooltip_text() const { return tip_text_; }

protected:
    static LRESULT CALLBACK container_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    // The container's layout of the list and the bars.
    void layout();
    void fit_bars();
    void on_list_notify(NMHDR* header);
    void on_draw_item(const DRAWITEMSTRUCT* item);
    void on_mouse_move(UINT msg, WPARAM wparam, LPARAM lparam);
    void on_cell_image_click(POINT point, column_images* set, const RECT& area);
    void set_tip_text(const std::wstring& text);
    // The rectangle of the row's image or text inside the cell; false when
    // the row shows neither.
    bool item_rect(const column_images& set, int row, const RECT& cell, HDC dc, RECT& out, std::wstring* text,
                   dib** image);
    int vbar_width() const;
    int hbar_height() const;
    void destroy_windows();

    HWND container_;
    COLORREF background_;
    COLORREF text_;
    COLORREF selected_text_;
    COLORREF selected_background_;
    COLORREF grid_;
    int row_height_;
    bool has_hbar_;
    bool has_vbar_;
    dib* himages_[4];
    dib* vimages_[4];
    scroll_ctrl hbar_;
    scroll_ctrl vbar_;
    header_ctrl2 header_;
    HWND tooltip_;
    std::wstring tip_text_;
    TOOLINFOW tool_;
    int hover_row_;
    int hover_column_;
    int top_margin_;
    int bottom_margin_;
    std::map<int, column_images> cell_images_;
    bool row_height_measured_;
    bool owner_data_;
};
