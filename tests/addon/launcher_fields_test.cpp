// Field texts between player and launcher, and the launcher's command line.
#include <gtest/gtest.h>

#include "cmd_line.h"
#include "launcher_fields.h"

using launcher_fields::join_fields;
using launcher_fields::launcher_parameters;
using launcher_fields::split_fields;
using fields = std::vector<std::wstring>;

TEST(launcher_fields, every_field_comes_back_whole) {
    const fields cases[] = {
        {L"store1", L"secret", L"Out: default", L"Store One"},
        {L"a|b", L"p|w|", L"|", L""},
        {L"back\\slash", L"\\|", L"\\", L"end\\"},
        {L"", L"", L"", L""},
        {L"\xD55C|\xAE00", L"x"},
        {L"single"},
    };
    for (const fields& f : cases) {
        const std::wstring text = join_fields(f);
        EXPECT_EQ(split_fields(text), f) << text;
    }
    EXPECT_EQ(join_fields({L"1234", L"채널|A"}), L"1234|채널\\|A");
    EXPECT_EQ(join_fields({L"c:\\x"}), L"c:\\\\x");
}

TEST(launcher_fields, plain_texts_split_as_at_every_bar) {
    EXPECT_EQ(split_fields(L"a|b|c"), (fields{L"a", L"b", L"c"}));
    EXPECT_EQ(split_fields(L""), (fields{L""}));
    EXPECT_EQ(split_fields(L"|"), (fields{L"", L""}));
    EXPECT_EQ(split_fields(L"a||"), (fields{L"a", L"", L""}));
    // A backslash before anything else, or at the end, is text.
    EXPECT_EQ(split_fields(L"c:\\x|y\\"), (fields{L"c:\\x", L"y\\"}));
}

TEST(launcher_fields, the_launcher_reads_back_the_six_arguments_it_was_given) {
    const std::wstring text =
        launcher_parameters(L"head", L"pw\"x", L"2\x203B" L"a\x00B6p\x00B6n\x203B" L"b\x00B6q\x00B6m", -32400, 4242,
                            1, L"Out: default");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text, L"\"id=head\" \"pw=pw\"x\" \"ids=2\x203B" L"a\x00B6p\x00B6n\x203B" L"b\x00B6q\x00B6m\" "
                    L"\"time=-32400\" \"pid=4242\" \"dev=1|Out: default\"");
    const cmd_line parsed((L"zel_mtplayer.exe " + text).c_str());
    ASSERT_EQ(parsed.count(), 7);
    EXPECT_STREQ(parsed.argument(2), L"pw=pw\"x");
    // A device name holding "|" stays one field of "dev".
    const std::wstring bar = launcher_parameters(L"i", L"p", L"0", 0, 1, -1, L"A|B");
    EXPECT_NE(bar.find(L"\"dev=-1|A\\|B\""), std::wstring::npos) << bar;
}

TEST(launcher_fields, values_that_would_break_the_launchers_arguments_are_refused) {
    struct {
        const wchar_t* id;
        const wchar_t* password;
        const wchar_t* ids;
        const wchar_t* device;
        const char* why;
    } cases[] = {
        {L"id", L"a\" \"pid=5", L"0", L"d", "a quote and a blank end the argument early"},
        {L"id", L"ends\" ", L"0", L"d", "a quote before a trailing blank"},
        {L"id\" x", L"pw", L"0", L"d", "in the id"},
        {L"id", L"pw", L"1\x203Bx\x00B6y\" z\x00B6n", L"d", "in the store rows"},
        {L"id", L"pw", L"0", L"Out\" x", "in the device name"},
        {L"id", L"xpid=7", L"0", L"d", "pid= is how the launcher finds the process id"},
        {L"id", L"pw", L"1\x203Bs\x00B6pid=1\x00B6n", L"d", "pid= in a store's password"},
        {L"ids=9", L"pw", L"0", L"d", "ids= is how the launcher finds the rows"},
        {L"id", L"line\nbreak", L"0", L"d", "a line break"},
        {L"id", L"tab\there", L"0", L"d", "a control character"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(launcher_parameters(c.id, c.password, c.ids, 0, 1, 1, c.device), L"") << c.why;
}
