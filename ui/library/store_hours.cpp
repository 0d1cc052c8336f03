// The store's hours and the announcement set on the library window.
#include "store_hours.h"

#include <cwchar>

namespace {

std::wstring number(int n) {
    wchar_t text[16];
    swprintf(text, 16, L"%d", n);
    return text;
}

}  // namespace

int store_hours::selection(unsigned id) const {
    return static_cast<int>(SendDlgItemMessageW(window_, id, CB_GETCURSEL, 0, 0));
}

void store_hours::fill() {
    for (unsigned id : {open_hour_id, close_hour_id})
        for (int h = 0; h < 24; ++h)
            SendDlgItemMessageW(window_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number(h).c_str()));
    for (unsigned id : {open_minute_id, close_minute_id})
        for (int m = 0; m < 60; ++m)
            SendDlgItemMessageW(window_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number(m).c_str()));
    const std::wstring guide = s_.guide_code();
    int index = 0;
    for (const auto& set : s_.schedule_sets()) {
        const std::wstring text = set.first + L" - " + set.second;
        SendDlgItemMessageW(window_, set_combo_id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (set.code == guide) SendDlgItemMessageW(window_, set_combo_id, CB_SETCURSEL, index, 0);
        ++index;
    }
}

void store_hours::on_page_opened(int page_type) {
    if (!s_.logged_in()) return;
    const std::wstring type = s_.usertype();
    const int open = s_.open_time();
    const int close = s_.close_time();
    const bool store_user = type != L"A" && type != L"T" && type != L"B";
    const bool show = store_user && page_type == 2 && open != unset_time && close != unset_time;
    if (show) {
        // A time of -1 (none sent) selects nothing: the unsigned reading
        // gives indices past the lists.
        const unsigned o = static_cast<unsigned>(open), c = static_cast<unsigned>(close);
        SendDlgItemMessageW(window_, open_hour_id, CB_SETCURSEL, o / 3600, 0);
        SendDlgItemMessageW(window_, open_minute_id, CB_SETCURSEL, (o / 60) % 60, 0);
        SendDlgItemMessageW(window_, close_hour_id, CB_SETCURSEL, c / 3600, 0);
        SendDlgItemMessageW(window_, close_minute_id, CB_SETCURSEL, (c / 60) % 60, 0);
    }
    for (unsigned id : {open_label_id, close_label_id, open_hour_id, open_minute_id, close_hour_id, close_minute_id})
        ShowWindow(GetDlgItem(window_, id), show ? SW_SHOW : SW_HIDE);
    const bool sets = page_type == 3 && !s_.schedule_sets().empty();
    ShowWindow(GetDlgItem(window_, set_combo_id), sets ? SW_SHOW : SW_HIDE);
}

bool store_hours::on_selection_change(unsigned id) {
    if (id >= open_hour_id && id <= close_minute_id) {
        if (s_.logged_in()) hours_changed();
        return true;
    }
    if (id == set_combo_id) {
        if (!s_.logged_in()) return true;
        const int chosen = selection(set_combo_id);
        const auto sets = s_.schedule_sets();
        if (chosen >= 0 && static_cast<size_t>(chosen) < sets.size()) s_.set_anneinfo_code(sets[chosen].code);
        return true;
    }
    return false;
}

void store_hours::hours_changed() {
    const int oh = selection(open_hour_id), om = selection(open_minute_id);
    const int ch = selection(close_hour_id), cm = selection(close_minute_id);
    if (oh < 0 || om < 0 || ch < 0 || cm < 0) return;
    const int open = (oh * 60 + om) * 60;
    const int close = (ch * 60 + cm) * 60;
    if (open == s_.open_time() && close == s_.close_time()) return;
    if (!s_.send_hours(number(oh), number(om), number(ch), number(cm))) return;
    s_.keep_hours(open, close);
    s_.reload_scheduler();
    s_.reopen_page();
}
