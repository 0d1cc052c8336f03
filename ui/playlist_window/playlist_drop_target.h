#pragma once
// playlist_drop_target: files, folders and entries dropped on the
// now-playing list. While something is dragged over the list a 20 ms timer
// scrolls it when the pointer is near its top or bottom edge. A COM object
// (reference counted); the list registers it on its window.
#include "drag_drop.h"
#include "timer.h"

class playlist_view;

class playlist_drop_target : public drop_target {
public:
    playlist_drop_target(HWND list_window, playlist_view& view);

    STDMETHODIMP DragOver(DWORD key_state, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    // The dropped paths or entries go to the list; false when the data
    // holds neither (the medium is released here then).
    bool on_drop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect, POINTL* point) override;

private:
    class scroller : public timer {
    public:
        explicit scroller(playlist_drop_target& owner) : owner_(owner) {}
        void tick() override { owner_.scroll_tick(); }

    private:
        playlist_drop_target& owner_;
    };
    void scroll_tick();

    playlist_view& view_;
    scroller scroller_;
};
