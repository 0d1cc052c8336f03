#include "store_manager.h"
#include "service_reply.h"
#include "service_requests.h"
#include "utility.h"

namespace {

const wchar_t list_updated[] = L"지점 관리 리스트 정보 업데이트";
const wchar_t detail_no_connection[] = L"서버 연결 실패로 지점 관리 세부 정보 가져오기 실패";
const wchar_t detail_expired[] = L"지점 관리 세부 정보 가져오기 실패";
const wchar_t notices_no_connection[] = L"서버 연결 실패로 뉴스티커 리스트 정보 가져오기 실패";
const wchar_t notices_expired[] = L"뉴스티커 리스트 정보 가져오기 실패";
const wchar_t notices_received[] = L"뉴스티커 리스트 정보 가져오기 성공";

bool read_store_line(const stringx& line, store_record& record) {
    std::vector<stringx> f = split_fields(clean_line(line));
    if (f.size() != 11) return false;
    record.storetop = f[0];
    record.storemother = f[1];
    record.storecode = f[2];
    record.userid = f[3];
    record.storename = f[4];
    record.phone = f[5];
    record.connections = f[6].toint();
    record.waiting = f[7].toint();
    record.access_time = f[8];
    record.channel_title = f[9];
    record.extra_text = f[10];
    return true;
}

bool read_detail_line(const stringx& line, store_detail& detail) {
    std::vector<stringx> f = split_fields(clean_line(line));
    if (f.size() != 13) return false;
    for (int i = 0; i < 6; ++i) detail.texts[i] = f[i];
    detail.numbers[0] = f[6].toint();
    detail.numbers[1] = f[7].toint();
    for (int i = 0; i < 5; ++i) detail.more_texts[i] = f[8 + i];
    return true;
}

}  // namespace

std::vector<store_record>& store_manager::get_list() { return stores_; }

void store_manager::set_list(const wchar_t* text) {
    std::vector<stringx> lines;
    utility::string_tokenizer(text ? text : L"", L"\r\n", lines);
    stores_.clear();
    for (const stringx& line : lines) {
        store_record record;
        if (read_store_line(line, record)) stores_.push_back(record);
    }
    link_.write_anne_log(list_updated);
}

bool store_manager::get_detail(const wchar_t* storetop, const wchar_t* storemother, const wchar_t* storecode,
                               const wchar_t* storelevel, store_detail& detail) {
    const service_reply reply = link_.post(store_detail_request(storetop, storemother, storecode, storelevel));
    if (!reply.connected()) {
        link_.write_anne_log(detail_no_connection);
        return false;
    }
    if (reply.login_expired()) {
        link_.write_anne_log(detail_expired);
        return false;
    }
    // No success test: the second line, when there is one, is the detail.
    store_detail read;
    const std::vector<stringx>& lines = reply.lines();
    if (lines.size() < 2 || !read_detail_line(lines[1], read)) read = store_detail();
    detail = read;
    return true;
}

std::vector<notice_record>& news_ticker::refresh(bool fetch) {
    if (!fetch || !link_.logged_in()) return notices_;
    const service_reply reply = link_.post(notice_request(link_.identity()));
    const stringx failed = success_failure_line(script_file_name(service_script::notice_list).wvalue());
    if (!accept_reply(link_, reply, notices_no_connection, notices_expired, failed.wvalue())) return notices_;
    notices_.clear();
    const std::vector<stringx>& lines = reply.lines();
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<stringx> f = split_fields(clean_line(lines[i]));
        if (f.size() != 2) continue;
        notice_record notice;
        notice.text = f[0];
        notice.value = f[1];
        notices_.push_back(notice);
    }
    link_.write_anne_log(notices_received);
    return notices_;
}
