#pragma once
// cddb_dialog: the modal lookup of a disc's titles. While the dialog shows a
// site line and a status line, its own thread asks the CDDB server for the
// disc (the server's first site, the first match) and, when any CDDB step
// fails, reads the disc's CD-Text. It appends one entry per audio track,
// with the found texts, to the drive's title list and closes the dialog; the
// caller learns the outcome from that list alone.
//
// The lookup works on a copy of the disc's table (the caller lets go of the
// drive table while the dialog runs, and a call served by the dialog's modal
// loop may re-read the disc); it takes the table's lock only to read the
// CD-Text, with the disc's drive made current. The thread touches the dialog
// only through SetDlgItemTextW and EndDialog. A disc without tracks is not
// looked up. The whole lookup is bounded (lookup_limit_ms), and the dialog's
// Cancel button (or Esc) ends it: the titles are then left empty.
//
// Titles are put on the disc's own track numbers, which need not start at 1.
#include <windows.h>

#include <string>
#include <vector>

#include "cd_disc.h"
#include "cddb_client.h"
#include "dialog.h"
#include "thread.h"

class cddb_dialog : public dialog, public thread {
public:
    static constexpr const wchar_t* default_path = L"/~cddb/cddb.cgi";
    static constexpr int default_port = 80;

    // drive: the index of the disc's drive, made current to read CD-Text; -1
    // reads from whichever drive is current.
    cddb_dialog(std::vector<cd_disc_track>& titles, cd_disc* disc, int drive = -1);
    // Waits for the lookup thread to end.
    ~cddb_dialog() override;

    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // The module whose resources were in use before the caller made this
    // library's module current; put back when the dialog opens.
    HINSTANCE saved_instance = nullptr;

    // The module of this code (zel_in_std, or the program it is linked into).
    static HINSTANCE own_module();
    // The CDDB server asked for its sites. Tests point it elsewhere; a null
    // host puts the default back.
    static void set_default_server(const wchar_t* host, int port);
    static std::wstring default_host();
    static int default_server_port();
    // The bound of a whole lookup's CDDB commands, 30 s; tests shorten it (0
    // puts the default back).
    static void set_lookup_limit(DWORD ms);
    static DWORD lookup_limit();

    // The whole run as the callers do it: the dialog shown modally over
    // parent from this library's template, the resource module put back
    // afterwards (also when the dialog could not be shown).
    static void look_up(HWND parent, cd_disc& disc, std::vector<cd_disc_track>& titles, int drive = -1);

protected:
    void run() override;

private:
    void set_site(const std::wstring& text);
    void set_status(const wchar_t* text);
    void cd_text_fallback();
    void finish();
    // After a failed step: CD-Text unless the user cancelled; then the end.
    void give_up();

    std::vector<cd_disc_track>& titles_;
    cd_disc* disc_;
    int drive_;
    cddb_client client_;
};
