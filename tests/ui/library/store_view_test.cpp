// The store view on a real window: its rows from the store list, the search
// bar, the state filter, sorting, the minute's refresh, the header's
// check-all box and combo, the actions and the note dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "store_view_page.h"
#include "store_view_services.h"
#include "window_capture.h"
#include "window_messages.h"
#include "window_rig.h"

namespace {

store_record store(const std::wstring& group, const std::wstring& id, int connections, int waiting,
                   const wchar_t* access_time, const std::wstring& name, const std::wstring& channel) {
    store_record r;
    r.storetop = L"top";
    r.storemother = group.c_str();
    r.storecode = (L"c-" + id).c_str();
    r.userid = id.c_str();
    r.storename = name.c_str();
    r.phone = L"02-555-0101";
    r.connections = connections;
    r.waiting = waiting;
    r.access_time = access_time;
    r.channel_title = channel.c_str();
    return r;
}

class fake_services : public store_view_services {
public:
    std::vector<store_record> list;
    std::wstring me = L"me";
    std::wstring type = L"T";
    int level = 0;
    std::wstring title = L"\uC9C0\uAE08 \uCC44\uB110";
    bool wide = false;
    SYSTEMTIME clock = {};
    std::vector<std::wstring> boxes;
    std::vector<std::wstring> opened;
    struct note { bool group; std::wstring name; };
    std::vector<note> notes;

    fake_services() {
        clock.wYear = 2026;
        clock.wMonth = 3;
        clock.wDay = 10;
        clock.wHour = 14;
    }
    std::vector<store_record>& records() override { return list; }
    std::wstring user_id() override { return me; }
    std::wstring usertype() override { return type; }
    int user_level() override { return level; }
    std::wstring current_channel_title() override { return title; }
    bool expanded() override { return wide; }
    SYSTEMTIME now() override { return clock; }
    std::wstring web_server() override { return L"http://stand-in/"; }
    void shell_open(const std::wstring& address) override { opened.push_back(address); }
    void message_box(HWND, const std::wstring& text) override { boxes.push_back(text); }
    int run_note_dialog(HWND, bool group, const std::wstring& name) override {
        notes.push_back({group, name});
        return 2;
    }
};

struct store_view_page : ::testing::Test {
    fake_services services;
    window_rig::host_window host{0, 0, 700, 420};
    store_view* page = nullptr;

    void SetUp() override {
        set_store_view_services(&services);
        services.list = {
            store(L"g1", L"b2", 0, 2, L"20260310120000", L"\uD64D\uB300\uC810", L"Pop"),
            store(L"g1", L"xAByz", 3, 0, L"20260310130100", L"\uAC15\uB0A8\uC810", L"Jazz"),
            store(L"g2", L"other", 1, 0, L"20260310135000", L"\uB2E4\uB978", L"Rock"),
            store(L"g1", L"me", 1, 0, L"20260310115500", L"\uBCF8\uC810", L"Old"),
            store(L"g1", L"c3", 0, 0, L"20260310110000", L"\uC2E0\uCD0C\uC810", L"ABBA"),
        };
    }
    void open(const wchar_t* key = L"g1") {
        const RECT r = {0, 0, 700, 420};
        page = static_cast<store_view*>(create_page(6, stringx(key), host.hwnd(), r, nullptr));
        ASSERT_NE(page, nullptr);
        window_rig::pump();
    }
    void TearDown() override {
        delete page;
        set_store_view_services(nullptr);
    }
    std::wstring cell(int row, int column) { return page->get_item_text(row, column).wvalue(); }
    std::vector<std::wstring> column(int c) {
        std::vector<std::wstring> out;
        for (int k = 0; k < page->get_item_count(); ++k) out.push_back(cell(k, c));
        return out;
    }
    void post_list(UINT msg, WPARAM w) {
        PostMessageW(page->get_list(), msg, w, 0);
        window_rig::pump();
    }
    void choose_state(int index) {
        SendMessageW(page->state_combo(), CB_SETCURSEL, index, 0);
        SendMessageW(page->get_hwnd(), WM_COMMAND, MAKEWPARAM(105, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(page->state_combo()));
    }
    using ids = std::vector<std::wstring>;
};

}  // namespace

TEST_F(store_view_page, rows_of_the_group_newest_first_with_their_texts) {
    open();
    EXPECT_EQ(page->type, 6);
    EXPECT_EQ(store_view::current(), page);
    EXPECT_EQ(column(2), (ids{L"xAByz(3)", L"b2", L"me", L"c3"}));
    EXPECT_EQ(column(1), (ids{L"4", L"3", L"2", L"1"}));
    EXPECT_EQ(column(5), (ids{L"59\uBD84", L"\uB300\uAE30\uC911", L"2\uC2DC\uAC04 5\uBD84", L"\uBBF8\uC811\uC18D"}));
    EXPECT_EQ(cell(0, 7), L"2026-03-10 13:01:00");
    // The logged-in store's row and the store list take the playing title.
    EXPECT_EQ(cell(2, 4), services.title);
    EXPECT_EQ(std::wstring(services.list[3].channel_title.wvalue()), services.title);
    // Tooltips only for columns 2-7.
    EXPECT_EQ(std::wstring(page->get_cell_text(0, 1).wvalue()), L"");
    EXPECT_EQ(std::wstring(page->get_cell_text(0, 3).wvalue()), L"\uAC15\uB0A8\uC810");
    // Normal mode: only No, id, name, channel and status have width.
    const int widths[10] = {0, 30, 90, 130, -1, 80, 0, 0, 0, 0};
    for (int c = 0; c < 10; ++c) {
        if (widths[c] >= 0) {
            EXPECT_EQ(page->get_column_width(c), widths[c]) << c;
        }
    }
    EXPECT_FALSE(IsWindowVisible(page->note_button()));
    // A new channel reaches the logged-in store's row only.
    services.title = L"New";
    page->on_channel_changed();
    EXPECT_EQ(column(4), (ids{L"Jazz", L"Pop", L"New", L"ABBA"}));
}

TEST_F(store_view_page, search_state_filter_and_sort) {
    open();
    // Search "ab" in the id field through Enter in the edit.
    SetWindowTextW(page->search_edit(), L"ab");
    window_rig::key(page->search_edit(), VK_RETURN);
    window_rig::pump();
    EXPECT_EQ(column(2), (ids{L"xAByz(3)"}));
    EXPECT_EQ(column(1), (ids{L"1"}));
    // An empty search shows the group again.
    SetWindowTextW(page->search_edit(), L"");
    SendMessageW(page->get_hwnd(), WM_COMMAND, 102, 0);
    EXPECT_EQ(page->get_item_count(), 4);

    struct { int state; ids shown; } filters[] = {
        {1, {L"xAByz(3)", L"me"}}, {2, {L"b2"}}, {3, {L"c3"}}, {0, {L"xAByz(3)", L"b2", L"me", L"c3"}}};
    for (const auto& f : filters) {
        choose_state(f.state);
        EXPECT_EQ(column(2), f.shown) << f.state;
    }

    post_list(store_view::msg_store_sort_column, 2);
    EXPECT_EQ(column(2), (ids{L"b2", L"c3", L"me", L"xAByz(3)"}));
    post_list(store_view::msg_store_sort_column, 2);
    EXPECT_EQ(column(2), (ids{L"xAByz(3)", L"me", L"c3", L"b2"}));
    post_list(store_view::msg_store_sort_column, 2);
    EXPECT_EQ(column(2), (ids{L"b2", L"c3", L"me", L"xAByz(3)"}));
    for (WPARAM heading : {1, 6}) {
        post_list(store_view::msg_store_sort_column, heading);
        EXPECT_EQ(column(2), (ids{L"b2", L"c3", L"me", L"xAByz(3)"})) << heading;
    }
}

TEST_F(store_view_page, a_changed_record_shows_at_once_and_leaves_a_filter_at_the_next_tick) {
    open();
    choose_state(1);
    ASSERT_EQ(column(2), (ids{L"xAByz(3)", L"me"}));
    store_record* changed = new store_record(services.list[1]);
    changed->connections = 0;
    changed->waiting = 0;
    SendMessageW(page->get_hwnd(), msg_store_record_changed, 0, reinterpret_cast<LPARAM>(changed));
    EXPECT_EQ(column(2), (ids{L"xAByz", L"me"}));
    EXPECT_EQ(cell(0, 5), L"\uBBF8\uC811\uC18D");
    // The minute's tick applies the filter; a tick never adds rows.
    page->on_timer();
    EXPECT_EQ(column(2), (ids{L"me"}));
    choose_state(0);
    EXPECT_EQ(page->get_item_count(), 4);
    // A record no list holds is only freed.
    store_record* stranger = new store_record(services.list[2]);
    SendMessageW(page->get_hwnd(), msg_store_record_changed, 0, reinterpret_cast<LPARAM>(stranger));
    EXPECT_EQ(page->get_item_count(), 4);
}

TEST_F(store_view_page, the_minute_tick_moves_durations_on_and_reload_reads_the_list) {
    open();
    EXPECT_EQ(cell(0, 5), L"59\uBD84");
    services.clock.wMinute = 1;
    // The tick as the timer delivers it.
    SendMessageW(page->get_hwnd(), WM_TIMER, 51, 0);
    EXPECT_EQ(cell(0, 5), L"1\uC2DC\uAC04 0\uBD84");
    services.list.push_back(store(L"g1", L"new", 1, 0, L"20260310140000", L"\uC2E0\uADDC", L"K"));
    page->on_timer();
    EXPECT_EQ(page->get_item_count(), 4);
    SendMessageW(page->get_hwnd(), msg_store_list_changed, 0, 0);
    EXPECT_EQ(column(2), (ids{L"new", L"xAByz(3)", L"b2", L"me", L"c3"}));
}

TEST_F(store_view_page, header_check_all_ticks_and_clears_every_row) {
    services.wide = true;
    open();
    HWND header = reinterpret_cast<HWND>(SendMessageW(page->get_list(), LVM_GETHEADER, 0, 0));
    RECT item0;
    SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item0));
    ASSERT_GE(item0.right - item0.left, 10);
    const int x = (item0.left + item0.right) / 2, y = (item0.top + item0.bottom) / 2;
    auto press_box = [&] {
        POINT screen = {x, y};
        ClientToScreen(header, &screen);
        SendMessageW(header, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        window_rig::pump();
    };
    press_box();
    EXPECT_TRUE(page->header_box()->checked);
    EXPECT_EQ(page->get_selected_count(), 4);
    for (unsigned flag : page->find_column_images(0)->rows) EXPECT_EQ(flag, 1u);
    press_box();
    EXPECT_FALSE(page->header_box()->checked);
    EXPECT_EQ(page->get_selected_count(), 0);
    for (unsigned flag : page->find_column_images(0)->rows) EXPECT_EQ(flag, 0u);

    // The combo sits on item 5's inset rectangle, and hides when it is narrow.
    page->header_box()->place_combo();
    RECT item5, combo;
    SendMessageW(header, HDM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&item5));
    GetWindowRect(page->state_combo(), &combo);
    MapWindowPoints(nullptr, header, reinterpret_cast<POINT*>(&combo), 2);
    EXPECT_TRUE(IsWindowVisible(page->state_combo()));
    EXPECT_EQ(combo.left, item5.left + 3);
    EXPECT_EQ(combo.right, item5.right - 3);
    RECT header_rect;
    GetWindowRect(header, &header_rect);
    EXPECT_EQ(header_rect.bottom - header_rect.top, combo.bottom - combo.top + 4);
    page->set_column_width(5, 29);
    page->header_box()->place_combo();
    EXPECT_FALSE(IsWindowVisible(page->state_combo()));
    page->set_column_width(5, 30);
    page->header_box()->place_combo();
    EXPECT_TRUE(IsWindowVisible(page->state_combo()));
    EXPECT_TRUE(IsWindowVisible(page->note_button()));
}

TEST_F(store_view_page, actions_by_usertype_and_level) {
    open();
    EXPECT_EQ(page->popup_items().size(), 2u);
    services.type = L"B";
    EXPECT_EQ(page->popup_items().size(), 2u);
    services.type = L"A";
    EXPECT_EQ(page->popup_items(), (ids{L"\uCABD\uC9C0 \uBCF4\uB0B4\uAE30", L"\uB9E4\uC7A5 \uC0C1\uC138 \uC815\uBCF4",
                                        L"\uAC15\uC81C \uC811\uC18D \uC885\uB8CC"}));
    // Rows: 0 xAByz connected, 1 b2 waiting, 2 me connected, 3 c3 not connected.
    page->run_command(10001, 3);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes.back(), L"\uCABD\uC9C0\uB97C \uBCF4\uB0BC \uB9E4\uC7A5\uC774 \uBBF8\uC811\uC18D \uC911\uC785\uB2C8\uB2E4");
    page->run_command(10001, 1);
    ASSERT_EQ(services.notes.size(), 1u);
    EXPECT_FALSE(services.notes[0].group);
    EXPECT_EQ(services.notes[0].name, L"\uD64D\uB300\uC810");
    page->run_command(10003, 1);
    EXPECT_EQ(services.boxes.back(),
              L"\uC885\uB8CC\uD560 \uB9E4\uC7A5\uC774 \uBBF8\uC811\uC18D \uC911\uC774\uAC70\uB098 \uB300\uAE30\uC911 \uC0C1\uD0DC\uC785\uB2C8\uB2E4");
    page->run_command(10003, 0);
    EXPECT_EQ(services.boxes.size(), 2u);
    // The group note: none selected, then two rows.
    SendMessageW(page->get_hwnd(), WM_COMMAND, 101, 0);
    EXPECT_EQ(services.boxes.back(), L"\uCABD\uC9C0\uB97C \uBCF4\uB0BC \uB9E4\uC7A5\uC744 \uC120\uD0DD\uD558\uC2ED\uC2DC\uC624");
    page->set_item_state(0, LVIS_SELECTED, LVIS_SELECTED);
    page->set_item_state(2, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(page->get_hwnd(), WM_COMMAND, 101, 0);
    ASSERT_EQ(services.notes.size(), 2u);
    EXPECT_TRUE(services.notes[1].group);
    // A user level of 2 or more (or negative) opens no dialog.
    for (int level : {2, -1}) {
        services.level = level;
        page->run_command(10001, 1);
        SendMessageW(page->get_hwnd(), WM_COMMAND, 101, 0);
    }
    EXPECT_EQ(services.notes.size(), 2u);
    // The detail page of a store whose fields hold & and =, escaped.
    services.list.push_back(store(L"g1", L"a&b=c", 1, 0, L"20260310235959", L"x", L"y"));
    SendMessageW(page->get_hwnd(), msg_store_list_changed, 0, 0);
    SendMessageW(page->get_hwnd(), msg_list_view_notify, 0, 9);
    ASSERT_EQ(services.opened.size(), 1u);
    EXPECT_EQ(services.opened[0],
              L"http://stand-in/rux/mana/ad_shopinfo.php?storetop=top&storemother=g1&storecode=c-a%26b%3Dc"
              L"&userid=a%26b%3Dc");
    page->run_command(10002, 99);
    EXPECT_EQ(services.opened.size(), 1u);
}

TEST_F(store_view_page, a_right_click_below_the_rows_clears_the_selection_without_a_menu) {
    open();
    page->set_item_state(1, LVIS_SELECTED, LVIS_SELECTED);
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = page->get_list();
    click.hdr.idFrom = 1;
    click.hdr.code = NM_RCLICK;
    click.iItem = -1;
    click.ptAction = {50, 400};
    SendMessageW(page->get_hwnd(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(page->get_selected_count(), 0);
}

TEST_F(store_view_page, the_note_dialog_refuses_an_empty_text) {
    for (bool group : {false, true}) {
        send_note_dialog note(group, L"\uAC15\uB0A8\uC810");
        ASSERT_TRUE(note.create(103, host.hwnd()));
        EXPECT_EQ(window_rig::window_text(note.get_hwnd()),
                  group ? L"[\uADF8\uB8F9]\uCABD\uC9C0 \uBCF4\uB0B4\uAE30" : L"\uAC15\uB0A8\uC810\uC5D0\uAC8C \uCABD\uC9C0 \uBCF4\uB0B4\uAE30");
        SendMessageW(note.get_hwnd(), WM_COMMAND, IDOK, 0);
        EXPECT_EQ(services.boxes.back(), L"\uBA54\uC2DC\uC9C0\uB97C \uC785\uB825\uD558\uC2ED\uC2DC\uC624");
        EXPECT_TRUE(note.message.empty());
        SetDlgItemTextW(note.get_hwnd(), 1006, L"\uC624\uB298 3\uC2DC \uD68C\uC758");
        SendMessageW(note.get_hwnd(), WM_COMMAND, IDOK, 0);
        EXPECT_EQ(note.message, L"\uC624\uB298 3\uC2DC \uD68C\uC758");
        DestroyWindow(note.get_hwnd());
    }
}

TEST_F(store_view_page, thirty_stores_in_expanded_mode) {
    services.wide = true;
    services.list.clear();
    const wchar_t* names[] = {L"\uAC15\uB0A8\uC810", L"\uD64D\uB300\uC810", L"\uC2E0\uCD0C\uC810",
                              L"\uC885\uB85C\uC810", L"\uC7A0\uC2E4\uC810"};
    const wchar_t* channels[] = {L"\uCE74\uD398 \uC7AC\uC988", L"K-POP \uD788\uD2B8", L"\uD074\uB798\uC2DD",
                                 L"\uB77C\uC6B4\uC9C0"};
    for (int i = 0; i < 30; ++i) {
        wchar_t when[16];
        swprintf(when, 16, L"202603101%d%02d00", 3 - i % 4, (i * 7) % 60);
        services.list.push_back(store(L"g1", L"store" + std::to_wstring(i + 1), i % 3 == 0 ? 0 : 1 + i % 4,
                                      i % 5 == 0 ? 1 : 0, when, names[i % 5] + std::to_wstring(i / 5 + 1),
                                      channels[i % 4]));
    }
    open();
    EXPECT_EQ(page->get_item_count(), 30);
    InvalidateRect(host.hwnd(), nullptr, TRUE);
    window_rig::pump_for(300);
    const std::wstring path = save_artifact(capture_window(host.hwnd()), L"thirty_stores");
    EXPECT_FALSE(path.empty());
}
