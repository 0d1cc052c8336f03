// Applying a login reply once the store is logged in: the options the
// service sends, the sound-device check, the instance registry and the
// services of the other libraries, in the order the login fixes.
#include "login_manager.h"
#include "login_services.h"

namespace {

const wchar_t device_in_use_message[] = L"사운드 장치 중복으로 로그인 실패하였습니다";

stringx decimal(int value) {
    stringx text;
    text.format(L"%d", value);
    return text;
}

}  // namespace

bool login_manager::apply_reply(HWND parent, const reply_map& keys, stringx& message) {
    login_options& options = services_.options();

    // The server's output mode of this PC decides the output type.
    options.vm = keys.get(L"vm").toint();
    services_.store_write(L"app", L"vm", decimal(options.vm).wvalue());
    const int output_type = options.vm == 0 || options.vm == 2 ? 0 : 1;
    if (output_type != options.output_type) {
        options.output_type = output_type;
        services_.store_write(L"app", L"output_type", decimal(output_type).wvalue());
    }

    if (!check_device(parent, message)) return false;
    services_.register_instance(user_id_.wvalue(), options.device);

    apply_options(keys);
    apply_services(keys);
    services_.write_log(L"로그인 성공");
    return true;
}

bool login_manager::check_device(HWND parent, stringx& message) {
    login_options& options = services_.options();
    const int count = services_.output_device_count(options.output_type);
    if (count <= 0 || options.device < 0 || options.device >= count) options.device = 0;
    if (!services_.device_in_use(options.device)) return true;

    // Under the launcher the launcher chose the device: nobody is asked.
    if (services_.launcher_connected()) {
        message = device_in_use_message;
        return false;
    }
    const int chosen = services_.choose_device(parent, options.output_type, options.device);
    if (chosen < 0) {
        message = device_in_use_message;
        return false;
    }
    options.device = chosen;
    services_.select_output(options.output_type, options.device);
    services_.store_write(L"app", L"device", decimal(options.device).wvalue());
    return true;
}

void login_manager::apply_options(const reply_map& keys) {
    login_options& options = services_.options();
    const int* play = play_settings_;
    options.list_limit = static_cast<unsigned>(play[8]);
    options.max_bps = play[1];
    options.packet_retry = play[3] != 0;
    services_.set_packet_retry(options.packet_retry);
    services_.set_linger_ms(play[9]);

    if (keys.get(L"priority").length() > 0) options.priority = play[5] - 1;
    if (keys.get(L"output").length() > 0) options.output_buffer = play[6];
    if (keys.get(L"nor").length() > 0) options.norm = play[7] != 0;

    const stringx channel = keys.get(L"channel");
    if (channel.length() > 0) options.channel = channel;
    const stringx title = keys.get(L"channeltitle");
    if (title.length() > 0) options.channel_title = title;
    const stringx listenlog = keys.get(L"listenlog");
    if (listenlog.length() > 0) options.listenlog = listenlog.toint() != 0;
    services_.set_played_log(options.listenlog);
    const stringx linkage = keys.get(L"anne_volume_linkage");
    if (linkage.length() > 0) options.anne_volume_linkage_off = linkage.toint() == 0;

    struct {
        const wchar_t* key;
        int* option;
    } const numbers[] = {
        {L"fadeinout_time", &options.fadeinout_time},
        {L"fadedirect_time", &options.fadedirect_time},
        {L"anne_refresh_time", &options.anne_refresh_time},
        {L"skip", &options.skip},
    };
    for (const auto& n : numbers) {
        const stringx value = keys.get(n.key);
        if (value.length() > 0) *n.option = value.toint();
    }

    // Every login sets the rate, 1.05 when the reply has none.
    int rate = 100;
    const stringx rate_text = keys.get(L"music_volume_rate");
    if (rate_text.length() > 0) {
        rate = rate_text.toint();
        if (rate < 1 || rate > 100) rate = 100;
    }
    options.music_volume_rate = static_cast<float>(rate * 0.01 + 0.05);
}

void login_manager::apply_services(const reply_map& keys) {
    const login_options& options = services_.options();
    services_.set_normalize(options.norm, options.norm_scale);
    services_.set_playback_priority(options.priority);
    services_.set_rate_limit(options.max_bps * 1000);
    services_.set_cache_limits(10, play_settings_[2], 100);
    services_.set_output_buffer(options.output_buffer);

    if (keys.get(L"schedulelist").length() > 0) {
        for (const stringx& field : split_fields(keys.get(L"schedulelist"), L"^")) {
            const std::vector<stringx> parts = split_fields(field, L"|");
            if (parts.size() != 3) continue;
            schedule_set set;
            set.code = parts[0];
            set.name = parts[1];
            set.second_name = parts[2];
            schedule_sets_.push_back(set);
        }
    }
    anneinfo_code_ = bcode_.code;

    if (keys.get(L"server").length() > 0) {
        const std::vector<stringx> server = split_fields(keys.get(L"server"), L"|");
        if (server.size() == 2) {
            services_.ini_write(L"client", L"address", server[0].wvalue());
            services_.ini_write(L"client", L"port", server[1].wvalue());
        }
    }
    services_.configure_reservation(keys.get(L"logininfo").wvalue(), keys.get(L"musicschedule_play").toint() != 0,
                                    keys.get(L"musicschedule_time").toint());
}
