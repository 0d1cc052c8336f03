#include "pc_identity.h"
#include "pc_platform.h"
#include <winioctl.h>
#include <cstring>
#include <string>
#include <vector>
#include "utf.h"

namespace {

const wchar_t no_mac[] = L"NON_MAC";
// The adapter list is a linked list inside one buffer; a list longer than
// this is taken to be broken.
const int max_adapters = 1024;

// Walks the linked list in buffer, calling take for each adapter; the number
// of adapters.
template <class Take>
int walk_adapters(const IP_ADAPTER_INFO* first, Take take) {
    int count = 0;
    for (const IP_ADAPTER_INFO* a = first; a && count < max_adapters; a = a->Next) take(*a, count++);
    return count;
}

stringx format_time(const FILETIME& time) {
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&time, &st)) return stringx(L"");
    stringx text;
    text.format(L"%04d%02d%02d_%02d%02d%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
    return text;
}

// Byte layouts of the disk control calls.
const DWORD extents_size = 32;       // VOLUME_DISK_EXTENTS with one extent
const DWORD extents_disk_number = 8;  // DiskNumber of the first extent
const DWORD version_size = 24;        // GETVERSIONINPARAMS
const DWORD version_device_map = 3;   // bIDEDeviceMap
const DWORD command_size = 32;        // SENDCMDINPARAMS without its data byte
const DWORD identify_size = 512;
const DWORD reply_head = 16;          // SENDCMDOUTPARAMS before the data
const unsigned char identify_device = 0xEC;
const unsigned char identify_packet_device = 0xA1;

stringx ask_disk_serial(pc_platform& platform, HANDLE device) {
    unsigned char extents[extents_size] = {};
    if (!platform.device_control(device, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, extents, extents_size))
        return stringx(L"");
    DWORD disk;
    memcpy(&disk, extents + extents_disk_number, sizeof(disk));
    unsigned char version[version_size] = {};
    if (!platform.device_control(device, SMART_GET_VERSION, nullptr, 0, version, version_size))
        return stringx(L"");
    unsigned device_map = version[version_device_map];
    if (device_map == 0) return stringx(L"");
    // The map has a bit per IDE position (bit 4 up for ATAPI devices); a
    // disk number beyond it names no ATAPI device.
    bool atapi = disk < 8 && ((device_map >> disk) & 0x10) != 0;

    unsigned char command[command_size] = {};
    DWORD buffer_size = identify_size;
    memcpy(command, &buffer_size, sizeof(buffer_size));
    command[4] = 0;                                   // features
    command[5] = 1;                                   // sector count
    command[6] = 1;                                   // sector number
    command[7] = 0;                                   // cylinder low
    command[8] = 0;                                   // cylinder high
    command[9] = (disk & 1) ? 0xB0 : 0xA0;            // drive/head
    command[10] = atapi ? identify_packet_device : identify_device;
    command[12] = static_cast<unsigned char>(disk);  // drive number
    std::vector<unsigned char> reply(reply_head + identify_size);
    if (!platform.device_control(device, SMART_RCV_DRIVE_DATA, command, command_size, reply.data(),
                                 static_cast<DWORD>(reply.size())))
        return stringx(L"");

    // Words 10 to 19 of the identify data, each high byte first.
    const unsigned char* words = reply.data() + reply_head + 2 * 10;
    char serial[21] = {};
    for (int i = 0; i < 10; ++i) {
        serial[2 * i] = static_cast<char>(words[2 * i + 1]);
        serial[2 * i + 1] = static_cast<char>(words[2 * i]);
    }
    int length = 20;
    while (length > 1 && serial[length - 1] == ' ') --length;
    serial[length] = 0;
    return utf::ansi_to_utf16(serial);
}

}  // namespace

stringx get_mac_address(pc_platform& platform) {
    ULONG size = 0;
    if (platform.adapters_info(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return stringx(no_mac);
    // Zero-filled and aligned for the records the list is made of.
    std::vector<IP_ADAPTER_INFO> buffer(size / sizeof(IP_ADAPTER_INFO) + 1);
    ULONG buffer_size = size;
    int count = 0;
    if (platform.adapters_info(buffer.data(), &buffer_size) == ERROR_SUCCESS)
        count = walk_adapters(buffer.data(), [](const IP_ADAPTER_INFO&, int) {});
    if (count == 0) return stringx(no_mac);

    std::vector<adapter_info> adapters(count);
    int filled = 0;
    buffer.assign(buffer.size(), IP_ADAPTER_INFO());
    buffer_size = size;
    // A list that grew in the meantime no longer fits: the records stay empty.
    if (platform.adapters_info(buffer.data(), &buffer_size) == ERROR_SUCCESS) {
        filled = walk_adapters(buffer.data(), [&](const IP_ADAPTER_INFO& a, int i) {
            if (i >= count) return;
            adapters[i].index = a.Index;
            adapters[i].address_length = a.AddressLength < 8 ? a.AddressLength : 8;
            memcpy(adapters[i].address, a.Address, adapters[i].address_length);
        });
        if (filled > count) filled = count;
    }
    if (filled == 0) return stringx(L"");
    const adapter_info* chosen = &adapters[0];
    for (int i = 1; i < filled; ++i)
        if (adapters[i].index < chosen->index) chosen = &adapters[i];
    std::wstring text;
    for (unsigned i = 0; i < chosen->address_length; ++i) {
        wchar_t pair[3];
        _snwprintf(pair, 2, L"%02X", chosen->address[i]);
        pair[2] = 0;
        text += pair;
    }
    return stringx(text.c_str());
}

stringx get_creation_time(const wchar_t* path, pc_platform& platform) {
    WIN32_FIND_DATAW data;
    if (!path || !*path || !platform.find_file(path, data)) return stringx(L"");
    return format_time(data.ftCreationTime);
}

stringx get_system_folder_time(pc_platform& platform) {
    wchar_t folder[300] = {};
    UINT n = platform.system_directory(folder, 299);
    if (n == 0 || n >= 299) return stringx(L"");
    folder[n] = 0;
    return get_creation_time(folder, platform);
}

stringx get_disk_serial(const wchar_t* drive, pc_platform& platform) {
    if (!drive || !*drive) return stringx(L"");
    std::wstring path = std::wstring(L"\\\\.\\") + drive;
    HANDLE device = platform.open_device(path.c_str());
    if (device == INVALID_HANDLE_VALUE || !device) return stringx(L"");
    stringx serial = ask_disk_serial(platform, device);
    platform.close_device(device);
    return serial;
}

pc_identity pc_identity::collect(HINSTANCE host, pc_platform& platform) {
    pc_identity id;
    id.usermac = get_mac_address(platform);
    id.pc_ostime = get_system_folder_time(platform);

    wchar_t path[521] = {};
    DWORD n = platform.module_file_name(host, path, 520);
    if (n > 520) n = 0;
    path[n] = 0;
    id.program_path = stringx(path);
    std::wstring folder(path);
    size_t slash = folder.rfind(L'\\');
    folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
    id.pc_pgtime = get_creation_time(folder.c_str(), platform);

    wchar_t system_folder[300] = {};
    UINT length = platform.system_directory(system_folder, 299);
    std::wstring drive;
    if (length >= 2 && length < 299)
        drive.assign(system_folder, 2);
    else if (folder.size() >= 2)
        drive = folder.substr(0, 2);
    id.hddidx = get_disk_serial(drive.c_str(), platform);
    return id;
}
