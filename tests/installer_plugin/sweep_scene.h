#pragma once
// sweep_scene: stand-in programs started under the system's program names for
// one test, and the record of what happened to them while the installer
// plug-in ran.
//
// Every program runs in one job whose completion port reports each exit in
// the order the processes ended. The stand-ins' windows tell an observer
// window of the test when they receive WM_CLOSE; the sender waits for that,
// so the record "close CLASS" lands exactly between the exits before it and
// the exits after it. The scene ends whatever still runs when it goes away.
#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "temp_folder.h"

class sweep_scene {
public:
    sweep_scene();
    ~sweep_scene();
    sweep_scene(const sweep_scene&) = delete;
    sweep_scene& operator=(const sweep_scene&) = delete;

    // False with a reason when the folder, the job or the observer could not
    // be made.
    bool ready(std::string& why) const;

    // Starts the stand-in copied as file_name (in a folder of its own),
    // called label in the record. A window role waits until its window exists.
    bool start(const std::string& label, const std::wstring& file_name);
    bool start_window(const std::string& label, const std::wstring& file_name, const wchar_t* window_class,
                      const wchar_t* on_close);

    // Runs the stand-in copied as file_name as the plug-in's caller of
    // export_name and waits for it at most timeout_ms. True with its exit code
    // when it ended; false when it still ran (it is ended then).
    bool call(const std::string& label, const std::wstring& file_name, const char* export_name,
              DWORD timeout_ms, DWORD& exit_code);

    // The labels of the running programs in the order of the Tool Help list.
    std::vector<std::string> process_list_order() const;
    bool running(const std::string& label) const;
    DWORD exit_code(const std::string& label) const;

    // What happened so far, in order: "close CLASS" (a window got WM_CLOSE)
    // and "end LABEL" (a program ended).
    std::vector<std::string> events();

    // The plug-in of this build and the stand-in program.
    static std::wstring plugin_path();
    static std::wstring stand_in_path();

private:
    bool launch(const std::string& label, const std::wstring& file_name, const std::wstring& arguments);
    void take_exits(DWORD first_wait_ms);
    void observe();
    static LRESULT CALLBACK observer_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    temp_folder folder_{L"zel_nsis"};
    HANDLE job_ = nullptr;
    HANDLE port_ = nullptr;
    std::thread observer_thread_;
    HWND observer_ = nullptr;
    HANDLE observer_ready_ = nullptr;
    std::string why_not_ready_;

    std::mutex lock_;  // guards events_ and the reading of the port
    std::vector<std::string> events_;
    std::map<DWORD, std::string> labels_;     // by process id
    std::map<std::string, HANDLE> processes_;  // by label
    unsigned folders_ = 0;
};
