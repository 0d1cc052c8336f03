#include "cddb_dialog.h"

#include "cd_drive_table.h"
#include "cd_resource_ids.h"
#include "core.h"
#include "critsec.h"
#include "utility.h"

namespace {

critsec g_server_lock;
std::wstring g_host = L"gnudb.gnudb.org";
int g_port = cddb_dialog::default_port;
constexpr DWORD k_default_lookup_limit = 30000;
DWORD g_lookup_limit = k_default_lookup_limit;

}  // namespace

cddb_dialog::cddb_dialog(std::vector<cd_disc_track>& titles, cd_disc* disc, int drive)
    : titles_(titles), disc_(disc), drive_(drive) {}

cddb_dialog::~cddb_dialog() {
    // The thread base waits too, but only after this object's members are
    // gone; the lookup uses them to its end.
    if (get_handle()) WaitForSingleObject(get_handle(), INFINITE);
}

HINSTANCE cddb_dialog::own_module() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&cddb_dialog::own_module), &module);
    return module;
}

void cddb_dialog::set_default_server(const wchar_t* host, int port) {
    auto_sync guard(g_server_lock);
    g_host = host ? host : L"gnudb.gnudb.org";
    g_port = host ? port : default_port;
}

std::wstring cddb_dialog::default_host() {
    auto_sync guard(g_server_lock);
    return g_host;
}

int cddb_dialog::default_server_port() {
    auto_sync guard(g_server_lock);
    return g_port;
}

void cddb_dialog::set_lookup_limit(DWORD ms) {
    auto_sync guard(g_server_lock);
    g_lookup_limit = ms ? ms : k_default_lookup_limit;
}

DWORD cddb_dialog::lookup_limit() {
    auto_sync guard(g_server_lock);
    return g_lookup_limit;
}

void cddb_dialog::look_up(HWND parent, cd_disc& disc, std::vector<cd_disc_track>& titles, int drive) {
    cddb_dialog d(titles, &disc, drive);
    d.saved_instance = core::get_instance();
    core::set_instance(own_module());
    d.modal(IDD_CDDB, parent);
    // The dialog puts the module back when it opens; a dialog that never
    // opened must not leave this library's module in use for everyone.
    core::set_instance(d.saved_instance);
}

LRESULT cddb_dialog::dialog_proc(UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) {
        // The lookup thread notices within a quarter second and ends the
        // dialog itself.
        client_.cancel();
        EnableWindow(GetDlgItem(hwnd_, IDCANCEL), FALSE);
        return TRUE;
    }
    if (message == WM_INITDIALOG) {
        core::set_instance(saved_instance);
        // Without its thread nothing would ever close the dialog.
        if (!thread::create()) EndDialog(hwnd_, 0);
        return TRUE;
    }
    if (message == WM_DESTROY) hwnd_ = nullptr;
    return FALSE;
}

void cddb_dialog::set_site(const std::wstring& text) { SetDlgItemTextW(hwnd_, IDC_CDDB_SITE, text.c_str()); }

void cddb_dialog::set_status(const wchar_t* text) { SetDlgItemTextW(hwnd_, IDC_CDDB_STATUS, text); }

void cddb_dialog::finish() { EndDialog(hwnd_, 1); }

void cddb_dialog::cd_text_fallback() {
    set_status(L"CD Text를 읽는 중입니다");
    bool read = false;
    {
        // The drive is shared with every other user of the table: the
        // disc's own drive is current only for this read.
        auto_sync guard(cd_drive_table::lock());
        cd_current_drive keep;
        read = (drive_ < 0 || cd_drive_table::select_drive(drive_)) && disc_->read_cd_text();
    }
    if (!read) {
        set_status(L"CD Text 읽기 실패");
        return;
    }
    for (int i = 0; i < disc_->track_count(); ++i) {
        cd_disc_track t = disc_->track(i);
        if (!t.is_audio()) continue;
        t.record.set_track_number(t.track_number);
        titles_.push_back(t);
    }
}

void cddb_dialog::give_up() {
    if (client_.cancelled()) set_status(L"취소되었습니다");
    else cd_text_fallback();
    finish();
}

void cddb_dialog::run() {
    cddb_client& client = client_;
    // An empty drive has no table of contents to send: no lookup at all.
    if (!disc_ || disc_->track_count() <= 0) {
        finish();
        return;
    }
    client.set_deadline(lookup_limit());
    client.set_proto_level(5);
    set_site(L"");
    set_status(L"CDDB Site를 검색중입니다");
    std::vector<cddb_site> sites;
    if (!client.sites_at(sites, default_host().c_str(), default_path, default_server_port()) || sites.empty()) {
        give_up();
        return;
    }
    const cddb_site site = sites.front();
    set_site(site.host);
    set_status(L"CDDB Site 연결 중입니다");
    client.stat(site);

    std::vector<msf_time> toc;
    for (int i = 0; i <= disc_->track_count(); ++i) {
        const int a = disc_->track(i).start_sector + 150;
        msf_time t;
        t.minutes = a / 4500;
        t.seconds = (a / 75) % 60;
        t.frames = a % 75;
        toc.push_back(t);
        utility::message_pump(nullptr);
    }

    set_status(L"AudioCD Disk ID 및 Track Sector 정보를 보내는 중입니다");
    std::vector<cddb_match> matches;
    if (!client.query(site, disc_->cddb_id(), toc, matches)) {
        give_up();
        return;
    }

    set_status(L"CDDB Track 정보를 읽는 중입니다");
    const cddb_match match = matches.front();
    cddb_disc record;
    if (!client.read(site, match.disc_id, match, record)) {
        set_status(L"CDDB 트랙 정보를 읽는 데 실패 하였습니다");
        give_up();
        return;
    }
    for (int i = 0; i < disc_->track_count(); ++i) {
        cd_disc_track t = disc_->track(i);
        if (!t.is_audio()) continue;
        t.record.set_artist(record.artist);
        t.record.set_album(record.title);
        // The record's titles go by place on the disc; the entry keeps the
        // disc's own number.
        t.record.set_track_number(t.track_number);
        if (static_cast<size_t>(i) < record.track_titles.size())
            t.record.set_title(record.track_titles[static_cast<size_t>(i)]);
        t.record.set_genre(match.category);
        t.record.set_year(record.year);
        titles_.push_back(t);
    }
    set_status(L"CDDB 읽는데 성공하였습니다");
    finish();
}
