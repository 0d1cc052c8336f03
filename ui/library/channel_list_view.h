#pragma once
// channel_list_view: the library page of the channels of one service
// category (page type 0), or, for the key "즐겨찾기", of the store's
// favourites. From it the user starts a channel (double-click or the listen
// image), adds a channel to the favourites ("추가") and starts or removes a
// favourite ("삭제"); adding and removing are reported to the service. A
// favourite is a channel id or a stream or file address, kept by the
// service client as "key^title".
//
// The rows are fetched once, at the build. It reaches the rest through
// channel_page_services (channel_page_services.h). User-interface thread
// only; the service requests block it.
#include <string>

#include "channel_page_services.h"
#include "page_view.h"

class channel_list_view : public page_view {
public:
    enum : int {
        // The channel layout's columns.
        column_name = 0,
        column_title = 1,
        column_genre = 2,
        column_purpose = 3,
        column_listen = 4,
        column_add = 5,
        // The favourites layout's.
        column_key = 0,
        column_favourite_title = 1,
        column_favourite_listen = 2,
        column_remove = 3,
    };
    static constexpr const wchar_t* favourites_key = L"즐겨찾기";

    explicit channel_list_view(channel_page_services& services);
    ~channel_list_view() override;

    // Creates the list in parent at rect and fills it; false when the list
    // could not be made. skin may be null (no skinned bars, no listen image).
    bool build(const stringx& key, HWND parent, const RECT& rect, library_skin* skin);

    bool favourites_layout() const { return favourites_; }
    int selected_row() const { return selected_row_; }
    const std::wstring& page_key() const { return key_; }

    // What a click on a row's cell image does (also sent by the list as
    // msg_list_view_notify): the listen image, "추가" or "삭제".
    void on_cell_click(int row, int column);
    // A double-click on the first selected row.
    void on_double_click();

    void check_channel(int id);
    void start_current_channel();
    void start_favourite_channel();

    // list_view's slots.
    int row_height(int height) override;
    void draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) override;
    void draw_cell_text(int row, int column, HDC dc, RECT* rect, unsigned flags, int alignment,
                        const wchar_t* text) override;
    stringx get_cell_text(int row, int column) override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

    // The label of a speed text ("fast" → "[Fast]"); empty for others.
    static std::wstring speed_label(const std::wstring& speed);

private:
    void build_channels(const RECT& rect, library_skin* skin);
    void build_favourites(const RECT& rect, library_skin* skin);
    void fit_columns(int width);
    void on_selection_changed();
    void add_favourite(int row);
    void remove_favourite(int row);
    void play_address_favourite(int row);
    int row_id(int row);
    int first_selected();

    channel_page_services& s_;
    std::wstring key_;
    bool favourites_;
    HFONT name_font_;
    int selected_row_;
};

// The page factory's maker of page type 0 (channel_page_wiring.cpp).
page_view* make_channel_list_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin);
