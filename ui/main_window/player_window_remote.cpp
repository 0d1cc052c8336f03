// The remote commands of other programs (WM_COPYDATA), the channel start by
// id and the live announcement.
#include "player_window.h"

#include <cstdio>

#include "channel_service.h"
#include "companion_windows.h"
#include "player_options.h"
#include "remote_commands.h"
#include "store_list.h"
#include "window_messages.h"

void player_window::on_copy_data(WPARAM wparam, const COPYDATASTRUCT* data) {
    if (!data) return;
    // The close and the commands that take no value work whatever the block
    // holds (senders pass none, or nothing readable); the others need text.
    if (data->dwData == copydata_remote_close) {
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        return;
    }
    std::wstring text;
    const bool readable = copydata_text(data, text);
    if (data->dwData == copydata_remote_command) {
        if (!readable && !remote_command_takes_no_text(wparam)) return;
        // Release the sender before the work: a channel request may be slow.
        for (int tries = 0; tries < 3 && !ReplyMessage(TRUE); ++tries) {
        }
        run_remote_command(wparam, text);
    } else if (readable) {
        run_text_command(text);
    }
}

void player_window::run_remote_command(WPARAM command, const std::wstring& text) {
    const std::vector<std::wstring> tokens = split_text(text, L'&');
    switch (command) {
    case remote_play_channel:
        play_channel(static_cast<unsigned>(text_number(copydata_value(tokens, L"CHKEY="))),
                     stringx(trim_blanks(copydata_value(tokens, L"TITLE=")).c_str()));
        break;
    case remote_stop: stop_and_report(); break;
    case remote_set_volume: {
        const long value = text_number(copydata_value(tokens, L"VALUE="));
        if (value >= 0 && value <= 100) set_volume(static_cast<int>(value));
        break;
    }
    case remote_mute: set_mute(text_number(copydata_value(tokens, L"VALUE=")) != 0); break;
    case remote_live_announcement:
        start_live_announcement(stringx(copydata_value(tokens, L"URL=").c_str()),
                                stringx(copydata_value(tokens, L"TITLE=").c_str()));
        break;
    case remote_info_command:
        if (info_) PostMessageW(info_, WM_COMMAND, 1, 0);
        break;
    default: break;
    }
}

void player_window::run_text_command(const std::wstring& text) {
    const std::vector<std::wstring> tokens = split_text(text, L'|');
    if (tokens.empty()) return;
    const std::wstring& command = tokens[0];
    if (tokens.size() != 2) return;
    const std::wstring& argument = tokens[1];
    if (_wcsicmp(command.c_str(), L"list") == 0) {
        s_.stores->set_list(stringx(argument.c_str()));
        if (library_ && IsWindow(library_)) PostMessageW(library_, msg_store_list_changed, 0, 0);
    } else if (_wcsicmp(command.c_str(), L"info") == 0) {
        const std::vector<std::wstring> fields = split_text(argument, L'^');
        if (fields.size() != 11) return;
        std::vector<stringx> values;
        for (const std::wstring& f : fields) values.push_back(stringx(f.c_str()));
        if (s_.stores->update_store(values) && library_ && IsWindow(library_))
            PostMessageW(library_, msg_store_record_changed, 0, s_.stores->updated_copy());
    } else if (_wcsicmp(command.c_str(), L"playsong") == 0) {
        const std::vector<std::wstring> fields = split_text(argument, L'^');
        if (fields.size() != 8 || s_.options->live_anne_on) return;
        anne_record record;
        record.code = fields[0].c_str();
        record.start = timex_span(static_cast<long>(text_number(fields[1])));
        record.length = timex_span(_wtof(fields[2].c_str()));
        record.category = fields[3].c_str();
        record.kind = fields[4].c_str();
        record.title = fields[5].c_str();
        record.volume = 200;
        record.enabled = 1;
        record.flag = 0;
        record.url = fields[7].c_str();
        const long s = record.start.total_seconds();
        wchar_t start_text[32];
        swprintf(start_text, 32, L"%02ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
        record.start_text = start_text;
        if (info_) SendMessageW(info_, msg_anne_play_now, 0, reinterpret_cast<LPARAM>(&record));
    }
}

void player_window::play_channel(unsigned id, const stringx& title) {
    if (id == 0) return;
    if (!s_.channels->fetch_channel_tracks(id, title)) return;
    if (library_ && IsWindow(library_)) s_.companions->set_library_channel_title(title);
    s_.channels->set_single_channel(id, title);
    s_.channels->select_channel_by_key(id);
    s_.channels->set_title(title);
    s_.options->channel_title = title;
    s_.channels->load_fetched();
}

void player_window::start_live_announcement(const stringx& url_text, const stringx& title) {
    stringx url = url_text.replace(L"http://", L"zel2://");
    if (url.length() == 0 || s_.options->live_anne_on) return;
    s_.options->live_anne_on = true;
    anne_record record;
    record.category = L"2";
    record.kind = L"3";
    record.title = title;
    record.volume = 200;
    record.enabled = 1;
    record.flag = 0;
    record.url = url;
    record.start_text = url;
    s_.options->live_anne = record;
    if (info_) SendMessageW(info_, msg_anne_handover, 0, reinterpret_cast<LPARAM>(&record));
}
