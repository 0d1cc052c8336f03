#pragma once
// The launcher's command-line arguments, each "key=value": the key is the
// text before the first "=", without blanks and tabs around it, in lower
// case; the value the text after it, trimmed the same way. Arguments are
// told apart by their key alone, so that a password or a store list that
// holds "pid=" or "ids=" is not taken for another argument.
#include <windows.h>

#include <string>
#include <vector>

namespace launcher_arguments {

std::wstring key_of(const std::wstring& argument);
std::wstring value_of(const std::wstring& argument);

// What the start needs before the window exists: the calling player's
// process id ("pid") and the number of stores ("ids", its count before the
// first "※"); 0 for each when absent.
struct early {
    DWORD pid = 0;
    int row_count = 0;
};
early read_early(const std::vector<std::wstring>& arguments);

}  // namespace launcher_arguments
