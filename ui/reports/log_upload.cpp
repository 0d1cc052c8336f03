// The upload of the played-tracks logs: see log_upload.h.
#include "log_upload.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core.h"
#include "log_service.h"
#include "login_manager.h"
#include "player_options.h"
#include "service_host.h"
#include "service_requests.h"
#include "system_registry.h"
#include "timex.h"
#include "utf.h"

namespace {

constexpr unsigned kUploadTimer = 17;
constexpr unsigned kHold = 1200000;       // after a held check or an upload: 20 minutes
constexpr unsigned kNothingDue = 3600000;  // nothing to send or not logged in: an hour

// a is before b (by the difference, so across the tick count's wrap).
bool before(unsigned a, unsigned b) { return static_cast<int>(a - b) < 0; }

stringx join(const stringx& a, const wchar_t* b) {
    stringx text = a;
    text += b;
    return text;
}

class service_log_sink : public upload_log_sink {
public:
    void write_log(const wchar_t* line) override {
        if (component* c = core::enum_create_component(log_service::iid, 0)) {
            static_cast<log_service*>(c)->write_log(line);
            c->release();
        }
    }
};

// What the worker thread receives: its arguments and the reference to this
// library that it drops as it ends.
struct worker_start {
    upload_args* args;
    HMODULE module;
};

void upload_and_end(worker_start* start) {
    service_log_sink log;
    log.write_log(L"쓰레드 수행 시작");
    std::unique_ptr<upload_args> args(start->args);
    const upload_args copy = *args;
    args.reset();
    upload_log_file(copy, log);
}

DWORD WINAPI upload_thread(void* param) {
    std::unique_ptr<worker_start> start(static_cast<worker_start*>(param));
    const HMODULE module = start->module;
    upload_and_end(start.get());
    start.reset();
    if (module) FreeLibraryAndExitThread(module, 0);
    return 0;
}

// A reference to the library that holds this code (null when it cannot be
// taken).
HMODULE pin_this_library() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&upload_thread),
                            &module))
        return nullptr;
    return module;
}

}  // namespace

// --- the worker's work ---

void upload_log_file(const upload_args& args, upload_log_sink& log) {
    log.write_log(join(args.path, L" -> 로그 파일 - 데이터로드"));
    FILE* file = _wfopen(args.path.wvalue(), L"rb");
    if (!file)
        return;
    std::string bytes;
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof(block), file)) > 0)
        bytes.append(block, got);
    fclose(file);
    // The text ends at a zero byte inside the file, as the conversion reads it.
    const stringx text = utf::ansi_to_utf16(bytes.c_str());

    request_identity identity;
    identity.store.storetop = args.storetop;
    identity.store.storemother = args.storemother;
    identity.store.storecode = args.storecode;
    identity.store.storeid = args.storeid;
    identity.pc.usermac = args.usermac;
    identity.pc.pc_ostime = args.pc_ostime;
    identity.pc.pc_pgtime = args.pc_pgtime;
    identity.pc.hddidx = args.hddidx;
    log.write_log(join(args.path, L" -> 로그 파일 - 업로드"));
    const service_reply reply = log_upload_request(identity, text.wvalue()).send_to(args.host.wvalue());
    if (reply.has_success()) {
        log.write_log(join(args.path, L" -> 로그 파일 - 전달 완료"));
        remove_file(args.path.wvalue());
    } else {
        stringx line = join(args.path, L" -> 로그 파일 - 전달 실패 [ ");
        line += utf::ansi_to_utf16(reply.raw().c_str());
        line += L"]";
        log.write_log(line);
    }
}

// --- the environment of the main window ---

unsigned log_upload_env::tick_count() { return GetTickCount(); }

SYSTEMTIME log_upload_env::local_time() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

int log_upload_env::random() { return rand(); }

bool log_upload_env::listenlog() { return get_player_options().listenlog; }

bool log_upload_env::logged_in() {
    login_manager* login = get_login_manager();
    return login && login->is_logged_in();
}

stringx log_upload_env::played_log_folder() {
    stringx folder;
    if (wchar_t* appdata = core::get_appdata_path()) {
        folder = appdata;
        free(appdata);
    }
    folder += L"\\log_played_info\\";
    folder += get_player_options().user_id;
    return folder;
}

stringx log_upload_env::today_file_name() {
    const timex now;
    stringx name;
    name.format(L"PLAYED_INFO_LOG_%04d-%02d-%02d.txt", now.get_year(), now.get_month(), now.get_day());
    return name;
}

void log_upload_env::write_log(const wchar_t* line) { service_log_sink().write_log(line); }

UINT_PTR log_upload_env::set_timer() { return SetTimer(window_, kUploadTimer, 1000, nullptr); }

void log_upload_env::kill_timer(UINT_PTR id) { KillTimer(window_, id); }

upload_args* log_upload_env::make_args(const stringx& path) {
    upload_args* args = new upload_args;
    const player_options& o = get_player_options();
    args->host = service_host::request_host();
    if (login_manager* login = get_login_manager()) {
        const store_info& store = login->get_store_info();
        args->storetop = store.storetop;
        args->storemother = store.storemother;
        args->storecode = store.storecode;
        args->storeid = store.storeid;
    }
    args->usermac = o.usermac;
    args->pc_ostime = o.pc_ostime;
    args->pc_pgtime = o.pc_pgtime;
    args->hddidx = o.hddidx;
    args->path = path;
    args->window = window_;
    return args;
}

bool log_upload_env::start_worker(upload_args* args) {
    if (!wait_for_worker(0)) {
        delete args;
        return false;
    }
    worker_start* start = new worker_start{args, pin_this_library()};
    HANDLE thread = CreateThread(nullptr, 1024, &upload_thread, start, CREATE_SUSPENDED, nullptr);
    if (thread && ResumeThread(thread) == static_cast<DWORD>(-1)) {
        TerminateThread(thread, 0);  // never ran: nothing of it is in use
        CloseHandle(thread);
        thread = nullptr;
    }
    if (!thread) {
        if (start->module) FreeLibrary(start->module);
        delete start->args;
        delete start;
        return false;
    }
    worker_ = thread;
    return true;
}

bool log_upload_env::wait_for_worker(DWORD ms) {
    if (!worker_) return true;
    if (WaitForSingleObject(worker_, ms) != WAIT_OBJECT_0) return false;
    CloseHandle(worker_);
    worker_ = nullptr;
    return true;
}

log_upload_env::~log_upload_env() {
    if (worker_) CloseHandle(worker_);
}

void log_upload_env::pause(DWORD ms) { Sleep(ms); }

// --- the checks ---

void log_upload::start() {
    next_check_ = env_.tick_count() + 20000 + static_cast<unsigned>(env_.random() % 5) * 10000;
    timer_id_ = env_.set_timer();
}

void log_upload::stop() {
    if (timer_id_)
        env_.kill_timer(timer_id_);
    timer_id_ = 0;
    if (!env_.wait_for_worker(worker_stop_wait_ms))
        env_.write_log(L"로그 업로드 쓰레드가 끝나지 않았습니다");
}

void log_upload::check(UINT_PTR timer_id) {
    if (busy_)
        return;
    busy_ = true;
    if (timer_id != timer_id_ || tick_count_ <= 15) {
        if (timer_id == timer_id_)
            ++tick_count_;
        busy_ = false;
        return;
    }
    tick_count_ = 1;
    const unsigned now = env_.tick_count();
    if (!env_.listenlog() || before(now, next_check_)) {
        busy_ = false;
        return;
    }
    const SYSTEMTIME local = env_.local_time();
    if (local.wHour >= 8 && local.wHour <= 11) {
        env_.write_log(L"로그 전달 보류");
        next_check_ = now + kHold + static_cast<unsigned>(env_.random() % 5) * 1500;
        busy_ = false;
        return;
    }
    env_.kill_timer(timer_id_);
    if (!env_.logged_in())
        next_check_ = now + kNothingDue;
    else
        next_check_ = search_and_upload();
    timer_id_ = env_.set_timer();
    ++tick_count_;
    busy_ = false;
}

unsigned log_upload::search_and_upload() {
    const stringx folder = env_.played_log_folder();
    const stringx pattern = join(folder, L"\\PLAYED_INFO_LOG_*.txt");
    env_.write_log(L"로그 전달 확인");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.wvalue(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        env_.write_log(join(pattern, L" -> 로그 파일 없음 : 1시간 뒤 체크"));
        return env_.tick_count() + kNothingDue;
    }
    env_.write_log(L"로그 전달 프로세스 시작");
    const stringx today = env_.today_file_name();
    bool taken = false;
    do {
        if (_wcsicmp(found.cFileName, today.wvalue()) == 0) {
            env_.pause(10);  // still being written
            continue;
        }
        stringx path = join(folder, L"\\");
        path += found.cFileName;
        upload_args* args = env_.make_args(path);
        const stringx storeid = args->storeid;
        env_.write_log(join(storeid, L" - 로그 전달 쓰레드 생성"));
        if (env_.start_worker(args))
            env_.write_log(join(storeid, L" - 로그 전달 쓰레드 실행"));
        else
            env_.write_log(join(storeid, L" - 로그 전달 쓰레드 실패"));
        taken = true;
        break;  // one file per check
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return env_.tick_count() + (taken ? kHold : kNothingDue);
}
