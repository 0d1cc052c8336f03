// The instance services as zel_addv2 registers them, in a program folder
// holding zel_core and zel_addv2 as deployed: the real table name, the hooks
// and the channel listener.
#include <gtest/gtest.h>
#include <windows.h>

#include "core.h"
#include "init_quit.h"
#include "instance_registry.h"
#include "instance_test_support.h"
#include "launcher_link.h"
#include "interfaces/channel_changed_event.h"
#include "volume_ducker.h"
#include "volume_ducker_impl.h"

TEST(instance_services, the_registered_registry_enters_and_leaves_the_shared_table) {
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
    auto* registry = static_cast<instance_registry*>(core::enum_create_component(instance_registry::iid, 0));
    ASSERT_NE(registry, nullptr);
    auto* link = static_cast<launcher_link*>(core::enum_create_component(launcher_link::iid, 0));
    ASSERT_NE(link, nullptr);
    EXPECT_GE(core::enum_count_component(channel_changed_event::iid), 1);

    // Before the start hook there is no table: the instance runs as if alone.
    const std::wstring user = L"Registered_" + std::to_wstring(GetCurrentProcessId());
    EXPECT_FALSE(registry->is_registered(user.c_str()));

    for_each_component<init_quit>([](init_quit* hook) { hook->on_init(); });
    const std::wstring table = default_instance_table_names().mapping;
    EXPECT_EQ(table, L"{F1C17853-4329-40c3-9081-518D0A62B05F}");
    ASSERT_GE(instance_test::read_raw(table).count, 0);
    ASSERT_TRUE(registry->register_user(user.c_str(), 3));
    bool found = false;
    for (const instance_test::raw_entry& e : instance_test::read_raw(table).entries)
        found = found || (e.name == L"registered_" + std::to_wstring(GetCurrentProcessId()) && e.device == 3);
    EXPECT_TRUE(found);
    EXPECT_TRUE(registry->is_registered(user.c_str()));

    // No launcher: the link stays apart, and its listener and close hook do nothing.
    const wchar_t* id = nullptr;
    EXPECT_FALSE(link->connect(&id, nullptr, nullptr));
    EXPECT_FALSE(link->is_connected());
    for_each_component<channel_changed_event>([](channel_changed_event* e) { e->on_channel_changed(L"t"); });
    for_each_component<init_quit>([](init_quit* hook) { hook->on_ui_closing(); });

    // The volume ducker is there too; with no audio sessions to lower (Wine
    // lists none) a duck and a restore do nothing, and the stop hook is quiet.
    auto* ducker = static_cast<volume_ducker*>(core::enum_create_component(volume_ducker::iid, 0));
    ASSERT_NE(ducker, nullptr);
    auto* impl = dynamic_cast<volume_ducker_impl*>(ducker);
    ASSERT_NE(impl, nullptr) << "the registered ducker is the player's own";
    ducker->duck(300, 0);
    EXPECT_TRUE(impl->fades().saved().empty()) << "a session was lowered";
    EXPECT_FALSE(impl->fades().fading()) << "a fade over no session goes on";
    ducker->restore(300);
    EXPECT_TRUE(impl->fades().saved().empty());
    EXPECT_FALSE(impl->fades().fading());

    for_each_component<init_quit>([](init_quit* hook) { hook->on_quit(); });
    for (const instance_test::raw_entry& e : instance_test::read_raw(table).entries)
        EXPECT_NE(e.name, L"registered_" + std::to_wstring(GetCurrentProcessId()));
    core::free_library();
}
