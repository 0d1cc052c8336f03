// The instance registry over a shared table of the test's own name, with
// instance_peer.exe as the second player instance.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "fake_sound_devices.h"
#include "instance_registry_impl.h"
#include "instance_test_support.h"

using namespace instance_test;

namespace {

// An instance as a player is one: its sound devices, then the table.
struct instance {
    explicit instance(const instance_table_names& names) : devices(source), registry(names, devices) {
        registry.on_init();
    }
    fake_sound_devices source;
    sound_device_table devices;
    instance_registry_impl registry;
};

}  // namespace

TEST(instance_registry, first_instance_creates_an_empty_block_and_a_second_sees_its_entries) {
    const instance_table_names names = table_names(L"first");
    EXPECT_EQ(read_raw(names.mapping).count, -1);
    instance first(names);
    raw_table raw = read_raw(names.mapping);
    ASSERT_EQ(raw.count, 0);
    EXPECT_EQ(raw.bytes, std::vector<unsigned char>(instance_table::block_bytes, 0));

    ASSERT_TRUE(first.registry.register_user(L"StoreA", 2));
    const std::wstring out = temp_file(L"peer_sees");
    const std::wstring go = temp_file(L"peer_go");
    {
        peer second(names, out,
                    L"is storea is STOREA is other in_use 2 in_use 1 register Shop-B 1 ready wait \"" + go +
                        L"\" quit");
        ASSERT_TRUE(second.started());
        ASSERT_TRUE(wait_for_line(out, "ready"));
        EXPECT_EQ(read_lines(out), (std::vector<std::string>{"is storea = 1", "is STOREA = 1", "is other = 0",
                                                              "in_use 2 = 1", "in_use 1 = 0",
                                                              "register Shop-B 1 = 1", "ready"}));
        // The first instance sees the second one's user and device.
        EXPECT_TRUE(first.registry.is_registered(L"sHOP-b"));
        EXPECT_TRUE(first.registry.device_in_use(1));
        raw = read_raw(names.mapping);
        ASSERT_EQ(raw.count, 2);
        EXPECT_EQ(raw.entries[0].name, L"storea");
        EXPECT_EQ(raw.entries[0].device, 2);
        EXPECT_EQ(raw.entries[1].name, L"shop-b");
        EXPECT_EQ(raw.entries[1].device, 1);
        // An id entered already gives no second entry: the call changes this
        // instance's own entry instead.
        EXPECT_TRUE(first.registry.register_user(L"SHOP-B", 3));
        raw = read_raw(names.mapping);
        ASSERT_EQ(raw.count, 2);
        EXPECT_EQ(raw.entries[0].device, 3);
        EXPECT_EQ(raw.entries[1].device, 1);

        FILE* f = _wfopen(go.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        fclose(f);
        EXPECT_EQ(second.finish(), 0);
    }
    EXPECT_FALSE(first.registry.is_registered(L"shop-b"));
    EXPECT_FALSE(first.registry.device_in_use(1));
    EXPECT_EQ(read_raw(names.mapping).count, 1);
    DeleteFileW(out.c_str());
    DeleteFileW(go.c_str());
}

TEST(instance_registry, user_ids_are_stored_lower_cased_and_found_whatever_the_case) {
    const instance_table_names names = table_names(L"case");
    instance a(names);
    ASSERT_TRUE(a.registry.register_user(L"MiXeD_Store\x00C9", 2));
    const raw_table raw = read_raw(names.mapping);
    ASSERT_EQ(raw.count, 1);
    EXPECT_EQ(raw.entries[0].name, L"mixed_store\x00E9");
    EXPECT_EQ(a.registry.own_name(), L"mixed_store\x00E9");
    for (const wchar_t* query : {L"mixed_store\x00E9", L"MIXED_STORE\x00C9", L"Mixed_Store\x00E9"})
        EXPECT_TRUE(a.registry.is_registered(query)) << query;
}

TEST(instance_registry, device_zero_stands_for_the_default_endpoints_position) {
    instance a(table_names(L"device0"));
    ASSERT_EQ(a.devices.devices().size(), 3u);
    EXPECT_EQ(a.devices.default_device(), 1);  // "Out: default", found ignoring case
    ASSERT_TRUE(a.registry.register_user(L"s", 0));
    EXPECT_EQ(read_raw(table_names(L"device0").mapping).entries.at(0).device, 1);
    EXPECT_TRUE(a.registry.device_in_use(0));
    EXPECT_TRUE(a.registry.device_in_use(1));
    EXPECT_FALSE(a.registry.device_in_use(2));
    EXPECT_FALSE(a.registry.device_in_use(-1));
    EXPECT_FALSE(a.registry.set_device(-1));
    ASSERT_TRUE(a.registry.set_device(2));
    EXPECT_FALSE(a.registry.device_in_use(0));
    EXPECT_TRUE(a.registry.device_in_use(2));
}

TEST(instance_registry, unusable_user_ids_and_devices_are_refused_and_change_nothing) {
    const instance_table_names names = table_names(L"refuse");
    instance a(names);
    ASSERT_TRUE(a.registry.register_user(L"kept", 1));
    const raw_table before = read_raw(names.mapping);
    const std::wstring too_long(200, L'x');
    struct {
        const wchar_t* name;
        int device;
    } cases[] = {{nullptr, 1}, {L"", 1}, {too_long.c_str(), 1}, {L"fine", -1}};
    for (const auto& c : cases) {
        EXPECT_FALSE(a.registry.register_user(c.name, c.device)) << (c.name ? c.name : L"(null)");
        EXPECT_EQ(read_raw(names.mapping).bytes, before.bytes);
    }
    // An empty id is never found, so no login can match a slot it would take.
    EXPECT_FALSE(a.registry.is_registered(L""));
    EXPECT_FALSE(a.registry.is_registered(nullptr));
    EXPECT_EQ(a.registry.own_name(), L"kept");
    // The longest id that fits.
    const std::wstring longest(199, L'y');
    EXPECT_TRUE(a.registry.register_user(longest.c_str(), 2));
    EXPECT_EQ(read_raw(names.mapping).entries.at(1).name, longest);
}

TEST(instance_registry, the_fifty_first_entry_is_refused_and_leaves_the_table_unchanged) {
    const instance_table_names names = table_names(L"limit");
    instance a(names);
    for (int i = 0; i < instance_table::capacity; ++i)
        ASSERT_TRUE(a.registry.register_user((L"store" + std::to_wstring(i)).c_str(), i + 1)) << i;
    const raw_table full = read_raw(names.mapping);
    ASSERT_EQ(full.count, 50);
    EXPECT_FALSE(a.registry.register_user(L"store50", 51));
    EXPECT_EQ(read_raw(names.mapping).bytes, full.bytes);
    EXPECT_FALSE(a.registry.is_registered(L"store50"));
    EXPECT_EQ(a.registry.own_name(), L"store49");
}

TEST(instance_registry, quitting_removes_every_own_entry_and_moves_the_others_up) {
    const instance_table_names names = table_names(L"quit");
    instance a(names);
    ASSERT_TRUE(write_raw(names.mapping, {{L"first", 3}}));
    ASSERT_TRUE(a.registry.register_user(L"Mine", 4));
    raw_table raw = read_raw(names.mapping);
    raw.entries.push_back({L"third", 5});
    raw.entries.push_back({L"MINE", 6});  // entered again by a program that lost its own
    raw.entries.push_back({L"fifth", 7});
    ASSERT_TRUE(write_raw(names.mapping, raw.entries));
    // Another instance keeps the block open, as the other players do.
    HANDLE other = OpenFileMappingW(FILE_MAP_READ, FALSE, names.mapping.c_str());
    ASSERT_NE(other, nullptr);
    a.registry.on_quit();
    raw = read_raw(names.mapping);
    CloseHandle(other);
    ASSERT_EQ(raw.count, 3);
    EXPECT_EQ(raw.entries[0].name, L"first");
    EXPECT_EQ(raw.entries[1].name, L"third");
    EXPECT_EQ(raw.entries[1].device, 5);
    EXPECT_EQ(raw.entries[2].name, L"fifth");
    // Everything past the count is zero again.
    for (size_t i = instance_table::entry_bytes * 3; i < instance_table::count_offset; ++i)
        ASSERT_EQ(raw.bytes[i], 0) << i;
    // After quitting the instance runs as if it were alone.
    EXPECT_FALSE(a.registry.is_registered(L"first"));
    EXPECT_TRUE(a.registry.register_user(L"late", 1));
}

TEST(instance_registry, without_the_shared_memory_an_instance_runs_as_if_alone) {
    fake_sound_devices source;
    sound_device_table devices(source);
    instance_registry_impl lone(table_names(L"none"), devices);  // never opened
    EXPECT_TRUE(lone.register_user(L"x", 1));
    EXPECT_FALSE(lone.is_registered(L"x"));
    EXPECT_FALSE(lone.device_in_use(1));
    EXPECT_FALSE(lone.set_device(1));
    lone.on_quit();
}

TEST(instance_registry, a_player_that_died_without_quitting_does_not_lock_its_id_out) {
    const instance_table_names names = table_names(L"dead");
    instance a(names);
    ASSERT_TRUE(a.registry.register_user(L"alive", 1));
    const std::wstring out = temp_file(L"peer_crash");
    {
        peer crashed(names, out, L"register Crashed 2 crash");
        ASSERT_TRUE(crashed.started());
        EXPECT_EQ(crashed.finish(), 3);
    }
    EXPECT_TRUE(has_line(out, "register Crashed 2 = 1"));
    // Its entry stays in the block until someone looks ...
    EXPECT_EQ(read_raw(names.mapping).count, 2);
    // ... and no longer counts: the id logs in again, the device is free.
    EXPECT_FALSE(a.registry.is_registered(L"crashed"));
    EXPECT_FALSE(a.registry.device_in_use(2));
    const raw_table raw = read_raw(names.mapping);
    ASSERT_EQ(raw.count, 1);
    EXPECT_EQ(raw.entries[0].name, L"alive");
    instance b(names);
    EXPECT_TRUE(b.registry.register_user(L"CRASHED", 2));
    // Entries without an owner record (another program's) are never dropped.
    raw_table with_foreign = read_raw(names.mapping);
    with_foreign.entries.push_back({L"foreign", 9});
    ASSERT_TRUE(write_raw(names.mapping, with_foreign.entries));
    EXPECT_TRUE(a.registry.is_registered(L"foreign"));
    EXPECT_TRUE(a.registry.is_registered(L"crashed"));
    DeleteFileW(out.c_str());
}

TEST(instance_registry, instances_registering_at_once_lose_no_entry) {
    const instance_table_names names = table_names(L"race");
    instance a(names);
    const std::wstring go = temp_file(L"race_go");
    std::vector<std::wstring> outs;
    for (int i = 0; i < 4; ++i)
        outs.push_back(temp_file((L"race" + std::to_wstring(i)).c_str()));
    {
        std::vector<std::unique_ptr<peer>> peers;
        for (int i = 0; i < 4; ++i) {
            const std::wstring prefix(1, static_cast<wchar_t>(L'a' + i));
            peers.emplace_back(new peer(names, outs[i], L"register_many " + prefix + L" 10 ready wait \"" + go + L"\""));
        }
        // Meanwhile this instance registers too.
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE(a.registry.register_user((L"own" + std::to_wstring(i)).c_str(), 1));
        for (int i = 0; i < 4; ++i) {
            const std::string prefix(1, static_cast<char>('a' + i));
            ASSERT_TRUE(wait_for_line(outs[i], "ready")) << prefix;
            EXPECT_TRUE(has_line(outs[i], "register_many " + prefix + " = 10")) << prefix;
        }
        EXPECT_EQ(read_raw(names.mapping).count, 45);
        for (int i = 0; i < 4; ++i)
            for (int k = 0; k < 10; ++k) {
                const std::wstring name = std::wstring(1, static_cast<wchar_t>(L'a' + i)) + std::to_wstring(k);
                EXPECT_TRUE(a.registry.is_registered(name.c_str())) << name;
            }
        FILE* f = _wfopen(go.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        fclose(f);
        for (auto& p : peers)
            EXPECT_EQ(p->finish(), 0);
    }
    // The peers ended without quitting: their entries go at the next look.
    EXPECT_TRUE(a.registry.is_registered(L"own4"));
    EXPECT_FALSE(a.registry.is_registered(L"a0"));
    EXPECT_EQ(read_raw(names.mapping).count, 5);
    for (const std::wstring& out : outs)
        DeleteFileW(out.c_str());
    DeleteFileW(go.c_str());
}
