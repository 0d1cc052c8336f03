#pragma once
// service_reply: a reply of the service's web server and the rules that every
// sender shares to read it.
//
// The reply is narrow text in the ANSI code page with "\r\n" line ends. Line
// 1 is the status line ("Login=False" when the user's login is no longer
// valid); a successful reply holds "Result=Success"; data lines follow from
// line 2, their fields separated by "^" (sub-fields by "|" and others, as
// each record says). Key=value replies (the login, the automatic PC login,
// the server notice) hold one pair per line.
//
// The common order of classification (status()):
//   1. no connection: no text, or an empty one;
//   2. expired login: the first line starts with the first 7 characters of
//      "Login=False" in any case;
//   3. failed: the raw text lacks "Result=Success" anywhere, or the reply
//      was cut short (fewer bytes than the server announced arrived);
//   4. success: the data lines are lines 2 to the last.
// Senders that test in another order (the login tests success first) use the
// single tests. A sender logs its own lines; success_failure_line gives the
// common text of step 3.
#include <map>
#include <string>
#include <vector>
#include "stringx.h"

enum class reply_status { no_connection, login_expired, failed, success };

class service_reply {
public:
    // No connection.
    service_reply();
    // The reply text of length bytes as http_post gave it, zero bytes
    // included; null, empty or a first byte of zero is no connection. cut:
    // http_post knows the text to be only the first part of the reply.
    service_reply(const char* text, size_t length, bool cut = false);

    bool connected() const { return !raw_.empty() && raw_[0] != 0; }
    // The reply bytes as received.
    const std::string& raw() const { return raw_; }
    // The reply split at "\r\n" and converted from ANSI to UTF-16; empty
    // without a connection. A line holding a zero byte is read as empty.
    const std::vector<stringx>& lines() const { return lines_; }

    bool login_expired() const;
    bool has_success() const;  // "Result=Success" anywhere in the reply's bytes
    // The text is only the first part of the reply: its "Result=Success" may
    // be there while the data lines are missing or broken off.
    bool cut() const { return cut_; }
    reply_status status() const;

    // Lines 2 to the last, as split (not cleaned).
    std::vector<stringx> data_lines() const;

private:
    std::string raw_;
    std::vector<stringx> lines_;
    bool cut_ = false;
};

// "<name>, Result=Success 실패": the log line of a failed success test, name
// being the script's file name ("rux_noticelist.php") or the sender's own.
stringx success_failure_line(const wchar_t* name);
// The file name of a script path: "rux/rux_noticelist.php" gives
// "rux_noticelist.php".
stringx script_file_name(const wchar_t* script);

// The line without any "\r" and "\n".
stringx clean_line(const stringx& line);
// The fields of a line between every delimiter ("^" unless given), empty
// fields included: n delimiters give n + 1 fields; an empty line gives none.
std::vector<stringx> split_fields(const stringx& line, const wchar_t* delimiter = L"^");

// The pairs of a key=value reply. Keys are trimmed of blanks and tabs, lower
// case, and compare without regard to case; a later pair replaces an earlier
// one of the same key.
class reply_map {
public:
    // Reads lines[first] to the last line: each has its "\r" and "\n"
    // removed; the key is the text before the first "=", the value the text
    // after it (both trimmed of blanks and tabs; a value may hold "=" itself).
    // A line without "=" or with an empty key holds no pair.
    void read(const std::vector<stringx>& lines, size_t first);

    bool has(const wchar_t* key) const;
    // The value (UNI_CODE); empty when the key is absent.
    stringx get(const wchar_t* key) const;
    size_t size() const { return values_.size(); }

private:
    std::map<std::wstring, stringx> values_;  // keyed by the lower-case key
};

// The server notice of an expired login: reads lines 2 to the last into a
// reply_map and gives the value of "message" (every U+0011 made a line break)
// and of "url"; both empty when absent.
void parse_reply(const std::vector<stringx>& lines, stringx& message, stringx& url);
