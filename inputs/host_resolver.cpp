#include "host_resolver.h"
#include <cstring>

host_resolver::shared_state::shared_state(int size, lookup_function lookup_fn)
    : holders(1), cache(nullptr), count(size), lookup(lookup_fn), stopping(false), worker_running(false) {
    cache = new entry[count]();
    for (int i = 0; i < count; ++i) cache[i].address = INADDR_NONE;
}

host_resolver::shared_state::~shared_state() { delete[] cache; }

void host_resolver::shared_state::release() {
    if (--holders == 0) delete this;
}

host_resolver::host_resolver(int cache_size, lookup_function lookup)
    : state_(new shared_state(cache_size > 0 ? cache_size : 1, lookup ? lookup : default_lookup)),
      worker_(nullptr) {}

host_resolver::~host_resolver() {
    state_->stopping = true;
    if (worker_) {
        // A worker between two names sees the flag at once; one inside a
        // lookup that hangs is let go and ends when the lookup returns.
        WaitForSingleObject(worker_, destroy_wait_ms);
        CloseHandle(worker_);
    }
    state_->release();
}

int host_resolver::resolve(const char* host, unsigned long* address) {
    if (!host || !*host) return -1;
    unsigned long dotted = inet_addr(host);
    if (dotted != INADDR_NONE) {
        *address = dotted;
        return 0;
    }
    entry* cache = state_->cache;
    const int count = state_->count;
    const time_t now = time(nullptr);
    for (int i = 0; i < count; ++i) {
        entry& e = cache[i];
        if (e.last_used == 0 || e.kind != 0 || _stricmp(e.host, host) != 0) continue;
        e.last_used = now;
        if (!e.resolved) {
            start_worker();
            return 1;
        }
        if (e.address == INADDR_NONE) return -1;
        *address = e.address;
        return 0;
    }
    // A free entry, else the resolved one used longest ago.
    entry* slot = nullptr;
    for (int i = 0; i < count && !slot; ++i)
        if (cache[i].last_used == 0) slot = &cache[i];
    if (!slot)
        for (int i = 0; i < count; ++i)
            if (cache[i].resolved && (!slot || cache[i].last_used < slot->last_used)) slot = &cache[i];
    if (!slot) return -1;  // every entry is still pending
    slot->kind = 0;
    strncpy(slot->host, host, max_host);
    slot->host[max_host] = 0;
    slot->address = INADDR_NONE;
    slot->resolved = false;
    slot->last_used = now;  // last: from here on the worker takes the entry
    start_worker();
    return 1;
}

void host_resolver::start_worker() {
    shared_state* s = state_;
    if (s->stopping) return;
    bool expected = false;
    if (!s->worker_running.compare_exchange_strong(expected, true)) return;
    // A finished earlier worker: collect its handle first (it is past its
    // last look at the state, so this wait is short).
    if (worker_) {
        WaitForSingleObject(worker_, INFINITE);
        CloseHandle(worker_);
        worker_ = nullptr;
    }
    worker_start* start = new worker_start{s, nullptr};
    // The worker may outlive the resolver: it keeps the state and the
    // module of its code.
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&host_resolver::worker_main), &start->module);
    ++s->holders;
    DWORD id = 0;
    worker_ = CreateThread(nullptr, 0, worker_main, start, 0, &id);
    if (!worker_) {
        --s->holders;
        if (start->module) FreeLibrary(start->module);
        delete start;
        s->worker_running = false;
    }
}

bool host_resolver::shared_state::has_pending() const {
    for (int i = 0; i < count; ++i)
        if (cache[i].last_used != 0 && !cache[i].resolved) return true;
    return false;
}

void host_resolver::shared_state::worker_pass() {
    WSADATA data;
    const bool started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    for (int i = 0; i < count && !stopping; ++i) {
        entry& e = cache[i];
        if (e.last_used == 0 || e.resolved || e.kind != 0) continue;
        e.address = started ? lookup(e.host) : INADDR_NONE;
        e.resolved = true;  // after the address
    }
    if (started) WSACleanup();
}

DWORD WINAPI host_resolver::worker_main(void* start_block) {
    worker_start* start = static_cast<worker_start*>(start_block);
    shared_state* s = start->state;
    const HMODULE module = start->module;
    delete start;
    for (;;) {
        s->worker_pass();
        s->worker_running = false;
        // A name added while the pass ran past its entry is not left
        // pending: take the work back unless the owner has started a new
        // worker in the meantime.
        if (s->stopping || !s->has_pending()) break;
        bool expected = false;
        if (!s->worker_running.compare_exchange_strong(expected, true)) break;
    }
    s->release();
    if (module) FreeLibraryAndExitThread(module, 0);
    return 0;
}

unsigned long host_resolver::default_lookup(const char* host) {
    hostent* found = gethostbyname(host);
    if (!found || found->h_addrtype != AF_INET || !found->h_addr_list || !found->h_addr_list[0])
        return INADDR_NONE;
    unsigned long address;
    memcpy(&address, found->h_addr_list[0], sizeof(address));
    return address;
}
