#pragma once
// header_ctrl: the header of a report-style list view with a flat look of
// three colours, a row 1.4 times the height the common control proposes, and
// columns the user cannot resize. It attaches to the list view's existing
// header window (subclass::init with the handle from LVM_GETHEADER) and
// paints the whole header itself.
//
// Header notifications that the list view receives (WM_NOTIFY) are first
// offered back to the header that sent them as message msg_header_notify,
// through a small object that on_subclass attaches to the list view and that
// deletes itself when the list view is destroyed. Every child of that list
// view then receives msg_header_notify for its notifications and answers 0
// by default. A non-zero answer becomes the answer of WM_NOTIFY; answering
// HDN_BEGINTRACKW with 1 refuses a divider drag.
//
// header_ctrl2 draws one more line along the top. User-interface thread only.
#include <windows.h>

#include <vector>

#include "subclass.h"
#include "zel_export.h"

class ZEL_CORE_API header_ctrl : public subclass {
public:
    // The number shared with the skin engine's resize notice (lParam there
    // is a size, here an NMHDR*).
    static const UINT msg_header_notify = 10524;

    header_ctrl();
    ~header_ctrl() override;

    // Repaints with the new colours when the window exists.
    void set_color(COLORREF line, COLORREF background, COLORREF text);
    // Fixed columns refuse divider drags; each column is listed once.
    void set_fixed_item(unsigned int column, bool fixed);
    bool is_fixed_item(unsigned int column) const;

    COLORREF get_line_color() const { return line_; }
    COLORREF get_background_color() const { return background_; }
    COLORREF get_text_color() const { return text_; }

    void on_subclass() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    // The header's height for the height the common control proposes.
    virtual unsigned int item_height(unsigned int height);
    // One item: its separator at the right edge and its centred text.
    virtual void draw_item(unsigned int index, HDC dc, RECT& rect, const wchar_t* text);
    // The background and the line along the bottom.
    virtual void draw_header(HDC dc, RECT& rect);

protected:
    void on_paint(HDC dc);
    void draw_line(HDC dc, int x1, int y1, int x2, int y2);

private:
    COLORREF line_;
    COLORREF background_;
    COLORREF text_;
    std::vector<unsigned int> fixed_;
};

class ZEL_CORE_API header_ctrl2 : public header_ctrl {
public:
    void draw_header(HDC dc, RECT& rect) override;
};
