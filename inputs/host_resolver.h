#pragma once
// host_resolver: turns host names into IPv4 addresses without blocking the
// caller. Names are looked up on one worker thread and kept in a small cache
// of fixed size; the caller asks again until the answer is there.
//
// Threading: resolve() belongs to one owning thread. The worker writes an
// entry's address before it marks the entry resolved, and resolve() reads
// the address only after it has seen the mark. The destructor does not wait
// for a lookup that hangs (a name server that does not answer): after a
// short wait it lets the worker go, which then ends by itself when its
// lookup returns. The cache belongs to the resolver and to a running worker
// together, and the worker holds its module loaded until it has ended.
#include <winsock2.h>
#include <windows.h>
#include <atomic>
#include <ctime>

class host_resolver {
public:
    // The lookup the worker makes for one name: the address in network
    // order, or INADDR_NONE when the name does not resolve. The default
    // asks gethostbyname; tests put their own in.
    typedef unsigned long (*lookup_function)(const char* host);

    explicit host_resolver(int cache_size, lookup_function lookup = nullptr);
    ~host_resolver();
    host_resolver(const host_resolver&) = delete;
    host_resolver& operator=(const host_resolver&) = delete;

    // 0 with *address set; 1 while the lookup is pending (ask again later);
    // -1 when the name does not resolve or every entry is still pending.
    // A dotted address is answered at once without the cache.
    int resolve(const char* host, unsigned long* address);

    static const int max_host = 255;
    // How long the destructor waits for a worker before it lets it go.
    static const DWORD destroy_wait_ms = 200;

private:
    struct entry {
        std::atomic<time_t> last_used;  // 0: free
        std::atomic<bool> resolved;
        unsigned char kind;  // 0: name to address, the only kind made
        char host[max_host + 1];
        std::atomic<unsigned long> address;  // INADDR_NONE while unknown or failed
    };

    // What the worker uses: freed by whichever of the resolver and the last
    // worker lets go of it last.
    struct shared_state {
        shared_state(int size, lookup_function lookup);
        ~shared_state();
        void release();
        bool has_pending() const;
        void worker_pass();

        std::atomic<int> holders;
        entry* cache;
        int count;
        lookup_function lookup;
        std::atomic<bool> stopping;  // set by the destructor
        std::atomic<bool> worker_running;
    };

    struct worker_start {
        shared_state* state;
        HMODULE module;  // the module of the worker's code, held while it runs
    };

    void start_worker();
    static DWORD WINAPI worker_main(void* start);
    static unsigned long default_lookup(const char* host);

    shared_state* state_;
    HANDLE worker_;
};
