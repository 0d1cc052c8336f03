#include "cd_drive_settings.h"

#include <cstdio>
#include <cstring>

cd_drive_settings cd_default_drive_settings() {
    cd_drive_settings s;
    memset(&s, 0, sizeof(s));
    strcpy(s.drive_name, "DONTKNOW");
    s.sectors_per_read = 26;
    s.overlap_sectors = 7;
    s.compare_sectors = 1;
    s.jitter_correction = 1;
    s.speed_method = 1;
    s.endian = 1;
    s.atapi = 1;
    s.lock_tray = 1;
    s.cd_text = 1;
    return s;
}

void cd_apply_drive_type(cd_drive_settings& s) {
    const int type = s.drive_type;
    if (type == cd_drive_type_custom) return;
    s.speed_method = 0;
    s.endian = 1;
    s.density = 0;
    s.enable_mode = 0;
    s.atapi = 0;
    switch (type) {
        case 0:
            s.read_method = 0;
            s.speed_method = 1;
            s.atapi = 1;
            break;
        case 1:
        case 3:
        case 5:
            s.read_method = 1;
            s.enable_mode = 1;
            s.density = 0x82;
            break;
        case 2:
            s.read_method = 1;
            s.speed_method = 4;
            s.enable_mode = 1;
            s.density = 0x82;
            break;
        case 4:
            s.read_method = 2;
            s.speed_method = 6;
            break;
        case 6:
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
        case 12:
        case 13:
        case 18:
            s.read_method = 1;
            s.speed_method = 5;
            s.endian = 0;
            s.enable_mode = 1;
            break;
        case 14:
        case 15:
            s.read_method = 3;
            s.speed_method = 2;
            break;
        case 16:
            s.speed_method = 3;
            s.enable_mode = 1;
            break;
        default:  // 17, 20 and above: the reset values, read method unchanged
            break;
    }
}

cd_drive_settings cd_new_drive_settings(const char* name, const std::vector<cd_drive_settings>& earlier,
                                        unsigned char adapter, unsigned char target, unsigned char lun) {
    cd_drive_settings s = cd_default_drive_settings();
    int same = 0;
    for (const cd_drive_settings& d : earlier)
        if (strstr(d.drive_name, name)) ++same;
    if (same > 0)
        _snprintf(s.drive_name, sizeof(s.drive_name) - 1, "%s(%d)", name, same);
    else
        strncpy(s.drive_name, name, sizeof(s.drive_name) - 1);
    s.drive_name[sizeof(s.drive_name) - 1] = 0;
    s.adapter = adapter;
    s.target = target;
    s.lun = lun;
    return s;
}
