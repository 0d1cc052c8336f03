#pragma once
// The scripts of the service's web server and the values of its
// "player_state" field, shared by every sender. A request goes to the request
// host of service_host (core/service_host.h) at one of these paths; the web
// pages are opened on the web host.

namespace service_script {

const wchar_t login_check[] = L"rux/rux_login_check.php";
const wchar_t player_state[] = L"rux/rux_player_state.php";
const wchar_t channel_check[] = L"rux/rux_channel_check.php";
const wchar_t song_check[] = L"rux/rux_song_check.php";
const wchar_t anne_check[] = L"rux/rux_anne_check.php";
const wchar_t anne_library[] = L"rux/rux_anne_library.php";
const wchar_t anne_schedule[] = L"rux/rux_anne_schedule.php";
const wchar_t schedule_save[] = L"rux/schedule_save_ok.php";
const wchar_t timetable_check[] = L"rux/rux_mytimetable_check.php";
const wchar_t mana_view[] = L"rux/rux_mana_view.php";
const wchar_t mana_list[] = L"rux/rux_mana_list.php";  // no request uses it
const wchar_t notice_list[] = L"rux/rux_noticelist.php";
const wchar_t log_check[] = L"rux/rux_log_check.php";

}  // namespace service_script

// The values of "player_state" sent to rux_player_state.php. The automatic
// login of a known PC sends none.
namespace player_state {

const wchar_t player_att[] = L"player_att";  // PC authentication; head of the report group
const wchar_t music_volume[] = L"music_volume";
const wchar_t music_volume_mute[] = L"music_volume_mute";
const wchar_t anne_volume[] = L"anne_volume";
const wchar_t anne_volume_mute[] = L"anne_volume_mute";
const wchar_t anne_direct_play[] = L"anne_direct_play";
const wchar_t anne_direct_stop[] = L"anne_direct_stop";
const wchar_t play_stop[] = L"play_stop";
const wchar_t player_exit[] = L"player_exit";
const wchar_t favorite_ch[] = L"favorite_ch";
const wchar_t favorite_ch_del[] = L"favorite_ch_del";
const wchar_t schedule_play[] = L"schedule_play";
const wchar_t schedule_play_stop[] = L"schedule_play_stop";

}  // namespace player_state

// Pages of the web host, opened in the browser with "http://" before them;
// "%s" stands for the parameters their openers format in.
namespace service_page {

const wchar_t login_page[] = L"rux/loginpage.php?mode=%d";  // modes 1 to 4
const wchar_t today[] = L"rux/today.php?userid=%s";
const wchar_t notice[] = L"rux/rux_notice.php";
const wchar_t shop_info[] = L"rux/mana/ad_shopinfo.php?storetop=%s&storemother=%s&storecode=%s&userid=%s";

}  // namespace service_page
