// The component registry against a program folder of fixture libraries.
#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include "core.h"
#include "fixture_probe.h"
#include "init_quit.h"

namespace {
void load_once() {
    core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
}

std::vector<std::wstring> probe_names() {
    std::vector<std::wstring> names;
    for_each_component<fixture_probe>([&](fixture_probe* p) { names.push_back(p->name()); });
    return names;
}

std::wstring folder_of_exe() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.rfind(L'\\'));
}
}  // namespace

TEST(registry, providers_come_in_file_order_then_reverse_init_order) {
    load_once();
    // "Zulu_provider" sorts before "alpha_provider" (code-unit order), the
    // ".DLL" extension counts, and inside alpha the later initializer is first.
    std::vector<std::wstring> expected = {L"zulu.0", L"alpha.1", L"alpha.0", L"beta.0"};
    EXPECT_EQ(probe_names(), expected);
    EXPECT_EQ(core::enum_count_component(fixture_probe::iid), 4);
}

TEST(registry, per_use_objects_are_new_and_singletons_the_same) {
    load_once();
    component* a = core::enum_create_component(fixture_per_use::iid, 0);
    component* b = core::enum_create_component(fixture_per_use::iid, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_STREQ(static_cast<fixture_per_use*>(a)->name(), L"alpha");
    EXPECT_TRUE(guid_equal(*a->get_guid(), fixture_per_use::iid));
    a->release();
    b->release();

    component* s1 = core::enum_create_component(fixture_probe::iid, 1);
    component* s2 = core::enum_create_component(fixture_probe::iid, 1);
    EXPECT_EQ(s1, s2);
    s1->release();
    EXPECT_STREQ(static_cast<fixture_probe*>(s2)->name(), L"alpha.1");
}

TEST(registry, lookups_past_the_end_or_of_unknown_guids_give_nothing) {
    load_once();
    EXPECT_EQ(core::enum_create_component(fixture_probe::iid, 4), nullptr);
    EXPECT_EQ(core::enum_create_component(fixture_probe::iid, -1), nullptr);
    EXPECT_EQ(core::enum_count_component(fixture_unregistered_iid), 0);
    EXPECT_EQ(core::enum_create_component(fixture_unregistered_iid, 0), nullptr);
    // A lookup of an unknown GUID must not create an entry.
    EXPECT_EQ(core::enum_count_component(fixture_unregistered_iid), 0);
}

TEST(registry, libraries_that_register_nothing_are_freed) {
    load_once();
    EXPECT_EQ(GetModuleHandleW(L"no_export.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"empty_list.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"plain.dll"), nullptr);
    EXPECT_NE(GetModuleHandleW(L"alpha_provider.dll"), nullptr);
    EXPECT_NE(GetModuleHandleW(L"beta_provider.DLL"), nullptr);
    for (const std::wstring& name : probe_names()) EXPECT_NE(name, L"no_export");
}

TEST(registry, second_load_does_nothing) {
    load_once();
    HMODULE alpha = GetModuleHandleW(L"alpha_provider.dll");
    core::load_library();
    EXPECT_EQ(core::enum_count_component(fixture_probe::iid), 4);
    EXPECT_EQ(GetModuleHandleW(L"alpha_provider.dll"), alpha);
}

TEST(registry, every_hook_slot_reaches_every_object) {
    load_once();
    // alpha's and beta's hooks, and those zel_core registers for itself.
    EXPECT_GE(core::enum_count_component(init_quit::iid), 2);
    for_each_component<init_quit>([](init_quit* h) { h->on_init(); });
    for_each_component<init_quit>([](init_quit* h) { h->on_ui_ready(); });
    for_each_component<init_quit>([](init_quit* h) { h->on_ui_closing(); });
    for_each_component<init_quit>([](init_quit* h) { h->on_quit(); });
    // alpha.0 and beta.0 report their own library's hook counts.
    for (int index : {2, 3}) {
        auto* probe = static_cast<fixture_probe*>(core::enum_create_component(fixture_probe::iid, index));
        ASSERT_NE(probe, nullptr);
        for (int slot = 2; slot <= 5; ++slot) EXPECT_EQ(probe->hook_calls(slot), 1) << index << " " << slot;
    }
}

TEST(registry, instance_and_core_handles) {
    load_once();
    EXPECT_EQ(core::get_instance(), GetModuleHandleW(nullptr));
    HINSTANCE other = reinterpret_cast<HINSTANCE>(GetModuleHandleW(L"kernel32.dll"));
    core::set_instance(other);
    EXPECT_EQ(core::get_instance(), other);
    core::set_instance(GetModuleHandleW(nullptr));
    // zel_core lies in the folder and is filed like any library, so its own
    // entry point has run and stored its handle, even when it registers nothing.
    EXPECT_EQ(core::get_core_instance(), GetModuleHandleW(L"zel_core.dll"));
}

TEST(registry, appdata_path_ends_in_program_folder_name) {
    wchar_t* path = core::get_appdata_path();
    ASSERT_NE(path, nullptr);
    std::wstring s(path);
    free(path);
    const std::wstring tail = L"\\zel_player";
    ASSERT_GT(s.size(), tail.size());
    EXPECT_EQ(s.substr(s.size() - tail.size()), tail);
}

// The host program, run from the fixture folder: start hooks, a timer on its
// message loop, stop hooks, in that order, for each library in file order.
TEST(registry, host_program_raises_hooks_and_runs_timers) {
    std::wstring folder = folder_of_exe();
    std::wstring trace = folder + L"\\host_trace.txt";
    DeleteFileW(trace.c_str());
    char trace_a[MAX_PATH * 2];
    WideCharToMultiByte(CP_ACP, 0, trace.c_str(), -1, trace_a, sizeof trace_a, nullptr, nullptr);
    SetEnvironmentVariableA("ZEL_FIXTURE_TRACE", trace_a);

    std::wstring command = L"\"" + folder + L"\\zel_player.exe\" /quit-after=400";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi));
    SetEnvironmentVariableA("ZEL_FIXTURE_TRACE", nullptr);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u);

    std::ifstream in(trace_a);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "alpha:on_init");
    EXPECT_EQ(lines[1], "beta:on_init");
    // Both one-shot timers fire on the loop, in whichever order the system
    // delivers two timers that fall due together.
    std::multiset<std::string> ticks = {lines[2], lines[3]};
    EXPECT_EQ(ticks, (std::multiset<std::string>{"alpha:tick", "beta:tick"}));
    EXPECT_EQ(lines[4], "alpha:on_quit");
    EXPECT_EQ(lines[5], "beta:on_quit");
}

// Must stay the last test of this file: nothing may be enumerated afterwards.
TEST(registry, free_library_unloads_every_kept_library) {
    load_once();
    core::free_library();
    EXPECT_EQ(GetModuleHandleW(L"alpha_provider.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"Zulu_provider.dll"), nullptr);
    EXPECT_NE(GetModuleHandleW(L"zel_core.dll"), nullptr);  // still linked by this program
}
