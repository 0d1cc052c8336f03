// zel_in_std's registrations for the service's tracks, through the registry
// as the player host loads it.
#include <gtest/gtest.h>
#include <string>
#include "core.h"
#include "init_quit.h"
#include "net_options.h"
#include "stream.h"
#include "track_cache.h"
#include "track_test_support.h"

TEST(track_registry, a_track_url_opens_as_a_zel_stream_through_the_registry) {
    track_test::environment env;
    track_test::served served;
    ASSERT_TRUE(served.start()) << served.error();
    const std::string body = track_test::body(40000);
    ASSERT_TRUE(served.serve(body));

    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
    EXPECT_EQ(core::enum_count_component(track_cache::iid), 1);
    EXPECT_EQ(core::enum_count_component(net_options::iid), 1);
    component* cache = core::enum_create_component(track_cache::iid, 0);
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(cache, core::enum_create_component(track_cache::iid, 0));

    stream* s = core::create_stream(served.url(L"reg.mp3").c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->content_type, L"zel content type");
    EXPECT_FALSE(s->busy);
    EXPECT_EQ(s->length(), 40000);
    std::string got;
    char buffer[4096];
    ASSERT_TRUE(track_test::wait_until([&] {
        const int n = s->read(buffer, sizeof buffer);
        if (n > 0) got.append(buffer, n);
        return s->at_end();
    }));
    EXPECT_TRUE(got == body);
    s->release();

    // The stop hooks of every library: zel_in_std cleans its sockets up.
    for_each_component<init_quit>([](init_quit* q) { q->on_quit(); });
    core::free_library();
}
