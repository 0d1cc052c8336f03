#pragma once
// Reading the store's announcement reservations from the lines of
// rux_anne_schedule.php.
#include "service_records.h"
#include "stringx.h"

// One line (its "\n" removed) of exactly fourteen "^" fields:
//   text_a ^ text_b ^ category_k ^ category_e ^ h:m:s ^ title ^ number ^
//   weekdays ^ volume ^ play seconds ^ http-address or file number ^
//   listkey ^ comkey ^ auto mute
// false (and record untouched) for any other count. The texts are taken as
// they are; a missing piece of the time counts 0; the weekday text gives
// bit i for a "1" at character i of its first seven characters; an address
// is one that starts with "http://" in any case, anything else is read as a
// file number.
bool read_reservation_line(const stringx& line, anne_schedule_record& record);

// The weekday mask of a weekday text: bit i set for a "1" at character i,
// the first seven characters only (one a weekday; a longer text cannot
// overflow the mask).
int weekday_mask_of(const stringx& text);
