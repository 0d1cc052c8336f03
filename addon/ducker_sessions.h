#pragma once
// The ducker's view of the platform: the audio sessions of one render
// endpoint and the millisecond tick count. The live source reads Windows'
// audio sessions (ducker_sessions_win32.cpp); tests give sessions and a
// clock of their own.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// One audio session: whose it is and its volume control.
class audio_session {
public:
    virtual ~audio_session() = default;
    virtual DWORD process_id() = 0;
    // The executable file name (no folder) of the session's process; "" when
    // the process is not found.
    virtual std::wstring exe_name() = 0;
    virtual bool is_system_sounds() = 0;
    // The master volume, 0.0 to 1.0; false when it cannot be read.
    virtual bool get_volume(float* volume) = 0;
    virtual void set_volume(float volume) = 0;
};

typedef std::shared_ptr<audio_session> audio_session_ptr;

class audio_session_source {
public:
    virtual ~audio_session_source() = default;
    // The sessions of the render endpoint whose friendly name equals
    // device_name ignoring case, or of the default render endpoint when
    // device_name is null or names no active endpoint; in the endpoint's
    // order. Empty when the platform gives no sessions.
    virtual std::vector<audio_session_ptr> sessions(const wchar_t* device_name) = 0;
};

class tick_clock {
public:
    virtual ~tick_clock() = default;
    virtual unsigned now() = 0;
};

// Windows' audio sessions (MMDevice enumerator, IAudioSessionManager2); the
// calling thread must have COM initialised.
audio_session_source& win32_audio_session_source();
// GetTickCount.
tick_clock& system_tick_clock();
// This process's id and executable file name.
DWORD own_process_id();
std::wstring own_exe_name();
