// Reading the service's replies: the common classification, lines and
// fields, key=value pairs and the server notice's message and page.
#include <gtest/gtest.h>
#include <string>
#include "service_reply.h"

namespace {

service_reply reply_of(const std::string& bytes) { return service_reply(bytes.data(), bytes.size()); }

// Every byte of a literal, zero bytes included.
template <size_t n>
std::string bytes_of(const char (&literal)[n]) {
    return std::string(literal, n - 1);
}

std::wstring text(const stringx& s) { return s.wvalue(); }

}  // namespace

TEST(service_reply, classifies_in_the_common_order) {
#define BYTES(literal) std::string(literal, sizeof(literal) - 1)
    struct {
        const char* name;
        bool replied;  // false: no reply at all
        std::string bytes;
        reply_status status;
    } cases[] = {
        {"no server", false, "", reply_status::no_connection},
        {"200 with an empty body", true, "", reply_status::no_connection},
        {"a first byte of zero", true, BYTES("\0Result=Success"), reply_status::no_connection},
        {"expired login with a notice", true,
         BYTES("Login=False\r\nmessage=a\x11" "b\r\nurl=http://h/p?a=b\r\nResult=Success"),
         reply_status::login_expired},
        {"expired login in lower case", true, BYTES("login=false\r\nResult=Success"), reply_status::login_expired},
        {"only the first 7 characters count", true, BYTES("LOGIN=Fxx\r\n"), reply_status::login_expired},
        {"a shorter status line is no expired login", true, BYTES("Login=\r\nResult=Success"),
         reply_status::success},
        {"a blank before the status line", true, BYTES(" Login=False\r\nResult=Success"), reply_status::success},
        {"the status on a later line", true, BYTES("OK\r\nLogin=False\r\nResult=Success"),
         reply_status::success},
        {"a valid login", true, BYTES("Login=True\r\nResult=Success\r\n"), reply_status::success},
        {"success in the middle of the reply", true, BYTES("OK\r\na^b\r\nxxResult=Successyy\r\nmore"),
         reply_status::success},
        {"success behind a zero byte", true, BYTES("OK\r\n\0Result=Success"), reply_status::success},
        {"no success", true, BYTES("OK\r\nResult=Fail\r\n"), reply_status::failed},
        {"success in another case", true, BYTES("result=success"), reply_status::failed},
        {"an error page", true, BYTES("<html><body>500 Internal Server Error</body></html>"), reply_status::failed},
    };
#undef BYTES
    for (const auto& c : cases) {
        service_reply r = c.replied ? service_reply(c.bytes.data(), c.bytes.size()) : service_reply();
        EXPECT_EQ(r.status(), c.status) << c.name;
        EXPECT_EQ(r.connected(), c.status != reply_status::no_connection) << c.name;
    }
    EXPECT_EQ(service_reply(nullptr, 5).status(), reply_status::no_connection);

    // A reply known to be cut short fails whatever it holds; an expired
    // login's status line still counts.
    const std::string whole = "Result=Success\r\n1^a\r\n";
    EXPECT_EQ(service_reply(whole.data(), whole.size(), false).status(), reply_status::success);
    EXPECT_EQ(service_reply(whole.data(), whole.size(), true).status(), reply_status::failed);
    EXPECT_TRUE(service_reply(whole.data(), whole.size(), true).cut());
    const std::string expired = "Login=False\r\nmessage=a";
    EXPECT_EQ(service_reply(expired.data(), expired.size(), true).status(), reply_status::login_expired);
}

TEST(service_reply, splits_korean_lines_and_fields) {
    // "Result=Success", a channel line with Korean texts (code page 949), an
    // empty line and a line cut short.
    service_reply r = reply_of("Result=Success\r\n1052^x^nomal^\xc5\xd7\xbd\xba\xc6\xae^^\xb0\xa1\xbf\xe4^m\r\n"
                               "\r\n7^x\r\n");
    ASSERT_EQ(r.lines().size(), 5u);
    EXPECT_EQ(text(r.lines()[0]), L"Result=Success");
    std::vector<stringx> data = r.data_lines();
    ASSERT_EQ(data.size(), 4u);
    std::vector<stringx> fields = split_fields(data[0]);
    ASSERT_EQ(fields.size(), 7u);
    EXPECT_EQ(fields[0].toint(), 1052);
    EXPECT_EQ(text(fields[3]), L"테스트");
    EXPECT_EQ(text(fields[4]), L"");
    EXPECT_EQ(text(fields[5]), L"가요");
    EXPECT_TRUE(split_fields(data[1]).empty());
    EXPECT_EQ(split_fields(data[2]).size(), 2u);
    EXPECT_TRUE(split_fields(data[3]).empty());  // the piece after the last line end
    EXPECT_EQ(split_fields(stringx(L"a|b||"), L"|").size(), 4u);
    EXPECT_EQ(text(clean_line(stringx(L"\na\rb\n"))), L"ab");
    EXPECT_TRUE(service_reply().data_lines().empty());
}

// A zero byte damages its own line only: the reply is read by its length.
TEST(service_reply, zero_byte_in_a_line_keeps_the_lines_after_it) {
    service_reply r = reply_of(bytes_of("Result=Success\r\n1^a^b\r\n2^a\0x^b\r\n3^\xb0\xa1^b\r\n\0\r\n4^a^b"));
    EXPECT_EQ(r.status(), reply_status::success);
    std::vector<std::wstring> lines;
    for (const stringx& line : r.data_lines()) lines.push_back(text(line));
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"1^a^b", L"", L"3^가^b", L"", L"4^a^b"}));

    // Pairs after a damaged line still count.
    stringx message, url;
    parse_reply(reply_of(bytes_of("Login=False\r\nx=\0\r\nmessage=later\r\n")).lines(), message, url);
    EXPECT_EQ(text(message), L"later");
}

TEST(service_reply, reads_key_value_lines) {
    std::vector<stringx> lines = {
        L"Login=False",  // the status line: parse_reply skips it
        L"\n Message = first\t",
        L"url=http://h/page.php?a=b&c=d\r",
        L"no pair here",
        L"=no key",
        L"empty=",
        L"MESSAGE=a\x11" L"b\x11",
    };
    reply_map map;
    map.read(lines, 0);
    EXPECT_EQ(map.size(), 4u);
    EXPECT_TRUE(map.has(L"LOGIN"));
    EXPECT_EQ(text(map.get(L"login")), L"False");
    EXPECT_EQ(text(map.get(L"Url")), L"http://h/page.php?a=b&c=d");  // the value keeps its "="
    EXPECT_TRUE(map.has(L"empty"));
    EXPECT_EQ(text(map.get(L"empty")), L"");
    EXPECT_FALSE(map.has(L"absent"));
    EXPECT_EQ(text(map.get(L"absent")), L"");

    stringx message, url;
    parse_reply(lines, message, url);
    EXPECT_EQ(text(message), L"a\nb\n");  // the later "message" wins; U+0011 is a line break
    EXPECT_EQ(text(url), L"http://h/page.php?a=b&c=d");

    std::vector<stringx> status_only = {L"Login=False", L"url=http://h/"};
    parse_reply(status_only, message, url);
    EXPECT_EQ(text(message), L"");
    EXPECT_EQ(text(url), L"http://h/");
    std::vector<stringx> notice_in_status = {L"message=x"};
    parse_reply(notice_in_status, message, url);
    EXPECT_EQ(text(message), L"");
}

TEST(service_reply, names_the_failed_success_test_by_script) {
    EXPECT_EQ(text(script_file_name(L"rux/rux_noticelist.php")), L"rux_noticelist.php");
    EXPECT_EQ(text(script_file_name(L"schedule_save_ok.php")), L"schedule_save_ok.php");
    EXPECT_EQ(text(success_failure_line(script_file_name(L"rux/rux_channel_check.php"))),
              L"rux_channel_check.php, Result=Success 실패");
    EXPECT_EQ(text(success_failure_line(L"info_library_page")), L"info_library_page, Result=Success 실패");
}
