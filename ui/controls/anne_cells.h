#pragma once
// What the lists of announcements and reservations share: the colouring of
// a row by its time of day, the five volume-level icons, the step of an
// announcement's volume when its icon is clicked, and switching the whole
// day on or off. The rules are plain functions, so that each list draws
// with them and the tests check them without a window.
#include <windows.h>

#include <vector>

#include "dib.h"
#include "service_records.h"

namespace anne_cells {

// The background of a row whose announcement is still more than six seconds
// away, and the text colour of every other row (past, on air, or due).
const COLORREF ahead_background = 0xE2E2E2;
const COLORREF past_text = 0x99A8AC;

// "h:m:s" (each part an unsigned number) in seconds of the day; -1 when the
// text does not start with three numbers joined by ":".
long parse_time_of_day(const wchar_t* text);

// Whether the row at time t (seconds of the day) lies more than six seconds
// ahead of now. The list's day starts at its first row: a time before the
// first row's, and a now before it, count as the next day.
bool row_is_ahead(long now, long t, long first);

// The volume-level icon of a volume 0..100: round(volume x 0.04), halves up,
// at most 4 (and 0 for a negative volume).
unsigned volume_level(int volume);

// Five 15 x 16 icons of levels 0 to 4 on the background: four bars 3 pixels
// wide at x 0, 4, 8 and 12, rising from y 12, 8, 4 and 0 to the bottom; bar b
// (1..4) of level k in its own colour when b <= k, else in the grid colour.
// True when all five were made.
bool draw_volume_level_icons(dib (&icons)[5], COLORREF background, COLORREF grid);

// The volume after a click moved the record's icon to new_level: new_level x
// 25 (so clicks give 25, 50, 75, 100, 0, ...). A volume above 100 stands for
// the player's announcement volume and is not changed here: false then, and
// the icon goes back to level 0.
bool volume_after_click(int volume, unsigned new_level, int& result);

// Every announcement of the day on (enabled 1) or off (0).
void switch_day(std::vector<anne_record>& records, bool on);

}  // namespace anne_cells
