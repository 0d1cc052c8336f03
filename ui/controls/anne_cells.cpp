// The shared rules of the announcement and reservation lists.
#include "anne_cells.h"

#include <cwchar>

namespace anne_cells {

long parse_time_of_day(const wchar_t* text) {
    unsigned short h = 0, m = 0, s = 0;
    if (!text || std::swscanf(text, L"%hu:%hu:%hu", &h, &m, &s) != 3) return -1;
    return h * 3600L + m * 60L + s;
}

bool row_is_ahead(long now, long t, long first) {
    if (now < first) now += 86400;
    if (t < first) t += 86400;
    return t - 6 > now;
}

unsigned volume_level(int volume) {
    if (volume <= 0) return 0;
    // round(volume x 0.04) with halves up, in integers: (volume x 4 + 50) / 100.
    const unsigned level = static_cast<unsigned>((volume * 4 + 50) / 100);
    return level > 4 ? 4 : level;
}

bool draw_volume_level_icons(dib (&icons)[5], COLORREF background, COLORREF grid) {
    static const COLORREF bar_colours[4] = {0x97611B, 0xD58C2C, 0x18ABE9, 0x1862E9};
    bool all = true;
    for (int level = 0; level < 5; ++level) {
        dib& icon = icons[level];
        if (!icon.get_memdc() && !icon.create(15, 16, 24)) {
            all = false;
            continue;
        }
        HDC dc = icon.get_memdc();
        RECT whole = {0, 0, 15, 16};
        dib::fill_solid_rect(dc, &whole, background);
        for (int bar = 1; bar <= 4; ++bar) {
            RECT r = {(bar - 1) * 4, 16 - bar * 4, (bar - 1) * 4 + 3, 16};
            dib::fill_solid_rect(dc, &r, bar <= level ? bar_colours[bar - 1] : grid);
        }
    }
    return all;
}

bool volume_after_click(int volume, unsigned new_level, int& result) {
    result = volume;
    if (volume > 100) return false;
    result = static_cast<int>(new_level) * 25;
    return true;
}

void switch_day(std::vector<anne_record>& records, bool on) {
    for (anne_record& r : records) r.enabled = on ? 1 : 0;
}

}  // namespace anne_cells
