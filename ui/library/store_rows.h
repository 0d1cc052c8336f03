#pragma once
// store_rows: the texts and list operations of the store view's rows, kept
// apart from the window so that every rule can be checked on plain data.
//
// A store is connected when it has players connected now, waiting when it
// has none connected but some waiting, and not connected otherwise. The
// same rule serves the status column, the row colours and the state filter.
#include <windows.h>

#include <string>
#include <vector>

#include "store_manager.h"

namespace store_rows {

enum store_state { connected = 1, waiting = 2, not_connected = 3 };

store_state state_of(const store_record& r);

// Column 2: the user id, with "(n)" behind it when two or more players of
// the store are connected.
std::wstring id_text(const store_record& r);

// The time passed since a 14-digit access time, at now (local time):
// "%d분" below one hour, else "%d시간 %d분". A time in the future gives 0 or
// a negative number of minutes.
std::wstring duration_text(const std::wstring& access_time, const SYSTEMTIME& now);

// Column 5: the duration for a connected store with a 14-character access
// time, "대기중" for a connected one without, "대기중" for a waiting store,
// "미접속" for a store not connected.
std::wstring status_text(const store_record& r, const SYSTEMTIME& now);

// Column 7: "YYYY-MM-DD hh:mm:ss", empty when the access time is not 14
// characters long.
std::wstring access_text(const std::wstring& access_time);

// The state filter: 0 keeps every record, 1 the connected, 2 the waiting, 3
// the not connected ones. The order is kept.
std::vector<store_record> filter_state(const std::vector<store_record>& rows, int filter);

// The search: field 0 user id, 1 store name, 2 channel title; the records
// whose field contains the text, case ignored. An empty text keeps every
// record; an empty field never matches.
std::vector<store_record> filter_search(const std::vector<store_record>& rows, int field,
                                        const std::wstring& text);

// Sort by a column heading: 2 user id, 3 store name, 4 channel title (each
// smallest first), 7 access time (greatest first); case ignored. False for
// another heading (nothing changed).
bool sort_by(std::vector<store_record>& rows, int column);

// Sorts by access time, greatest first.
void sort_by_time(std::vector<store_record>& rows);

// The address of a store's detail page on the service's web server: the
// query's values are percent-encoded (UTF-8), so a store whose fields hold
// '&', '=' or blanks still names itself alone.
std::wstring detail_address(const std::wstring& server, const store_record& r);

}  // namespace store_rows
