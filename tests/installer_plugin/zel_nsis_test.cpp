// The installer plug-in zel_nsis.dll against stand-in programs that run under
// the system's program names. The test program runs in a Wine prefix of its
// own (own_prefix.sh), one case at a time, so that the process list holds
// nothing but Wine's own programs and the stand-ins of the case.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "close_running_programs.h"
#include "sweep_scene.h"

namespace {

const char* const exports[] = {"zel_install", "zel_uninstall"};
constexpr DWORD call_limit_ms = 60000;

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : " | ") + item;
    return out;
}

bool starts_with(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The installer's side of a call, declared here as the installer passes it:
// parent window, length of each variable, the variables, the top of the string
// stack (entries of a next pointer and a text), the extra parameters.
struct stack_entry {
    stack_entry* next;
    wchar_t text[1024];
};
typedef void(__cdecl* plugin_entry)(HWND, int, wchar_t*, stack_entry**, void*);

class plugin_library {
public:
    plugin_library() : module_(LoadLibraryW(sweep_scene::plugin_path().c_str())) {}
    ~plugin_library() {
        if (module_) FreeLibrary(module_);
    }
    plugin_entry entry(const char* name) const {
        return module_ ? reinterpret_cast<plugin_entry>(reinterpret_cast<void*>(GetProcAddress(module_, name)))
                       : nullptr;
    }

private:
    HMODULE module_;
};

TEST(zel_nsis_exports, run_with_any_arguments_and_leave_the_installer_state_alone) {
    plugin_library plugin;
    for (const char* name : exports) {
        SCOPED_TRACE(name);
        plugin_entry entry = plugin.entry(name);
        ASSERT_NE(nullptr, entry) << "export missing";

        entry(nullptr, 0, nullptr, nullptr, nullptr);
        // Pointers that would fault if the plug-in read through them.
        entry(reinterpret_cast<HWND>(0x1234), -1, reinterpret_cast<wchar_t*>(0x10),
              reinterpret_cast<stack_entry**>(0x20), reinterpret_cast<void*>(0x30));

        // An installer's real state: variables, one string on the stack.
        std::vector<wchar_t> variables(25 * 1024, L'v');
        const std::vector<wchar_t> variables_before = variables;
        stack_entry kept = {nullptr, L"kept"};
        stack_entry* top = &kept;
        char extra[64];
        memset(extra, 0x5A, sizeof extra);
        entry(GetDesktopWindow(), 1024, variables.data(), &top, extra);
        EXPECT_EQ(&kept, top) << "the stack was popped or pushed";
        EXPECT_EQ(nullptr, kept.next);
        EXPECT_STREQ(L"kept", kept.text);
        EXPECT_TRUE(variables == variables_before) << "a variable was set";
        for (char c : extra) ASSERT_EQ(0x5A, c) << "the extra parameters were written";
    }
}

TEST(zel_nsis_exports, return_at_once_when_nothing_runs) {
    plugin_library plugin;
    for (const char* name : exports) {
        plugin_entry entry = plugin.entry(name);
        ASSERT_NE(nullptr, entry) << name;
        const ULONGLONG start = GetTickCount64();
        entry(nullptr, 1024, nullptr, nullptr, nullptr);
        // No window to wait for: nothing near the time a window is given.
        EXPECT_LT(GetTickCount64() - start, zel_nsis::close_answer_ms / 2) << name;
    }
}

// Programs whose names only resemble the system's: they must keep running.
void start_look_alikes(sweep_scene& scene) {
    ASSERT_TRUE(scene.start("other player2", L"zel_player2.exe"));
    // "\uAC34" is "\x81Z" in code page 949: a byte search would see ZEL_PLAYER.EXE.
    ASSERT_TRUE(scene.start("other hangul", L"\uAC34el_player.exe"));
    ASSERT_TRUE(scene.start("other setup", L"zel_mtplayer_setup.exe"));
}

void expect_look_alikes_running(const sweep_scene& scene) {
    for (const char* label : {"other player2", "other hangul", "other setup"})
        EXPECT_TRUE(scene.running(label)) << label << " was ended";
}

class full_sweep : public testing::TestWithParam<const char*> {};

TEST_P(full_sweep, closes_the_client_first_and_ends_the_programs_in_order) {
    sweep_scene scene;
    std::string why;
    ASSERT_TRUE(scene.ready(why)) << why;
    ASSERT_TRUE(scene.start_window("client", L"zel_client.exe", L"ZELClientWindow", L"keep"));
    // Two players started by the launcher, one in capitals, one with a longer name.
    ASSERT_TRUE(scene.start("player 1", L"zel_player.exe"));
    ASSERT_TRUE(scene.start("player 2", L"zel_player.exe"));
    ASSERT_TRUE(scene.start("player capitals", L"ZEL_PLAYER.EXE"));
    ASSERT_TRUE(scene.start("player longer", L"old_zel_player.exe.bak"));
    ASSERT_TRUE(scene.start_window("launcher", L"zel_mtplayer.exe", L"ZELMultiWindow", L"destroy"));
    ASSERT_TRUE(scene.start("manager", L"zel_manager.exe"));
    start_look_alikes(scene);

    std::vector<std::string> expected = {"close ZELClientWindow", "end client"};
    for (const auto& label : scene.process_list_order())
        if (starts_with(label, "player")) expected.push_back("end " + label);
    ASSERT_EQ(6u, expected.size()) << joined(expected);
    expected.insert(expected.end(), {"close ZELMultiWindow", "end launcher", "end manager", "end caller"});

    // The caller is itself a "zel_player.exe" and must survive its own sweep.
    DWORD code = 0;
    ASSERT_TRUE(scene.call("caller", L"zel_player.exe", GetParam(), call_limit_ms, code)) << "the call never returned";
    EXPECT_EQ(0u, code) << "the caller was ended";
    EXPECT_EQ(joined(expected), joined(scene.events()));
    expect_look_alikes_running(scene);
}

INSTANTIATE_TEST_SUITE_P(zel_nsis, full_sweep, testing::ValuesIn(exports),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST(zel_nsis_sweep, ends_only_the_first_client_launcher_and_manager) {
    sweep_scene scene;
    std::string why;
    ASSERT_TRUE(scene.ready(why)) << why;
    for (const char* n : {"1", "2"}) {
        ASSERT_TRUE(scene.start(std::string("client ") + n, L"zel_client.exe"));
        ASSERT_TRUE(scene.start(std::string("launcher ") + n, L"zel_mtplayer.exe"));
        ASSERT_TRUE(scene.start(std::string("manager ") + n, L"zel_manager.exe"));
    }
    std::string first_client, first_launcher, first_manager;
    for (const auto& label : scene.process_list_order()) {
        if (starts_with(label, "client") && first_client.empty()) first_client = label;
        if (starts_with(label, "launcher") && first_launcher.empty()) first_launcher = label;
        if (starts_with(label, "manager") && first_manager.empty()) first_manager = label;
    }
    ASSERT_FALSE(first_client.empty() || first_launcher.empty() || first_manager.empty());

    DWORD code = 0;
    ASSERT_TRUE(scene.call("caller", L"setup.exe", "zel_install", call_limit_ms, code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(joined({"end " + first_client, "end " + first_launcher, "end " + first_manager, "end caller"}),
              joined(scene.events()));
    for (const char* label : {"client", "launcher", "manager"})
        for (const char* n : {" 1", " 2"}) {
            const std::string program = std::string(label) + n;
            const bool first = program == first_client || program == first_launcher || program == first_manager;
            EXPECT_EQ(!first, scene.running(program)) << program;
        }
}

TEST(zel_nsis_sweep, leaves_everything_else_running) {
    sweep_scene scene;
    std::string why;
    ASSERT_TRUE(scene.ready(why)) << why;
    start_look_alikes(scene);
    for (const char* name : exports) {
        DWORD code = 0;
        ASSERT_TRUE(scene.call(std::string("caller ") + name, L"zel_player.exe", name, call_limit_ms, code));
        EXPECT_EQ(0u, code) << name;
    }
    EXPECT_EQ("end caller zel_install | end caller zel_uninstall", joined(scene.events()));
    expect_look_alikes_running(scene);
}

// Fault mended: the process was ended with the exit code it had, which for a
// running process is STILL_ACTIVE, so that it read as running for ever after.
TEST(zel_nsis_sweep, ended_program_does_not_read_as_still_running) {
    sweep_scene scene;
    std::string why;
    ASSERT_TRUE(scene.ready(why)) << why;
    ASSERT_TRUE(scene.start("player", L"zel_player.exe"));
    ASSERT_TRUE(scene.start("launcher", L"zel_mtplayer.exe"));
    DWORD code = 0;
    ASSERT_TRUE(scene.call("caller", L"setup.exe", "zel_uninstall", call_limit_ms, code));
    for (const char* label : {"player", "launcher"}) {
        EXPECT_FALSE(scene.running(label)) << label;
        EXPECT_EQ(zel_nsis::ended_exit_code, scene.exit_code(label)) << label;
    }
}

// Ending a process only starts its end; the plug-in returns once each ended
// process is gone, so that the installer's next write finds no file in use.
// (Under Wine the end is often quick enough either way; the check after the
// call must hold every time.)
TEST(zel_nsis_sweep, an_ended_program_is_gone_when_the_call_returns) {
    sweep_scene scene;
    std::string why;
    ASSERT_TRUE(scene.ready(why)) << why;
    for (int round = 0; round < 5; ++round) {
        const std::string label = "manager " + std::to_string(round);
        ASSERT_TRUE(scene.start(label, L"zel_manager.exe"));
        ASSERT_TRUE(zel_nsis::terminate_first_process("zel_manager.exe"));
        EXPECT_FALSE(scene.running(label)) << label << " still running after the call";
    }
}

// Fault mended: WM_CLOSE was sent without a limit, so a window whose program
// had stopped answering held the installer for ever. Now the window gets a
// bounded time and its program is ended in the next step.
struct hung_case {
    const char* name;
    bool client_hangs;
    bool launcher_hangs;
};

void PrintTo(const hung_case& c, std::ostream* out) { *out << c.name << " hangs"; }

class hung_window : public testing::TestWithParam<hung_case> {};

TEST_P(hung_window, no_longer_blocks_the_installer) {
    const hung_case& c = GetParam();
    sweep_scene scene;
    std::string why;
    ASSERT_TRUE(scene.ready(why)) << why;
    ASSERT_TRUE(scene.start_window("client", L"zel_client.exe", L"ZELClientWindow", c.client_hangs ? L"hang" : L"keep"));
    ASSERT_TRUE(
        scene.start_window("launcher", L"zel_mtplayer.exe", L"ZELMultiWindow", c.launcher_hangs ? L"hang" : L"destroy"));

    DWORD code = 0;
    ASSERT_TRUE(scene.call("caller", L"setup.exe", "zel_install", call_limit_ms, code))
        << "the plug-in still waited for the window after " << call_limit_ms / 1000 << " s";
    EXPECT_EQ(0u, code);
    std::vector<std::string> expected;
    if (!c.client_hangs) expected.push_back("close ZELClientWindow");
    expected.push_back("end client");
    if (!c.launcher_hangs) expected.push_back("close ZELMultiWindow");
    expected.insert(expected.end(), {"end launcher", "end caller"});
    EXPECT_EQ(joined(expected), joined(scene.events()));
}

INSTANTIATE_TEST_SUITE_P(zel_nsis, hung_window,
                         testing::Values(hung_case{"client", true, false}, hung_case{"launcher", false, true},
                                         hung_case{"both", true, true}),
                         [](const testing::TestParamInfo<hung_case>& info) { return info.param.name; });

}  // namespace
