#pragma once
// launcher_link: a player instance's side of multi-instance play. It starts
// the launcher (zel_mtplayer.exe) when a login names several stores, and when
// the launcher started this player it joins the launcher through a hidden
// window, takes the store's user id, password, sound device and display name
// from it, reports the player's state to it and lets it show, hide and close
// the player. A service of zel_addv2.
//
// Ownership: a singleton; callers take it with
// core::enum_create_component(launcher_link::iid, 0) and never release it.
// It may be missing: the player then runs as a single instance.
//
// Threading: the user-interface thread only (the client window, its hooks
// and the 100 ms report timer run there too).
#include "component.h"

class launcher_link : public component {
public:
    static constexpr GUID iid = {0xD5F4587D, 0x896B, 0x4B4C, {0xB3, 0x74, 0xE7, 0x4A, 0x3E, 0x34, 0xDF, 0xCC}};

    // Slot 2: starts the launcher with the account's id, password and the
    // login reply's store rows. False when a launcher runs already, when
    // zel_mtplayer.exe is missing beside the host program, when the values
    // cannot travel safely on its command line, or when it cannot be started.
    virtual bool start_launcher(const wchar_t* id, const wchar_t* password, const wchar_t* ids) = 0;
    // Slot 3: joins the launcher that started this player. True when the
    // launcher answered with a user id, a password and a sound device this
    // instance lists. The texts handed out are the link's own, valid until
    // the link leaves the launcher; device is -1 when none was found.
    virtual bool connect(const wchar_t** id, const wchar_t** password, int* device) = 0;
    // Slot 4.
    virtual bool is_connected() = 0;
    // Slot 5: this instance handed its stores to a new launcher and must close.
    virtual bool launcher_started() = 0;
    // Slot 6: passes a message (a failed login's) to the launcher. False
    // when not connected or the launcher is gone; true without sending for
    // an empty text.
    virtual bool report_message(const wchar_t* text) = 0;
    // Slot 7: a top-level window of the player that the launcher shows and
    // hides (only while connected; a window given twice is kept once).
    virtual void add_window(HWND window) = 0;
    // Slot 8: hides the registered windows and tells the launcher (only
    // while connected).
    virtual void hide_windows() = 0;
};
