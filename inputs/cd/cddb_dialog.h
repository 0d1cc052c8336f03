#pragma once
// cddb_dialog: the modal lookup of a disc's titles. While the dialog shows a
// site line and a status line, its own thread asks the CDDB server for the
// disc (the server's first site, the first match) and, when any CDDB step
// fails, reads the disc's CD-Text. It appends one entry per audio track,
// with the found texts, to the drive's title list and closes the dialog; the
// caller learns the outcome from that list alone.
//
// The caller keeps the drive table locked and the disc's drive current for
// the whole run; the lookup thread reads the disc through the extraction
// layer without taking the lock, and touches the dialog only through
// SetDlgItemTextW and EndDialog. A disc without tracks is not looked up.
#include <windows.h>

#include <string>
#include <vector>

#include "cd_disc.h"
#include "dialog.h"
#include "thread.h"

class cddb_dialog : public dialog, public thread {
public:
    static constexpr const wchar_t* default_path = L"/~cddb/cddb.cgi";
    static constexpr int default_port = 80;

    cddb_dialog(std::vector<cd_disc_track>& titles, cd_disc* disc);
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

    // The whole run as the callers do it: the dialog shown modally over
    // parent from this library's template, the resource module put back
    // afterwards (also when the dialog could not be shown).
    static void look_up(HWND parent, cd_disc& disc, std::vector<cd_disc_track>& titles);

protected:
    void run() override;

private:
    void set_site(const std::wstring& text);
    void set_status(const wchar_t* text);
    void cd_text_fallback();
    void finish();

    std::vector<cd_disc_track>& titles_;
    cd_disc* disc_;
};
