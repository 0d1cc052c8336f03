#pragma once
// Until the user interface takes over, the host can play one file given on
// its command line: on the sound device when the system has one, otherwise
// into a WAV file whose path it prints.
#include <windows.h>

// Starts playing path; false (with a message on standard error) when there is
// no output component or no playback engine. When playing ends, WM_QUIT is
// posted to the calling thread, whose message loop must be running: with
// exit code 0 after the file played, 3 (and a message on standard error)
// when nothing of it could be played.
bool play_file_then_quit(const wchar_t* path);
