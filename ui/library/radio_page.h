#pragma once
// radio_page: the library page of internet radio stations and streams of one
// category (page type 1). The category "24hradio" (in any case) gets the
// detailed layout of nine columns (address hidden, genre, time, name,
// quality, comment "O"/"X", homepage button "H", listen image, "추가");
// every other category the plain one of four (address hidden, name, listen
// image, "추가"). A double-click or the listen image plays the station in
// the default playlist, a drag carries it out of the list, "추가" makes it
// a favourite of the channel page and reports it to the service, "H" opens
// the station's homepage with the shell.
//
// What the page reaches outside itself goes through radio_page_services;
// the running player's are used unless a test sets its own. User-interface
// thread only.
#include <windows.h>

#include <vector>

#include "list_info.h"
#include "page_view.h"
#include "service_records.h"
#include "stringx.h"

class radio_page_services {
public:
    virtual ~radio_page_services() = default;
    // service_client::check_user_channels: the stations of a category,
    // appended to records; false when the request failed.
    virtual bool stations(const stringx& key, std::vector<radio_record>& records) = 0;
    // core::add_file: the entries an address expands to (none when it
    // cannot be expanded).
    virtual std::vector<list_info> expand(const stringx& address) = 0;
    // Empties the active playlist, fills the default playlist with the
    // entries, makes it active and current and plays its first entry.
    virtual void play_in_default_playlist(const std::vector<list_info>& entries) = 0;
    // The system drag of the entries out of the list window.
    virtual void drag_entries(HWND list, const std::vector<list_info>& entries) = 0;
    // service_client::add_favourite (kept once).
    virtual void add_favourite(const stringx& text) = 0;
    // A message box over the owner.
    virtual void message(HWND owner, const wchar_t* text, const wchar_t* caption) = 0;
    // Reports the favourite to the service ("favorite_ch" with the store's
    // fields and without the PC group); the reply is not read.
    virtual void report_favourite(const stringx& address, const stringx& name) = 0;
    // Opens an address with the shell ("open", no parameters).
    virtual void shell_open(const stringx& address) = 0;
};

// The running player's services.
radio_page_services& player_radio_page_services();
// The services the next radio pages use; null restores the player's.
void set_radio_page_services(radio_page_services* services);

class radio_page : public page_view {
public:
    enum { address_column = 0 };
    // Detailed layout.
    enum { genre_column = 1, time_column = 2, detail_name_column = 3, quality_column = 4, comment_column = 5,
           homepage_column = 6, detail_listen_column = 7, detail_favourite_column = 8 };
    // Plain layout.
    enum { plain_name_column = 1, plain_listen_column = 2, plain_favourite_column = 3 };

    explicit radio_page(radio_page_services& services);

    // Creates the list in the parent at the rectangle, asks for the
    // category's stations and fills the rows. False when the list could not
    // be made.
    bool build(const stringx& key, HWND parent, const RECT& rect, library_skin* skin);

    bool detailed() const { return detailed_; }
    const stringx& page_key() const { return page_key_; }
    const std::vector<stringx>& homepages() const { return homepages_; }

    // The actions of a row (as the notifications run them).
    void play_row(int row);
    void add_favourite_row(int row);
    void open_homepage_row(int row);
    void drag_row(int row);

    stringx get_cell_text(int row, int column) override;
    void draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

    // The text of the comment column for a record's flag: "O" when it reads
    // as a non-zero integer, else "X".
    static const wchar_t* comment_text(const stringx& flag);

private:
    int name_column() const { return detailed_ ? int(detail_name_column) : int(plain_name_column); }
    // The row's entries: its address expanded, artists emptied, titles the
    // station's name.
    std::vector<list_info> row_entries(int row);
    void fit_columns();

    radio_page_services& services_;
    stringx page_key_;
    std::vector<stringx> homepages_;
    bool detailed_ = false;
};

// The page maker of create_page for type 1.
page_view* make_radio_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin);
