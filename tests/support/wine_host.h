#pragma once
// Helpers for tests that run under Wine and need the Linux side: path
// conversion between the two file systems and starting Linux programs
// (Python stand-ins and reference tools).
//
// Wine starts a Linux program from CreateProcess without a handle to wait on
// and without a way to read its output, so the programs started here talk to
// the test through files: the test waits (bounded) for a file that the
// program writes atomically.
#include <windows.h>
#include <string>
#include <vector>

namespace wine_host {

// The Linux path of a Windows path, through Wine's wine_get_unix_file_name;
// "" when not running under Wine.
std::string unix_path(const std::wstring& windows_path);
// The Windows path of a Linux path, through wine_get_dos_file_name; "" when
// not running under Wine.
std::wstring dos_path(const std::string& unix_path);

// The Linux path of a project file, e.g. "tools/service_stand_in.py".
std::string source_file(const char* relative);

// Starts python3 (ZEL_PYTHON, else /usr/bin/python3) with the arguments,
// detached. False with a message in error when it cannot be started. The
// program must not keep the test's standard handles open (ctest waits for
// them): the project's Python tools redirect them or end quickly.
bool start_python(const std::vector<std::string>& args, std::string& error);

// Runs a Python tool that writes its result to the file named by its
// "--out" argument (appended here) and waits for that file for at most
// timeout_ms. True with the file's content in output.
bool run_python_tool(const std::vector<std::string>& args, std::string& output, std::string& error,
                     DWORD timeout_ms = 20000);

// A new empty folder for one test's exchange files (Windows path), below the
// build folder; its Linux path in unix_folder.
bool make_state_folder(const char* tag, std::wstring& folder, std::string& unix_folder);
// Removes a folder made by make_state_folder and what is in it (one level of
// subfolders). Kept when the environment variable ZEL_KEEP_STATE is set.
void remove_state_folder(const std::wstring& folder);

// Waits until the file exists, for at most timeout_ms.
bool wait_for_file(const std::wstring& path, DWORD timeout_ms);
bool file_exists(const std::wstring& path);
// The whole file as bytes; "" when it cannot be read.
std::string read_file(const std::wstring& path);
// Writes through "<path>.tmp" and a rename, so that readers see all or none.
bool write_file_atomic(const std::wstring& path, const std::string& data);

}  // namespace wine_host
