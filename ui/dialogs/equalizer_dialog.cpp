// The equalizer window: see equalizer_dialog.h.
#include "equalizer_dialog.h"

#include <algorithm>

#include "core.h"
#include "dib.h"
#include "equalizer.h"
#include "equalizer_presets.h"
#include "launcher_link.h"
#include "main_ui.h"
#include "main_window_lamps.h"
#include "player_options.h"
#include "skin.h"
#include "skin_control.h"
#include "skin_static.h"
#include "window_docker.h"
#include "window_state_listener.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255);
const RECT kFaceRect = {0, 0, 250, 150};
constexpr int kWidth = 250;
constexpr int kHeight = 150;

constexpr unsigned kClose = 2;
constexpr unsigned kOnOff = 11;
constexpr unsigned kReset = 12;
constexpr unsigned kSpare = 13;
constexpr unsigned kPreset = 14;
constexpr unsigned kPresetName = 15;
constexpr unsigned kFirstPresetCommand = 1000;

equalizer_dialog* g_open = nullptr;

struct button_def {
    unsigned id;
    RECT hit, draw, normal, hover, pressed;
};

const button_def buttons[] = {
    {kClose, {233, 7, 242, 17}, {231, 6, 244, 18}, {10, 151, 23, 163}, {24, 151, 37, 163}, {38, 151, 51, 163}},
    {kOnOff, {132, 127, 153, 141}, {130, 126, 155, 142}, {52, 151, 77, 167}, {78, 151, 103, 167},
     {104, 151, 129, 167}},
    {kReset, {159, 127, 193, 141}, {157, 126, 195, 142}, {130, 151, 168, 167}, {169, 151, 207, 167},
     {208, 151, 246, 167}},
    {kSpare, {199, 127, 239, 141}, {197, 126, 241, 142}, {0, 168, 44, 184}, {45, 168, 89, 184},
     {90, 168, 134, 184}},
    {kPreset, {10, 126, 99, 140}, {86, 127, 97, 139}, {}, {}, {}},
};

const RECT kThumb = {0, 151, 9, 162};

skin_button* make_button(const button_def& d) {
    skin_button* b = new skin_button;
    b->id = static_cast<int>(d.id);
    b->hit_rect = d.hit;
    b->draw_rect = d.draw;
    b->normal_src = d.normal;
    b->hover_src = d.hover;
    b->pressed_src = d.pressed;
    return b;
}

// Slider 0 is the preamp (column at x 13), sliders 1 to 10 the bands (19
// pixels apart from x 57).
skin_scroll* make_slider(int id) {
    const int left = id == 0 ? 13 : 57 + 19 * (id - 1);
    skin_scroll* s = new skin_scroll;
    s->type = skin_control::type_vslider;
    s->id = id;
    s->hit_rect = {left, 41, left + 15, 102};
    s->draw_rect = {left, 41, left + 15, 53};
    s->normal_src = kThumb;
    s->hover_src = kThumb;
    s->forward = true;
    s->position = 0;
    s->min = 0;
    s->max = id == 0 ? equalizer_preamp_range : equalizer_band_range;
    return s;
}

}  // namespace

// --- the host over the registered components ---

equalizer* equalizer_window_host::service() {
    component* c = core::enum_create_component(equalizer::iid, 0);
    return static_cast<equalizer*>(c);  // a singleton: never released
}

std::vector<HWND> equalizer_window_host::neighbour_windows() {
    std::vector<HWND> windows;
    if (component* c = core::enum_create_component(main_ui::iid, 0)) {
        main_ui* ui = static_cast<main_ui*>(c);
        windows = {ui->main_window(), ui->info_window(), ui->playlist_window(), ui->library_window()};
        c->release();
    }
    return windows;
}

void equalizer_window_host::register_window(HWND window) {
    if (component* c = core::enum_create_component(window_docker::iid, 0)) {
        static_cast<window_docker*>(c)->add_window(window);
        c->release();
    }
    if (component* c = core::enum_create_component(launcher_link::iid, 0)) {
        static_cast<launcher_link*>(c)->add_window(window);
        c->release();
    }
}

void equalizer_window_host::window_state(bool hidden) {
    for_each_component<window_state_listener>([&](window_state_listener* l) { l->on_window_state(3, hidden); });
}

void equalizer_window_host::show_eq_lamp(bool on) { show_main_window_eq_lamp(on); }

int equalizer_window_host::popup_menu(HMENU menu, int x, int y, HWND owner) {
    return static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
}

equalizer_window_host& default_equalizer_host() {
    static equalizer_window_host host;
    return host;
}

// --- the window ---

equalizer_dialog::equalizer_dialog(equalizer_window_host& host) : host_(host) {}

equalizer_dialog::~equalizer_dialog() {
    if (g_open == this)
        g_open = nullptr;
}

equalizer_dialog* equalizer_dialog::open_dialog() { return g_open; }

bool toggle_equalizer_window(HWND owner, equalizer_window_host& host) {
    if (equalizer_dialog* open = equalizer_dialog::open_dialog()) {
        DestroyWindow(open->get_hwnd());
        return false;
    }
    equalizer_dialog* d = new equalizer_dialog(host);
    if (!d->create(IDD_EQUALIZER, owner)) {
        delete d;
        return false;
    }
    ShowWindow(d->get_hwnd(), SW_SHOWNOACTIVATE);
    return true;
}

LRESULT equalizer_dialog::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        on_init();
        return TRUE;
    case WM_VSCROLL:
        if (lparam >= 0 && lparam <= equalizer::band_count)
            on_slider();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case kClose:
            PostMessageW(hwnd_, WM_CLOSE, 0, 0);
            return TRUE;
        case kOnOff:
            toggle();
            return TRUE;
        case kReset:
            reset();
            return TRUE;
        case kSpare:
            return TRUE;
        case kPreset:
            choose_preset();
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return TRUE;
    case WM_DESTROY:
        host_.window_state(true);
        if (g_open == this)
            g_open = nullptr;
        return TRUE;
    case WM_NCDESTROY:
        if (skin_) {
            if (skin_->is_attached())
                skin_->unsubclass();
            skin_.reset();
        }
        delete this;
        return TRUE;
    default:
        return FALSE;
    }
}

void equalizer_dialog::build_skin() {
    skin_ = std::make_unique<skin>(0);
    skin_->subclassing(hwnd_);
    image_.reset(skin::load_png_resource(L"PNG", IDB_EQUALIZER_SKIN));
    if (!image_)
        image_ = std::make_unique<dib>();  // a missing image leaves the window without looks
    const POINT origin = {0, 0};
    _region* region = skin_->add_region(&origin, &kFaceRect, image_.get());
    skin_->create_skin(kKey, &kFaceRect);
    for (const button_def& d : buttons)
        skin_->add_control(region, make_button(d));
    for (int id = 0; id <= equalizer::band_count; ++id)
        skin_->add_control(region, make_slider(id));
    skin_static* name = new skin_static;
    name->type = skin_static::type_text;
    name->id = kPresetName;
    name->rect = {12, 126, 85, 139};
    name->align = 0;
    name->text_colour = RGB(0x36, 0x36, 0x36);
    name->visible = true;
    skin_copy_text(name->face, L"돋움");
    name->point_size = 9;
    skin_->add_static(region, name);
    skin_->delete_backup_image();
}

// Centred on the box around the visible windows of the player.
void equalizer_dialog::place() {
    LONG left = 999, top = 999, right = 0, bottom = 0;
    bool any = false;
    for (HWND w : host_.neighbour_windows()) {
        RECT r;
        if (!w || !IsWindowVisible(w) || !GetWindowRect(w, &r))
            continue;
        any = true;
        left = std::min(left, r.left);
        top = std::min(top, r.top);
        right = std::max(right, r.right);
        bottom = std::max(bottom, r.bottom);
    }
    if (!any)
        return;  // nothing to centre on: the window stays where it was made
    const int x = left + ((right - left) - kWidth) / 2;
    const int y = top + ((bottom - top) - kHeight) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void equalizer_dialog::on_init() {
    SetWindowPos(hwnd_, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    build_skin();
    g_open = this;
    host_.register_window(hwnd_);
    place();
    if (equalizer* eq = host_.service()) {
        skin_->set_check(kOnOff, eq->enabled());
        const double* values = nullptr;
        eq->bands(&values);
        if (values) {
            skin_->set_position(0, preamp_position_of(values[0]));
            for (int band = 1; band <= equalizer::band_count; ++band)
                skin_->set_position(band, band_position_of(values[band]));
        }
    }
    skin_->set_caption(kPresetName, equalizer_preset_caption(get_player_options().eq_preset));
    host_.window_state(false);
}

void equalizer_dialog::set_bands(const double* values) {
    if (equalizer* eq = host_.service())
        eq->set_bands(values);
}

void equalizer_dialog::on_slider() {
    double values[equalizer::value_count];
    values[0] = preamp_gain_of(skin_->get_position(0));
    for (int band = 1; band <= equalizer::band_count; ++band)
        values[band] = band_gain_of(skin_->get_position(band));
    set_bands(values);
}

void equalizer_dialog::toggle() {
    equalizer* eq = host_.service();
    if (!eq)
        return;
    const bool on = !eq->enabled();
    eq->set_enabled(on);
    skin_->set_check(kOnOff, on);
    host_.show_eq_lamp(on);
}

void equalizer_dialog::reset() {
    const double flat[equalizer::value_count] = {};
    set_bands(flat);
    skin_->set_position(0, 120);
    for (int band = 1; band <= equalizer::band_count; ++band)
        skin_->set_position(band, 200);
    skin_->set_caption(kPresetName, equalizer_presets[0].name);
    get_player_options().eq_preset = 0;
}

void equalizer_dialog::choose_preset() {
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    for (int i = 0; i < equalizer_preset_count; ++i)
        AppendMenuW(menu, MF_STRING, kFirstPresetCommand + i, equalizer_presets[i].name);
    const int current = get_player_options().eq_preset;
    if (current >= 0 && current < equalizer_preset_count)
        CheckMenuRadioItem(menu, kFirstPresetCommand, kFirstPresetCommand + 18, kFirstPresetCommand + current,
                           MF_BYCOMMAND);
    POINT at = {10, 140};  // the preset button's left and bottom edges
    if (skin_control* c = skin_->get_control(kPreset))
        at = {c->hit_rect.left, c->hit_rect.bottom};
    ClientToScreen(hwnd_, &at);
    const int chosen = host_.popup_menu(menu, at.x, at.y, hwnd_);
    DestroyMenu(menu);
    const int preset = chosen - static_cast<int>(kFirstPresetCommand);
    if (chosen == 0 || preset < 0 || preset >= equalizer_preset_count)
        return;

    get_player_options().eq_preset = preset;
    double values[equalizer::value_count];
    values[0] = preamp_gain_of(skin_->get_position(0));  // a preset keeps the preamp
    for (int band = 1; band <= equalizer::band_count; ++band)
        values[band] = equalizer_presets[preset].bands[band - 1];
    set_bands(values);
    for (int band = 1; band <= equalizer::band_count; ++band)
        skin_->set_position(band, static_cast<int>(200 - equalizer_presets[preset].bands[band - 1] * 10));
    skin_->set_caption(kPresetName, equalizer_preset_caption(preset));
}
