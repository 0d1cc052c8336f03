// The library window: its dialog procedure, start, layout, commands,
// expanded mode and path line. The tree and the pages are library_tree.cpp.
#include "library_window.h"

#include "channel_page_services.h"
#include "library_edge.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "library_layout.h"
#include "library_path_line.h"
#include "skinned_label.h"
#include "store_manager.h"
#include "window_messages.h"

library_window* library_window::current_ = nullptr;

namespace {

const COLORREF kButtonInk = 0x2E2E2E;

RECT client_of(HWND hwnd) {
    RECT r = {};
    GetClientRect(hwnd, &r);
    return r;
}

RECT rect_in_parent(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void place(HWND w, const RECT& r) {
    if (w)
        SetWindowPos(w, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void move_to(HWND w, int x, int y) {
    if (w) SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool visible(HWND w) { return w && IsWindowVisible(w); }

// A w x h button image: 0x2E2E2E frame, white inside, the text centred.
void draw_text_button(dib& image, int w, int h, const wchar_t* text) {
    if (!image.create(w, h, 24)) return;
    HDC dc = image.get_memdc();
    const RECT all = {0, 0, w, h}, inside = {1, 1, w - 1, h - 1};
    dib::fill_solid_rect(dc, &all, kButtonInk);
    dib::fill_solid_rect(dc, &inside, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kButtonInk);
    RECT r = all;
    DrawTextW(dc, text, -1, &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
}

}  // namespace

library_window::library_window(library_window_services& services, dib* first_image, dib* second_image)
    : s_(services),
      first_image_(first_image),
      second_image_(second_image),
      skin_(nullptr),
      tree_(&hscroll_, &vscroll_),
      initial_client_{},
      saved_rect_{},
      page_(nullptr),
      companion_(nullptr),
      requested_type_(-1),
      cd_node_(nullptr),
      marked_store_(nullptr),
      store_tree_mode_(false),
      shown_before_expand_(true) {}

library_window::~library_window() {
    if (current_ == this) current_ = nullptr;
    delete page_;
    page_ = nullptr;
}

bool library_window::create_window(HWND parent) {
    // The template's tree view needs its class.
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    return create(template_id, parent);
}

LRESULT library_window::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        on_init_dialog();
        return TRUE;
    case WM_DESTROY:
        if (current_ == this) current_ = nullptr;
        set_channel_page_tree(nullptr);
        close_page();
        s_.undock(hwnd_);
        return 0;
    case WM_NCDESTROY:
        look_.release();
        skin_ = nullptr;
        delete this;
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return TRUE;
    case WM_SHOWWINDOW:
        on_show(wparam != 0);
        return 0;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header && header->idFrom == tree_id && header->code == TVN_SELCHANGEDW)
            open_page(reinterpret_cast<const NMTREEVIEWW*>(lparam)->itemNew.hItem);
        return 0;
    }
    case WM_COMMAND:
        on_command(LOWORD(wparam), HIWORD(wparam));
        return TRUE;
    case WM_HSCROLL:
        return 0;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lparam) == GetDlgItem(hwnd_, notice_id))
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        return 0;
    case msg_cd_drive_changed:
        on_drive_changed(wparam != 0, static_cast<wchar_t>(lparam & 0xFFFF));
        return TRUE;
    case msg_expanded_mode:
        on_expanded_mode(wparam != 0);
        return TRUE;
    case msg_track_started:
        on_track_started(reinterpret_cast<std::wstring*>(lparam));
        return TRUE;
    case msg_library_command:
        on_library_command(wparam, lparam);
        return TRUE;
    case msg_store_list_changed:
        if (page_ && page_->type == 6) PostMessageW(page_->get_hwnd(), msg_store_list_changed, 0, 0);
        return TRUE;
    case msg_store_record_changed:
        // The record is this window's: the store view gets its own copy
        // (and frees it), sent at once so that no copy waits on a page that
        // may go.
        if (lparam && page_ && page_->type == 6)
            SendMessageW(page_->get_hwnd(), msg_store_record_changed, 0,
                         reinterpret_cast<LPARAM>(new store_record(*reinterpret_cast<store_record*>(lparam))));
        delete reinterpret_cast<store_record*>(lparam);
        return TRUE;
    case msg_library_enqueue:
        if (!store_tree_mode_ && page_) {
            const int type = static_cast<int>(tree_.get_item_data(tree_.get_selected_item()) & 0xFFFF);
            if (type == 4 || type == 5) PostMessageW(page_->get_hwnd(), msg_library_enqueue, 0, 0);
        }
        return TRUE;
    case msg_splitter_moved:
        layout_panes();
        return TRUE;
    case msg_skin_resized:
        layout_controls();
        return TRUE;
    default:
        return 0;
    }
}

void library_window::on_init_dialog() {
    marked_store_ = nullptr;
    current_ = this;
    // The layout counts from the face's size: the template's dialog units
    // depend on the font, so the client is set to the face first.
    RECT want = library_skin::face;
    AdjustWindowRectEx(&want, GetWindowLongW(hwnd_, GWL_STYLE), FALSE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
    SetWindowPos(hwnd_, nullptr, 0, 0, want.right - want.left, want.bottom - want.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    skin_ = look_.build(hwnd_, s_.skin_number(), first_image_, second_image_);
    s_.dock(hwnd_);
    initial_client_ = client_of(hwnd_);
    draw_button_images();
    create_controls();
    size_skin();
    build_channel_tree();
    initial_path_line();
    attach_library_edge(hwnd_, [this] { open_page(tree_.get_selected_item()); });
    set_channel_page_tree(&tree_);
}

void library_window::draw_button_images() {
    draw_text_button(branch_image_, 60, 20, L"지점 관리");
    draw_text_button(broadcast_image_, 60, 20, L"방송 관리");
    draw_text_button(new_post_image_, 46, 18, L"새 글");
}

void library_window::create_controls() {
    RECT r = {410, 35, 470, 55};
    switch_button_.init(hwnd_, switch_id, r, &branch_image_, nullptr, nullptr);
    ShowWindow(switch_button_.get_hwnd(), SW_HIDE);
    RECT p = {13, 519, 59, 537};
    new_post_button_.init(hwnd_, new_post_id, p, &new_post_image_, nullptr, nullptr);
    ShowWindow(new_post_button_.get_hwnd(), SW_HIDE);

    dib* pane_tile = look_.image(library_images::pane_splitter);
    dib* companion_tile = look_.image(library_images::companion_splitter);
    const int pane_w = pane_tile ? pane_tile->get_width() : 8;
    RECT pane_range = {178, 59, initial_client_.right - 150, 512};
    pane_splitter_.init(hwnd_, true, pane_tile, pane_range, 178, 59);
    RECT companion_range = {178 + pane_w, 100, 471, initial_client_.bottom - 100};
    companion_splitter_.init(hwnd_, false, companion_tile, companion_range, 178 + pane_w,
                             initial_client_.bottom / 2);
    ShowWindow(companion_splitter_.get_hwnd(), SW_HIDE);

    HWND tree = GetDlgItem(hwnd_, tree_id);
    const library_scroll_images h = look_.hscroll_images(), v = look_.vscroll_images();
    hscroll_.set_channel(h.channel);
    hscroll_.set_thumb(h.thumb);
    hscroll_.set_minus_button(h.minus);
    hscroll_.set_plus_button(h.plus);
    vscroll_.set_channel(v.channel);
    vscroll_.set_thumb(v.thumb);
    vscroll_.set_minus_button(v.minus);
    vscroll_.set_plus_button(v.plus);
    hscroll_.init(hwnd_, tree, 159, h.channel->get_height(), false, list_view::hscroll_id);
    move_to(hscroll_.get_hwnd(), 10, 503);
    vscroll_.init(hwnd_, tree, v.channel->get_width(), 444, true, list_view::vscroll_id);
    move_to(vscroll_.get_hwnd(), 169, 58);
    // Nothing to scroll until the tree says otherwise (skin_tree syncs them).
    for (scroll_ctrl* bar : {&hscroll_, &vscroll_}) {
        bar->set_range(0, 0, true);
        bar->enable(false);
    }
    tree_.init(tree);
    tree_.set_glyphs(look_.image(library_images::glyph_collapsed), look_.image(library_images::glyph_expanded));
    place(tree, RECT{10, 64, 169, 502});

    // The store hours: hours 0-23 and minutes 0-59.
    wchar_t number[8];
    for (unsigned id : {1028u, 1030u})
        for (int i = 0; i < 24; ++i) {
            std::swprintf(number, 8, L"%d", i);
            SendDlgItemMessageW(hwnd_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
        }
    for (unsigned id : {1029u, 1031u})
        for (int i = 0; i < 60; ++i) {
            std::swprintf(number, 8, L"%d", i);
            SendDlgItemMessageW(hwnd_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
        }

    // The path line and the row of the store hours at y 35.
    HWND path = GetDlgItem(hwnd_, path_id);
    const RECT path_rect = rect_in_parent(path);
    move_to(path, 25, 35);
    int widths[6], lefts[6];
    const unsigned row_ids[6] = {open_label_id, 1028, 1029, close_label_id, 1030, 1031};
    for (int i = 0; i < 6; ++i) {
        const RECT c = rect_in_parent(GetDlgItem(hwnd_, row_ids[i]));
        widths[i] = c.right - c.left;
    }
    layout_store_hours(470, widths, lefts);
    for (int i = 0; i < 6; ++i) move_to(GetDlgItem(hwnd_, row_ids[i]), lefts[i], 35);
    ShowWindow(path, SW_HIDE);
    place(GetDlgItem(hwnd_, notice_id), RECT{64, 520, 64 + 258, 536});
    if (skin_) {
        HDC back = skin_->get_dc();
        skinned_label::attach(path, back, 25, 35, path_rect.right - path_rect.left, path_rect.bottom - path_rect.top);
        for (unsigned id : {open_label_id, close_label_id}) {
            const RECT c = rect_in_parent(GetDlgItem(hwnd_, id));
            skinned_label::attach(GetDlgItem(hwnd_, id), back, c.left, c.top, c.right - c.left, c.bottom - c.top);
        }
    }
}

void library_window::size_skin() {
    if (!skin_) return;
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (s_.expanded()) {
        RECT main = {};
        if (s_.main_window()) GetWindowRect(s_.main_window(), &main);
        RECT area = {main.right + 1, work.top, work.right, work.bottom};
        RECT size = {0, 0, area.right - area.left, area.bottom - area.top};
        skin_->refresh_resize_skin(&size, 1);
        move_to(hwnd_, area.left, area.top);
    } else {
        RECT size = initial_client_;
        if (work.right > 800) size.right += 200;
        skin_->refresh_resize_skin(&size, 1);
    }
    layout_controls();
}

void library_window::layout_panes() {
    if (!hwnd_) return;
    dib* pane_tile = look_.image(library_images::pane_splitter);
    dib* companion_tile = look_.image(library_images::companion_splitter);
    library_pane_input in = {};
    in.client = client_of(hwnd_);
    in.initial_client = initial_client_;
    in.pane_left = rect_in_parent(pane_splitter_.get_hwnd()).left;
    in.pane_width = pane_tile ? pane_tile->get_width() : 8;
    in.companion_height = companion_tile ? companion_tile->get_height() : 8;
    in.companion_top = rect_in_parent(companion_splitter_.get_hwnd()).top;
    in.has_companion = companion_ != nullptr;
    in.store_tree = store_tree_mode_;
    in.web_page = page_ && page_->type == 7;
    const library_pane_layout out = layout_library_panes(in);

    RECT pane_range = out.pane_range;
    pane_splitter_.set_range(pane_range);
    move_to(pane_splitter_.get_hwnd(), out.pane_left, out.pane_range.top);
    RECT companion_range = out.companion_range;
    companion_splitter_.set_range(companion_range);
    move_to(companion_splitter_.get_hwnd(), out.companion_range.left, out.companion_top);
    place(tree_.window, out.tree);
    place(vscroll_.get_hwnd(), out.vscroll);
    vscroll_.reinit(out.vscroll.bottom - out.vscroll.top);
    place(hscroll_.get_hwnd(), out.hscroll);
    hscroll_.reinit(out.hscroll.right - out.hscroll.left);
    move_to(switch_button_.get_hwnd(), out.switch_button.left, out.switch_button.top);
    if (page_ && IsWindow(page_->get_hwnd())) {
        place(page_->get_hwnd(), out.page);
        if (companion_ && IsWindow(companion_)) place(companion_, out.companion);
        if (!companion_ && page_->type != 7) InvalidateRect(page_->get_hwnd(), nullptr, TRUE);
    }
}

void library_window::layout_controls() {
    if (!hwnd_) return;
    layout_panes();
    const RECT client = client_of(hwnd_);
    const RECT companion = companion_splitter_.get_range();
    place(GetDlgItem(hwnd_, notice_id), RECT{64, client.bottom - 30, 64 + client.right - 222, client.bottom - 14});
    move_to(new_post_button_.get_hwnd(), 13, client.bottom - 31);
    int widths[6], lefts[6];
    const unsigned row_ids[6] = {open_label_id, 1028, 1029, close_label_id, 1030, 1031};
    for (int i = 0; i < 6; ++i) {
        const RECT c = rect_in_parent(GetDlgItem(hwnd_, row_ids[i]));
        widths[i] = c.right - c.left;
    }
    layout_store_hours(companion.right, widths, lefts);
    for (int i = 0; i < 6; ++i) move_to(GetDlgItem(hwnd_, row_ids[i]), lefts[i], 35);
    HWND set_combo = GetDlgItem(hwnd_, set_combo_id);
    const RECT sc = rect_in_parent(set_combo);
    move_to(set_combo, companion.right - (sc.right - sc.left), 35);
    fit_path_line();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void library_window::fit_path_line() {
    HWND path = GetDlgItem(hwnd_, path_id);
    if (!path) return;
    const RECT p = rect_in_parent(path);
    library_control_input in = {};
    in.client = client_of(hwnd_);
    in.companion_right = companion_splitter_.get_range().right;
    HWND label = GetDlgItem(hwnd_, open_label_id), combo = GetDlgItem(hwnd_, set_combo_id);
    in.open_label_shown = visible(label);
    in.open_label_left = rect_in_parent(label).left;
    in.set_combo_shown = visible(combo);
    in.set_combo_left = rect_in_parent(combo).left;
    in.path_left = p.left;
    const library_control_layout out = layout_library_controls(in);
    place(path, RECT{p.left, p.top, out.path_right, p.bottom});
}

bool library_window::companion_splitter_shown() const { return visible(companion_splitter_.get_hwnd()); }

void library_window::apply_skin(int skin_number) {
    if (!hwnd_) return;
    RECT r = {};
    GetWindowRect(hwnd_, &r);
    s_.undock(hwnd_);
    look_.release();
    skin_ = look_.build(hwnd_, skin_number, first_image_, second_image_);
    if (skin_) {
        RECT size = {0, 0, r.right - r.left, r.bottom - r.top};
        skin_->refresh_resize_skin(&size, 1);
        layout_controls();
        for (unsigned id = 0; id < 4; ++id) skin_->set_visible(id, s_.expanded());
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
    s_.dock(hwnd_);
}

void library_window::on_show(bool shown) {
    s_.tell_window_state(!shown);
    if (!s_.expanded()) shown_before_expand_ = shown;
}

void library_window::on_command(unsigned id, unsigned code) {
    switch (id) {
    case library_buttons::settings:
        if (skin_) skin_->refresh_control(0);
        s_.run_settings(hwnd_);
        break;
    case library_buttons::minimize:
        PostMessageW(s_.main_window(), WM_COMMAND, 2, 0);
        break;
    case library_buttons::restore:
        SendMessageW(s_.main_window(), WM_COMMAND, 10000, 0);
        s_.set_expanded(false);
        break;
    case library_buttons::mini_mode:
        s_.set_expanded(false);
        SendMessageW(s_.main_window(), WM_COMMAND, 3, 0);
        break;
    case library_buttons::close:
        on_close_command();
        break;
    case library_buttons::homepage:
        s_.open_in_browser(s_.home_page());
        break;
    case new_post_id:
        s_.open_in_browser(s_.notice_board_page());
        break;
    case switch_id:
        // The store tree is not offered yet: the switch button stays hidden
        // and the channel tree is rebuilt.
        build_channel_tree();
        break;
    default:
        (void)code;
        break;
    }
}

void library_window::on_close_command() {
    if (s_.expanded()) {
        if (s_.confirm_quit(hwnd_)) PostMessageW(s_.main_window(), WM_CLOSE, 0, 0);
        return;
    }
    ShowWindow(hwnd_, SW_HIDE);
}

void library_window::on_expanded_mode(bool on) {
    if (!skin_) return;
    if (on) {
        GetWindowRect(hwnd_, &saved_rect_);
        RECT work = {}, main = {};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        if (s_.main_window()) GetWindowRect(s_.main_window(), &main);
        move_to(hwnd_, main.right, work.top);
        RECT size = {0, 0, work.right - main.right, work.bottom - work.top};
        skin_->refresh_resize_skin(&size, 1);
        layout_controls();
        for (unsigned id = 0; id < 4; ++id) skin_->set_visible(id, true);
    } else {
        if (!shown_before_expand_) ShowWindow(hwnd_, SW_HIDE);
        RECT size = {0, 0, saved_rect_.right - saved_rect_.left, saved_rect_.bottom - saved_rect_.top};
        skin_->refresh_resize_skin(&size, 1);
        move_to(hwnd_, saved_rect_.left, saved_rect_.top);
        layout_controls();
        for (unsigned id = 0; id < 4; ++id) skin_->set_visible(id, false);
    }
}

std::wstring library_window::path_text() const {
    wchar_t text[512] = {};
    GetDlgItemTextW(hwnd_, path_id, text, 512);
    return text;
}

void library_window::set_path(const std::wstring& text) {
    HWND path = GetDlgItem(hwnd_, path_id);
    SetWindowTextW(path, text.c_str());
    InvalidateRect(path, nullptr, FALSE);
}

std::vector<std::wstring> library_window::node_path(HTREEITEM node) {
    std::vector<std::wstring> parts;
    for (HTREEITEM n = node; n; n = tree_.get_parent_item(n)) parts.insert(parts.begin(), tree_.get_item_text(n).wvalue());
    return parts;
}

void library_window::on_track_started(std::wstring* title) {
    const std::wstring track = title ? *title : std::wstring();
    delete title;
    path_line_input in;
    in.first_playlist = s_.first_playlist_active();
    in.track_title = track;
    in.playing_node = tree_.playing_item != nullptr;
    if (in.playing_node) in.path = node_path(tree_.playing_item);
    in.channel_title = s_.current_channel_title();
    in.service_title = s_.service_title();
    in.channel_is_login_channel = s_.channel_is_login_channel();
    in.last_title = s_.option_last_title();
    in.login_channel_title = s_.login_channel_title();
    const path_line_text out = make_path_line(in);
    set_path(out.text);
    if (out.save) s_.save_last_title(out.text);
}

void library_window::initial_path_line() {
    if (!s_.music_playing()) return;
    if (s_.first_playlist_active()) {
        set_path(L"음악방송 > MP3 / AudioCD / 라디오");
        return;
    }
    HTREEITEM node = find_by_key(s_.service_title());
    if (!node) return;
    std::vector<std::wstring> parts = node_path(node);
    parts.push_back(s_.current_channel_title());
    set_path(join_path(parts));
}
