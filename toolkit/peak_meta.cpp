// Level meter: band drawing, the falling animation and the self-stopping
// timer.
//
// Guards against sizes the arithmetic cannot take: one band gets the whole
// width (the slot width divides by bands - 1), a maximum of 0 or less is
// refused, a meter has at least one segment, and values and peaks fall by at
// least 1 per tick so that a meter whose maximum is below its segment count
// still comes to rest and stops its timer.
#include "peak_meta.h"

#include <algorithm>

#include "dib.h"

peak_meta::peak_meta()
    : low_colour_(RGB(0, 255, 0)),
      mid_colour_(RGB(255, 255, 0)),
      high_colour_(RGB(255, 0, 0)),
      peak_colour_(RGB(255, 255, 255)),
      low_threshold_(60),
      mid_threshold_(80),
      maximum_(100),
      bands_(8),
      segments_(8),
      falloff_delay_(10),
      grid_(false),
      falloff_effect_(true),
      interval_(10),
      started_(false),
      background_(nullptr),
      target_(nullptr),
      area_(),
      window_(nullptr),
      unlit_brush_(static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))),
      peak_pen_(nullptr) {}

peak_meta::~peak_meta() {
    stop();
    if (peak_pen_) DeleteObject(peak_pen_);
}

bool peak_meta::init(HWND window, dib* background, HDC target, const RECT& area) {
    window_ = window;
    background_ = background;
    target_ = target;
    area_ = area;
    return true;
}

void peak_meta::set_dc(HDC target, dib* background) {
    target_ = target;
    background_ = background;
}

void peak_meta::set_meter_bands(int bands, int segments) {
    if (bands <= 0 || segments <= 0) return;
    bands_ = bands;
    segments_ = segments;
    reset_control();
}

void peak_meta::reset_control() {
    table_.resize(static_cast<size_t>(bands_));
    for (peak_meter_data& band : table_) {
        band.value = 0;
        band.peak = 0;
        band.hold = falloff_delay_;
    }
}

void peak_meta::set_bands_color(COLORREF low, COLORREF mid, COLORREF high, COLORREF peak) {
    low_colour_ = low;
    mid_colour_ = mid;
    high_colour_ = high;
    if (peak != peak_colour_ && peak_pen_) {
        DeleteObject(peak_pen_);
        peak_pen_ = nullptr;
    }
    peak_colour_ = peak;
}

void peak_meta::set_range_value(int low, int mid, int maximum) {
    if (maximum <= 0) return;
    low_threshold_ = low;
    mid_threshold_ = mid;
    maximum_ = maximum;
}

void peak_meta::get_range_value(int* low, int* mid, int* maximum) const {
    if (low) *low = low_threshold_;
    if (mid) *mid = mid_threshold_;
    if (maximum) *maximum = maximum_;
}

void peak_meta::set_falloff_delay(int ticks) { falloff_delay_ = ticks; }

void peak_meta::set_falloff_effect(bool on) {
    if (on == falloff_effect_) return;
    falloff_effect_ = on;
    refresh();
}

void peak_meta::show_grid(bool on) {
    if (on == grid_) return;
    grid_ = on;
    refresh();
}

const peak_meter_data* peak_meta::get_band(int band) const {
    if (band < 0 || static_cast<size_t>(band) >= table_.size()) return nullptr;
    return &table_[static_cast<size_t>(band)];
}

bool peak_meta::set_data(const int* values, int first, int count) {
    if (first < 0 || !values) return false;
    const bool was_started = started_;
    if (was_started) stop();
    for (int i = first; i < first + count && static_cast<size_t>(i) < table_.size(); ++i) {
        peak_meter_data& band = table_[static_cast<size_t>(i)];
        const int value = values[i];
        if (band.peak < value) {
            band.peak = value;
            band.hold = falloff_delay_;
        }
        band.value = value;
    }
    if (was_started) return start(interval_);
    refresh();
    return true;
}

bool peak_meta::start(unsigned int ms) {
    if (!started_) {
        interval_ = ms;
        started_ = set(ms);
    }
    return true;
}

bool peak_meta::stop() {
    if (!started_) return false;
    if (peak_pen_) {
        DeleteObject(peak_pen_);
        peak_pen_ = nullptr;
    }
    kill();
    started_ = false;
    return true;
}

int peak_meta::segment_count() const {
    const int n = segments_ > 1 ? segments_ : maximum_ * 10 / 100;
    return std::max(n, 1);
}

void peak_meta::refresh() {
    const int w = area_.right - area_.left, h = area_.bottom - area_.top;
    dib picture;
    if (w <= 0 || h <= 0 || !picture.create(w, h, 24)) return;
    if (background_ && background_->get_memdc())
        picture.load_picture_blt(background_->get_memdc(), 0, 0, w, h, SRCCOPY);
    draw_bands(picture.get_memdc(), w, h);
    if (target_) picture.draw(target_, area_.left, area_.top);
    if (window_) InvalidateRect(window_, &area_, FALSE);
}

void peak_meta::draw_bands(HDC dc, int width, int height) {
    const long long m = maximum_;
    const int n = segment_count();
    const int low_n = static_cast<int>(n * static_cast<long long>(low_threshold_) / m);
    const int mid_n = static_cast<int>(n * static_cast<long long>(mid_threshold_) / m);
    const int slot = bands_ > 1 ? width / (bands_ - 1) : width;
    const int cell = height / n;
    const int gap_x = bands_ > 1 ? 1 : 0;
    const int gap_y = n > 1 ? 1 : 0;
    if (falloff_effect_ && !peak_pen_) peak_pen_ = CreatePen(PS_SOLID, 1, peak_colour_);
    for (size_t b = 0; b < table_.size(); ++b) {
        const peak_meter_data& band = table_[b];
        const int left = static_cast<int>(b) * slot;
        const int lit = static_cast<int>(std::min<long long>(n * static_cast<long long>(band.value) / m, n));
        for (int j = 0; j < lit; ++j) {
            const RECT segment = {left + gap_x, height - (j + 1) * cell + gap_y, left + slot, height - j * cell};
            const COLORREF colour = j < low_n ? low_colour_ : j < mid_n ? mid_colour_ : high_colour_;
            dib::fill_solid_rect(dc, &segment, colour);
        }
        if (falloff_effect_ && peak_pen_) {
            const int y = static_cast<int>(height - band.peak * static_cast<long long>(cell) * n / m);
            HGDIOBJ old = SelectObject(dc, peak_pen_);
            MoveToEx(dc, left + gap_x, y, nullptr);
            LineTo(dc, left + slot, y);
            SelectObject(dc, old);
        }
    }
}

void peak_meta::tick() {
    refresh();
    const int step = std::max(segments_ < 2 ? maximum_ * 10 / 100 : maximum_ / segments_, 1);
    const int peak_step = std::max(segments_ < 2 ? 5 : step / 2, 1);
    bool changed = false;
    for (peak_meter_data& band : table_) {
        if (band.value > 0) {
            band.value = std::max(band.value - step, 0);
            changed = true;
        }
        if (band.hold > 0) {
            --band.hold;
            changed = true;
        }
        if (band.hold <= 0 && band.peak > 0) {
            band.peak = std::max(band.peak - peak_step, 0);
            changed = true;
        }
    }
    if (!changed) {
        kill();
        started_ = false;
    }
}
