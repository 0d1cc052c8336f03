#include "cmd_line.h"
#include "utility.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> split(const wchar_t* text, const wchar_t* delimiter) {
    std::vector<stringx> pieces;
    utility::string_tokenizer(text, delimiter, pieces);
    std::vector<std::wstring> out;
    for (const stringx& p : pieces) {
        EXPECT_EQ(p.encoding(), stringx::UNI_CODE);
        out.push_back(p.wvalue());
    }
    return out;
}

std::vector<std::wstring> arguments(const cmd_line& line) {
    std::vector<std::wstring> out;
    for (int i = 0; i < line.count(); ++i)
        out.push_back(line.argument(i));
    return out;
}

using texts = std::vector<std::wstring>;

}  // namespace

TEST(string_tokenizer, splits_at_every_whole_delimiter) {
    const struct {
        const wchar_t* text;
        const wchar_t* delimiter;
        texts pieces;
    } cases[] = {
        {L"a|b||c|", L"|", {L"a", L"b", L"", L"c", L""}},
        {L"line1\r\nline2", L"\r\n", {L"line1", L"line2"}},
        {L"line1\r\n\r\nline3\r\n", L"\r\n", {L"line1", L"", L"line3", L""}},
        {L"a; b", L"; ", {L"a", L"b"}},
        {L"abc", L"|", {L"abc"}},
        {L"", L"|", {}},
        {nullptr, L"|", {}},
        {L"|", L"|", {L"", L""}},
        {L"a^^^b", L"^^", {L"a", L"^b"}},
        {L"id^pw^이름^1", L"^", {L"id", L"pw", L"이름", L"1"}},
        {L"2※가¶나※다", L"※", {L"2", L"가¶나", L"다"}},
        {L"aXbxc", L"x", {L"aXb", L"c"}},  // case-sensitive
        {L"abc", L"", {L"abc"}},            // empty delimiter: one piece
        {L"abc", nullptr, {L"abc"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(split(c.text, c.delimiter), c.pieces);
    }
}

TEST(string_tokenizer, appends_without_clearing) {
    std::vector<stringx> pieces{stringx(L"kept")};
    utility::string_tokenizer(L"x,y", L",", pieces);
    utility::string_tokenizer(L"", L",", pieces);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_STREQ(pieces[0].wvalue(), L"kept");
    EXPECT_STREQ(pieces[2].wvalue(), L"y");
}

TEST(cmd_line, splits_quoted_and_plain_arguments) {
    const struct {
        const wchar_t* text;
        texts args;
    } cases[] = {
        {L"\"C:\\p q\\x.exe\" \"id=a b\" pw=1", {L"C:\\p q\\x.exe", L"id=a b", L"pw=1"}},
        {L"a\"b c", {L"a\"b", L"c"}},
        {L"\"a\"b c\"", {L"a\"b c"}},
        {L"\"\"", {L""}},
        {L"a  ", {L"a", L""}},
        {L"a ", {L"a"}},
        {L"", {}},
        {nullptr, {}},
        {L"   ", {L""}},
        {L"  x", {L"x"}},
        {L"a\tb\nc\r\vd\fe", {L"a", L"b", L"c", L"d", L"e"}},
        {L"\"unclosed arg", {L"unclosed arg"}},
        {L"\"a\"  b", {L"a", L"b"}},
        {L"\"a\"\tb", {L"a", L"b"}},
        {L"x.exe \"ids=2※가¶1¶상점\" time=-3", {L"x.exe", L"ids=2※가¶1¶상점", L"time=-3"}},
        {L"a\x3000" L"b", {L"a\x3000" L"b"}},  // only the C library's white space
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        const cmd_line line(c.text);
        EXPECT_EQ(arguments(line), c.args);
        EXPECT_EQ(line.argument(line.count()), nullptr);
        EXPECT_EQ(line.argument(-1), nullptr);
    }
}

TEST(cmd_line, process_command_line_starts_with_the_program) {
    const cmd_line line;
    ASSERT_GE(line.count(), 1);
    EXPECT_NE(std::wstring(line.argument(0)).find(L"core_test"), std::wstring::npos);
}

TEST(cmd_line, copies_own_their_buffer) {
    auto original = std::make_unique<cmd_line>(L"prog \"a b\" c");
    const cmd_line copied(*original);
    cmd_line assigned(L"other");
    assigned = *original;
    EXPECT_NE(copied.argument(1), original->argument(1));
    original.reset();
    EXPECT_EQ(arguments(copied), (texts{L"prog", L"a b", L"c"}));
    EXPECT_EQ(arguments(assigned), (texts{L"prog", L"a b", L"c"}));
    const cmd_line& alias = assigned;
    assigned = alias;
    EXPECT_EQ(arguments(assigned), (texts{L"prog", L"a b", L"c"}));
}
