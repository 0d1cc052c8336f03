// The launcher window's side of the players' WM_COPYDATA messages, and the
// arguments of the command line that fill the account data and the rows.
//
// A message's text is read within cbData bytes (any program can send to the
// launcher's window), and its fields are split as the players join them, so
// that a field holding "|" arrives whole.
#include "copydata.h"
#include "launcher_arguments.h"
#include "launcher_fields.h"
#include "launcher_window.h"
#include "timed_message_box.h"
#include "timex.h"

namespace {
std::vector<std::wstring> split_at(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> out;
    if (text.empty()) return out;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        out.push_back(text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (at == std::wstring::npos) break;
        start = at + 1;
    }
    return out;
}

DWORD number(const std::wstring& text) { return static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 10)); }
}  // namespace

void launcher_window::parse_argument(const std::wstring& argument) {
    const std::wstring key = launcher_arguments::key_of(argument);
    const std::wstring value = launcher_arguments::value_of(argument);
    if (key == L"id") {
        account_id = value;
    } else if (key == L"pw") {
        account_password = value;
    } else if (key == L"time") {
        timex::set_normal_span(timex_span(wcstod(value.c_str(), nullptr)));
        update_clock();
    } else if (key == L"ids") {
        const std::vector<std::wstring> fields = split_at(value, L'\u203B');
        if (fields.size() < 2) return;
        launcher_settings settings(settings_path);
        settings.load();
        const long count = wcstol(fields[0].c_str(), nullptr, 10);
        std::vector<player_row> rows;
        for (size_t i = 1; i < fields.size() && static_cast<long>(i) <= count; ++i) {
            const std::vector<std::wstring> parts = split_at(fields[i], L'\u00B6');
            if (parts.size() < 3) continue;
            player_row row;
            row.id = parts[0];
            row.password = parts[1];
            row.name = parts[2];
            launcher_store saved;
            if (settings.find_store(row.id, saved)) {
                row.device = saved.device;
                row.autostart = saved.autostart;
            }
            rows.push_back(row);
        }
        if (!default_device.empty() && !rows.empty() && rows[0].device.empty()) rows[0].device = default_device;
        rows_.set_rows(rows);
    } else if (key == L"dev") {
        const std::vector<std::wstring> parts = launcher_fields::split_fields(value);
        if (parts.size() != 2) return;
        default_device = parts[1];
        if (player_row* first = rows_.row_at(0)) {
            if (first->device.empty()) {
                first->device = default_device;
                rows_.repaint_row(0);
            }
        }
    }
}

LRESULT launcher_window::on_copydata(HWND from, const COPYDATASTRUCT* data) {
    if (!data) return 1;
    const std::wstring text = copydata::text_of(data);
    const std::vector<std::wstring> fields = launcher_fields::split_fields(text);
    switch (data->dwData) {
    case copydata::copydata_register: {
        player_row* row = text.empty() ? nullptr : rows_.find_by_pid(number(text));
        if (!row || !row->running) break;
        row->client_window = from;
        const std::wstring answer =
            launcher_fields::join_fields({row->id, row->password, row->device, row->name});
        copydata::send(from, hwnd_, copydata::copydata_register, answer.c_str());
        break;
    }
    case copydata::copydata_channel:
        if (fields.size() == 2) {
            if (player_row* row = rows_.find_by_pid(number(fields[0]))) {
                row->status = fields[1];
                rows_.repaint_pid(row->pid);
            }
        }
        break;
    case copydata::copydata_show:
        if (fields.size() == 2) {
            if (player_row* row = rows_.find_by_pid(number(fields[0]))) {
                row->visible = number(fields[1]) != 0;
                rows_.repaint_pid(row->pid);
            }
        }
        break;
    case copydata::copydata_quit:
        if (!text.empty() && number(text) != 0) rows_.clear_row(number(text));
        break;
    case copydata::copydata_message:
        if (fields.size() == 2) {
            const DWORD pid = number(fields[0]);
            if (player_row* row = rows_.find_by_pid(pid)) {
                const std::wstring caption = row->name;
                rows_.clear_row(pid);
                show_timed_message_box(hwnd_, fields[1].c_str(), caption.c_str());
            }
        }
        break;
    case copydata::copydata_playing:
        if (fields.size() == 2) {
            if (player_row* row = rows_.find_by_pid(number(fields[0]))) {
                row->playing = number(fields[1]) != 0;
                if (!row->playing) row->levels[0] = row->levels[1] = row->levels[2] = 0;
                rows_.repaint_pid(row->pid);
            }
        }
        break;
    default:
        break;
    }
    return 1;
}
