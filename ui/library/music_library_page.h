#pragma once
// music_library_page: the library pages of the user's music.
//
// Page type 4, the music folders: the folders the user listed (kept in the
// per-user settings, section "folders", keys "folder0" to "folder999"), an
// "추가" button under them that adds a folder, and below the page its
// companion folder_file_list with the tracks of the selected folder. The
// open folder page is the library_add_item target: folders of files dropped
// on the player windows are appended to it.
//
// Page type 5, one audio CD drive: the disc's tracks, titled by the lookup
// that runs when the page opens, one row per track with its file name
// "E:\Track01.cda".
//
// Play pressed with an empty playlist reaches the page as msg_library_enqueue:
// the page's tracks go to the music player's active playlist and its entry 0
// plays. User-interface thread only.
#include <windows.h>

#include <memory>
#include <vector>

#include "library_add_item.h"
#include "list_info.h"
#include "page_view.h"
#include "stringx.h"

// What the music pages reach outside the window: the settings, the folder
// listing and the expansion of files into entries (inline or behind the
// progress dialog), the CD title lookup, the folder picker and the music
// player. The real ones use the core library; tests give fakes.
class music_library_services {
public:
    virtual ~music_library_services() = default;
    // Section "folders" of the per-user settings.
    virtual stringx read_folder_key(const wchar_t* key) = 0;
    virtual void write_folder_key(const wchar_t* key, const wchar_t* value) = 0;
    // The playable files directly in the folder, sorted ascending.
    virtual void find_files(const wchar_t* folder, std::vector<stringx>& files) = 0;
    // Appends the entries a path stands for (tags read by the inputs).
    virtual void expand(const wchar_t* path, std::vector<list_info>& entries) = 0;
    // The entries of many files, expanded on a worker thread behind the
    // modal progress dialog owned by owner.
    virtual std::vector<list_info> expand_with_progress(HWND owner, const std::vector<stringx>& files) = 0;
    // The window that owns the progress dialog (the library window).
    virtual HWND progress_owner(HWND fallback) = 0;
    // Lets pending window messages run.
    virtual void pump(HWND window) = 0;
    // The title lookup of the disc in the drive (modal over parent).
    virtual void cd_lookup(HWND parent, wchar_t drive_letter) = 0;
    // The folder the user picks; false when cancelled.
    virtual bool pick_folder(HWND owner, stringx& folder) = 0;
    // Appends the entries to the music player's active playlist and plays
    // its entry 0 when it then holds any.
    virtual void enqueue(const std::vector<list_info>& entries) = 0;
    // Whether the main window is in its expanded mode.
    virtual bool expanded() = 0;
};

// The services the pages use: the core library's unless a test set others
// (null restores the core library's).
music_library_services& current_music_library_services();
void set_music_library_services(music_library_services* services);

// Folders of more than this many files are expanded behind the progress
// dialog; smaller ones inline.
constexpr size_t inline_scan_limit = 50;

// The row text of an entry's column 1: its title, or, when it has neither
// artist nor title, the file's name without folder and extension.
stringx track_row_title(const list_info& entry);

class folder_file_list : public list_view, public page_companion {
public:
    folder_file_list() = default;
    ~folder_file_list() override { *alive_ = false; }
    HWND get_hwnd() const override { return get_container(); }

    bool build(HWND parent, const RECT& rect, library_skin* skin);
    // Lists the tracks of the folder; a null or empty folder empties the
    // list. True when the scan went through the progress dialog. The inline
    // scan lets window messages run, which may close the page and delete
    // this object: alive() tells the caller.
    bool scan(const wchar_t* folder);
    // False once the object is deleted (hold a copy before the call).
    std::shared_ptr<bool> alive() const { return alive_; }

    const std::vector<list_info>& entries() const { return entries_; }
    // The entries of the selected rows in row order.
    std::vector<list_info> selected_entries();

    int row_height(int height) override;
    void draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) override;
    stringx get_cell_text(int row, int column) override;
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    std::vector<list_info> entries_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class music_library_page : public page_view {
public:
    static constexpr int add_button_id = 101;

    music_library_page();
    ~music_library_page() override;

    // drive_letter 0 builds the folder page, another the audio CD page.
    bool build(HWND parent, const RECT& rect, library_skin* skin, wchar_t drive_letter);

    // Appends a folder row; its index.
    int add_folder(const wchar_t* path);
    // The add button's work after the folder was picked: appends and selects
    // the folder unless a row already holds it (compared without case).
    // True when it was added.
    bool add_picked_folder(const wchar_t* path);
    // The open folder page, the library_add_item target; null without one.
    static music_library_page* folder_target();

    wchar_t drive_letter() const { return drive_letter_; }
    HWND add_button() const { return add_button_; }
    folder_file_list* file_list() const { return files_; }
    const std::vector<list_info>& entries() const { return entries_; }
    // The tracks the page hands on: the CD page's selected entries, the
    // folder page's tracks of the selected folder.
    std::vector<list_info> page_tracks(bool all);

    void create_list() override;
    void draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) override;
    stringx get_cell_text(int row, int column) override;
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    void read_folders();
    void save_folders();
    void fill_cd_rows();
    void on_notify(NMHDR* header);
    void place_button();
    void draw_add_button(const DRAWITEMSTRUCT* item);

    wchar_t drive_letter_;
    HWND add_button_;
    folder_file_list* files_;  // the companion on the folder page
    std::vector<list_info> entries_;
    int last_item_;
    bool saved_;
    std::shared_ptr<bool> alive_;  // false once deleted (scans let messages run)
};

// The page maker of create_page for types 4 and 5.
page_view* make_music_folder_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin);
page_view* make_music_cd_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin);

// The library_add_item object (registered with zel_ui): the player windows
// hand it the folders of dropped files, which it appends to the open folder
// page; without one it adds nothing and answers 0.
class folder_page_add_item : public singleton_component<library_add_item> {
public:
    int add(const wchar_t* path) override;
};
