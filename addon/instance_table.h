#pragma once
// instance_table: the table of running player instances in named shared
// memory, shared by every instance of the Windows session.
//
// Layout of the block (20204 bytes, little-endian), fixed for every instance:
//   0 + 404*i (i = 0..49)  400  the user id, lower-cased, UTF-16, NUL-terminated
//   400 + 404*i              4  the sound-device index (signed)
//   20200                    4  the number of entries in use, packed at the front
//
// Beside it, a second mapping of this module (name + ".owners") records which
// process made each entry (process id, its creation time, and the entry's
// name as a check): an entry whose process has ended without leaving, such as
// a crashed or killed player, is dropped before the table is read, so that
// its user id is not locked out while other instances keep the table open.
// Entries without an owner record (made by a program that does not keep
// one) are never dropped.
//
// Every read-modify-write maps the blocks, holds the named mutex, works on a
// copy of the entries, writes them back packed and unmaps again; no view
// stays mapped between calls.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct instance_table_names {
    std::wstring mapping;  // the table
    std::wstring owners;   // the owner records
    std::wstring mutex;    // guards both
};
// "{F1C17853-4329-40c3-9081-518D0A62B05F}" and the names derived from it.
instance_table_names default_instance_table_names();

struct instance_owner {
    DWORD process_id = 0;  // 0: unknown
    FILETIME created = {0, 0};
};

struct instance_entry {
    std::wstring name;  // as stored (lower-cased by the registry)
    int device = 0;
    instance_owner owner;
};

class instance_table {
public:
    static constexpr int capacity = 50;
    static constexpr int name_chars = 200;  // including the terminator
    static constexpr DWORD entry_bytes = 404;
    static constexpr DWORD count_offset = 20200;
    static constexpr DWORD block_bytes = 20204;

    explicit instance_table(const instance_table_names& names);
    ~instance_table();
    instance_table(const instance_table&) = delete;
    instance_table& operator=(const instance_table&) = delete;

    // Opens the table, or creates it zeroed (count 0) when no instance has
    // it; false when neither works. Nothing when already open.
    bool open();
    // Closes the handles; the memory goes when the last instance closes.
    void close();
    bool is_open() const { return mapping_ != nullptr; }

    // Under the guard: reads the live entries (dropping those of ended
    // processes), calls edit, and writes the entries back when edit returned
    // true or entries were dropped. More than capacity entries are cut.
    // False when the table is not open or cannot be mapped (edit not called).
    bool update(const std::function<bool(std::vector<instance_entry>&)>& edit);

    // The owner record of the calling process.
    static instance_owner current_owner();
    // False only when the owner's process has certainly ended (or its id now
    // names another process).
    static bool owner_alive(const instance_owner& owner);

private:
    instance_table_names names_;
    HANDLE mapping_ = nullptr;
    HANDLE owners_ = nullptr;
    HANDLE mutex_ = nullptr;
};
