#include "cd_ripper.h"

#include <cstring>
#include <new>

#include "aspi_manager.h"
#include "cd_extractor.h"

namespace cd_ripper {

namespace {

cd_extractor* g_extractor = nullptr;

// The extractor when it is available, else null.
cd_extractor* ready() { return g_extractor && g_extractor->available ? g_extractor : nullptr; }

// The same, and only while the current index names a drive.
cd_extractor* ready_drive() {
    cd_extractor* e = ready();
    return e && e->has_current() ? e : nullptr;
}

// Makes the open rip's drive current for a scope: a rip keeps reading the
// drive it was opened on even when another drive was selected meanwhile.
class on_rip_drive {
public:
    explicit on_rip_drive(cd_extractor* e) : e_(e), saved_(e->current) { e->current = e->rip_drive(); }
    ~on_rip_drive() { e_->current = saved_; }
    on_rip_drive(const on_rip_drive&) = delete;
    on_rip_drive& operator=(const on_rip_drive&) = delete;

private:
    cd_extractor* e_;
    int saved_;
};

}  // namespace

int init(int transport) {
    deinit();
    g_extractor = new (std::nothrow) cd_extractor();
    if (!g_extractor) return no_memory;
    cd_extractor& e = *g_extractor;
    e.transport = transport;
    e.use_passthrough = transport == transport_passthrough;
    const int loaded = aspi_manager::load(transport);
    if (loaded != 0) return loaded;
    e.available = true;
    e.scan();
    if (e.drives.empty()) {
        e.available = false;
        return no_drive;
    }
    e.current = 0;
    update_drive();
    return ok;
}

int deinit() {
    delete g_extractor;
    g_extractor = nullptr;
    aspi_manager::unload();
    return ok;
}

int drive_count() {
    cd_extractor* e = ready();
    return e ? static_cast<int>(e->drives.size()) : 0;
}

void select_drive(int index) {
    if (cd_extractor* e = ready()) e->current = index & 0xFF;
}

int current_drive() {
    cd_extractor* e = ready();
    return e ? e->current : 1;
}

int update_drive() {
    cd_extractor* e = ready();
    if (!e) return failed;
    e->clamp_current();
    if (e->has_current()) cd_apply_drive_type(e->drive());
    return ok;
}

int set_drive_type(int type) {
    cd_extractor* e = ready_drive();
    if (!e) return failed;
    e->drive().drive_type = type;
    cd_apply_drive_type(e->drive());
    return ok;
}

int get_drive_settings(cd_drive_settings& out) {
    memset(&out, 0, sizeof(out));
    cd_extractor* e = ready_drive();
    if (!e) return failed;
    out = e->drive();
    return ok;
}

int set_drive_settings(const cd_drive_settings& settings) {
    cd_extractor* e = ready_drive();
    if (!e) return failed;
    cd_drive_settings& d = e->drive();
    char name[sizeof(d.drive_name)];
    memcpy(name, d.drive_name, sizeof(name));
    d = settings;
    memcpy(d.drive_name, name, sizeof(name));
    const int result = settings.drive_type != cd_drive_type_custom ? set_drive_type(settings.drive_type) : ok;
    d.ripping_mode = settings.ripping_mode;
    d.paranoia_level = settings.paranoia_level;
    d.cd_text = settings.cd_text;
    return result;
}

int open_ripper(int& chunk_bytes, unsigned first, unsigned last) {
    cd_extractor* e = ready_drive();
    if (!e) return failed;
    const int mode = e->drive().ripping_mode;
    if (mode != 0 && mode != 1) return failed;
    if (e->rip_open()) {
        on_rip_drive scope(e);
        e->close_rip();
    }
    if (e->open_rip(first, last, mode == 1) != ok) return failed;
    chunk_bytes = e->drive().sectors_per_read * cd_sector_bytes;
    return ok;
}

int close_ripper() {
    cd_extractor* e = ready();
    if (!e) return failed;
    if (e->rip_open()) {
        on_rip_drive scope(e);
        e->close_rip();
    }
    return ok;
}

int rip_chunk(unsigned char* buffer, int& bytes, int* abort) {
    bytes = 0;
    cd_extractor* e = ready();
    if (!e || !e->rip_open()) return failed;
    on_rip_drive scope(e);
    return e->rip_paranoia() ? e->rip_chunk_paranoia(buffer, &bytes, abort)
                             : e->rip_chunk_normal(buffer, &bytes);
}

int read_toc() {
    cd_extractor* e = ready_drive();
    if (!e) return failed;
    e->read_toc();
    return ok;
}

int toc_count() {
    cd_extractor* e = ready_drive();
    return e ? e->tocs[e->current].count - 1 : 0;
}

uint64_t toc_entry(int index) {
    cd_extractor* e = ready_drive();
    if (!e) return 0;
    const cd_toc& toc = e->tocs[e->current];
    if (index < 0 || index >= toc.count) return 0;
    return static_cast<uint64_t>(toc.start[index]) | (static_cast<uint64_t>(toc.control[index]) << 32) |
           (static_cast<uint64_t>(toc.track[index]) << 40);
}

int read_cd_text(unsigned char* buffer, int size, int& length) {
    length = 0;
    cd_extractor* e = ready_drive();
    if (!e) return failed;
    return e->read_cd_text(buffer, size, length);
}

int transport() {
    cd_extractor* e = ready();
    return e ? e->transport : 0;
}

}  // namespace cd_ripper
