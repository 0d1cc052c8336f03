// The reservation dialog: its skin, its controls and the record they edit.
#include "reservation_dialog.h"

#include <cwchar>

#include "skin_static.h"
#include "window_messages.h"

reservation_dialog* reservation_dialog::open_ = nullptr;

namespace {

const COLORREF key_colour = 0xFF00FF;
const RECT face = {0, 0, 273, 207};
const RECT unchecked_look = {0, 210, 10, 220};
const RECT checked_look = {11, 210, 21, 220};
const RECT thumb_look = {22, 210, 34, 216};
const COLORREF ink = 0x4F4F4F;
const wchar_t* const day_names[7] = {L"일", L"월", L"화", L"수", L"목", L"금", L"토"};

// A button of the face: its place, hit area and looks (normal and pressed,
// which is also the checked look), with a caption the window draws.
struct button_place {
    unsigned id;
    RECT draw;
    RECT normal;
    RECT pressed;
    const wchar_t* caption;
};

const button_place modal_buttons[] = {
    {1, {72, 175, 125, 193}, {0, 222, 53, 240}, {54, 222, 107, 240}, L"확인"},
    {2, {144, 175, 197, 193}, {108, 222, 161, 240}, {162, 222, 215, 240}, L"닫기"},
};
const button_place modeless_buttons[] = {
    {1, {40, 175, 95, 193}, {0, 222, 55, 240}, {56, 222, 111, 240}, L"확인"},
    {reservation_dialog::send_button, {105, 175, 158, 193}, {112, 222, 165, 240}, {166, 222, 219, 240}, L"보내기"},
    {2, {168, 175, 222, 193}, {0, 241, 54, 259}, {55, 241, 109, 259}, L"닫기"},
};

skin_button* make_button(unsigned id, RECT draw, RECT hit, RECT normal, RECT pressed) {
    skin_button* b = new skin_button;
    b->id = static_cast<int>(id);
    b->draw_rect = draw;
    b->hit_rect = hit;
    b->normal_src = normal;
    b->hover_src = normal;
    b->pressed_src = pressed;
    return b;
}

skin_static* make_static(unsigned id, RECT rect, const wchar_t* text, int align = 0) {
    skin_static* s = new skin_static;
    s->type = skin_static::type_text;
    s->id = static_cast<int>(id);
    s->rect = rect;
    s->align = align;
    s->text_colour = ink;
    s->visible = true;
    skin_copy_text(s->face, L"돋움");
    skin_copy_text(s->text, text);
    s->point_size = 9;
    return s;
}

void select(HWND dialog, int combo, int index) { SendDlgItemMessageW(dialog, combo, CB_SETCURSEL, index, 0); }

}  // namespace

reservation_dialog::reservation_dialog() = default;

reservation_dialog::~reservation_dialog() {
    if (open_ == this) open_ = nullptr;
}

int reservation_dialog::minutes_index(int minutes) {
    if (minutes < 0 || minutes > 59) return -1;
    if (minutes % 5 == 0) return minutes / 5;
    return 12 + minutes - 1;
}

int reservation_dialog::minutes_at(int index) {
    if (index < 0 || index > 70) return -1;
    return index < 12 ? index * 5 : index - 11;
}

int reservation_dialog::run_modal(HWND parent) {
    modal_ = true;
    return modal(template_id, parent);
}

bool reservation_dialog::open_modeless(HWND parent) {
    modal_ = false;
    if (open_ && open_ != this) return false;
    if (!create(template_id, parent)) return false;
    open_ = this;
    return true;
}

void reservation_dialog::build_skin() {
    skin_ = std::make_unique<skin>(0);
    skin_->subclassing(hwnd_);
    dib* image = skin::load_png_resource(L"PNG", modal_ ? modal_image : modeless_image);
    // A missing image leaves the window without looks. The skin owns the
    // image from here on.
    if (!image) image = new dib;
    const POINT origin = {0, 0};
    _region* region = skin_->add_region(&origin, &face, image);
    skin_->create_skin(key_colour, &face);
    for (unsigned k = 0; k < 7; ++k) {
        const int x = 59 + 20 * static_cast<int>(k);
        skin_->add_control(region, make_button(first_day + k, RECT{x, 86, x + 10, 96}, RECT{x, 70, x + 10, 96},
                                               unchecked_look, checked_look));
        skin_->add_static(region, make_static(120 + k, RECT{x - 3, 72, x + 13, 84}, day_names[k], 1));
    }
    skin_->add_control(region, make_button(mute_check, RECT{54, 144, 64, 154}, RECT{54, 144, 226, 154},
                                           unchecked_look, checked_look));
    skin_scroll* volume = new skin_scroll;
    volume->type = skin_control::type_hslider;
    volume->id = volume_slider;
    volume->hit_rect = {65, 128, 153, 136};
    volume->draw_rect = {65, 129, 77, 135};
    volume->normal_src = thumb_look;
    volume->hover_src = thumb_look;
    volume->forward = true;
    volume->min = 0;
    volume->max = 100;
    volume->fill_colour = 0x6F6F6F;
    volume->fill_rect = {65, 131, 153, 133};
    skin_copy_text(volume->tooltip, L"볼륨");
    skin_->add_control(region, volume);
    const button_place* first = modal_ ? modal_buttons : modeless_buttons;
    const size_t count = modal_ ? 2 : 3;
    for (const button_place* p = first; p != first + count; ++p) {
        const button_place& b = *p;
        skin_button* button = make_button(b.id, b.draw, b.draw, b.normal, b.pressed);
        skin_copy_text(button->caption, b.caption);
        button->align = 1;
        button->text_colour = ink;
        skin_->add_control(region, button);
    }
    skin_->add_static(region, make_static(title_static, RECT{50, 52, 241, 64}, record.title.wvalue()));
    skin_->add_static(region, make_static(130, RECT{12, 10, 200, 24}, L"방송 예약"));
    skin_->add_static(region, make_static(131, RECT{16, 52, 48, 64}, L"제목"));
    skin_->add_static(region, make_static(132, RECT{16, 72, 56, 84}, L"요일"));
    skin_->add_static(region, make_static(133, RECT{16, 105, 50, 117}, L"시간"));
    skin_->add_static(region, make_static(134, RECT{92, 105, 108, 117}, L"시"));
    skin_->add_static(region, make_static(135, RECT{153, 105, 169, 117}, L"분"));
    skin_->add_static(region, make_static(136, RECT{212, 105, 228, 117}, L"초"));
    skin_->add_static(region, make_static(137, RECT{16, 126, 56, 138}, L"볼륨"));
    skin_->add_static(region, make_static(138, RECT{68, 143, 225, 155}, L"자동 MUTE (방송 중 음악 끄기)"));
    skin_->delete_backup_image();
}

void reservation_dialog::fill_combos() {
    if (filled_) return;
    filled_ = true;
    wchar_t text[8] = {};
    for (int h = 0; h < 24; ++h) {
        _snwprintf(text, 7, L"%02d", h);
        SendDlgItemMessageW(hwnd_, hours_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    for (int i = 0; i <= 70; ++i) {
        _snwprintf(text, 7, L"%02d", minutes_at(i));
        SendDlgItemMessageW(hwnd_, minutes_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    for (int s = 0; s < 60; ++s) {
        _snwprintf(text, 7, L"%02d", s);
        SendDlgItemMessageW(hwnd_, seconds_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

void reservation_dialog::show_record() {
    if (!hwnd_ || !skin_) return;
    skin_->set_caption(title_static, record.title.wvalue());
    for (unsigned k = 0; k < 7; ++k) skin_->set_check(first_day + k, (record.weekdays >> k) & 1);
    const long start = static_cast<long>(record.apptime.total_seconds());
    select(hwnd_, hours_combo, static_cast<int>((start / 3600) % 24));
    select(hwnd_, minutes_combo, minutes_index(static_cast<int>((start / 60) % 60)));
    select(hwnd_, seconds_combo, static_cast<int>(start % 60));
    skin_->set_position(volume_slider, record.volume);
    skin_->set_check(mute_check, record.auto_mute != 0);
}

void reservation_dialog::collect() {
    if (!hwnd_ || !skin_) return;
    int weekdays = 0;
    for (unsigned k = 0; k < 7; ++k) {
        auto* day = static_cast<skin_button*>(skin_->get_control(first_day + k));
        if (day && day->checked) weekdays |= 1 << k;
    }
    record.weekdays = weekdays;
    record.volume = skin_->get_position(volume_slider);
    const int hours = static_cast<int>(SendDlgItemMessageW(hwnd_, hours_combo, CB_GETCURSEL, 0, 0));
    const int minutes = minutes_at(static_cast<int>(SendDlgItemMessageW(hwnd_, minutes_combo, CB_GETCURSEL, 0, 0)));
    const int seconds = static_cast<int>(SendDlgItemMessageW(hwnd_, seconds_combo, CB_GETCURSEL, 0, 0));
    record.apptime = timex_span((hours < 0 ? 0 : hours) * 3600L + (minutes < 0 ? 0 : minutes) * 60L +
                                (seconds < 0 ? 0 : seconds));
    auto* mute = static_cast<skin_button*>(skin_->get_control(mute_check));
    record.auto_mute = mute && mute->checked ? 1 : 0;
    if (!modal_ && owner && IsWindow(owner))
        SendMessageW(owner, msg_reservation_edited, reinterpret_cast<WPARAM>(code.wvalue()),
                     reinterpret_cast<LPARAM>(&record));
}

void reservation_dialog::toggle(unsigned id) {
    auto* box = static_cast<skin_button*>(skin_ ? skin_->get_control(id) : nullptr);
    if (box) skin_->set_check(id, !box->checked);
}

void reservation_dialog::close_window(int result) {
    if (modal_) EndDialog(hwnd_, result);
    else DestroyWindow(hwnd_);
}

LRESULT reservation_dialog::dialog_proc(UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        build_skin();
        // The combos sit where the face leaves room for them.
        const struct {
            int id, x, w;
        } combos[] = {{hours_combo, 52, 38}, {minutes_combo, 112, 39}, {seconds_combo, 172, 38}};
        for (const auto& c : combos) {
            HWND combo = GetDlgItem(hwnd_, c.id);
            // A low selection field, so that the box keeps to its row.
            SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 12);
            SetWindowPos(combo, nullptr, c.x, 105, c.w, 12, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        fill_combos();
        skin_->set_range(volume_slider, 0, 100);
        show_record();
        return TRUE;
    }
    case WM_COMMAND: {
        const unsigned id = LOWORD(wparam);
        if (id == 1) {
            collect();
            close_window(1);
        } else if (id == send_button && !modal_) {
            collect();
        } else if ((id >= first_day && id < first_day + 7) || id == mute_check) {
            toggle(id);
        } else if (id == 2) {
            close_window(2);
        } else {
            return FALSE;
        }
        return TRUE;
    }
    case WM_CLOSE:
        close_window(2);
        return TRUE;
    case WM_DESTROY:
        if (skin_) {
            skin_->unsubclass();
            skin_.reset();
        }
        if (open_ == this) open_ = nullptr;
        return TRUE;
    case WM_NCDESTROY:
        // The modeless dialog lives as long as its window.
        if (!modal_) {
            hwnd_ = nullptr;
            delete this;
        }
        return TRUE;
    default:
        return FALSE;
    }
}
