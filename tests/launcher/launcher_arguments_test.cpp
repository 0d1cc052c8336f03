// The launcher's arguments are told apart by their keys: a password or a
// store list that holds "pid=" or "ids=" stays what it is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher_arguments.h"

TEST(launcher_arguments, keys_and_values_are_trimmed_and_keys_lower_cased) {
    const struct {
        const wchar_t* argument;
        const wchar_t* key;
        const wchar_t* value;
    } cases[] = {{L"id=shop", L"id", L"shop"},       {L" PID =\t42 ", L"pid", L"42"},
                 {L"pw=a=b", L"pw", L"a=b"},         {L"pw=", L"pw", L""},
                 {L"no key here", L"", L""},         {L"=x", L"", L"x"},
                 {L"Dev=0|Out: default", L"dev", L"0|Out: default"}};
    for (const auto& c : cases) {
        EXPECT_EQ(launcher_arguments::key_of(c.argument), c.key) << c.argument;
        EXPECT_EQ(launcher_arguments::value_of(c.argument), c.value) << c.argument;
    }
}

TEST(launcher_arguments, only_the_pid_and_ids_arguments_give_the_pid_and_the_row_count) {
    const struct {
        std::vector<std::wstring> arguments;
        DWORD pid;
        int rows;
    } cases[] = {
        {{L"id=multi", L"pw=secret", L"ids=2\u203Ba\u00B6p\u00B6A\u203Bb\u00B6p\u00B6B", L"time=0", L"pid=1234",
          L"dev=0|Out"},
         1234, 2},
        // A password holding "pid=", a store password holding "pid=" and
        // "ids=": neither is the process id nor the store list.
        {{L"id=multi", L"pw=xpid=1", L"ids=1\u203Ba\u00B6pid=7ids=9\u00B6A", L"time=0", L"pid=88", L"dev=0|Out"},
         88, 1},
        {{L"id=x", L"pw=y", L"ids=", L"time=0", L"pid=", L"dev=0|Out"}, 0, 0},
        {{L"id=x", L"pw=y", L"ids=0", L"time=0", L"PID=5", L"dev=0|Out"}, 5, 0},
    };
    for (const auto& c : cases) {
        const launcher_arguments::early e = launcher_arguments::read_early(c.arguments);
        EXPECT_EQ(e.pid, c.pid) << c.arguments[1];
        EXPECT_EQ(e.row_count, c.rows) << c.arguments[2];
    }
}
