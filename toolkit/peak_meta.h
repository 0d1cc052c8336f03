#pragma once
// peak_meta: a bar-graph level meter drawn into a rectangle of a window: a
// row of bands, each a stack of segments lit from the bottom up to the
// band's value in three colours by threshold (low, mid, high), with a peak
// line per band that holds for a number of ticks and then falls. Every tick
// of its timer repaints and lets values and peaks fall; the timer stops by
// itself once every band is at rest.
//
// The meter draws onto a copy of the background image (the area's size) and
// puts the result into the target DC at the area's corner, then invalidates
// the area of the window. Background, target and window belong to the
// caller. User-interface thread only (the timer ticks there).
#include <windows.h>

#include <vector>

#include "timer.h"
#include "zel_export.h"

class dib;

// One band.
class ZEL_CORE_API peak_meter_data {
public:
    peak_meter_data() : value(0), peak(0), hold(0) {}
    virtual ~peak_meter_data() {}
    peak_meter_data(const peak_meter_data& other) = default;
    peak_meter_data& operator=(const peak_meter_data& other) = default;
    void copy(const peak_meter_data& other) { *this = other; }

    // Comparisons look at the values only.
    bool equal(const peak_meter_data& other) const { return value == other.value; }
    bool greater(const peak_meter_data& other) const { return value > other.value; }
    bool lower(const peak_meter_data& other) const { return value < other.value; }
    bool operator==(const peak_meter_data& other) const { return equal(other); }
    bool operator!=(const peak_meter_data& other) const { return !equal(other); }
    bool operator<(const peak_meter_data& other) const { return lower(other); }
    bool operator>(const peak_meter_data& other) const { return greater(other); }
    bool operator<=(const peak_meter_data& other) const { return !greater(other); }
    bool operator>=(const peak_meter_data& other) const { return !lower(other); }

    int value;
    int peak;
    int hold;  // ticks left before the peak starts to fall
};

class ZEL_CORE_API peak_meta : public timer {
public:
    peak_meta();
    ~peak_meta() override;

    bool init(HWND window, dib* background, HDC target, const RECT& area);
    void set_dc(HDC target, dib* background);
    // Ignored when either count is 0 or less; otherwise resets every band.
    void set_meter_bands(int bands, int segments);
    void set_bands_color(COLORREF low, COLORREF mid, COLORREF high, COLORREF peak);
    // A maximum of 0 or less is refused (the meter divides by it).
    void set_range_value(int low, int mid, int maximum);
    void get_range_value(int* low, int* mid, int* maximum) const;
    void set_falloff_delay(int ticks);
    void set_falloff_effect(bool on);
    bool get_falloff_effect() const { return falloff_effect_; }
    void show_grid(bool on);
    bool grid_visible() const { return grid_; }

    // values[i] for the bands i = first .. first + count - 1 that exist: the
    // array is indexed by band number, so it holds at least first + count
    // values. A value above the band's peak raises the peak and restarts its
    // hold. A running meter restarts its timer (the next tick repaints); a
    // stopped one repaints once and stays stopped. False for a negative
    // first or null values.
    bool set_data(const int* values, int first, int count);
    void refresh();
    // Starts the timer when it is not running; true in both cases.
    bool start(unsigned int ms);
    // False when not started.
    bool stop();
    bool is_started() const { return started_; }

    // One animation step: repaint, then values fall by a step and peaks
    // (after their hold) by half a step; stops the timer when everything is
    // at rest.
    void tick() override;

    int get_band_count() const { return bands_; }
    const peak_meter_data* get_band(int band) const;

private:
    void reset_control();
    void draw_bands(HDC dc, int width, int height);
    int segment_count() const;

    COLORREF low_colour_;
    COLORREF mid_colour_;
    COLORREF high_colour_;
    COLORREF peak_colour_;
    int low_threshold_;
    int mid_threshold_;
    int maximum_;
    int bands_;
    int segments_;
    int falloff_delay_;
    bool grid_;
    bool falloff_effect_;
    unsigned int interval_;
    std::vector<peak_meter_data> table_;
    bool started_;
    dib* background_;
    HDC target_;
    RECT area_;
    HWND window_;
    HBRUSH unlit_brush_;
    HPEN peak_pen_;
};
