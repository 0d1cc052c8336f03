// service_host: the environment overrides the deployment's file, and the web
// host falls back to the request host.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "http_post.h"
#include "service_host.h"
#include "stand_in_server.h"
#include "wine_host.h"

namespace {
// Sets an environment variable of this process for one test.
struct scoped_variable {
    scoped_variable(const wchar_t* name, const wchar_t* value) : name_(name) { SetEnvironmentVariableW(name, value); }
    ~scoped_variable() { SetEnvironmentVariableW(name_, nullptr); }
    const wchar_t* name_;
};
}  // namespace

TEST(service_host, prefers_the_environment_then_the_deployment_file) {
    std::wstring folder;
    std::string unix_folder;
    ASSERT_TRUE(wine_host::make_state_folder("service_host", folder, unix_folder));
    std::wstring ini = folder + L"\\zel_service.ini";
    ASSERT_TRUE(wine_host::write_file_atomic(ini, "[service]\r\nhost = service.example:8080 \r\n"));

    EXPECT_EQ(service_host::lookup(L"ZEL_TEST_NO_SUCH_VARIABLE", ini.c_str(), L"host"),
              stringx(L"service.example:8080"));
    EXPECT_EQ(service_host::lookup(L"ZEL_TEST_NO_SUCH_VARIABLE", ini.c_str(), L"web_host"), stringx(L""));
    {
        scoped_variable variable(L"ZEL_TEST_HOST", L" 127.0.0.1:5000 ");
        EXPECT_EQ(service_host::lookup(L"ZEL_TEST_HOST", ini.c_str(), L"host"), stringx(L"127.0.0.1:5000"));
    }
    {
        scoped_variable blank(L"ZEL_TEST_HOST", L"  ");
        EXPECT_EQ(service_host::lookup(L"ZEL_TEST_HOST", ini.c_str(), L"host"), stringx(L"service.example:8080"));
    }
    EXPECT_EQ(service_host::lookup(nullptr, nullptr, nullptr), stringx(L""));
    wine_host::remove_state_folder(folder);

    stringx path = service_host::config_path();
    EXPECT_TRUE(path.ends_with(stringx(L"\\zel_service.ini"), true)) << path.value();
}

TEST(service_host, points_requests_at_the_configured_host) {
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::text("pong")}));
    scoped_variable request(L"ZEL_SERVICE_HOST", server.host().c_str());
    EXPECT_EQ(service_host::request_host(), stringx(server.host().c_str()));
    EXPECT_EQ(service_host::web_host(), stringx(server.host().c_str()));
    {
        scoped_variable web(L"ZEL_SERVICE_WEB_HOST", L"pages.example");
        EXPECT_EQ(service_host::web_host(), stringx(L"pages.example"));
    }

    http_post post;
    unsigned size = 0;
    EXPECT_STREQ(post.submit(service_host::request_host().wvalue(), L"rux/rux_login_check.php", size), "pong");
    ASSERT_EQ(server.requests().size(), 1u);
}
