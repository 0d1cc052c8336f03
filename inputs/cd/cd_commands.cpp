// The SCSI commands of the extractor, to the current drive, with the layouts
// that its settings select.
#include <algorithm>
#include <cstring>

#include "aspi_srb.h"
#include "cd_extractor.h"

namespace {

constexpr int toc_bytes = 2048;

void put_be32(BYTE* p, unsigned long v) {
    p[0] = static_cast<BYTE>(v >> 24);
    p[1] = static_cast<BYTE>(v >> 16);
    p[2] = static_cast<BYTE>(v >> 8);
    p[3] = static_cast<BYTE>(v);
}

void put_be16(BYTE* p, int v) {
    p[0] = static_cast<BYTE>(v >> 8);
    p[1] = static_cast<BYTE>(v);
}

int be16(const BYTE* p) { return (p[0] << 8) | p[1]; }

BYTE lun_bits(const cd_drive_settings& d) { return static_cast<BYTE>(d.lun << 5); }

}  // namespace

int cd_read_command(int read_method, int lun, unsigned long lba, int count, BYTE cdb[12]) {
    // opcode, command length, first byte of the two count bytes, extra bits
    // of byte 1, byte 9.
    struct layout {
        BYTE opcode;
        int length;
        int count_at;
        BYTE byte1;
        BYTE byte9;
    };
    static const layout layouts[10] = {
        {0xBE, 12, 7, 0, 0xF8},  // 0: READ CD
        {0x28, 10, 7, 0, 0},     // 1: READ(10)
        {0xD4, 10, 7, 0, 0},     // 2
        {0xD8, 12, 8, 0, 0},     // 3
        {0xBE, 12, 7, 4, 0xF8},  // 4
        {0xBE, 12, 7, 0, 0x10},  // 5
        {0xD4, 12, 8, 0, 0},     // 6
        {0xD5, 10, 7, 0, 0},     // 7
        {0xA8, 12, 8, 0, 0},     // 8: READ(12)
        {0xBE, 12, 7, 4, 0x10},  // 9
    };
    memset(cdb, 0, 12);
    cdb[1] = static_cast<BYTE>(lun << 5);
    put_be32(cdb + 2, lba);
    if (read_method < 0 || read_method > 9) return 10;  // opcode 0, no count
    const layout& l = layouts[read_method];
    cdb[0] = l.opcode;
    cdb[1] |= l.byte1;
    put_be16(cdb + l.count_at, count);
    if (l.byte9) cdb[9] = l.byte9;
    return l.length;
}

void cd_extractor::read_toc() {
    cd_toc& toc = tocs[current];
    toc.count = 0;
    // Zeroed first: a drive that fails the request leaves nothing behind
    // that could pass for a table.
    std::vector<BYTE> answer(toc_bytes, 0);
    const BYTE cdb[10] = {0x43, lun_bits(drive()), 0, 0, 0, 0, 1, toc_bytes >> 8, toc_bytes & 0xFF, 0};
    if (send_request(true, cdb, 10, answer.data(), toc_bytes) != aspi::status_completed) return;
    const int descriptors = std::min(std::max((be16(answer.data()) - 2) / 8, 0), (toc_bytes - 4) / 8);
    for (int i = 0; i < descriptors; ++i) {
        const BYTE* d = answer.data() + 4 + 8 * i;
        toc.control[i] = d[1];
        toc.track[i] = d[2];
        toc.start[i] = (static_cast<unsigned>(d[4]) << 24) | (d[5] << 16) | (d[6] << 8) | d[7];
    }
    toc.count = descriptors;
}

int cd_extractor::read_cd_text(unsigned char* buffer, int size, int& length) {
    length = 0;
    if (!buffer || drive().cd_text != 1) return 1;
    BYTE header[4] = {};
    BYTE cdb[10] = {0x43, lun_bits(drive()), 5, 0, 0, 0, 1, 0x00, 0x04, 0};
    if (send_request(true, cdb, 10, header, sizeof(header)) != aspi::status_completed) return 1;
    const int n = be16(header) + 2;
    if (n > size || n < 4) return 1;
    memset(buffer, 0, static_cast<size_t>(n));
    put_be16(cdb + 7, n);
    if (send_request(true, cdb, 10, buffer, static_cast<DWORD>(n)) != aspi::status_completed) return 1;
    length = n;
    return 0;
}

void cd_extractor::mode_select_block_size(int size) {
    const cd_drive_settings& d = drive();
    // Block descriptor, then the speed page of methods 4 and 5.
    BYTE list[16] = {static_cast<BYTE>(size == 2048 ? 0x81 : d.density),
                     0,
                     0,
                     0,
                     0,
                     0,
                     static_cast<BYTE>(size >> 8),
                     static_cast<BYTE>(size)};
    int n = 8;
    if (size != 2048 && d.speed >= 1) {
        if (d.speed_method == 4) {
            const BYTE page[3] = {0x20, 0x01, static_cast<BYTE>(d.speed > 1 ? 0x11 : 0x10)};
            memcpy(list + n, page, sizeof(page));
            n += sizeof(page);
        } else if (d.speed_method == 5) {
            const BYTE s = static_cast<BYTE>(d.speed > 1 ? std::min(d.speed, 4) : 1);
            const BYTE page[8] = {0x23, 0x06, s, 0x01, s, 0, 0, 0};
            memcpy(list + n, page, sizeof(page));
            n += sizeof(page);
        }
    }
    const BYTE byte1 = static_cast<BYTE>(lun_bits(d) | (n > 8 ? 0x10 : 0));
    BYTE data[8 + sizeof(list)] = {};
    if (d.atapi == 0) {
        data[3] = 8;
        memcpy(data + 4, list, static_cast<size_t>(n));
        const BYTE cdb[6] = {0x15, byte1, 0, 0, static_cast<BYTE>(n + 4), 0};
        send_request(false, cdb, 6, data, static_cast<DWORD>(n + 4));
    } else {
        data[7] = 8;
        memcpy(data + 8, list, static_cast<size_t>(n));
        const BYTE cdb[10] = {0x55, byte1, 0, 0, 0, 0, 0, 0, static_cast<BYTE>(n + 8), 0};
        send_request(false, cdb, 10, data, static_cast<DWORD>(n + 8));
    }
}

void cd_extractor::set_speed(int speed) {
    if (speed <= 0) return;
    const cd_drive_settings& d = drive();
    if (d.speed_method == 1) {
        const int rate = speed >= 48 ? 0xFFFF : speed * 176;  // kB/s
        const BYTE cdb[12] = {0xBB, lun_bits(d), static_cast<BYTE>(rate >> 8), static_cast<BYTE>(rate),
                              0xFF, 0xFF};
        send_request(false, cdb, 12, nullptr, 0);
    } else if (d.speed_method == 2) {
        BYTE data[8] = {0, 0, 0, 0, 0x31, 2, static_cast<BYTE>(speed <= 4 ? speed / 2 : 4), 0};
        const BYTE cdb[6] = {0x15, 0x10, 0, 0, 8, 0};
        send_request(false, cdb, 6, data, sizeof(data));
    }
}

void cd_extractor::lock_medium(bool lock) {
    const BYTE cdb[6] = {0x1E, lun_bits(drive()), 0, 0, static_cast<BYTE>(lock ? 1 : 0), 0};
    send_request(false, cdb, 6, nullptr, 0);
}

bool cd_extractor::read_sectors(unsigned char* buffer, int buffer_bytes, long start, int count) {
    if (!buffer || buffer_bytes <= 0) return false;
    const cd_drive_settings& d = drive();
    memset(buffer, 0, static_cast<size_t>(buffer_bytes));
    BYTE cdb[12];
    const int length = cd_read_command(d.read_method, d.lun, static_cast<unsigned long>(start), count, cdb);
    if (send_request(true, cdb, length, buffer, static_cast<DWORD>(buffer_bytes)) != aspi::status_completed) {
        memset(buffer, 0, static_cast<size_t>(buffer_bytes));
        return false;
    }
    const long long n =
        std::min<long long>(static_cast<long long>(count) * cd_sector_bytes, buffer_bytes) & ~3LL;
    if (d.endian == 0)
        for (long long i = 0; i < n; i += 2) std::swap(buffer[i], buffer[i + 1]);
    if (d.swap_channels)
        for (long long i = 0; i < n; i += 4) {
            std::swap(buffer[i], buffer[i + 2]);
            std::swap(buffer[i + 1], buffer[i + 3]);
        }
    return true;
}
