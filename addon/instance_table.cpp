// The shared instance table: named mappings, the named mutex and the owner
// records.
#include "instance_table.h"

#include <cstring>
#include <cwchar>

namespace {

// One owner record per entry slot.
struct owner_record {
    DWORD process_id;
    DWORD created_low;
    DWORD created_high;
    wchar_t name[instance_table::name_chars];
};
constexpr DWORD owners_bytes = sizeof(owner_record) * instance_table::capacity;

// Holds the table's mutex for a scope. A mutex left by a process that ended
// while holding it (WAIT_ABANDONED) is ours now. When the mutex cannot be
// had at all the work goes ahead unguarded rather than hang the player.
class mutex_scope {
public:
    explicit mutex_scope(HANDLE mutex) : mutex_(mutex) {
        if (!mutex_)
            return;
        const DWORD r = WaitForSingleObject(mutex_, 10000);
        owned_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
    ~mutex_scope() {
        if (owned_)
            ReleaseMutex(mutex_);
    }
    mutex_scope(const mutex_scope&) = delete;
    mutex_scope& operator=(const mutex_scope&) = delete;

private:
    HANDLE mutex_;
    bool owned_ = false;
};

// A mapped view, unmapped at the end of the scope.
class view_scope {
public:
    view_scope(HANDLE mapping, DWORD bytes)
        : data_(mapping ? static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, bytes))
                        : nullptr) {}
    ~view_scope() {
        if (data_)
            UnmapViewOfFile(data_);
    }
    view_scope(const view_scope&) = delete;
    view_scope& operator=(const view_scope&) = delete;
    unsigned char* data() const { return data_; }

private:
    unsigned char* data_;
};

int read_int(const unsigned char* at) {
    int value;
    std::memcpy(&value, at, sizeof value);
    return value;
}
void write_int(unsigned char* at, int value) { std::memcpy(at, &value, sizeof value); }

// A name field read safely: at most name_chars - 1 characters even when the
// terminator is missing.
std::wstring read_name(const wchar_t* field) {
    size_t n = 0;
    while (n < instance_table::name_chars - 1 && field[n])
        ++n;
    return std::wstring(field, n);
}

std::vector<instance_entry> read_entries(const unsigned char* table, const owner_record* owners) {
    std::vector<instance_entry> entries;
    int count = read_int(table + instance_table::count_offset);
    if (count < 0)
        count = 0;
    if (count > instance_table::capacity)
        count = instance_table::capacity;
    for (int i = 0; i < count; ++i) {
        const unsigned char* at = table + instance_table::entry_bytes * i;
        wchar_t field[instance_table::name_chars];
        std::memcpy(field, at, sizeof field);
        instance_entry entry;
        entry.name = read_name(field);
        entry.device = read_int(at + 400);
        if (owners && owners[i].process_id && read_name(owners[i].name) == entry.name) {
            entry.owner.process_id = owners[i].process_id;
            entry.owner.created.dwLowDateTime = owners[i].created_low;
            entry.owner.created.dwHighDateTime = owners[i].created_high;
        }
        entries.push_back(entry);
    }
    return entries;
}

void write_entries(unsigned char* table, owner_record* owners, const std::vector<instance_entry>& entries) {
    unsigned char image[instance_table::block_bytes] = {};
    std::vector<owner_record> records(instance_table::capacity);
    std::memset(records.data(), 0, owners_bytes);
    int count = 0;
    for (const instance_entry& entry : entries) {
        if (count == instance_table::capacity)
            break;
        unsigned char* at = image + instance_table::entry_bytes * count;
        const size_t chars = entry.name.size() < instance_table::name_chars - 1 ? entry.name.size()
                                                                                : instance_table::name_chars - 1;
        std::memcpy(at, entry.name.data(), chars * sizeof(wchar_t));
        write_int(at + 400, entry.device);
        owner_record& record = records[count];
        record.process_id = entry.owner.process_id;
        record.created_low = entry.owner.created.dwLowDateTime;
        record.created_high = entry.owner.created.dwHighDateTime;
        std::memcpy(record.name, entry.name.data(), chars * sizeof(wchar_t));
        ++count;
    }
    write_int(image + instance_table::count_offset, count);
    std::memcpy(table, image, sizeof image);
    if (owners)
        std::memcpy(owners, records.data(), owners_bytes);
}

bool same_time(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// Opens the mapping by name, or creates it; a new mapping of the paging file
// starts zeroed. Sets created when this call made it.
HANDLE open_or_create(const std::wstring& name, DWORD bytes, bool& created) {
    created = false;
    HANDLE h = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (h)
        return h;
    h = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, name.c_str());
    created = h && GetLastError() != ERROR_ALREADY_EXISTS;
    return h;
}

}  // namespace

instance_table_names default_instance_table_names() {
    const std::wstring base = L"{F1C17853-4329-40c3-9081-518D0A62B05F}";
    return {base, base + L".owners", base + L".lock"};
}

instance_table::instance_table(const instance_table_names& names) : names_(names) {}

instance_table::~instance_table() { close(); }

bool instance_table::open() {
    if (mapping_)
        return true;
    if (!mutex_)
        mutex_ = CreateMutexW(nullptr, FALSE, names_.mutex.c_str());
    mutex_scope guard(mutex_);
    bool created = false;
    mapping_ = open_or_create(names_.mapping, block_bytes, created);
    if (!mapping_)
        return false;
    if (created) {
        view_scope view(mapping_, block_bytes);
        if (view.data())
            std::memset(view.data(), 0, block_bytes);
    }
    bool owners_created = false;
    owners_ = open_or_create(names_.owners, owners_bytes, owners_created);
    if (owners_ && owners_created) {
        view_scope view(owners_, owners_bytes);
        if (view.data())
            std::memset(view.data(), 0, owners_bytes);
    }
    return true;
}

void instance_table::close() {
    if (mapping_)
        CloseHandle(mapping_);
    if (owners_)
        CloseHandle(owners_);
    if (mutex_)
        CloseHandle(mutex_);
    mapping_ = owners_ = mutex_ = nullptr;
}

bool instance_table::update(const std::function<bool(std::vector<instance_entry>&)>& edit) {
    if (!mapping_)
        return false;
    mutex_scope guard(mutex_);
    view_scope table(mapping_, block_bytes);
    if (!table.data())
        return false;
    view_scope owners(owners_, owners_bytes);
    owner_record* records = reinterpret_cast<owner_record*>(owners.data());

    std::vector<instance_entry> entries = read_entries(table.data(), records);
    const size_t before = entries.size();
    std::vector<instance_entry> live;
    for (instance_entry& entry : entries)
        if (owner_alive(entry.owner))
            live.push_back(entry);
    const bool dropped = live.size() != before;
    if (edit(live) || dropped)
        write_entries(table.data(), records, live);
    return true;
}

instance_owner instance_table::current_owner() {
    instance_owner owner;
    owner.process_id = GetCurrentProcessId();
    FILETIME exit_time, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &owner.created, &exit_time, &kernel, &user);
    return owner;
}

bool instance_table::owner_alive(const instance_owner& owner) {
    if (!owner.process_id || owner.process_id == GetCurrentProcessId())
        return true;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, owner.process_id);
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;  // it exists, but is not ours to open
    bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    FILETIME created, exit_time, kernel, user;
    if (alive && GetProcessTimes(process, &created, &exit_time, &kernel, &user) && !same_time(created, owner.created))
        alive = false;  // the id belongs to a newer process now
    CloseHandle(process);
    return alive;
}
