#pragma once
// The service client's announcement reservations: list, insert, update,
// delete and detail at rux_anne_schedule.php, and putting them into effect
// at schedule_save_ok.php. The reservations live on the service under the
// current announcement-info code; each operation but the last appends the
// reservations that its reply lists to out (out is not emptied first) and
// keeps nothing itself.
//
// Every log line goes to the announcement log. A failure returns false with
// out as it was.
//
// User-interface thread only; each request blocks until its reply has come.
#include <vector>
#include "service_link.h"
#include "service_records.h"

bool list_anne_schedule(service_link& link, std::vector<anne_schedule_record>& out);

// weekday_mask: bit i sent as character i of the seven-character weekday
// text; apptime sent as "hh:mm:ss", playtime as whole seconds.
bool insert_anne_schedule(service_link& link, const wchar_t* anne_code, const wchar_t* title,
                          const wchar_t* category_k, const wchar_t* category_e, timex_span playtime,
                          int weekday_mask, timex_span apptime, int volume, bool mute,
                          std::vector<anne_schedule_record>& out);

bool update_anne_schedule(service_link& link, const wchar_t* listkey, const wchar_t* comkey, timex_span playtime,
                          int weekday_mask, timex_span apptime, int volume, bool mute,
                          std::vector<anne_schedule_record>& out);

bool delete_anne_schedule(service_link& link, const wchar_t* listkey, const wchar_t* comkey,
                          const wchar_t* category_e, std::vector<anne_schedule_record>& out);

bool get_anne_schedule(service_link& link, const wchar_t* listkey, std::vector<anne_schedule_record>& out);

// Puts the store's reservations into effect at once. True only when the
// service says "Result=Success"; an expired login shows the server notice.
bool apply_anne_schedule(service_link& link);
