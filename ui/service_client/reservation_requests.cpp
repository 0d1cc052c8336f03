#include "reservation_requests.h"
#include "reservation_lines.h"
#include "service_requests.h"

namespace {

// The log lines of one reservation request.
struct schedule_lines {
    const wchar_t* failed;
    const wchar_t* succeeded;
    const wchar_t* no_connection;
};

const schedule_lines list_lines = {L"안내방송 예약 리스트 실패", L"안내방송 예약 리스트 성공",
                                   L"안내방송 예약 리스트, 서버 접속 실패"};
const schedule_lines insert_lines = {L"안내방송 예약 입력 실패", L"안내방송 예약 입력 성공",
                                     L"안내방송 예약 입력, 서버 접속 실패"};
const schedule_lines update_lines = {L"안내방송 예약 수정 실패", L"안내방송 예약 수정 성공",
                                     L"안내방송 예약 수정, 서버 접속 실패"};
const schedule_lines delete_lines = {L"안내방송 예약 삭제 실패", L"안내방송 예약 삭제 성공",
                                     L"안내방송 예약 삭제, 서버 접속 실패"};
const schedule_lines detail_lines = {L"안내방송 예약 상세 실패", L"안내방송 예약 상세 성공",
                                     L"안내방송 예약 상세, 서버 접속 실패"};
const schedule_lines apply_lines = {L"안내방송 예약 즉시 편성 실패", L"안내방송 예약 즉시 편성 성공",
                                    L"안내방송 예약 즉시 편성, 서버 접속 실패"};

// Classifies the reply and logs; true on success.
bool succeeded(service_link& link, const service_reply& reply, const schedule_lines& log, const wchar_t* script) {
    const stringx failed = success_failure_line(script_file_name(script).wvalue());
    return accept_reply(link, reply, log.no_connection, log.failed, failed.wvalue());
}

bool run(service_link& link, const service_request& request, const schedule_lines& log,
         std::vector<anne_schedule_record>& out) {
    const service_reply reply = link.post(request);
    if (!succeeded(link, reply, log, service_script::anne_schedule)) return false;
    const std::vector<stringx>& lines = reply.lines();
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].length() == 0) continue;
        anne_schedule_record record;
        if (read_reservation_line(lines[i].replace(L"\n", L""), record)) out.push_back(record);
    }
    link.write_anne_log(log.succeeded);
    return true;
}

anne_schedule_values values_of(timex_span playtime, int weekday_mask, timex_span apptime, int volume, bool mute) {
    anne_schedule_values v;
    v.playtime = playtime;
    v.weekday_mask = weekday_mask;
    v.apptime = apptime;
    v.volume = volume;
    v.mute = mute;
    return v;
}

}  // namespace

bool list_anne_schedule(service_link& link, std::vector<anne_schedule_record>& out) {
    return run(link, anne_schedule_list_request(link.identity(), link.anneinfo_code().wvalue()), list_lines, out);
}

bool insert_anne_schedule(service_link& link, const wchar_t* anne_code, const wchar_t* title,
                          const wchar_t* category_k, const wchar_t* category_e, timex_span playtime,
                          int weekday_mask, timex_span apptime, int volume, bool mute,
                          std::vector<anne_schedule_record>& out) {
    const service_request request =
        anne_schedule_insert_request(link.identity(), link.anneinfo_code().wvalue(), anne_code, title, category_k,
                                     category_e, values_of(playtime, weekday_mask, apptime, volume, mute));
    return run(link, request, insert_lines, out);
}

bool update_anne_schedule(service_link& link, const wchar_t* listkey, const wchar_t* comkey, timex_span playtime,
                          int weekday_mask, timex_span apptime, int volume, bool mute,
                          std::vector<anne_schedule_record>& out) {
    const service_request request =
        anne_schedule_update_request(link.identity(), link.anneinfo_code().wvalue(), listkey, comkey,
                                     values_of(playtime, weekday_mask, apptime, volume, mute));
    return run(link, request, update_lines, out);
}

bool delete_anne_schedule(service_link& link, const wchar_t* listkey, const wchar_t* comkey,
                          const wchar_t* category_e, std::vector<anne_schedule_record>& out) {
    return run(link,
               anne_schedule_delete_request(link.identity(), link.anneinfo_code().wvalue(), listkey, comkey,
                                            category_e),
               delete_lines, out);
}

bool get_anne_schedule(service_link& link, const wchar_t* listkey, std::vector<anne_schedule_record>& out) {
    return run(link, anne_schedule_detail_request(link.identity(), link.anneinfo_code().wvalue(), listkey),
               detail_lines, out);
}

bool apply_anne_schedule(service_link& link) {
    const service_reply reply = link.post(schedule_apply_request(link.anneinfo_code().wvalue()));
    // An expired login or a refusal is not in effect: the test of every
    // other request of the service.
    if (!succeeded(link, reply, apply_lines, service_script::schedule_save)) return false;
    link.write_anne_log(apply_lines.succeeded);
    return true;
}
