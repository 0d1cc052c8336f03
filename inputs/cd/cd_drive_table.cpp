#include "cd_drive_table.h"

#include <cwchar>
#include <cwctype>

#include "aspi_manager.h"
#include "cd_ripper.h"
#include "critsec.h"

namespace cd_drive_table {

namespace {

struct table_state {
    critsec lock;
    std::vector<cd_disc*> discs;  // one per drive, by index
    cd_drive_record records[max_drives];
    bool initialised = false;
    int extractor_users = 0;
    bool extractor_available = false;
    bool extractor_failed = false;
};

table_state g_table;

bool start_extractor() {
    if (g_table.extractor_failed) return false;
    if (cd_ripper::init(cd_ripper::transport_passthrough) != cd_ripper::ok) {
        g_table.extractor_failed = true;
        return false;
    }
    return true;
}

// Makes the drive current (the one already current is used as it is); a
// drive that cannot be updated gives the previous one back.
bool make_current(int index) {
    const int remembered = cd_ripper::current_drive();
    if (index == remembered) return true;
    cd_ripper::select_drive(index);
    if (cd_ripper::update_drive() == cd_ripper::ok) return true;
    cd_ripper::select_drive(remembered);
    cd_ripper::update_drive();
    return false;
}

}  // namespace

critsec& lock() { return g_table.lock; }

bool extractor_hold::acquire() {
    auto_sync guard(g_table.lock);
    if (!held_) {
        held_ = true;
        if (g_table.extractor_users++ == 0) g_table.extractor_available = start_extractor();
    }
    return g_table.extractor_available;
}

void extractor_hold::release() {
    auto_sync guard(g_table.lock);
    if (!held_) return;
    held_ = false;
    if (--g_table.extractor_users == 0 && !g_table.extractor_failed) {
        cd_ripper::deinit();
        g_table.extractor_available = false;
    }
}

void init() {
    auto_sync guard(g_table.lock);
    if (g_table.initialised) return;
    extractor_hold hold;
    if (!hold.acquire()) return;
    g_table.initialised = true;
    for (cd_drive_record& r : g_table.records) r = cd_drive_record();
    const int count = cd_ripper::drive_count();
    for (int i = 0; i < count && i < max_drives; ++i) g_table.discs.push_back(new cd_disc());
}

cd_disc* open_disc(unsigned index) {
    auto_sync guard(g_table.lock);
    init();
    if (index >= g_table.discs.size() || index >= static_cast<unsigned>(max_drives)) return nullptr;
    if (!make_current(static_cast<int>(index))) return nullptr;
    cd_drive_record& r = g_table.records[index];
    if (!r.disc || r.use_count < 1) {
        r.disc = g_table.discs[index];
        r.use_count = 0;
    }
    r.disc->read_toc();
    ++r.use_count;
    if (r.disc->disc_id() != r.titles_disc_id) {
        r.titles.clear();
        r.titles_disc_id = r.disc->disc_id();
    }
    return r.disc;
}

void release_disc(cd_disc* disc) {
    if (!disc) return;
    auto_sync guard(g_table.lock);
    for (cd_drive_record& r : g_table.records) {
        if (r.disc != disc) continue;
        if (--r.use_count <= 0) {
            r.use_count = 0;
            r.disc = nullptr;
        }
        return;
    }
}

cd_disc* find_disc(unsigned disc_id) {
    auto_sync guard(g_table.lock);
    for (unsigned i = 0; i < g_table.discs.size(); ++i) {
        cd_disc* disc = open_disc(i);
        if (disc && disc->disc_id() == disc_id) return disc;
        release_disc(disc);
    }
    return nullptr;
}

int index_of_disc(unsigned disc_id) {
    auto_sync guard(g_table.lock);
    cd_disc* disc = find_disc(disc_id);
    if (!disc) return -1;
    const int index = index_of(disc);
    release_disc(disc);
    return index;
}

wchar_t drive_letter(int index) {
    auto_sync guard(g_table.lock);
    if (index < 0 || index >= cd_ripper::drive_count()) return 0;
    cd_current_drive keep;
    cd_ripper::select_drive(index);
    cd_ripper::update_drive();
    cd_drive_settings s;
    if (cd_ripper::get_drive_settings(s) != cd_ripper::ok) return 0;
    return static_cast<wchar_t>(L'A' + aspi_manager::letter_of_drive(s.adapter, s.target, s.lun));
}

int drive_index(const wchar_t* letter) {
    auto_sync guard(g_table.lock);
    if (!letter) return -1;
    const int count = cd_ripper::drive_count();
    for (int i = 0; i < count; ++i) {
        const wchar_t own[2] = {drive_letter(i), 0};
        if (own[0] && _wcsicmp(own, letter) == 0) return i;
    }
    return -1;
}

bool select_drive(int index) {
    auto_sync guard(g_table.lock);
    return index >= 0 && index < cd_ripper::drive_count() && make_current(index);
}

released_lock::released_lock() {
    // Entering once more tells how deeply this thread holds the lock.
    const int held = g_table.lock.enter();
    depth_ = held - 1;
    for (int i = 0; i < held; ++i) g_table.lock.leave();
}

released_lock::~released_lock() {
    for (int i = 0; i < depth_; ++i) g_table.lock.enter();
}

cd_drive_record* record(int index) {
    return index >= 0 && index < max_drives ? &g_table.records[index] : nullptr;
}

int index_of(const cd_disc* disc) {
    auto_sync guard(g_table.lock);
    for (int i = 0; disc && i < max_drives; ++i)
        if (g_table.records[i].disc == disc) return i;
    return -1;
}

void delete_discs() {
    auto_sync guard(g_table.lock);
    for (cd_drive_record& r : g_table.records) {
        r.disc = nullptr;
        r.use_count = 0;
    }
    for (cd_disc* disc : g_table.discs) delete disc;
    g_table.discs.clear();
}

int extractor_users() {
    auto_sync guard(g_table.lock);
    return g_table.extractor_users;
}

bool extractor_failed() {
    auto_sync guard(g_table.lock);
    return g_table.extractor_failed;
}

}  // namespace cd_drive_table

cd_current_drive::cd_current_drive() {
    cd_drive_table::lock().enter();
    saved_ = cd_ripper::current_drive();
}

cd_current_drive::~cd_current_drive() {
    cd_ripper::select_drive(saved_);
    cd_drive_table::lock().leave();
}

cd_drive_use::cd_drive_use(wchar_t letter) {
    if (!hold_.acquire()) return;
    cd_drive_table::init();
    const wchar_t one_letter[2] = {letter, 0};
    index_ = cd_drive_table::drive_index(one_letter);
    if (index_ >= 0) disc_ = cd_drive_table::open_disc(static_cast<unsigned>(index_));
}

cd_drive_use::~cd_drive_use() { cd_drive_table::release_disc(disc_); }
