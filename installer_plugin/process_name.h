#pragma once
// The name test of the installer plug-in: which running processes belong to
// a program of the system.
namespace zel_nsis {

// True when exe_file (the ANSI file name of a process as the Tool Help list
// reports it) contains program, both upper-cased in ASCII (only a to z
// change). The search steps through exe_file by characters of the ANSI code
// page, so a match never starts on the second byte of a double-byte
// character. Null text matches nothing.
bool process_name_matches(const char* exe_file, const char* program);

}  // namespace zel_nsis
