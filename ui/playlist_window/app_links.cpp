// Reading and running the today page's "app:" addresses.
#include "app_links.h"

#include <cwctype>

namespace {

void replace_all(std::wstring& text, const std::wstring& what, const std::wstring& with) {
    if (what.empty()) return;
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

bool begins(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

std::vector<std::wstring> split(const std::wstring& text, wchar_t at) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(at, start);
        fields.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return fields;
}

// The leading decimal number (an optional sign), 0 when there is none; too
// many digits give 0 as well rather than a wrapped number.
int leading_number(const std::wstring& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 0x7FFFFFFFLL) return 0;
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

app_link parse_app_link(const std::wstring& url) {
    app_link link;
    if (url.find(L"app:") == std::wstring::npos) return link;
    std::wstring text = url;
    replace_all(text, L"%20", L" ");
    replace_all(text, L"app:", L"");
    const std::vector<std::wstring> fields = split(text, L'^');
    const std::wstring& first = fields[0];
    if (fields.size() > 1 && begins(fields[1], L"title=")) {
        link.title = fields[1].substr(6);
        link.has_title = true;
    }
    if (begins(first, L"livevoice=")) {
        link.kind = app_link::live_voice;
        link.address = first;
        replace_all(link.address, L"http://", L"zel2://");
        replace_all(link.address, L"livevoice=", L"");
    } else if (begins(first, L"chkey=")) {
        link.kind = app_link::channel;
        link.channel_id = leading_number(first.substr(6));
    } else if (begins(first, L"chkey_stop=0")) {
        link.kind = app_link::channel_stop;
    } else if (begins(first, L"radiourl=")) {
        link.kind = app_link::radio;
        link.address = first.substr(9);
    } else if (begins(first, L"anne_stop=0")) {
        link.kind = app_link::anne_stop;
    } else {
        link.kind = app_link::unknown;
    }
    return link;
}

anne_record live_anne_record(const std::wstring& address, const std::wstring& title) {
    anne_record record;
    record.code = L"";
    record.start = timex_span(0);
    record.length = timex_span(0);
    record.category = L"2";
    record.kind = L"3";
    record.title = title.c_str();
    record.volume = 200;
    record.enabled = 1;
    record.flag = 0;
    record.url = address.c_str();
    record.start_text = address.c_str();
    return record;
}

bool run_app_link(const std::wstring& url, app_link_services& services) {
    const app_link link = parse_app_link(url);
    switch (link.kind) {
    case app_link::not_app:
        return false;
    case app_link::live_voice:
        if (!link.address.empty() && !services.live_anne_on()) {
            const anne_record record = live_anne_record(link.address, link.title);
            services.set_live_anne(record);
            services.hand_over_live_anne(record);
        }
        break;
    case app_link::channel: {
        if (link.channel_id == 0) break;
        std::vector<track_record> records;
        if (!services.get_channel_tracks(link.channel_id, link.title, records)) break;
        services.set_library_channel_title(link.title);
        services.set_single_channel(link.channel_id, link.title);
        services.select_channel_by_key(link.channel_id);
        services.set_title(link.title);
        services.set_channel_title(link.title);
        services.load_channel_tracks(records);
        break;
    }
    case app_link::channel_stop:
        services.stop_music();
        break;
    case app_link::radio:
        if (link.address.empty()) break;
        if (link.has_title) services.set_channel_title(link.title);
        services.play_stream(link.address, link.title);
        break;
    case app_link::anne_stop:
        services.stop_announcement();
        break;
    case app_link::unknown:
        break;
    }
    return true;
}
