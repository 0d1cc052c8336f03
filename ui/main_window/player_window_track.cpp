// The main window's track display and event sinks: the play events of the
// bridges become the title panel, the time, the seek slider, the format
// digits and the level meter; stream titles wait for the byte position at
// which they play; the login restores the last channel.
#include "player_window.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "audio_format.h"
#include "channel_service.h"
#include "companion_windows.h"
#include "dsp.h"
#include "event_record.h"
#include "last_channel_title.h"
#include "main_window_host.h"
#include "music_player_view.h"
#include "play_event_bridge.h"
#include "player_options.h"
#include "remote_commands.h"
#include "window_messages.h"

namespace ids = player_skin_ids;

namespace {
const wchar_t k_mute_text[] = L" 음소거 중입니다 ";
long long g_last_shown_time = -1;
int g_last_shown_bitrate = -1;
int g_position_count = 0;

const wchar_t* const k_stream_prefixes[] = {L"http://", L"mms://", L"mmst://", L"mmsh://", L"mmsu://"};

bool is_stream(const wchar_t* text) {
    if (!text) return false;
    for (const wchar_t* p : k_stream_prefixes)
        if (_wcsnicmp(text, p, wcslen(p)) == 0) return true;
    return false;
}

std::wstring text_of(const wchar_t* s) { return s ? std::wstring(s) : std::wstring(); }

void set_text(wchar_t*& field, const std::wstring& value) {
    free(field);
    field = _wcsdup(value.c_str());
}

// The file name of a path for the title panel: after the last "\" or "/",
// before any "|" (the service's track addresses carry their start and id
// after it), up to the last ".".
std::wstring display_file_name(const std::wstring& path) {
    std::wstring name = path;
    const size_t bar = name.find(L'|');
    if (bar != std::wstring::npos) name.erase(bar);
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

std::wstring minutes_text(int seconds) {
    wchar_t text[32];
    swprintf(text, 32, L"%02d:%02d", seconds / 60, seconds % 60);
    return text;
}

// Some stream providers append " -- " and their web address to the
// station's name; that trailer is cut off.
std::wstring without_station_trailer(const std::wstring& name) {
    const size_t at = name.find(L" -- ");
    if (at == std::wstring::npos) return name;
    const std::wstring tail = name.substr(at + 4);
    if (tail.find(L"www.") != std::wstring::npos || tail.find(L"http") != std::wstring::npos)
        return trim_blanks(name.substr(0, at));
    return name;
}

std::wstring title_with_artist(const list_info& e) {
    const std::wstring title = text_of(e.title), artist = text_of(e.artist);
    if (!title.empty()) return title + L" ( " + artist + L" )";
    return artist;
}
}  // namespace

void reset_volume_press();
void set_transport_enabled(bool on);

void reset_main_window_state() {
    forget_last_channel_title();
    g_last_shown_time = -1;
    g_last_shown_bitrate = -1;
    g_position_count = 0;
    reset_volume_press();
    set_transport_enabled(true);
}

void player_window::set_title_text(const std::wstring& text) {
    display_title_ = text;
    draw_title_panel();
}

void player_window::redraw_title() {
    draw_title_panel();
    if (skin_) skin_->set_caption(ids::time, minutes_text(track_length_).c_str());
}

void player_window::tick() {
    if (!skin_ || !s_.player->is_playing()) return;
    skin_static* panel = skin_->get_static(ids::title);
    if (!panel) return;
    marquee_.step(1);
    look_.image(player_skin_images::marquee)->draw(skin_->get_dc(), panel->rect.left, panel->rect.top);
    InvalidateRect(hwnd_, &panel->rect, FALSE);
}

void player_window::on_login(bool ok) {
    player_options& o = *s_.options;
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT own = {};
    GetWindowRect(hwnd_, &own);
    const int w = own.right - own.left + 680, h = 550;
    const int x = work.left + ((work.right - work.left) - w) / 2;
    const int y = work.top + ((work.bottom - work.top) - h) / 2;
    SetWindowPos(hwnd_, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    load_logo();
    if (!ok) {
        if (skin_) skin_->set_enable(ids::announcement, false);
    } else {
        if (s_.channels->announcement_count(0) == 0 && s_.channels->announcement_count(1) == 0 && skin_)
            skin_->set_enable(ids::announcement, false);
        if (o.channel.length() > 0) {
            const std::vector<std::wstring> parts = split_text(o.channel.wvalue(), L'|');
            if (parts.size() == 2) {
                const unsigned id = static_cast<unsigned>(text_number(parts[1]));
                const stringx list(parts[0].c_str());
                if (s_.channels->get_channel_list(list)) {
                    s_.channels->select_channel_by_key(id);
                    stop_channel_retry();
                    // The channel's request runs on a worker, so that the
                    // window answers while the service takes its time;
                    // on_channel_fetched plays the tracks.
                    if (begin_channel_fetch(list)) {
                        SendMessageW(hwnd_, WM_COMMAND, 7, 0);
                        return;
                    }
                    if (!s_.channels->select_channel_checked()) {
                        // Unless the login expired (its notice is shown), the
                        // channel plays on from its kept tracks and is asked
                        // for again until the service answers.
                        if (id != 0 && !s_.channels->last_check_refused()) {
                            retry_list_ = list;
                            play_kept_channel();
                            retry_channel_later(list);
                        }
                        SendMessageW(hwnd_, WM_COMMAND, 7, 0);
                        return;
                    }
                    s_.channels->set_title(stringx(parts[0].c_str()));
                    s_.channels->load_fetched();
                }
            }
        }
    }
    SendMessageW(hwnd_, WM_COMMAND, 7, 0);
    SendMessageW(hwnd_, msg_info_window_refresh, 0, 0);
}

void player_window::on_music_volume(unsigned volume) {
    if (s_.options->anne_volume_linkage_off && skin_)
        skin_->set_position(ids::volume, static_cast<int>(volume * 0.1 + 0.05));
}

void player_window::on_window_state(int id, bool hidden) {
    if (!skin_) return;
    switch (id) {
    case 0: skin_->set_check(ids::announcement, !hidden); break;
    case 1: skin_->set_check(ids::playlist, !hidden); break;
    case 2: skin_->set_check(ids::library, !hidden); break;
    case 3: skin_->set_check(ids::equalizer, !hidden); break;
    default: break;
    }
}

void player_window::on_stream_title(bool station, const stringx& text, unsigned long long position) {
    list_info* entry = s_.player->current_entry();
    if (!entry) return;
    list_info seen;  // the entry as retitled, copied while the playback thread cannot replace it
    {
        current_entry_guard guard(*s_.player);
        if (station) {
            set_text(entry->artist, without_station_trailer(text.wvalue()));
        } else if (position != 0) {
            pending_titles_.emplace_back(text.wvalue(), position);
            return;
        } else {
            set_text(entry->title, text.wvalue());
        }
        seen = *entry;
    }
    std::wstring shown = title_with_artist(seen);
    pending_titles_.clear();
    if (s_.options->mute) shown = k_mute_text;
    set_title_text(shown);
}

std::wstring player_window::entry_display(const list_info& e) const {
    std::wstring text = text_of(e.title);
    const std::wstring artist = text_of(e.artist);
    bool appended = false;
    if (!artist.empty() && !is_stream(artist.c_str())) {
        if (!text.empty()) text += L" - ";
        text += artist;
        appended = true;
    }
    // Without an artist the file name stands in for an empty title.
    if (!appended && !is_stream(e.path) && text.empty()) text = display_file_name(text_of(e.path));
    return text;
}

void player_window::on_track_started(LPARAM record) {
    if (!record) return;
    const list_info entry = event_record<list_info>::from(record)->copy();
    const int active = s_.player->active_playlist_position();
    if (active == 1) {
        const int index = s_.player->active_index_of(entry);
        if (index >= 1) {
            start_offset_ = 0;
        } else if (index == 0) {
            const double offset = std::floor(s_.channels->first_track_offset());
            start_offset_ = offset > 0 ? offset : 0;
        }
    }
    track_path_ = text_of(entry.path);
    look_.show_mode(track_path_.c_str());
    set_title_text(entry_display(entry));
    track_length_ = static_cast<int>(entry.time);
    last_bitrate_ = entry.bitrate;
    last_sample_rate_ = entry.samplerate;
    if (active != 0) redraw_title();
    if (active == 1) {
        const stringx title = s_.channels->current_channel_title();
        if (!title.equals(last_channel_title())) {
            set_last_channel_title(title);
            s_.host->channel_changed(last_channel_title());
        }
    }
}

void player_window::on_track_end() {
    start_offset_ = 0;
    pending_titles_.clear();
    look_.show_mode(nullptr);
    if (!skin_) return;
    skin_->set_range(ids::seek, 0, 0);
    skin_->set_position(ids::seek, 0);
    skin_->set_enable(ids::seek, false);
    look_.show_time(-1);
    look_.show_bitrate(-1);
    look_.show_sample_rate(-1);
    skin_->set_caption(ids::title, L"");
    skin_->set_caption(ids::time, L"");
    if (look_.is_mini()) draw_title_panel();
}

void player_window::on_track_stopped() {
    on_track_end();
    if (s_.player->current_playlist_position() == 1 && last_channel_title().length() > 0) {
        forget_last_channel_title();
        s_.host->channel_changed(last_channel_title());
    }
}

void player_window::on_playlist_changed() {
    if (s_.player->current_playlist_position() == 0) forget_last_channel_title();
}

void player_window::end_of_schedule() {
    player_options& o = *s_.options;
    o.channel = s_.ini->read(L"app", L"channel");
    o.last_title = s_.ini->read(L"app", L"last_title");
    const std::vector<std::wstring> parts = split_text(o.channel.wvalue(), L'|');
    const long id = parts.size() == 2 ? text_number(parts[1]) : 0;
    if (id != 0) {
        std::vector<std::wstring> titles = split_text(o.last_title.wvalue(), L'>');
        std::wstring title;
        if (!titles.empty()) {
            title = titles.back();
        } else {
            title = o.last_title.wvalue();
            const std::wstring tag = L"[스케쥴방송]";
            for (size_t at; (at = title.find(tag)) != std::wstring::npos;) title.erase(at, tag.size());
        }
        const stringx name(trim_blanks(title).c_str());
        if (s_.channels->fetch_channel_tracks(static_cast<unsigned>(id), name)) {
            if (library_ && IsWindow(library_)) s_.companions->set_library_channel_title(name);
            o.channel_title = name;
            s_.channels->set_single_channel(static_cast<unsigned>(id), name);
            s_.channels->select_channel_by_key(static_cast<unsigned>(id));
            s_.channels->load_fetched();
            return;
        }
    }
    s_.player->stop();
}

void player_window::on_track_position(WPARAM, LPARAM record) {
    if (!skin_ || !record) return;
    const position_record at = event_record<position_record>::from(record)->copy();
    const double position = at.position;
    const long long v = static_cast<long long>(position + start_offset_ + 0.5);
    const bool seekable = s_.player->is_seekable() && !s_.player->is_paused();

    const int bitrate = static_cast<int>(at.format.bitrate);
    list_info* entry = s_.player->current_entry();
    if (bitrate > 0 && !pending_titles_.empty() && entry) {
        const double due = static_cast<double>(pending_titles_.front().second / static_cast<unsigned>(bitrate)) *
                           8 * 0.001;
        if (position >= due) {
            list_info seen;  // copied while the playback thread cannot replace the entry
            {
                current_entry_guard guard(*s_.player);
                set_text(entry->title, pending_titles_.front().first);
                seen = *entry;
            }
            pending_titles_.pop_front();
            display_title_ = title_with_artist(seen);
            const std::wstring path = text_of(seen.path);
            std::wstring file;
            const size_t slash = path.find_last_of(L'/');
            if (slash != std::wstring::npos) {
                const size_t bar = path.find(L'|', slash + 1);
                if (bar != std::wstring::npos) file = path.substr(slash + 1, bar - slash - 1);
            }
            wchar_t head[32], length[32];
            swprintf(head, 32, L"%u", s_.channels->current_channel_id());
            swprintf(length, 32, L"%d", static_cast<int>(seen.time));
            const std::wstring line = std::wstring(head) + L"^" + text_of(seen.title) + L"^" +
                                      text_of(seen.artist) + L"^" + text_of(seen.album) + L"^^" + length + L"^" +
                                      file;
            s_.host->write_played_log(line.c_str());
            redraw_title();
            if (display_title_.find(L"END_ZEL") != std::wstring::npos) end_of_schedule();
            if (!skin_) return;
        }
    }

    auto* seek = dynamic_cast<skin_scroll*>(skin_->get_control(ids::seek));
    if (seek && !seek->dragging) {
        if (skin_->get_position(ids::seek) != static_cast<int>(v)) skin_->set_position(ids::seek, static_cast<int>(v));
        skin_->set_enable(ids::seek, seekable);
    }
    if (v != g_last_shown_time || !seekable) {
        look_.show_time(static_cast<double>(v));
        g_last_shown_time = v;
    }
    if (++g_position_count % 3 == 0 && bitrate != g_last_shown_bitrate) {
        look_.show_bitrate(bitrate);
        g_last_shown_bitrate = bitrate;
    }
}

void player_window::on_track_format(LPARAM record) {
    if (look_.is_mini() || !skin_ || !record) return;
    const audio_format f = event_record<audio_format>::from(record)->copy();
    const int length = static_cast<int>(f.length);
    skin_->set_range(ids::seek, 0, length);
    skin_->set_position(ids::seek, 0);
    skin_->set_enable(ids::seek, !is_stream(track_path_.c_str()));
    look_.show_time(0);
    last_bitrate_ = static_cast<int>(f.bitrate);
    last_sample_rate_ = f.sample_rate;
    look_.show_bitrate(last_bitrate_);
    look_.show_sample_rate(last_sample_rate_);
}

bool player_window::block_levels(const audio_format& format, const void* bytes, int count, int levels[meter_bands]) {
    for (int i = 0; i < meter_bands; ++i) levels[i] = 0;
    if (!bytes || count <= 0 || format.bits_per_sample <= 0 || format.bits_per_sample > 32 ||
        format.channels <= 0 || format.channels > 6 || format.sample_rate > 96000)
        return false;
    // Formats without a conversion (8-bit and the like) and blocks too short
    // to fill every band show an empty meter.
    const int code = dsp::sample_format_code(format.format_tag, format.bits_per_sample);
    if (code < 0) return false;
    const int width = format.bits_per_sample / 8;
    const int samples = count / width;
    const int frames = samples / format.channels;
    const int per_band = frames / meter_bands;
    if (per_band <= 0) return false;
    std::vector<float> values(static_cast<size_t>(samples));
    std::vector<unsigned char> copy(static_cast<const unsigned char*>(bytes),
                                    static_cast<const unsigned char*>(bytes) + samples * width);
    dsp::read_audio_chunk(code, copy.data(), values.data(), samples * width);
    if (code != 3) dsp::scale32(values.data(), 1.0 / (std::pow(2.0, format.bits_per_sample - 1) - 1), samples);
    for (int band = 0; band < meter_bands; ++band) {
        double sum = 0;
        for (int f = band * per_band; f < (band + 1) * per_band; ++f) {
            double frame = 0;
            for (int c = 0; c < format.channels; ++c) frame += std::fabs(values[f * format.channels + c]);
            sum += frame / format.channels;
        }
        const double m = sum / per_band;
        const double db = m >= 0.005 ? 20 * std::log10(m) : -100;
        const double u = db + 100 >= 65 ? db + 100 : 0;
        int level = static_cast<int>((u - 65) * 100 / 35);
        if (level > 100) level = 100;
        levels[band] = level;
    }
    return true;
}

void player_window::on_audio_data(LPARAM record) {
    if (!skin_ || look_.is_mini() || !record) return;
    if (!meter_started_) {
        skin_static* area = skin_->get_static(ids::meter);
        if (area) {
            meter_.init(hwnd_, &area->background, skin_->get_dc(), area->rect);
            meter_.set_meter_bands(meter_bands, 12);
            const COLORREF c = look_.text_colour();
            meter_.set_bands_color(c, c, c, look_.marquee_text_colour());
            meter_.show_grid(false);
            meter_.set_falloff_effect(true);
            const int zeros[meter_bands] = {};
            meter_.set_data(zeros, 0, meter_bands);
            meter_.start(55);
            meter_started_ = true;
        }
    }
    const audio_block block = audio_block::from(record);
    block_levels(block.format, block.bytes.data(), static_cast<int>(block.bytes.size()), levels_);
    if (meter_started_) meter_.set_data(levels_, 0, meter_bands);
}

void player_window::on_skin_resized(int, int) {
    if (skin_) skin_->set_position(ids::volume, static_cast<int>(s_.options->volume / 10));
    if (!look_.is_mini() || !skin_) return;
    draw_title_panel();
    if (s_.player->is_playing()) skin_->set_caption(ids::time, minutes_text(track_length_).c_str());
}
