#pragma once
// cmd_line: a command line split into arguments the way the system's programs
// expect. White space (blank, tab, line feed, vertical tab, form feed,
// carriage return) separates arguments; an argument that starts with a double
// quote runs to a quote followed by white space or the end of the text, and
// both quotes are dropped. A quote anywhere else is ordinary text.
//
// The object keeps its own copy of the text and writes a terminator after
// each argument in it; the argument pointers stay valid while it lives.
// Quirk kept for the programs that count arguments: white space after the
// last argument, beyond the one character that ends it, gives one more,
// empty argument ("a  " gives "a" and "").
#include <vector>
#include "zel_export.h"

class ZEL_CORE_API cmd_line {
public:
    cmd_line();                        // the process's command line
    explicit cmd_line(const wchar_t* text);  // null reads as ""
    cmd_line(const cmd_line& other);   // deep copy
    cmd_line& operator=(const cmd_line& other);
    virtual ~cmd_line();

    int count() const { return static_cast<int>(arguments.size()); }
    // The argument at index; null when index is out of range.
    const wchar_t* argument(int index) const {
        return index >= 0 && index < count() ? arguments[index] : nullptr;
    }

private:
    void parse_cmd_line();
    void assign(const wchar_t* text);  // copies text and parses it

    std::vector<wchar_t*> arguments;  // point into buffer, in order
    wchar_t* buffer = nullptr;        // own copy of the text, from malloc
};
