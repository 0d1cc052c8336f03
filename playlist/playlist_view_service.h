#pragma once
// playlist_view_service: the now-playing list view of the playlist window,
// a singleton of the user interface. The music player keeps one per
// playlist the selected rows and the top row, and puts them back when the
// playlist is shown again. Every operation does nothing (0) while the
// window does not exist. Called on the user-interface thread.
#include <vector>
#include "component.h"

class playlist_view_service : public component {
public:
    static constexpr GUID iid = {0xBBB71D92, 0xB5CE, 0x41EE, {0x88, 0xF1, 0x87, 0x40, 0xB3, 0x4A, 0x45, 0x02}};

    virtual int item_count() = 0;                              // slot 2
    virtual void selected_indices(std::vector<int>& rows) = 0;  // slot 3: appends, ascending
    virtual void slot_4() {}
    virtual void slot_5() {}
    virtual void set_selected(int row, bool selected) = 0;     // slot 6
    virtual void slot_7() {}
    virtual int top_index() = 0;                               // slot 8
    virtual void set_top_index(int row) = 0;                   // slot 9
};
