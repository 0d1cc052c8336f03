#include "reservation_lines.h"
#include <cwchar>
#include <vector>
#include "announcement_lines.h"
#include "service_reply.h"

int weekday_mask_of(const stringx& text) {
    int mask = 0;
    const wchar_t* days = text.wvalue();
    for (int i = 0; i < 7 && days[i]; ++i)
        if (days[i] == L'1') mask |= 1 << i;
    return mask;
}

bool read_reservation_line(const stringx& line, anne_schedule_record& record) {
    std::vector<stringx> f = split_fields(line);
    if (f.size() != 14) return false;
    anne_schedule_record r;
    r.text_a = f[0];
    r.text_b = f[1];
    r.category_k = f[2];
    r.category_e = f[3];
    int hours = 0, minutes = 0, seconds = 0;
    swscanf(f[4].wvalue(), L"%d:%d:%d", &hours, &minutes, &seconds);
    r.apptime = clamped_span(3600LL * hours + 60LL * minutes + seconds);
    r.title = f[5];
    r.number_a = f[6].toint();
    r.weekdays = weekday_mask_of(f[7]);
    r.volume = f[8].toint();
    r.playtime = timex_span(f[9].todouble());
    if (f[10].starts_with(stringx(L"http://"), true)) {
        r.url = f[10];
        r.file_number = 0;
    } else {
        r.file_number = f[10].toint();
    }
    r.listkey = f[11];
    r.comkey = f[12];
    r.auto_mute = f[13].toint() != 0;
    record = r;
    return true;
}
