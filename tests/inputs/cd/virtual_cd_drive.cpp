#include "virtual_cd_drive.h"

#include <ntddscsi.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int sector_bytes = 2352;

void put_be16(BYTE* p, int v) {
    p[0] = static_cast<BYTE>(v >> 8);
    p[1] = static_cast<BYTE>(v);
}

void put_be32(BYTE* p, unsigned long v) {
    p[0] = static_cast<BYTE>(v >> 24);
    p[1] = static_cast<BYTE>(v >> 16);
    p[2] = static_cast<BYTE>(v >> 8);
    p[3] = static_cast<BYTE>(v);
}

unsigned long be(const BYTE* p, int n) {
    unsigned long v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

BYTE check_condition(BYTE* sense, int sense_length, BYTE key, BYTE asc, BYTE ascq) {
    BYTE fixed[18] = {0x70, 0, key, 0, 0, 0, 0, 10, 0, 0, 0, 0, asc, ascq};
    if (sense && sense_length > 0) memcpy(sense, fixed, std::min<size_t>(sense_length, sizeof(fixed)));
    return 2;
}

void copy_out(void* data, DWORD length, const std::vector<BYTE>& answer) {
    if (data) memcpy(data, answer.data(), std::min<size_t>(length, answer.size()));
}

}  // namespace

virtual_disc virtual_disc::audio(int n, long sectors_each) {
    virtual_disc d;
    for (int i = 0; i < n; ++i) d.tracks.push_back({i + 1, 0, i * sectors_each});
    d.lead_out = n * sectors_each;
    return d;
}

bool virtual_disc::is_audio(long sector) const {
    for (size_t i = 0; i < tracks.size(); ++i) {
        const long end = i + 1 < tracks.size() ? tracks[i + 1].start : lead_out;
        if (sector >= tracks[i].start && sector < end) return (tracks[i].control & 4) == 0;
    }
    return false;
}

namespace {

unsigned char pattern_byte(unsigned short salt, long long at) {
    if (at < 0) return 0;
    const unsigned long frame = static_cast<unsigned long>(at / 4);
    const unsigned sample = (at % 4) < 2 ? (frame & 0xFFFF) : (((frame >> 16) ^ 0x5A5A ^ salt) & 0xFFFF);
    return static_cast<unsigned char>((at % 2) == 0 ? sample : sample >> 8);
}

}  // namespace

void cd_pattern_bytes(unsigned short salt, long long offset, unsigned char* out, size_t n) {
    size_t i = 0;
    for (; i < n && (offset + static_cast<long long>(i) < 0 || (offset + static_cast<long long>(i)) % 4 != 0);
         ++i)
        out[i] = pattern_byte(salt, offset + static_cast<long long>(i));
    unsigned long frame = static_cast<unsigned long>((offset + static_cast<long long>(i)) / 4);
    for (; i + 4 <= n; i += 4, ++frame) {
        const unsigned right = ((frame >> 16) ^ 0x5A5A ^ salt) & 0xFFFF;
        out[i] = static_cast<unsigned char>(frame);
        out[i + 1] = static_cast<unsigned char>(frame >> 8);
        out[i + 2] = static_cast<unsigned char>(right);
        out[i + 3] = static_cast<unsigned char>(right >> 8);
    }
    for (; i < n; ++i) out[i] = pattern_byte(salt, offset + static_cast<long long>(i));
}

void virtual_cd_drive::disc_bytes(long long offset, unsigned char* out, size_t n) const {
    cd_pattern_bytes(salt, offset, out, n);
    // Data sectors: 0xAA, a sector at a time.
    const long long end = offset + static_cast<long long>(n);
    for (long long at = std::max<long long>(offset, 0); at < end;) {
        const long sector = static_cast<long>(at / sector_bytes);
        const long long sector_end =
            std::min<long long>(static_cast<long long>(sector + 1) * sector_bytes, end);
        if (sector < disc.lead_out && !disc.is_audio(sector))
            memset(out + (at - offset), 0xAA, static_cast<size_t>(sector_end - at));
        at = sector_end;
    }
}

std::vector<unsigned char> virtual_cd_drive::sectors(long first, long count) const {
    std::vector<unsigned char> bytes(static_cast<size_t>(count) * sector_bytes);
    disc_bytes(static_cast<long long>(first) * sector_bytes, bytes.data(), bytes.size());
    return bytes;
}

std::vector<scsi_command> virtual_cd_drive::commands(BYTE opcode) const {
    std::vector<scsi_command> found;
    for (const scsi_command& c : log)
        if (!c.cdb.empty() && c.cdb[0] == opcode) found.push_back(c);
    return found;
}

int virtual_cd_drive::next_jitter() {
    seed = seed * 1103515245u + 12345u;
    const int range = 2 * jitter_steps + 1;
    return (static_cast<int>((seed >> 16) % static_cast<unsigned>(range)) - jitter_steps) * 4;
}

BYTE virtual_cd_drive::execute(const BYTE* cdb, int cdb_length, int direction, void* data, DWORD length,
                               BYTE* sense, int sense_length) {
    scsi_command record{std::vector<BYTE>(cdb, cdb + cdb_length), direction, length, {}};
    if (direction == SCSI_IOCTL_DATA_OUT && data)
        record.data_out.assign(static_cast<BYTE*>(data), static_cast<BYTE*>(data) + length);
    log.push_back(record);

    switch (cdb[0]) {
        case 0x12: {  // INQUIRY
            std::vector<BYTE> answer(36, ' ');
            answer[0] = static_cast<BYTE>(device_type);
            answer[1] = 0x80;
            answer[2] = 0x02;
            answer[3] = 0x02;
            answer[4] = 31;
            answer[5] = answer[6] = answer[7] = 0;
            memcpy(answer.data() + 8, vendor.data(), std::min<size_t>(vendor.size(), 8));
            memcpy(answer.data() + 16, product.data(), std::min<size_t>(product.size(), 16));
            memcpy(answer.data() + 32, "1.00", 4);
            copy_out(data, std::min<DWORD>(length, cdb[4]), answer);
            return 0;
        }
        case 0x43: {  // READ TOC
            if (!medium) return check_condition(sense, sense_length, 2, 0x3A, 0);
            const DWORD allocation = be(cdb + 7, 2);
            std::vector<BYTE> answer(4);
            if ((cdb[2] & 0x0F) == 5) {
                if (disc.cd_text.empty()) return check_condition(sense, sense_length, 5, 0x24, 0);
                answer.resize(4 + disc.cd_text.size());
                memcpy(answer.data() + 4, disc.cd_text.data(), disc.cd_text.size());
            } else {
                for (const virtual_track& t : disc.tracks) {
                    BYTE d[8] = {0, static_cast<BYTE>(0x10 | t.control), static_cast<BYTE>(t.number), 0};
                    put_be32(d + 4, static_cast<unsigned long>(t.start));
                    answer.insert(answer.end(), d, d + 8);
                }
                BYTE lead_out[8] = {0, 0x10, 0xAA, 0};
                put_be32(lead_out + 4, static_cast<unsigned long>(disc.lead_out));
                answer.insert(answer.end(), lead_out, lead_out + 8);
                answer[2] = disc.tracks.empty() ? 0 : static_cast<BYTE>(disc.tracks.front().number);
                answer[3] = disc.tracks.empty() ? 0 : static_cast<BYTE>(disc.tracks.back().number);
            }
            put_be16(answer.data(), static_cast<int>(answer.size()) - 2);
            copy_out(data, std::min(length, allocation), answer);
            return 0;
        }
        case 0x15:    // MODE SELECT(6)
        case 0x55: {  // MODE SELECT(10)
            const int header = cdb[0] == 0x15 ? 4 : 8;
            const BYTE* list = static_cast<BYTE*>(data);
            if (list && length >= static_cast<DWORD>(header + 8) && list[header - 1] == 8)
                block_size = static_cast<int>(be(list + header + 5, 3));
            return 0;
        }
        case 0xBB:  // SET CD SPEED
        case 0x1E:  // PREVENT ALLOW MEDIUM REMOVAL
        case 0x00:  // TEST UNIT READY
            return 0;
        case 0xBE:
        case 0x28:
        case 0xD4:
        case 0xD8:
        case 0xD5:
        case 0xA8:
            return read(cdb, cdb_length, data, length, sense, sense_length);
        default:
            return check_condition(sense, sense_length, 5, 0x20, 0);
    }
}

BYTE virtual_cd_drive::read(const BYTE* cdb, int cdb_length, void* data, DWORD length, BYTE* sense,
                            int sense_length) {
    if (!medium) return check_condition(sense, sense_length, 2, 0x3A, 0);
    const long lba = static_cast<long>(be(cdb + 2, 4));
    long count = 0;
    if (cdb_length == 10)
        count = static_cast<long>(be(cdb + 7, 2));
    else if (cdb[0] == 0xBE)
        count = static_cast<long>(be(cdb + 6, 3));
    else
        count = static_cast<long>(be(cdb + 6, 4));
    if ((cdb[0] == 0x28 || cdb[0] == 0xA8) && block_size != sector_bytes)
        return check_condition(sense, sense_length, 5, 0x64, 0);  // illegal mode for this track
    if (lba < 0 || lba + count > disc.lead_out) return check_condition(sense, sense_length, 5, 0x21, 0);
    for (long s = lba; s < lba + count; ++s)
        if (bad_sectors.count(s)) return check_condition(sense, sense_length, 3, 0x11, 5);
    const int shift = reads > 0 && jitter_steps > 0 ? next_jitter() : 0;
    ++reads;
    const size_t n = std::min<size_t>(length, static_cast<size_t>(count) * sector_bytes);
    if (!data || n == 0) return 0;
    auto* out = static_cast<unsigned char*>(data);
    disc_bytes(static_cast<long long>(lba) * sector_bytes + shift, out, n);
    if (big_endian)
        for (size_t i = 0; i + 1 < n; i += 2) std::swap(out[i], out[i + 1]);
    return 0;
}
