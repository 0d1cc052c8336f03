// The two exports the installer and the uninstaller call.
//
// The installer calls a plug-in function with C linkage and the C calling
// convention and passes its parent window, the length of its variables, the
// variables, the top of its string stack and a block of extra parameters. The
// routine here needs none of them: it neither pops nor pushes nor sets a
// variable, so the layouts behind the pointers stay opaque and the ANSI and
// Unicode installers are served alike.
#include <windows.h>

#include "close_running_programs.h"

struct installer_stack_entry;
struct installer_extra_parameters;

// Exported by name through zel_nsis.def, undecorated on every architecture.
extern "C" {

void __cdecl zel_install(HWND parent, int string_size, void* variables, installer_stack_entry** stack_top,
                         installer_extra_parameters* extra) {
    zel_nsis::close_running_programs();
}

void __cdecl zel_uninstall(HWND parent, int string_size, void* variables, installer_stack_entry** stack_top,
                           installer_extra_parameters* extra) {
    zel_nsis::close_running_programs();
}

}  // extern "C"
