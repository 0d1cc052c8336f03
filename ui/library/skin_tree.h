#pragma once
// skin_tree: the library window's tree (a tree view wrapped by tree_ctrl)
// drawing its items itself: white rows, a grey bar under the selected one,
// its own expand glyphs, an image per item, roots bold and blue. Its native
// scroll bars are pushed out of the client area and two skinned scroll_ctrl
// bars (the window's, not owned) follow the tree instead. One left click
// expands or collapses an item.
//
// The tree's parent gets a hook (skin_tree_parent_hook) that sends the
// tree's custom-draw and delete notifications back to the tree as message
// 10524, where the tree draws and forgets item images.
//
// playing_item and pressed_item are the fields through which the pages mark
// the category whose channel plays (read for the library window's path
// line). User-interface thread only; images stay their owner's.
#include <windows.h>
#include <commctrl.h>

#include <map>

#include "dib.h"
#include "scroll_ctrl.h"
#include "subclass.h"
#include "tree_ctrl.h"

class skin_tree : public tree_ctrl, public subclass {
public:
    static const UINT msg_reflected_notify = 10524;

    skin_tree(scroll_ctrl* hscroll, scroll_ctrl* vscroll);
    ~skin_tree() override;

    // Creates the bold font, sets the item height to 20 and hooks the parent.
    void on_subclass() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

    using tree_ctrl::insert_item;
    // Inserted expanded as the last child of parent (or after insert_after);
    // the image is kept for the node when the insertion succeeded.
    HTREEITEM insert_item(const wchar_t* text, HTREEITEM parent, HTREEITEM insert_after, dib* image);
    // A new text, and the image when both image and node are given.
    void set_item(HTREEITEM node, const wchar_t* text, dib* image);
    void set_glyphs(dib* collapsed, dib* expanded);
    // The number of ancestors: 0 for a root, a null node or TVI_ROOT.
    int item_depth(HTREEITEM node);
    // The node's image; null without one.
    dib* image_of(HTREEITEM node) const;
    size_t image_count() const { return images_.size(); }
    // The roots' font: the tree's own made bold.
    HFONT bold_font() const { return bold_font_; }

    HTREEITEM playing_item;
    HTREEITEM pressed_item;

private:
    LRESULT on_custom_draw(NMTVCUSTOMDRAW* draw);
    void draw_item(NMTVCUSTOMDRAW* draw);
    bool on_button(UINT msg, LPARAM lparam);
    void post_scroll_position();
    void sync_bars();

    scroll_ctrl* hscroll_;
    scroll_ctrl* vscroll_;
    std::map<HTREEITEM, dib*> images_;
    dib* collapsed_glyph_;
    dib* expanded_glyph_;
    HFONT bold_font_;
};
