#pragma once
// The remote commands that a program outside the player sends to the main
// window with WM_COPYDATA: the codes, and the reading of their texts.
#include <windows.h>

#include <string>
#include <vector>

const ULONG_PTR copydata_remote_command = 1111;
const ULONG_PTR copydata_remote_close = 1011;

enum remote_command : WPARAM {
    remote_play_channel = 4,
    remote_stop = 5,
    remote_set_volume = 6,
    remote_mute = 7,
    remote_live_announcement = 8,
    remote_info_command = 9,
};

// The remote commands that read nothing from their block (stop, the
// announcement window's command).
inline bool remote_command_takes_no_text(WPARAM command) {
    return command == remote_stop || command == remote_info_command;
}

// The largest block a remote command may carry; a larger one is refused.
const DWORD copydata_limit = 1024 * 1024;

// The UTF-8 text of the block as UTF-16: at most cbData bytes are read, up
// to the first zero byte among them. False (and no text) for a block without
// data or larger than copydata_limit, or whose bytes are not UTF-8.
bool copydata_text(const COPYDATASTRUCT* data, std::wstring& text);

// The pieces of the text between the separator, empty pieces included
// (n separators give n + 1 pieces); none for an empty text.
std::vector<std::wstring> split_text(const std::wstring& text, wchar_t separator);

// The rest of the first token that begins with the key (which includes the
// "="), compared without regard to case over the key's length; "" when no
// token begins with it.
std::wstring copydata_value(const std::vector<std::wstring>& tokens, const wchar_t* key);

// The text without blanks and tabs at either end.
std::wstring trim_blanks(const std::wstring& text);

// A whole decimal number at the start of the text (after blanks), as the
// runtime's wcstol reads it; 0 when there is none.
long text_number(const std::wstring& text);
