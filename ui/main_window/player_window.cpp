// The main window: the object, its creation and destruction, and the dialog
// procedure that hands each message to its handler.
#include "player_window.h"

#include <cstdlib>
#include <cstdio>

#include "channel_service.h"
#include "companion_windows.h"
#include "core.h"
#include "main_window_host.h"
#include "main_window_lamps.h"
#include "music_player_view.h"
#include "option_targets.h"
#include "player_options.h"
#include "window_reports.h"
#include "play_option_rules.h"
#include "window_messages.h"

const wchar_t main_window_class[] = L"ZELMainWindow";

namespace {
player_window* g_current = nullptr;
bool g_transport_enabled = true;
const wchar_t k_caption[] = L"VOLQUIN 플레이어";
const UINT_PTR k_upload_timer = 17;

void delete_run_value(HKEY root) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, L"ZEL Client");
    RegCloseKey(key);
}

// The lamps as the settings dialog and the equalizer window switch them:
// those of the main window that is open (nothing while none is).
class open_window_lamps : public main_window_lamps {
public:
    void show_norm_lamp(bool on) override {
        if (g_current) g_current->look().show_norm_lamp(on);
    }
    void show_eq_lamp(bool on) override {
        if (g_current) g_current->look().show_eq_lamp(on);
    }
};
open_window_lamps g_lamps;
}  // namespace

player_window* current_player_window() { return g_current; }
bool transport_enabled() { return g_transport_enabled; }
void set_transport_enabled(bool on) { g_transport_enabled = on; }

player_window::player_window(const player_window_services& services)
    : drop_target(nullptr),
      s_(services),
      playlist_(nullptr),
      library_(nullptr),
      info_(nullptr),
      equalizer_(nullptr),
      playlist_shown_(false),
      upload_timer_id_(0),
      skin_(nullptr),
      meter_started_(false),
      levels_(),
      start_offset_(0),
      track_length_(0),
      last_bitrate_(0),
      last_sample_rate_(0),
      expanded_saved_(),
      restore_info_(false),
      restore_playlist_(false),
      restore_library_(false),
      restore_equalizer_(false),
      expand_requested_(false),
      mini_width_(0),
      com_ready_(false) {}

player_window::~player_window() {
    logo_.reset();
    pending_titles_.clear();
}

bool player_window::create_window(HWND parent) {
    WNDCLASSW wc;
    if (!GetClassInfoW(core::get_instance(), main_window_class, &wc)) {
        if (!GetClassInfoW(nullptr, L"#32770", &wc)) return false;
        wc.hInstance = core::get_instance();
        wc.lpszClassName = main_window_class;
        if (!RegisterClassW(&wc)) return false;
    }
    return create(main_window_template, parent);
}

void player_window::load_logo() {
    logo_.reset();
    wchar_t* folder = core::get_appdata_path();
    if (!folder) return;
    std::wstring path = std::wstring(folder) + L"\\main_logo.png";
    free(folder);
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return;
    std::string bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    if (bytes.empty()) return;
    logo_.reset(skin::load_png_memory(reinterpret_cast<const unsigned char*>(bytes.data()),
                                      static_cast<unsigned>(bytes.size())));
    if (logo_) look_.show_logo(logo_.get());
}

void player_window::on_init_dialog() {
    player_options& o = *s_.options;
    delete_run_value(HKEY_CURRENT_USER);
    delete_run_value(HKEY_LOCAL_MACHINE);
    g_current = this;
    set_main_window_lamps(&g_lamps);

    wchar_t module[260] = {};
    GetModuleFileNameW(nullptr, module, 259);
    program_folder_ = module;
    program_folder_.erase(program_folder_.find_last_of(L'\\') + 1);

    // OLE (not only COM) on this thread: RegisterDragDrop needs it.
    com_ready_ = SUCCEEDED(OleInitialize(nullptr));
    target_ = hwnd_;
    AddRef();
    RegisterDragDrop(hwnd_, this);

    srand(GetTickCount());
    // Timer 17 ticks the played-tracks upload; the upload resets it (same
    // id) around each check.
    upload_timer_id_ = SetTimer(hwnd_, k_upload_timer, 1000, nullptr);
    s_.reports->upload_start(hwnd_);

    mini_width_ = 0;
    skin_ = look_.build_normal(hwnd_, o.skin, o.volume);
    // The title strip starts as the panel's face (as after every rebuild):
    // until then its image is the key colour, which the marquee timer would
    // paint into the window when something plays before a title arrives.
    draw_title_panel();
    load_logo();

    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT own = {};
    GetWindowRect(hwnd_, &own);
    const int w = own.right - own.left, h = own.bottom - own.top + 400;
    int x = work.left + ((work.right - work.left) - w) / 2;
    int y = work.top + ((work.bottom - work.top) - h) / 2;
    SetWindowPos(hwnd_, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowTextW(hwnd_, k_caption);
    s_.host->docker_add(hwnd_);

    for (int n = 0; n < 1000; ++n) {
        wchar_t key[32];
        swprintf(key, 32, L"favorates%d", n);
        stringx value = s_.store->read(L"app", key);
        if (value.length() > 0) s_.targets->add_favourite(value);
    }

    s_.player->set_play_mode(play_mode_of(o.play_method));
    s_.targets->set_playback(o.norm, o.norm_scale, o.priority);
    s_.targets->set_rate_limit(o.max_bps * 1000);
    s_.player->set_volume(music_player_volume(o));
    s_.player->set_mute(o.mute);
    skin_->set_check(player_skin_ids::mute, o.mute);
    look_.show_norm_lamp(o.norm);
    for (int m = 0; m < 4; ++m) skin_->set_visible(player_skin_ids::method_first + m, m == o.play_method);
    const int eq = s_.host->equalizer_enabled();
    if (eq >= 0) look_.show_eq_lamp(eq != 0);

    playlist_ = s_.companions->create_playlist(hwnd_);
    info_ = s_.companions->create_info(hwnd_, playlist_);
    if (playlist_) s_.host->launcher_add_window(playlist_);
    if (info_) s_.host->launcher_add_window(info_);

    RECT main_rect = {}, info_rect = {};
    GetWindowRect(hwnd_, &main_rect);
    int below = main_rect.bottom;
    if (info_) {
        SetWindowPos(info_, nullptr, main_rect.left, below, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(info_, SW_SHOWNOACTIVATE);
        GetWindowRect(info_, &info_rect);
        below = info_rect.bottom;
    }
    if (playlist_) {
        SetWindowPos(playlist_, nullptr, main_rect.left, below, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(playlist_, SW_SHOWNOACTIVATE);
    }
    playlist_shown_ = true;
    s_.host->docker_always_on_top(o.always_top);
    set(100);
}

void player_window::on_destroy() {
    s_.reports->upload_stop();
    if (upload_timer_id_) KillTimer(hwnd_, upload_timer_id_);
    upload_timer_id_ = 0;
    stop_channel_retry();
    kill();
    stop_meter();
    RevokeDragDrop(hwnd_);
    Release();
    s_.host->ui_closing();
    save_state();
    // A window ended without a close (the host's loop ended first) still
    // gives the event sounds back.
    if (!sounds_given_back_) s_.host->give_back_system_sounds();
    sounds_given_back_ = true;
    g_current = nullptr;
    if (registered_main_window_lamps() == &g_lamps) set_main_window_lamps(nullptr);
}

void player_window::save_state() {
    if (state_saved_) return;
    state_saved_ = true;
    player_options& o = *s_.options;
    // The channel to restore at the next login: the service's channel while
    // the channel playlist is active; none while the first playlist is; the
    // old value stays when the channel has no id.
    stringx channel;
    bool write_channel = o.last_channel;
    const int position = s_.player->active_playlist_position();
    if (position > 0) {
        const unsigned id = s_.channels->current_channel_id();
        if (id != 0) {
            channel = saved_channel_value(true, s_.channels->list_title(), static_cast<int>(id));
        } else {
            write_channel = false;
        }
    }
    const bool keep = o.last_channel;
    o.last_channel = write_channel;
    save_options(o, *s_.store, *s_.targets, channel, s_.host->expanded());
    o.last_channel = keep;
}

void player_window::on_close() {
    // The options first: the exit report may wait long for the service, and
    // Windows may end the process while it does.
    save_state();
    s_.reports->report_exit();
    s_.host->give_back_system_sounds();
    sounds_given_back_ = true;
    s_.host->remove_tray_icon(hwnd_);
    DestroyWindow(hwnd_);
}

void player_window::restore_from_tray() {
    s_.host->remove_tray_icon(hwnd_);
    s_.host->launcher_add_window(hwnd_);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    if (info_) {
        if (s_.companions->info_on_air() && !s_.companions->info_hidden()) {
            ShowWindow(info_, SW_SHOWNOACTIVATE);
        } else if (!s_.companions->info_on_air() && !s_.companions->info_kept()) {
            PostMessageW(info_, WM_COMMAND, 0, 0);
        }
    }
    if (playlist_shown_ && !look_.is_mini() && playlist_) ShowWindow(playlist_, SW_SHOWNOACTIVATE);
}

LRESULT player_window::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        on_init_dialog();
        return 1;
    case WM_DESTROY:
        on_destroy();
        return 0;
    case WM_NCDESTROY:
        look_.remove();
        skin_ = nullptr;
        s_.host->release_shell_objects();
        if (com_ready_) OleUninitialize();
        com_ready_ = false;
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        on_close();
        return 0;
    case WM_QUERYENDSESSION:
        if (wparam != 0 || (lparam & 0x80000000)) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        return 0;
    case WM_ENDSESSION:
        // Windows ends (a shutdown asks with lParam 0, which the query above
        // lets pass): report the exit and save the options before it does.
        if (wparam) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
        return 0;
    case WM_SIZE:
        // Only a way back from the tray or the taskbar restores the other
        // windows: the tray's click sends a bare SIZE_RESTORED; a skin build
        // that resizes the window (mini mode, another colour) is no restore.
        if (wparam == SIZE_MINIMIZED) {
            minimized_ = true;
        } else if (wparam == SIZE_RESTORED && (minimized_ || lparam == 0)) {
            minimized_ = false;
            restore_from_tray();
        }
        return 0;
    case WM_COPYDATA:
        on_copy_data(wparam, reinterpret_cast<const COPYDATASTRUCT*>(lparam));
        return 0;
    case WM_COMMAND:
        on_command(LOWORD(wparam));
        return 0;
    case WM_TIMER:
        if (wparam == upload_timer_id_ && upload_timer_id_ != 0) s_.reports->upload_tick();
        if (wparam == channel_retry_timer) on_channel_retry_timer();
        if (wparam == kept_channel_timer) on_kept_channel_timer();
        return 0;
    case msg_channel_fetched:
        on_channel_fetched();
        return 0;
    case msg_login_state:
        show_logging_in(wparam != 0);
        return 0;
    case WM_HSCROLL:
        on_hscroll(static_cast<unsigned>(lparam), HIWORD(wparam));
        return 0;
    case WM_LBUTTONDOWN:
        on_left_down(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
        return 0;
    case WM_LBUTTONUP:
        on_left_up();
        return 0;
    case WM_LBUTTONDBLCLK:
        if (!s_.host->expanded()) toggle_mini_mode();
        return 0;
    case msg_expanded_mode:
        on_expanded_mode(wparam != 0);
        return 0;
    case msg_track_finished:
    case msg_play_error:
        on_track_end();
        return 0;
    case msg_track_position:
        on_track_position(wparam, lparam);
        return 0;
    case msg_audio_data:
        on_audio_data(lparam);
        return 0;
    case msg_track_format:
        on_track_format(lparam);
        return 0;
    case msg_track_started:
        if (g_transport_enabled) on_track_started(lparam);
        return 0;
    case msg_track_stopped:
        on_track_stopped();
        return 0;
    case msg_playlist_changed:
        on_playlist_changed();
        return 0;
    case msg_tray_notify:
        if (lparam == WM_LBUTTONUP || lparam == WM_RBUTTONUP) PostMessageW(hwnd_, WM_SIZE, 0, 0);
        return 0;
    case msg_transport_state:
        if (lparam == 1) {
            g_transport_enabled = true;
        } else if (lparam == 2) {
            g_transport_enabled = false;
            stop_and_report();
        }
        return 0;
    case msg_info_window_refresh:
        s_.companions->info_rebuild_skin();
        return 0;
    case msg_skin_resized:
        on_skin_resized(static_cast<int>(wparam), static_cast<int>(lparam));
        return 0;
    case msg_stream_title_note: {
        stream_title_note* note = reinterpret_cast<stream_title_note*>(lparam);
        if (note) {
            on_stream_title(note->station, stringx(note->text.c_str()), note->position);
            delete note;
        }
        return 0;
    }
    default:
        return 0;
    }
}

void player_window::show_logging_in(bool on) {
    static const wchar_t logging_in[] = L"로그인 중입니다...";
    if (on) {
        std::wstring caption(k_caption);
        caption += L" - ";
        caption += logging_in;
        SetWindowTextW(hwnd_, caption.c_str());
        if (!s_.player->is_playing()) set_title_text(logging_in);
        return;
    }
    SetWindowTextW(hwnd_, k_caption);
    if (display_title_ == logging_in) set_title_text(std::wstring());
}
