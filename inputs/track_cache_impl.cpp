#include "track_cache_impl.h"
#include <windows.h>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <cwctype>
#include <unordered_set>
#include "track_log.h"
#include "track_net.h"
#include "track_url.h"
#include "utility.h"
#include "zel_play_reader.h"
#include "zel_save_reader.h"

namespace {
bool system_free_space(const wchar_t* root, uint64_t* free_bytes) {
    ULARGE_INTEGER available, total, total_free;
    if (!GetDiskFreeSpaceExW(root, &available, &total, &total_free)) return false;
    *free_bytes = total_free.QuadPart;
    return true;
}

int system_random() { return rand(); }

const wchar_t* path_of(const list_info& entry) { return entry.path ? entry.path : L""; }

bool is_music(const wchar_t* path) { return _wcsnicmp(path, L"zel://", 6) == 0; }
bool is_info(const wchar_t* path) { return _wcsnicmp(path, L"zel2://", 7) == 0; }

stringx file_name(const wchar_t* path) { return track_log::after_last(path, L'\\'); }
}  // namespace

// A download's start: the reader's open (a length check and the request,
// each bounded by the short reply time-out) on a thread of its own. state:
// 0 running, 1 started, 2 not started, 3 abandoned by the cache (the thread
// then deletes the reader and the record).
struct track_cache_impl::starting {
    zel_save_reader* reader = nullptr;
    std::wstring path;
    list_info entry;
    volatile LONG state = 0;
    HMODULE module = nullptr;  // held while the thread runs
};

namespace {
struct start_thread {
    static DWORD WINAPI run(void* parameter) {
        auto* s = static_cast<track_cache_impl::starting*>(parameter);
        const HMODULE module = s->module;
        const bool started = s->reader->open(s->path.c_str());
        if (InterlockedCompareExchange(&s->state, started ? 1 : 2, 0) == 3) {
            delete s->reader;
            delete s;
        }
        if (module) FreeLibraryAndExitThread(module, 0);
        return 0;
    }
};
}  // namespace

track_cache_impl::free_space_fn track_cache_impl::free_space_query = &system_free_space;
track_cache_impl::random_fn track_cache_impl::random_source = &system_random;

track_cache_impl::~track_cache_impl() {
    kill();
    abandon_start();
    delete saver_;
    saver_ = nullptr;
}

void track_cache_impl::set_rate_limit(int bytes_per_second) { track_net::rate_limit = bytes_per_second; }

void track_cache_impl::set_limits(int, int music_files, int info_files) {
    auto_sync guard(lock_);
    music_file_limit_ = music_files;
    info_file_limit_ = info_files;
}

void track_cache_impl::enqueue(int, const std::vector<list_info>* entries) {
    auto_sync guard(lock_);
    queue_.clear();
    put_aside_.clear();
    idle_ticks_ = 0;
    retry_rounds_ = 0;
    if (entries) {
        // A channel may bring ten thousand tracks: the duplicates are found
        // through a set of the paths folded to lower case, not by a walk
        // through the queue for each entry.
        std::unordered_set<std::wstring> queued;
        for (size_t i = 1; i < entries->size(); ++i) {
            const list_info& entry = (*entries)[i];
            std::wstring key(path_of(entry));
            for (wchar_t& c : key) c = static_cast<wchar_t>(towlower(c));
            if (queued.insert(key).second) queue_.push_back(entry);
        }
    }
    wait_ticks_ = 4;
}

void track_cache_impl::enqueue_info(const list_info* entry) {
    if (!entry) return;
    auto_sync guard(lock_);
    queue_.insert(queue_.begin(), *entry);
}

void track_cache_impl::drop_non_info() {
    auto_sync guard(lock_);
    std::vector<list_info> kept;
    for (const list_info& entry : queue_)
        if (is_info(path_of(entry))) kept.push_back(entry);
    queue_.swap(kept);
}

void track_cache_impl::clear() {
    auto_sync guard(lock_);
    queue_.clear();
    put_aside_.clear();
    abandon_start();
    delete saver_;  // stops the download; an incomplete file goes with it
    saver_ = nullptr;
}

void track_cache_impl::prepare() {
    tick_count_ = 0;
    info_delay_ = -1;
    set_limits(10, 1000, 100);
    const stringx root = track_url::cache_root();
    music_folder_ = root;
    music_folder_ += stringx(L"\\temp");
    utility::check_directory(music_folder_.wvalue());
    info_folder_ = music_folder_;
    music_folder_ += stringx(L"\\music");
    info_folder_ += stringx(L"\\info");
    utility::check_directory(music_folder_.wvalue());
    utility::check_directory(info_folder_.wvalue());
    const int slash = music_folder_.indexof(L'\\');
    drive_root_ = slash >= 0 ? music_folder_.left(slash + 1) : music_folder_;
}

void track_cache_impl::on_ui_ready() {
    srand(static_cast<unsigned>(time(nullptr)));
    prepare();
    set(1000);
}

void track_cache_impl::on_ui_closing() {
    kill();
    drop_non_info();
    auto_sync guard(lock_);
    abandon_start();
    delete saver_;
    saver_ = nullptr;
}

std::vector<std::wstring> track_cache_impl::queued_paths() {
    auto_sync guard(lock_);
    std::vector<std::wstring> paths;
    for (const list_info& entry : queue_) paths.push_back(path_of(entry));
    return paths;
}

void track_cache_impl::tick() {
    {
        auto_sync guard(lock_);
        if (queue_.empty() && !saver_ && !starting_) {
            if (put_aside_.empty()) return;
            // The pause doubles with every round that brought nothing (a
            // track the host never serves is not asked for every 30 s).
            const int rounds = retry_rounds_ < 4 ? retry_rounds_ : 4;
            if (++idle_ticks_ < (retry_ticks << rounds)) return;
            // The outage may be over: the entries put aside are tried again.
            idle_ticks_ = 0;
            ++retry_rounds_;
            queue_.swap(put_aside_);
            put_aside_.clear();
        }
    }
    if (tick_count_ >= 10 && disk_check()) return;
    ++tick_count_;
    if (wait_ticks_ > 0) {
        --wait_ticks_;
        return;
    }
    if (!take_started()) return;
    if (saver_ && saver_->is_finished()) {
        track_log::format(saver_->is_info(), L"파일 수신 완료 : %s", file_name(saver_->path()).wvalue());
        delete saver_;
        saver_ = nullptr;
        put_aside_unless_cached(saving_);  // a download cut by an outage
        if (GetFileAttributesW(track_url::cache_file(path_of(saving_)).wvalue()) != INVALID_FILE_ATTRIBUTES)
            retry_rounds_ = 0;  // the host answers again
    }
    if (saver_) return;
    start_next();
}

bool track_cache_impl::disk_check() {
    tick_count_ = 0;
    uint64_t free_bytes = 0;
    if (!free_space_query(drive_root_.wvalue(), &free_bytes) && !free_space_query(L"c:\\", &free_bytes))
        return false;
    const uint64_t free_mb = free_bytes / 1024 / 1024;
    if (free_mb >= static_cast<uint64_t>(min_free_mb)) return false;
    track_log::write(false, L"하드 공간 부족");
    track_log::format(false, L"하드공간 부족으로 파일 삭제 : %d", static_cast<int>(free_mb));
    const std::vector<stringx> files = cache_files_by_age(music_folder_);
    if (!files.empty()) {
        _wremove(files[0].wvalue());
        track_log::format(false, L"하드공간 부족으로 파일 삭제 : %s", file_name(files[0].wvalue()).wvalue());
    }
    return true;
}

void track_cache_impl::start_next() {
    auto_sync guard(lock_);
    if (queue_.empty()) return;
    // A track that plays from the server now waits at the back of the queue.
    for (size_t n = 0; n < queue_.size(); ++n) {
        const wchar_t* front = path_of(queue_.front());
        if (!is_music(front) || !track_streaming(track_url::cache_file(front).wvalue())) break;
        if (n + 1 == queue_.size()) return;  // every one of them plays now
        const list_info later = queue_.front();
        queue_.erase(queue_.begin());
        queue_.push_back(later);
    }
    const list_info entry = queue_.front();
    const wchar_t* path = path_of(entry);
    bool info = false;
    if (is_music(path)) {
        info = false;
    } else if (is_info(path)) {
        if (info_delay_ < 0) {
            const int r = random_source();
            info_delay_ = (r < 0 ? -r : r) % 60;
            return;
        }
        if (info_delay_ > 0) {
            --info_delay_;
            return;
        }
        info_delay_ = -1;
        info = true;
    } else {
        queue_.erase(queue_.begin());
        return;
    }
    queue_.erase(queue_.begin());
    enforce_limit(info ? info_folder_ : music_folder_, info ? info_file_limit_ : music_file_limit_, info);

    starting* s = new starting;
    s->reader = new zel_save_reader();
    s->path = path;
    s->entry = entry;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&start_thread::run),
                       &s->module);
    HANDLE thread = CreateThread(nullptr, 0, &start_thread::run, s, 0, nullptr);
    if (!thread) {
        if (s->module) FreeLibrary(s->module);
        s->module = nullptr;
        s->state = s->reader->open(path) ? 1 : 2;
    } else {
        CloseHandle(thread);
    }
    starting_ = s;
    for (DWORD waited = 0; s->state == 0 && waited < start_wait_ms; waited += 5) Sleep(5);
    take_started();
}

bool track_cache_impl::take_started() {
    auto_sync guard(lock_);
    if (!starting_) return true;
    const LONG state = starting_->state;
    if (state == 0) return false;
    starting* s = starting_;
    starting_ = nullptr;
    if (state == 1) {
        saver_ = s->reader;
        saving_ = s->entry;
        track_log::format(saver_->is_info(), L"파일 수신 시작 : %s", file_name(saver_->path()).wvalue());
    } else {
        delete s->reader;  // complete already, or the download did not start
        put_aside_unless_cached(s->entry);
    }
    delete s;
    return true;
}

void track_cache_impl::abandon_start() {
    auto_sync guard(lock_);
    starting* s = starting_;
    starting_ = nullptr;
    if (!s || InterlockedCompareExchange(&s->state, 3, 0) == 0) return;
    delete s->reader;
    delete s;
}

void track_cache_impl::put_aside_unless_cached(const list_info& entry) {
    const wchar_t* path = path_of(entry);
    const stringx cache = track_url::cache_file(path);
    if (cache.length() == 0 || GetFileAttributesW(cache.wvalue()) != INVALID_FILE_ATTRIBUTES) return;
    // A start of 1 or more is never downloaded.
    track_url::parts parts;
    if (!track_url::parse(path, parts) || (parts.pieces.size() >= 2 && _wtoi64(parts.pieces[1].wvalue()) > 0)) return;
    auto_sync guard(lock_);
    for (const list_info& kept : put_aside_)
        if (_wcsicmp(path_of(kept), path) == 0) return;
    put_aside_.push_back(entry);
}

std::vector<std::wstring> track_cache_impl::put_aside_paths() {
    auto_sync guard(lock_);
    std::vector<std::wstring> paths;
    for (const list_info& entry : put_aside_) paths.push_back(path_of(entry));
    return paths;
}

void track_cache_impl::enforce_limit(const stringx& folder, int limit, bool info) {
    const std::vector<stringx> files = cache_files_by_age(folder);
    const int count = static_cast<int>(files.size());
    if (count < limit) return;
    const int excess = count - limit + 1;
    for (int i = 0; i < excess && i < count; ++i) {
        _wremove(files[i].wvalue());
        track_log::format(info, L"파일 저장 갯수 초과로 파일 삭제 : %s", file_name(files[i].wvalue()).wvalue());
    }
}
