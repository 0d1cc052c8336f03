#pragma once
// The CD extraction layer over the fake device layer: virtual drives on
// chosen letters and addresses, the extractor started over the
// pass-through, and helpers that rip whole ranges. The extractor is ended
// when the rig goes.
#include <deque>
#include <vector>

#include "cd_ripper.h"
#include "fake_cd_device_io.h"
#include "virtual_cd_drive.h"

class cd_test_rig {
public:
    ~cd_test_rig() { cd_ripper::deinit(); }

    // A virtual drive of this model on the letter and address.
    virtual_cd_drive& add(wchar_t letter, int port, int target, const char* product = "VIRTUAL CD-ROM  ",
                          bool address_supported = true, int lun = 0) {
        drives_.emplace_back();
        virtual_cd_drive& d = drives_.back();
        d.product = product;
        d.salt = static_cast<unsigned short>(drives_.size() * 0x1111);
        io.add(letter, d, port, target, lun, address_supported);
        return d;
    }

    int start() { return cd_ripper::init(cd_ripper::transport_passthrough); }

    // The current drive's settings changed by f, written back.
    template <typename F>
    void change_settings(F f) {
        cd_drive_settings s;
        cd_ripper::get_drive_settings(s);
        f(s);
        cd_ripper::set_drive_settings(s);
    }

    struct rip_result {
        std::vector<unsigned char> audio;
        std::vector<int> results;  // of every chunk, the final 4 included
        std::vector<int> sizes;    // bytes of every chunk
    };

    // Rips the sectors first .. last of the current drive to the end.
    static rip_result rip(unsigned first, unsigned last, int* abort = nullptr) {
        rip_result r;
        int chunk_bytes = 0;
        if (cd_ripper::open_ripper(chunk_bytes, first, last) != 0) return r;
        std::vector<unsigned char> chunk(static_cast<size_t>(chunk_bytes));
        for (int i = 0; i < 100000; ++i) {
            int bytes = 0;
            const int result = cd_ripper::rip_chunk(chunk.data(), bytes, abort);
            r.results.push_back(result);
            r.sizes.push_back(bytes);
            r.audio.insert(r.audio.end(), chunk.begin(), chunk.begin() + bytes);
            if (result == cd_ripper::chunk_end || result == cd_ripper::failed) break;
        }
        cd_ripper::close_ripper();
        return r;
    }

    fake_cd_device_io io;

private:
    std::deque<virtual_cd_drive> drives_;
};
