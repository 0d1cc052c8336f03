// The PC identity against a platform of fixtures: adapter lists as the IP
// Helper gives them, folder times, and disks that answer or refuse the
// identify command.
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>
#include <cstring>
#include <cwctype>
#include <map>
#include <string>
#include <vector>
#include "pc_identity.h"
#include "pc_platform.h"

namespace {

struct fake_adapter {
    unsigned index;
    std::vector<unsigned char> address;
};

class fixture_platform : public pc_platform {
public:
    // Adapters.
    std::vector<fake_adapter> adapters;
    ULONG first_error = 0;  // the size query answers this instead when set
    int grow_at_call = 0;   // from this call on (1-based) the list has one adapter more
    int shrink_at_call = 0;  // from this call on the list has lost its last adapter
    int adapter_calls = 0;
    // Folders.
    std::map<std::wstring, FILETIME> created;
    std::wstring system_folder = L"C:\\windows\\system32";
    std::wstring module_path = L"C:\\Program Files\\ZEL\\zel_player.exe";
    // The disk.
    bool opens = true;
    bool extents_ok = true;
    bool version_ok = true;
    bool identify_ok = true;
    DWORD disk_number = 0;
    unsigned char device_map = 0x01;
    std::string serial = "WD-12345";  // padded with blanks to 20 characters
    std::vector<std::wstring> opened;
    std::vector<unsigned char> command;  // the identify command as sent
    int open_handles = 0;

    ULONG adapters_info(IP_ADAPTER_INFO* list, ULONG* size) override {
        ++adapter_calls;
        std::vector<fake_adapter> now = adapters;
        if (grow_at_call && adapter_calls >= grow_at_call) now.push_back({1, {9, 9, 9, 9, 9, 9}});
        if (shrink_at_call && adapter_calls >= shrink_at_call && !now.empty()) now.pop_back();
        if (adapter_calls == 1 && first_error) return first_error;
        if (now.empty()) return ERROR_NO_DATA;
        ULONG needed = static_cast<ULONG>(now.size() * sizeof(IP_ADAPTER_INFO));
        if (!list || *size < needed) {
            *size = needed;
            return ERROR_BUFFER_OVERFLOW;
        }
        memset(list, 0, needed);
        for (size_t i = 0; i < now.size(); ++i) {
            list[i].Next = i + 1 < now.size() ? &list[i + 1] : nullptr;
            list[i].Index = now[i].index;
            list[i].AddressLength = static_cast<UINT>(now[i].address.size());
            memcpy(list[i].Address, now[i].address.data(),
                   now[i].address.size() < MAX_ADAPTER_ADDRESS_LENGTH ? now[i].address.size()
                                                                      : MAX_ADAPTER_ADDRESS_LENGTH);
        }
        return ERROR_SUCCESS;
    }

    bool find_file(const wchar_t* path, WIN32_FIND_DATAW& data) override {
        auto found = created.find(path);
        if (found == created.end()) return false;
        memset(&data, 0, sizeof(data));
        data.ftCreationTime = found->second;
        return true;
    }

    UINT system_directory(wchar_t* buffer, UINT size) override {
        if (system_folder.empty() || system_folder.size() >= size) return 0;
        wcscpy(buffer, system_folder.c_str());
        return static_cast<UINT>(system_folder.size());
    }

    DWORD module_file_name(HMODULE, wchar_t* buffer, DWORD size) override {
        DWORD n = static_cast<DWORD>(module_path.size() < size ? module_path.size() : size);
        memcpy(buffer, module_path.c_str(), n * sizeof(wchar_t));
        if (n < size) buffer[n] = 0;
        return n;
    }

    HANDLE open_device(const wchar_t* path) override {
        opened.push_back(path);
        if (!opens) return INVALID_HANDLE_VALUE;
        ++open_handles;
        return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x1234));
    }

    bool device_control(HANDLE, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size) override {
        unsigned char* bytes = static_cast<unsigned char*>(out);
        memset(bytes, 0, out_size);
        if (code == IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS) {
            if (!extents_ok || out_size < 32) return false;
            bytes[0] = 1;
            memcpy(bytes + 8, &disk_number, 4);
            return true;
        }
        if (code == SMART_GET_VERSION) {
            if (!version_ok || out_size < 24) return false;
            bytes[3] = device_map;
            return true;
        }
        if (code == SMART_RCV_DRIVE_DATA) {
            command.assign(static_cast<unsigned char*>(in), static_cast<unsigned char*>(in) + in_size);
            if (!identify_ok || out_size < 528) return false;
            std::string padded = serial;
            padded.resize(20, ' ');
            for (int i = 0; i < 10; ++i) {  // words 10-19, high byte first
                bytes[16 + 20 + 2 * i] = static_cast<unsigned char>(padded[2 * i + 1]);
                bytes[16 + 20 + 2 * i + 1] = static_cast<unsigned char>(padded[2 * i]);
            }
            return true;
        }
        return false;
    }

    void close_device(HANDLE) override { --open_handles; }
};

FILETIME utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

std::wstring text(const stringx& s) { return s.wvalue(); }

}  // namespace

TEST(pc_identity, mac_text_of_the_adapter_with_the_lowest_index) {
    struct {
        const char* name;
        std::vector<fake_adapter> adapters;
        ULONG first_error;
        int grow_at_call;
        const wchar_t* mac;
    } cases[] = {
        {"no adapter", {}, 0, 0, L"NON_MAC"},
        {"the first query fails", {{4, {1, 2, 3, 4, 5, 6}}}, ERROR_NOT_SUPPORTED, 0, L"NON_MAC"},
        {"one adapter", {{4, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}}}, 0, 0, L"001A2B3C4D5E"},
        {"indexes 12 and 7", {{12, {1, 1, 1, 1, 1, 1}}, {7, {0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54}}}, 0, 0,
         L"FEDCBA987654"},
        {"indexes 7 and 12", {{7, {0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54}}, {12, {1, 1, 1, 1, 1, 1}}}, 0, 0,
         L"FEDCBA987654"},
        {"equal indexes: the first in list order", {{3, {0xaa, 0, 0, 0, 0, 1}}, {3, {0xbb, 0, 0, 0, 0, 2}}}, 0, 0,
         L"AA0000000001"},
        {"an eight-byte address", {{2, {1, 2, 3, 4, 5, 6, 7, 8}}}, 0, 0, L"0102030405060708"},
        // A length beyond the eight bytes of the address field is not
        // trusted: reading on would take bytes of the next fields.
        {"an address length beyond the field", {{2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}}, 0, 0, L"0102030405060708"},
        {"the list grows before it is filled", {{5, {1, 2, 3, 4, 5, 6}}}, 0, 3, L""},
        {"the list grows before it is counted", {{5, {1, 2, 3, 4, 5, 6}}}, 0, 2, L"NON_MAC"},
    };
    for (const auto& c : cases) {
        fixture_platform platform;
        platform.adapters = c.adapters;
        platform.first_error = c.first_error;
        platform.grow_at_call = c.grow_at_call;
        EXPECT_EQ(text(get_mac_address(platform)), c.mac) << c.name;
    }

    // An adapter gone before the list is filled leaves a record unfilled; it
    // takes no part in the choice (its index would read as 0, the lowest).
    fixture_platform shrinking;
    shrinking.adapters = {{12, {0xaa, 1, 2, 3, 4, 5}}, {7, {0xbb, 1, 2, 3, 4, 5}}};
    shrinking.shrink_at_call = 3;
    EXPECT_EQ(text(get_mac_address(shrinking)), L"AA0102030405");
}

TEST(pc_identity, folder_times_are_utc_texts) {
    // Whatever the local time zone (the tests run in KST, UTC+9), the text
    // is the UTC creation time.
    fixture_platform platform;
    platform.created[L"C:\\windows\\system32"] = utc(2009, 1, 2, 8, 5, 9);
    platform.created[L"C:\\Program Files\\ZEL"] = utc(2012, 3, 15, 9, 30, 0);
    EXPECT_EQ(text(get_system_folder_time(platform)), L"20090102_080509");
    EXPECT_EQ(text(get_creation_time(L"C:\\Program Files\\ZEL", platform)), L"20120315_093000");
    EXPECT_EQ(text(get_creation_time(L"C:\\missing", platform)), L"");
    EXPECT_EQ(text(get_creation_time(L"", platform)), L"");
    EXPECT_EQ(text(get_creation_time(nullptr, platform)), L"");
    platform.system_folder.clear();  // the system folder cannot be read
    EXPECT_EQ(text(get_system_folder_time(platform)), L"");
}

TEST(pc_identity, disk_serial_from_the_identify_data) {
    struct {
        const char* name;
        DWORD disk;
        unsigned char device_map;
        std::string serial;
        const wchar_t* expected;
        unsigned char drive_head;
        unsigned char command;
    } cases[] = {
        {"first disk", 0, 0x01, "WD-12345", L"WD-12345", 0xA0, 0xEC},
        {"leading blanks stay, trailing ones go", 0, 0x01, "  AB12CD   ", L"  AB12CD", 0xA0, 0xEC},
        {"all blanks leave one", 0, 0x01, "", L" ", 0xA0, 0xEC},
        {"odd disk number", 1, 0x03, "S1", L"S1", 0xB0, 0xEC},
        {"an ATAPI device", 1, 0x20, "CD1", L"CD1", 0xB0, 0xA1},
        {"a disk number beyond the map", 40, 0xff, "X", L"X", 0xA0, 0xEC},
    };
    for (const auto& c : cases) {
        fixture_platform platform;
        platform.disk_number = c.disk;
        platform.device_map = c.device_map;
        platform.serial = c.serial;
        EXPECT_EQ(text(get_disk_serial(L"C:", platform)), c.expected) << c.name;
        ASSERT_EQ(platform.opened, std::vector<std::wstring>{L"\\\\.\\C:"}) << c.name;
        EXPECT_EQ(platform.open_handles, 0) << c.name;
        ASSERT_EQ(platform.command.size(), 32u) << c.name;
        DWORD buffer_size;
        memcpy(&buffer_size, platform.command.data(), 4);
        EXPECT_EQ(buffer_size, 512u) << c.name;
        const unsigned char registers[] = {0, 1, 1, 0, 0, c.drive_head, c.command};
        EXPECT_EQ(memcmp(platform.command.data() + 4, registers, sizeof(registers)), 0) << c.name;
        EXPECT_EQ(platform.command[12], static_cast<unsigned char>(c.disk)) << c.name;
    }
}

TEST(pc_identity, disk_serial_is_empty_when_the_disk_cannot_be_asked) {
    // Wine answers SMART_GET_VERSION with an error: the serial is empty.
    struct {
        const char* name;
        bool opens, extents_ok, version_ok, identify_ok;
        unsigned char device_map;
    } cases[] = {
        {"the volume cannot be opened", false, true, true, true, 1},
        {"no disk extents", true, false, true, true, 1},
        {"no SMART version", true, true, false, true, 1},
        {"an empty device map", true, true, true, true, 0},
        {"the identify command fails", true, true, true, false, 1},
    };
    for (const auto& c : cases) {
        fixture_platform platform;
        platform.opens = c.opens;
        platform.extents_ok = c.extents_ok;
        platform.version_ok = c.version_ok;
        platform.identify_ok = c.identify_ok;
        platform.device_map = c.device_map;
        EXPECT_EQ(text(get_disk_serial(L"C:", platform)), L"") << c.name;
        EXPECT_EQ(platform.open_handles, 0) << c.name;  // closed in every case
    }
    fixture_platform platform;
    EXPECT_EQ(text(get_disk_serial(L"", platform)), L"");
    EXPECT_TRUE(platform.opened.empty());
}

TEST(pc_identity, start_up_collects_the_four_values) {
    fixture_platform platform;
    platform.adapters = {{9, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}}};
    platform.created[L"C:\\windows\\system32"] = utc(2009, 1, 2, 8, 5, 9);
    platform.created[L"C:\\Program Files\\ZEL"] = utc(2012, 3, 15, 9, 30, 0);
    platform.serial = "SN1";
    pc_identity id = pc_identity::collect(nullptr, platform);
    EXPECT_EQ(text(id.usermac), L"001A2B3C4D5E");
    EXPECT_EQ(text(id.pc_ostime), L"20090102_080509");
    EXPECT_EQ(text(id.pc_pgtime), L"20120315_093000");
    EXPECT_EQ(text(id.hddidx), L"SN1");
    EXPECT_EQ(text(id.program_path), L"C:\\Program Files\\ZEL\\zel_player.exe");
    EXPECT_EQ(platform.opened, std::vector<std::wstring>{L"\\\\.\\C:"});

    // Without the system folder the disk of the program folder is asked.
    fixture_platform other;
    other.system_folder.clear();
    other.module_path = L"D:\\zel\\zel_player.exe";
    pc_identity second = pc_identity::collect(nullptr, other);
    EXPECT_EQ(text(second.usermac), L"NON_MAC");
    EXPECT_EQ(text(second.pc_ostime), L"");
    EXPECT_EQ(text(second.pc_pgtime), L"");
    EXPECT_EQ(other.opened, std::vector<std::wstring>{L"\\\\.\\D:"});
}

TEST(pc_identity, the_system_gives_well_formed_values) {
    pc_identity id = pc_identity::collect(GetModuleHandleW(nullptr));
    std::wstring mac = text(id.usermac);
    if (mac != L"NON_MAC") {
        EXPECT_EQ(mac.size() % 2, 0u);
        for (wchar_t c : mac) EXPECT_TRUE(iswdigit(c) || (c >= L'A' && c <= L'F'));
    }
    std::wstring os_time = text(id.pc_ostime);
    ASSERT_EQ(os_time.size(), 15u);
    EXPECT_EQ(os_time[8], L'_');
    EXPECT_EQ(text(id.pc_pgtime).size(), 15u);
    EXPECT_FALSE(text(id.program_path).empty());
}
