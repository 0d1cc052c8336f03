#pragma once
// The service client's announcement operations: the store's announcement
// list (kept by the client and merged with the user's choices), the changes
// the user makes to it, the service's announcement library and the store's
// opening and closing hours. Each takes the link it posts through and logs
// on (service_link.h); the client object passes its kept list.
//
// Every log line goes to the announcement log. A failure returns false and
// leaves the kept list and the caller's list as they were.
//
// User-interface thread only; each request blocks until its reply has come.
#include <vector>
#include "service_link.h"
#include "service_records.h"

// The store's announcements into out. Without refresh a kept list that is
// not empty is handed out without a request. Otherwise the list of
// rux_anne_check.php replaces the kept list; an announcement that was
// already kept (same address in any case, same start) keeps the user's
// volume and on/off choice, new ones come with the service's values.
bool load_anne_list(service_link& link, std::vector<anne_record>& kept, std::vector<anne_record>& out,
                    bool refresh);

// The user's volume and on/off choices of list go into the kept list; the
// scheduler then takes a fresh list.
void reload_anne_records(service_link& link, std::vector<anne_record>& kept, const std::vector<anne_record>& list);

// One announcement's volume and on/off choice go into the kept list and to
// the scheduler, when the kept list holds that announcement.
void update_anne_record(service_link& link, std::vector<anne_record>& kept, const anne_record& record);

// The announcements of the service's library of one kind ("T", "B", "A",
// "D"; all kinds when empty) appended to out.
bool load_anne_library(service_link& link, const wchar_t* kind_letter, std::vector<anne_record>& out);

// Sends the store's opening and closing hours as the caller wrote them (an
// empty value is not sent). True only when the service says
// "Result=Success"; the login manager's hours are not changed.
bool update_store_hours(service_link& link, const wchar_t* open_hour, const wchar_t* open_minute,
                        const wchar_t* close_hour, const wchar_t* close_minute);
