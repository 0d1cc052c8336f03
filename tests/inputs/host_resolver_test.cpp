// host_resolver with a lookup of the test's own (no name server is reached),
// and its cache as a request sees it.
#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include "host_resolver.h"
#include "http_test_support.h"
#include "stand_in_server.h"

namespace {

std::atomic<int> g_lookups(0);
std::atomic<int> g_delay_ms(0);

// Knows two names; counts every lookup.
unsigned long test_lookup(const char* host) {
    ++g_lookups;
    if (g_delay_ms > 0) Sleep(g_delay_ms);
    if (_stricmp(host, "stand-in.test") == 0) return inet_addr("127.0.0.1");
    if (_stricmp(host, "other.test") == 0) return inet_addr("10.1.2.3");
    return INADDR_NONE;
}

// Waits (bounded) until the condition holds.
template <class Condition>
bool wait_until(Condition condition, DWORD timeout_ms = 10000) {
    const DWORD begin = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - begin > timeout_ms) return false;
        Sleep(1);
    }
    return true;
}

// Asks until the answer is not "pending" (bounded).
int resolve_until_known(host_resolver& resolver, const char* host, unsigned long* address) {
    for (int i = 0; i < 10000; ++i) {
        int answer = resolver.resolve(host, address);
        if (answer != 1) return answer;
        Sleep(1);
    }
    return 1;
}

class host_resolver_test : public ::testing::Test {
protected:
    void SetUp() override {
        g_lookups = 0;
        g_delay_ms = 0;
    }
};

}  // namespace

TEST_F(host_resolver_test, answers_dotted_addresses_without_lookup) {
    host_resolver resolver(4, test_lookup);
    unsigned long address = 0;
    EXPECT_EQ(resolver.resolve("127.0.0.1", &address), 0);
    EXPECT_EQ(address, inet_addr("127.0.0.1"));
    EXPECT_EQ(g_lookups, 0);
}

TEST_F(host_resolver_test, looks_a_name_up_once_and_keeps_answers_and_failures) {
    host_resolver resolver(4, test_lookup);
    unsigned long address = 0;
    EXPECT_EQ(resolver.resolve("stand-in.test", &address), 1);  // pending at first
    EXPECT_EQ(resolve_until_known(resolver, "stand-in.test", &address), 0);
    EXPECT_EQ(address, inet_addr("127.0.0.1"));
    address = 0;
    EXPECT_EQ(resolver.resolve("STAND-IN.test", &address), 0);  // names ignore case
    EXPECT_EQ(address, inet_addr("127.0.0.1"));
    EXPECT_EQ(g_lookups, 1);

    EXPECT_EQ(resolve_until_known(resolver, "unknown.test", &address), -1);
    EXPECT_EQ(resolver.resolve("unknown.test", &address), -1);  // the failure is kept too
    EXPECT_EQ(g_lookups, 2);
}

TEST_F(host_resolver_test, reuses_the_entry_used_longest_ago_and_refuses_when_all_pend) {
    g_delay_ms = 200;
    host_resolver resolver(1, test_lookup);
    unsigned long address = 0;
    EXPECT_EQ(resolver.resolve("stand-in.test", &address), 1);
    EXPECT_EQ(resolver.resolve("other.test", &address), -1);  // the only entry is pending
    EXPECT_EQ(resolve_until_known(resolver, "stand-in.test", &address), 0);
    g_delay_ms = 0;
    EXPECT_EQ(resolve_until_known(resolver, "other.test", &address), 0);  // takes the resolved entry
    EXPECT_EQ(address, inet_addr("10.1.2.3"));
    EXPECT_EQ(resolve_until_known(resolver, "stand-in.test", &address), 0);  // looked up again
    EXPECT_EQ(g_lookups, 3);
}

TEST_F(host_resolver_test, resolves_names_added_while_the_worker_runs) {
    g_delay_ms = 50;
    host_resolver resolver(8, test_lookup);
    unsigned long a = 0, b = 0;
    EXPECT_EQ(resolver.resolve("stand-in.test", &a), 1);
    Sleep(10);  // the worker is inside the first lookup now, or soon
    EXPECT_EQ(resolver.resolve("other.test", &b), 1);
    EXPECT_EQ(resolve_until_known(resolver, "stand-in.test", &a), 0);
    EXPECT_EQ(resolve_until_known(resolver, "other.test", &b), 0);
    EXPECT_EQ(b, inet_addr("10.1.2.3"));
}

TEST_F(host_resolver_test, destruction_does_not_wait_for_a_lookup_that_hangs) {
    // Regression: the destructor waited without limit for a worker blocked
    // in a lookup (a name server that does not answer), and with it the
    // request, the stream and the stop that ended them.
    static HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    static std::atomic<int> entered(0), returned(0);
    struct hanging {
        static unsigned long lookup(const char*) {
            ++entered;
            WaitForSingleObject(release, 5000);
            ++returned;
            return inet_addr("127.0.0.1");
        }
    };
    host_resolver* resolver = new host_resolver(4, &hanging::lookup);
    unsigned long address = 0;
    EXPECT_EQ(resolver->resolve("slow.test", &address), 1);
    ASSERT_TRUE(wait_until([] { return entered == 1; }));
    const DWORD begin = GetTickCount();
    delete resolver;
    const DWORD took = GetTickCount() - begin;
    RecordProperty("destroy_ms", int(took));
    EXPECT_LT(took, 1000u);
    // The worker that was let go ends by itself once its lookup returns.
    SetEvent(release);
    EXPECT_TRUE(wait_until([] { return returned == 1; }));
}

TEST_F(host_resolver_test, second_request_to_a_cached_name_connects_without_lookup) {
    wsa_session wsa;
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::text("one")}));
    host_resolver resolver(64, test_lookup);
    const std::string url = "http://stand-in.test:" + std::to_string(server.port()) + "/n";
    for (int round = 0; round < 2; ++round) {
        http_request request(&resolver, 4096, nullptr);
        request.connect(url.c_str(), 0, "GET");
        ASSERT_EQ(drive_to_body(request), drive_end::body) << request.get_error();
        EXPECT_EQ(read_body(request), "one");
    }
    EXPECT_EQ(g_lookups, 1);
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].header("Host"), "stand-in.test");
}

TEST_F(host_resolver_test, a_name_that_does_not_resolve_fails_the_request) {
    wsa_session wsa;
    host_resolver resolver(4, test_lookup);
    http_request request(&resolver, 4096, nullptr);
    request.connect("http://unknown.test/", 0, "GET");
    EXPECT_EQ(drive_to_body(request), drive_end::failed);
    EXPECT_STREQ(request.get_error(), "resolving hostname");
}
