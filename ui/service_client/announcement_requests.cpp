#include "announcement_requests.h"
#include "announcement_lines.h"
#include "service_requests.h"

namespace {

const wchar_t list_no_connection[] = L"안내방송 목록, 서버 접속 실패";
const wchar_t list_expired[] = L"안내방송 정보 가져오기 실패";
const wchar_t list_failed[] = L"모든 안내방송 정보 가져오기 실패";
const wchar_t list_received[] = L"안내방송리스트 수신";
const wchar_t list_updated[] = L"안내방송리스트 업데이트";
const wchar_t hours_no_connection[] = L"안내방송 개폐점 시간 수정, 서버 접속 실패";
const wchar_t hours_expired[] = L"안내방송 개폐점 시간 수정 실패";
const wchar_t hours_sent[] = L"안내방송 개폐점 시간 수정";

}  // namespace

bool load_anne_list(service_link& link, std::vector<anne_record>& kept, std::vector<anne_record>& out,
                    bool refresh) {
    if (!refresh && !kept.empty()) {
        out = kept;
        return true;
    }
    const service_reply reply = link.post(anne_list_request(link.identity(), link.guide_number().wvalue()));
    if (!accept_reply(link, reply, list_no_connection, list_expired, nullptr)) return false;
    // This reply ends with "Result=Success" on a line of its own.
    const std::vector<stringx> lines = clean_anne_list_lines(reply.lines());
    if (!anne_list_succeeded(lines)) {
        link.write_anne_log(list_failed);
        return false;
    }
    std::vector<anne_record> fresh;
    for (size_t i = 1; i < lines.size(); ++i) {
        anne_record record;
        if (read_anne_list_line(lines[i], record)) fresh.push_back(record);
    }
    take_user_choices(fresh, kept);
    kept = fresh;
    out = kept;
    link.write_anne_log(list_received);
    return true;
}

void reload_anne_records(service_link& link, std::vector<anne_record>& kept, const std::vector<anne_record>& list) {
    take_user_choices(kept, list);
    link.scheduler_reload();
    link.write_anne_log(list_updated);
}

void update_anne_record(service_link& link, std::vector<anne_record>& kept, const anne_record& record) {
    for (anne_record& held : kept) {
        if (!held.denotes_same(record)) continue;
        held.volume = record.volume;
        held.enabled = record.enabled;
        link.scheduler_update(record);
        break;
    }
    link.write_anne_log(list_updated);
}

bool load_anne_library(service_link& link, const wchar_t* kind_letter, std::vector<anne_record>& out) {
    const service_reply reply = link.post(anne_library_request(link.identity(), kind_letter));
    if (!accept_reply(link, reply, list_no_connection, list_expired, success_failure_line(L"info_library_page").wvalue()))
        return false;
    const std::vector<stringx>& lines = reply.lines();
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].length() == 0) continue;
        anne_record record;
        if (read_anne_library_line(lines[i].replace(L"\n", L""), record)) out.push_back(record);
    }
    stringx line;
    line.format(L"%s 안내방송 리스트 수신", kind_letter ? kind_letter : L"");
    link.write_anne_log(line.wvalue());
    return true;
}

bool update_store_hours(service_link& link, const wchar_t* open_hour, const wchar_t* open_minute,
                        const wchar_t* close_hour, const wchar_t* close_minute) {
    const service_reply reply = link.post(store_hours_request(link.identity(), link.guide_number().wvalue(),
                                                              open_hour, open_minute, close_hour, close_minute));
    // An error page or a refusal of the service is no saved change: the
    // caller would show hours the service does not hold.
    const stringx failed = success_failure_line(script_file_name(service_script::anne_check).wvalue());
    if (!accept_reply(link, reply, hours_no_connection, hours_expired, failed.wvalue())) return false;
    link.write_anne_log(hours_sent);
    return true;
}
