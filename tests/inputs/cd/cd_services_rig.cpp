#include "cd_services_rig.h"

#include "input.h"

unsigned cd_disc_id_of(const virtual_disc& disc) {
    std::vector<cd_disc_track> entries;
    for (const virtual_track& t : disc.tracks) {
        cd_disc_track e;
        e.start_sector = static_cast<int>(t.start);
        e.control = static_cast<unsigned char>(0x10 | t.control);
        e.track_number = static_cast<unsigned char>(t.number);
        entries.push_back(e);
    }
    cd_disc_track lead_out;
    lead_out.start_sector = static_cast<int>(disc.lead_out);
    lead_out.control = 0x10;
    lead_out.track_number = cd_disc::lead_out_number;
    entries.push_back(lead_out);
    return cd_disc::compute_disc_id(entries, static_cast<int>(disc.tracks.size()));
}

std::vector<unsigned char> cd_read_all(input& in, size_t limit, int step) {
    std::vector<unsigned char> out;
    std::vector<unsigned char> buffer(static_cast<size_t>(step));
    while (out.size() < limit) {
        const int n = in.read(buffer.data(), step);
        if (n < 0) break;
        out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    }
    return out;
}
