// The store rows' geometry, hit zones and drawing, with visual styles when
// they are usable and the classic look otherwise.
#include <windows.h>
#include <shlwapi.h>

#include "device_row_list.h"
#include "launcher_skin.h"
#include "sound_device_list.h"

namespace {
typedef HANDLE(WINAPI* open_theme_fn)(HWND, LPCWSTR);
typedef HRESULT(WINAPI* draw_theme_fn)(HANDLE, HDC, int, int, const RECT*, const RECT*);
typedef HRESULT(WINAPI* close_theme_fn)(HANDLE);
typedef BOOL(WINAPI* bool_fn)();

// A function of a library loaded at run time.
template <typename F>
F function(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const int kImageW = 69, kImageH = 19, kIndicator = 14;

SIZE image_size(launcher_skin* images, int id) {
    dib* d = images ? images->image(id) : nullptr;
    if (d && d->get_width() > 0) return SIZE{d->get_width(), d->get_height()};
    return id == launcher_skin::indicator ? SIZE{kIndicator, kIndicator} : SIZE{kImageW, kImageH};
}

void draw_image(HDC dc, launcher_skin* images, int id, const RECT& at) {
    dib* d = images ? images->image(id) : nullptr;
    if (!d || !d->get_memdc()) return;
    d->transparent_blt(dc, at.left, at.top, at.right - at.left, at.bottom - at.top, 0, 0, RGB(255, 0, 255));
}

void draw_text(HDC dc, HFONT font, COLORREF colour, const std::wstring& text, RECT at, bool ellipsis) {
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &at,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | (ellipsis ? DT_END_ELLIPSIS : 0));
    SelectObject(dc, old);
}

HFONT row_font(bool bold) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"굴림");
}
}  // namespace

bool themes_usable() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) return false;
    if (version.dwMajorVersion < 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion == 0)) return false;
    HMODULE theme = LoadLibraryW(L"uxtheme.dll");
    if (!theme) return false;
    bool_fn app_themed = function<bool_fn>(theme, "IsAppThemed");
    bool_fn theme_active = function<bool_fn>(theme, "IsThemeActive");
    bool usable = app_themed && theme_active && app_themed() && theme_active();
    FreeLibrary(theme);
    if (!usable) return false;
    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    if (!controls) return false;
    DLLGETVERSIONPROC get_version = function<DLLGETVERSIONPROC>(controls, "DllGetVersion");
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    usable = get_version && SUCCEEDED(get_version(&info)) && info.dwMajorVersion > 5;
    FreeLibrary(controls);
    return usable;
}

void device_row_list::open_themes() {
    uxtheme_ = LoadLibraryW(L"uxtheme.dll");
    if (!uxtheme_) return;
    open_theme_fn open = function<open_theme_fn>(uxtheme_, "OpenThemeData");
    const wchar_t* classes[3] = {L"Button", L"ComboBox", L"Edit"};
    for (int i = 0; i < 3; ++i) themes_[i] = open ? open(get_list(), classes[i]) : nullptr;
}

void device_row_list::close_themes() {
    if (!uxtheme_) return;
    close_theme_fn close = function<close_theme_fn>(uxtheme_, "CloseThemeData");
    for (void*& t : themes_) {
        if (t && close) close(t);
        t = nullptr;
    }
    FreeLibrary(uxtheme_);
    uxtheme_ = nullptr;
}

row_geometry device_row_list::geometry(int index) const {
    row_geometry g = {};
    RECT cell = {};
    if (index < 0 || index >= row_count()) return g;
    HWND list = get_list();
    if (!list) return g;
    cell.left = LVIR_BOUNDS;
    if (!SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cell))) return g;
    const player_row& row = rows_[static_cast<size_t>(index)];
    const RECT r = {cell.left, cell.top + 10, cell.right, cell.bottom - 10};
    const int x = r.right - 15;
    const int m = row.expanded ? r.top + (r.bottom - r.top) / 3 : r.top + (r.bottom - r.top) / 2;
    const SIZE start = image_size(images_, row.running ? launcher_skin::stop : launcher_skin::start);
    const int show_id = row.running ? launcher_skin::show
                                    : row.expanded ? launcher_skin::settings_open : launcher_skin::settings_closed;
    const SIZE show = image_size(images_, show_id);
    const SIZE indicator = image_size(images_, launcher_skin::indicator);
    g.split = m;
    g.start = RECT{x - start.cx, m - 2 - start.cy, x, m - 2};
    g.name = RECT{r.left + 10, m - start.cy - 2, x - start.cx - 10, m - 2};
    g.indicator = RECT{r.left + 10, m + 2, r.left + 10 + indicator.cx, m + 2 + indicator.cy};
    g.show = RECT{x - show.cx, m + 2, x, m + 2 + show.cy};
    g.status = RECT{r.left + 10 + indicator.cx + 4, m + 2, x - show.cx - 10, m + 2 + show.cy};
    if (row.expanded) g.device = RECT{r.left + 10, g.show.bottom + 3, x, r.bottom + 3};
    return g;
}

int device_row_list::hit_test(POINT p, int* row_out, RECT* area) const {
    HWND list = get_list();
    if (row_out) *row_out = -1;
    if (!list) return zone_none;
    LVHITTESTINFO info = {};
    info.pt = p;
    const int row = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (row < 0 || row >= row_count()) return zone_none;
    if (row_out) *row_out = row;
    const row_geometry g = geometry(row);
    const player_row& r = rows_[static_cast<size_t>(row)];
    const struct {
        int zone;
        const RECT* rect;
        bool applies;
    } order[] = {{zone_name, &g.name, true},         {zone_status, &g.status, r.running},
                 {zone_start, &g.start, true},       {zone_show, &g.show, true},
                 {zone_check, &g.status, !r.running}, {zone_device, &g.device, r.expanded}};
    for (const auto& o : order) {
        if (o.applies && PtInRect(o.rect, p)) {
            if (area) *area = *o.rect;
            return o.zone;
        }
    }
    return zone_none;
}

void device_row_list::draw_cell(int row, int column, HDC dc, RECT* rect, unsigned) {
    if (column != 0 || !rect) return;
    draw_row(dc, row, *rect);
}

void device_row_list::draw_indicator(HDC dc, const player_row& row, const RECT& at) {
    for (int c = 0; c < 3; ++c) {
        const int lit = row.playing ? row.levels[c] : 0;
        for (int b = 0; b < 5; ++b) {
            // Bar 0 is the top one; the lowest `lit` bars are lit.
            const RECT bar = {at.left + 5 * c, at.top + 3 * b, at.left + 5 * c + 4, at.top + 3 * b + 2};
            dib::fill_solid_rect(dc, &bar, (4 - b) < lit ? bar_lit : bar_unlit);
        }
    }
}

void device_row_list::draw_row(HDC dc, int index, const RECT& cell) {
    const player_row* r = row_at(index);
    if (!r) return;
    if (!font_) font_ = row_font(false);
    if (!bold_font_) bold_font_ = row_font(true);
    dib::fill_solid_rect(dc, &cell, row_colours[index % 3]);
    const row_geometry g = geometry(index);
    draw_image(dc, images_, r->running ? launcher_skin::stop : launcher_skin::start, g.start);
    draw_image(dc, images_,
               r->running ? launcher_skin::show : r->expanded ? launcher_skin::settings_open
                                                             : launcher_skin::settings_closed,
               g.show);
    draw_image(dc, images_, launcher_skin::indicator, g.indicator);
    draw_text(dc, bold_font_, r->running ? name_running : name_idle, r->name, g.name, true);

    draw_theme_fn draw_theme =
        uxtheme_ ? function<draw_theme_fn>(uxtheme_, "DrawThemeBackground") : nullptr;
    if (r->running) {
        draw_text(dc, font_, grey_text, r->status, g.status, true);
    } else {
        const int side = g.status.bottom - g.status.top;
        RECT box = {g.status.left + 2, g.status.top + 2 - 2, g.status.left + side - 2, g.status.bottom - 2 - 2};
        if (draw_theme && themes_[0]) {
            draw_theme(themes_[0], dc, 3, r->autostart ? 5 : 1, &box, nullptr);
        } else {
            DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (r->autostart ? DFCS_CHECKED : 0));
        }
        RECT label = g.status;
        label.left += side + 2;
        draw_text(dc, font_, grey_text, L"자동 방송 시작", label, false);
    }
    if (r->expanded) {
        RECT box = g.device;
        const int side = box.bottom - box.top;
        RECT button = {box.right - side, box.top, box.right, box.bottom};
        if (draw_theme && themes_[2] && themes_[1]) {
            draw_theme(themes_[2], dc, 1, 1, &box, nullptr);
            draw_theme(themes_[1], dc, 1, 1, &button, nullptr);
        } else {
            dib::fill_solid_rect(dc, &box, RGB(255, 255, 255));
            DrawEdge(dc, &box, BDR_SUNKENINNER, BF_RECT);
            RECT inner = button;
            InflateRect(&inner, -1, -1);
            DrawFrameControl(dc, &inner, DFC_SCROLL, DFCS_SCROLLDOWN);
        }
        RECT text = {box.left + 4, box.top, button.left - 2, box.bottom};
        draw_text(dc, font_, RGB(0, 0, 0), r->device.empty() ? std::wstring(L"선택하지 않음") : r->device, text, true);
    }
    draw_indicator(dc, *r, g.indicator);
}
