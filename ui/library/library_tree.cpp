// The library window's tree: the channel tree from the login's category
// lists and the CD drives, the page of a selected node, drive changes and
// the locate requests of the playlist window.
#include <cwchar>
#include <cwctype>
#include <functional>

#include "library_window.h"
#include "library_edge.h"
#include "library_layout.h"
#include "window_messages.h"

namespace {

const wchar_t kIndent[] = L"    ";

std::wstring lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

bool begins(const std::wstring& text, const wchar_t* prefix) { return text.compare(0, wcslen(prefix), prefix) == 0; }

RECT rect_in_parent_of(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring w(const stringx& s) { return s.wvalue() ? s.wvalue() : L""; }

bool is_link(const std::wstring& key) { return begins(lower(key), L"link"); }

}  // namespace

HTREEITEM library_window::insert(const wchar_t* text, HTREEITEM parent, int image_key, DWORD code,
                                 const std::wstring& key) {
    HTREEITEM node = nullptr;
    dib* image = image_key ? look_.image(image_key) : nullptr;
    if (image_key)
        node = tree_.insert_item(text, parent, TVI_LAST, image);
    else
        node = tree_.insert_item(text, parent, TVI_LAST);
    if (!node) return nullptr;
    tree_.set_item_data(node, code);
    if (image) image_keys_[node] = image_key;
    item_keys_[node] = key;
    return node;
}

void library_window::forget_nodes() {
    tree_.delete_all_items();
    item_keys_.clear();
    drive_items_.clear();
    image_keys_.clear();
    tree_.playing_item = nullptr;
    tree_.pressed_item = nullptr;
    cd_node_ = nullptr;
    marked_store_ = nullptr;
}

void library_window::close_page() {
    if (page_) {
        HWND w = page_->get_hwnd();
        if (w && IsWindow(w)) DestroyWindow(w);
        delete page_;
        page_ = nullptr;
    }
    companion_ = nullptr;
}

HTREEITEM library_window::add_drive_node(wchar_t letter) {
    if (!cd_node_) return nullptr;
    wchar_t text[32], key[2] = {letter, 0};
    std::swprintf(text, 32, L"Audio CD (%c:)", letter);
    HTREEITEM node = insert(text, cd_node_, 0, code_cd_drive, key);
    if (node) drive_items_[node] = letter;
    return node;
}

void library_window::build_channel_tree() {
    ShowWindow(companion_splitter_.get_hwnd(), SW_HIDE);
    ShowWindow(GetDlgItem(hwnd_, path_id), SW_SHOW);
    close_page();
    requested_type_ = -1;
    store_tree_mode_ = false;
    tree_.set_indent(6);
    forget_nodes();
    const bool logged_in = s_.logged_in();
    const std::wstring usertype = s_.usertype();
    HTREEITEM chosen = nullptr;

    // List 0: the channels, radio, favourites, folders and CDs.
    const std::vector<category_record> list0 = s_.categories(0);
    std::vector<HTREEITEM> list0_nodes;
    if (!list0.empty()) {
        const category_record& top = list0[0];
        HTREEITEM root = insert(top.caption.wvalue(), TVI_ROOT, top.kind + 35, 0, w(top.key));
        std::map<int, HTREEITEM> by_depth;
        for (size_t i = 1; i < list0.size(); ++i) {
            const category_record& e = list0[i];
            auto found = by_depth.find(e.level);
            HTREEITEM parent = found != by_depth.end() ? found->second : root;
            const std::wstring caption = w(e.caption), key = w(e.key), lkey = lower(key);
            DWORD code = 0;
            std::wstring key_text = is_link(key) ? w(e.extra) : key;
            bool cd = false;
            if (lower(caption) == L"cd") {
                cd = true;
            } else if (lkey == L"24hradio" || lkey == L"nomalbro" || caption == L"지상파 라디오") {
                code = code_radio;
            } else if (lower(caption) == L"mp3") {
                code = code_folders;
            } else if (begins(caption, L"즐겨찾기") || begins(caption, L"즐겨 찾기")) {
                code = code_favourites;
                key_text = L"즐겨찾기";
            } else if (!key.empty()) {
                code = is_link(key) ? code_web_page : code_channels;
            }
            HTREEITEM node = insert((caption + kIndent).c_str(), parent, e.kind != 0 ? e.kind + 35 : 0, code, key_text);
            if (!node) continue;
            list0_nodes.push_back(node);
            if (cd) cd_node_ = node;
            if (i == 1 && logged_in) chosen = node;
            if (code == code_folders && !chosen) chosen = node;
            by_depth[e.level + 1] = node;
        }
        for (HTREEITEM n : list0_nodes) tree_.expand(n, TVE_COLLAPSE);
    }

    // The CD drives holding a disc.
    if (cd_node_)
        for (wchar_t letter : s_.cd_drives()) add_drive_node(letter);

    // List 1: the announcements, with the stores of a multi-store account.
    const std::vector<category_record> list1 = s_.categories(1);
    if (!list1.empty()) {
        const bool rights = logged_in && (usertype == L"A" || usertype == L"T" || usertype == L"B" || usertype == L"D");
        const category_record& top = list1[0];
        HTREEITEM root = insert(top.caption.wvalue(), TVI_ROOT, top.kind + 35, 0, w(top.key));
        std::map<int, HTREEITEM> by_depth;
        HTREEITEM second = nullptr;
        for (size_t i = 1; i < list1.size(); ++i) {
            const category_record& e = list1[i];
            auto found = by_depth.find(e.level);
            HTREEITEM parent = found != by_depth.end() ? found->second : root;
            const std::wstring key = w(e.key);
            DWORD code = i == 1 ? code_today : rights ? code_library_with_list : code_library;
            std::wstring key_text = key;
            if (is_link(key)) {
                code = code_web_page;
                key_text = w(e.extra);
            }
            HTREEITEM node = insert((w(e.caption) + kIndent).c_str(), parent, e.kind + 35, code, key_text);
            if (!node) continue;
            by_depth[e.level + 1] = node;
            if (i == 2) second = node;
            if (i == 1) {
                const std::vector<anneinfo_entry> stores = s_.anneinfo();
                if (stores.size() >= 2) {
                    const std::wstring bcode = s_.bcode();
                    for (const anneinfo_entry& store : stores) {
                        const bool marked = w(store.code) == bcode;
                        HTREEITEM child = insert(store.title.wvalue(), node,
                                                 marked ? library_images::marked_store : e.kind + 35, code_today,
                                                 w(store.code));
                        if (marked && child) marked_store_ = child;
                    }
                }
            }
        }
        if (second) tree_.expand(second, TVE_COLLAPSE);
    }

    // List 2: a head office's store management.
    const std::vector<category_record> list2 = s_.categories(2);
    if (logged_in && (usertype == L"A" || usertype == L"T" || usertype == L"B") && !list2.empty()) {
        const category_record& top = list2[0];
        HTREEITEM root = insert(top.caption.wvalue(), TVI_ROOT, top.kind + 35, 0, w(top.key));
        std::map<int, HTREEITEM> by_depth;
        for (size_t i = 1; i < list2.size(); ++i) {
            const category_record& e = list2[i];
            auto found = by_depth.find(e.level);
            HTREEITEM parent = found != by_depth.end() ? found->second : root;
            const std::wstring key = w(e.key);
            const bool link = is_link(key);
            HTREEITEM node = insert((w(e.caption) + kIndent).c_str(), parent, e.kind + 35,
                                    link ? code_web_page : code_stores, link ? w(e.extra) : key);
            if (node) by_depth[e.level + 1] = node;
        }
    }

    vscroll_.set_pos(0);
    SendMessageW(tree_.window, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    SetFocus(tree_.window);
    if (chosen) tree_.select(chosen, TVGN_CARET);
}

void library_window::open_page(HTREEITEM node) {
    if (!node) return;
    const DWORD code = static_cast<DWORD>(tree_.get_item_data(node));
    const int type = static_cast<int>(code & 0xFFFF);
    // A store under list 1's first entry becomes the marked store.
    if (type == 2 && code != 0 && tree_.item_depth(node) == 2) {
        if (marked_store_ && marked_store_ != node) {
            tree_.set_item(marked_store_, nullptr, look_.image(library_images::unmarked_store));
            image_keys_[marked_store_] = library_images::unmarked_store;
        }
        tree_.set_item(node, nullptr, look_.image(library_images::marked_store));
        image_keys_[node] = library_images::marked_store;
        marked_store_ = node;
        InvalidateRect(tree_.window, nullptr, FALSE);
    }
    if (code == 0) return;  // the current page stays
    const bool with_companion = (code >> 16) == 2 && type != 0;
    ShowWindow(companion_splitter_.get_hwnd(), with_companion ? SW_SHOW : SW_HIDE);
    close_page();
    layout_panes();
    const RECT companion = rect_in_parent_of(companion_splitter_.get_hwnd());
    const RECT page_rect = library_page_rect(pane_splitter_.get_range(), companion_splitter_.get_range(),
                                             companion.top, with_companion, false, type == 7);
    requested_type_ = type;
    auto found = item_keys_.find(node);
    const std::wstring key = found != item_keys_.end() ? found->second : std::wstring();
    page_ = create_page(type, stringx(key.c_str()), hwnd_, page_rect, &look_);
    library_edge_page_opened(hwnd_, type);
    if (page_ && page_->companion) {
        companion_ = page_->companion->get_hwnd();
        layout_panes();
    }
    SetFocus(tree_.window);
    fit_path_line();
}

void library_window::on_drive_changed(bool arrived, wchar_t letter) {
    if (arrived) {
        add_drive_node(letter);
        return;
    }
    for (auto it = drive_items_.begin(); it != drive_items_.end(); ++it) {
        if (it->second != letter) continue;
        HTREEITEM node = it->first;
        if (tree_.get_selected_item() == node) {
            close_page();
            requested_type_ = -1;
        }
        drive_items_.erase(it);
        item_keys_.erase(node);
        image_keys_.erase(node);
        tree_.delete_item(node);
        return;
    }
}

HTREEITEM library_window::find_by_key(const std::wstring& key) {
    for (const auto& entry : item_keys_)
        if (entry.second == key && !key.empty()) return entry.first;
    return nullptr;
}

HTREEITEM library_window::find_by_type(int type) {
    for (const auto& entry : item_keys_) {
        const DWORD code = static_cast<DWORD>(tree_.get_item_data(entry.first));
        if (code != 0 && static_cast<int>(code & 0xFFFF) == type) return entry.first;
    }
    return nullptr;
}

void library_window::on_library_command(WPARAM command, LPARAM data) {
    if (store_tree_mode_) build_channel_tree();
    HTREEITEM node = nullptr;
    switch (command) {
    case 0:
        node = find_by_type(4);
        break;
    case 1:
        for (const auto& entry : drive_items_)
            if (entry.second == static_cast<wchar_t>(data)) node = entry.first;
        break;
    case 2:
        node = find_by_key(s_.service_title());
        break;
    default:
        for (const auto& entry : item_keys_) {
            const DWORD code = static_cast<DWORD>(tree_.get_item_data(entry.first));
            HTREEITEM parent = tree_.get_parent_item(entry.first);
            if ((code & 0xFFFF) == 2 && code != 0 && parent && tree_.get_item_data(parent) == 0) node = entry.first;
        }
        break;
    }
    if (node) tree_.select(node, TVGN_CARET);
}

std::vector<library_window::tree_row> library_window::dump_tree() {
    std::vector<tree_row> rows;
    // Depth-first in display order.
    std::function<void(HTREEITEM)> walk;
    walk = [&](HTREEITEM n) {
        for (; n; n = tree_.get_next_sibling_item(n)) {
            tree_row r;
            r.depth = tree_.item_depth(n);
            r.text = tree_.get_item_text(n).wvalue();
            r.code = static_cast<DWORD>(tree_.get_item_data(n));
            auto k = item_keys_.find(n);
            r.key = k != item_keys_.end() ? k->second : std::wstring();
            auto i = image_keys_.find(n);
            r.image = i != image_keys_.end() ? i->second : 0;
            rows.push_back(r);
            walk(tree_.get_child_item(n));
        }
    };
    walk(tree_.get_root_item());
    return rows;
}

HTREEITEM library_window::find_node(const std::wstring& text) {
    std::function<HTREEITEM(HTREEITEM)> walk;
    walk = [&](HTREEITEM n) -> HTREEITEM {
        for (; n; n = tree_.get_next_sibling_item(n)) {
            if (std::wstring(tree_.get_item_text(n).wvalue()) == text) return n;
            if (HTREEITEM found = walk(tree_.get_child_item(n))) return found;
        }
        return nullptr;
    };
    return walk(tree_.get_root_item());
}
