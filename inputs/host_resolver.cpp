#include "host_resolver.h"
#include <cstring>

host_resolver::host_resolver(int cache_size, lookup_function lookup)
    : cache_(nullptr),
      count_(cache_size > 0 ? cache_size : 1),
      lookup_(lookup ? lookup : default_lookup),
      stopping_(false),
      worker_running_(false),
      worker_(nullptr) {
    cache_ = new entry[count_]();
    for (int i = 0; i < count_; ++i) cache_[i].address = INADDR_NONE;
}

host_resolver::~host_resolver() {
    stopping_ = true;
    if (worker_) {
        WaitForSingleObject(worker_, INFINITE);
        CloseHandle(worker_);
    }
    delete[] cache_;
}

int host_resolver::resolve(const char* host, unsigned long* address) {
    if (!host || !*host) return -1;
    unsigned long dotted = inet_addr(host);
    if (dotted != INADDR_NONE) {
        *address = dotted;
        return 0;
    }
    const time_t now = time(nullptr);
    for (int i = 0; i < count_; ++i) {
        entry& e = cache_[i];
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
    for (int i = 0; i < count_ && !slot; ++i)
        if (cache_[i].last_used == 0) slot = &cache_[i];
    if (!slot)
        for (int i = 0; i < count_; ++i)
            if (cache_[i].resolved && (!slot || cache_[i].last_used < slot->last_used)) slot = &cache_[i];
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
    if (stopping_) return;
    bool expected = false;
    if (!worker_running_.compare_exchange_strong(expected, true)) return;
    // A finished earlier worker: collect its handle first.
    if (worker_) {
        WaitForSingleObject(worker_, INFINITE);
        CloseHandle(worker_);
        worker_ = nullptr;
    }
    DWORD id = 0;
    worker_ = CreateThread(nullptr, 0, worker_main, this, 0, &id);
    if (!worker_) worker_running_ = false;
}

bool host_resolver::has_pending() const {
    for (int i = 0; i < count_; ++i)
        if (cache_[i].last_used != 0 && !cache_[i].resolved) return true;
    return false;
}

void host_resolver::worker_pass() {
    WSADATA data;
    const bool started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    for (int i = 0; i < count_ && !stopping_; ++i) {
        entry& e = cache_[i];
        if (e.last_used == 0 || e.resolved || e.kind != 0) continue;
        e.address = started ? lookup_(e.host) : INADDR_NONE;
        e.resolved = true;  // after the address
    }
    if (started) WSACleanup();
}

DWORD WINAPI host_resolver::worker_main(void* self) {
    host_resolver* r = static_cast<host_resolver*>(self);
    for (;;) {
        r->worker_pass();
        r->worker_running_ = false;
        // A name added while the pass ran past its entry is not left
        // pending: take the work back unless the owner has started a new
        // worker in the meantime.
        if (r->stopping_ || !r->has_pending()) break;
        bool expected = false;
        if (!r->worker_running_.compare_exchange_strong(expected, true)) break;
    }
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
