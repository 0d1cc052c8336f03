#pragma once
// The routine behind both exports of the installer plug-in: close the
// running programs of the system by their windows, then end their
// processes, so that the installer finds no file in use.
#include <windows.h>

namespace zel_nsis {

// Longest time one window is given to answer WM_CLOSE. A window whose
// program does not answer (hung, or stopped in a debugger) would otherwise
// hold the installer for ever; its process is ended in the next step anyway.
constexpr UINT close_answer_ms = 5000;

// How long the plug-in waits for an ended process to be gone.
constexpr DWORD ended_wait_ms = 5000;

// Exit code of a process this plug-in ends. It must not be STILL_ACTIVE
// (259): anyone reading the code afterwards would take the ended process for
// a running one.
constexpr UINT ended_exit_code = 1;

// Ends the first process, in Tool Help order, whose file name matches program
// (process_name_matches). False when there is no snapshot, no match, or the
// first match cannot be opened; later matches are then not tried.
bool terminate_first_process(const char* program);

// In order: WM_CLOSE to the "ZELClientWindow" window; end the first
// "zel_client.exe"; end every "zel_player.exe" except the calling process;
// WM_CLOSE to the launcher's "ZELMultiWindow" window; end the first
// "zel_mtplayer.exe"; end the first "zel_manager.exe". Every failure is
// silent and the routine always runs to its end.
void close_running_programs();

}  // namespace zel_nsis
