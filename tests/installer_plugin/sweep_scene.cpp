#include "sweep_scene.h"

#include <tlhelp32.h>

#include <cstring>

namespace {

constexpr DWORD window_wait_ms = 20000;
constexpr ULONG_PTR port_key = 1;

std::wstring program_folder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

}  // namespace

std::wstring sweep_scene::plugin_path() {
    const std::wstring bin = program_folder();
    return bin.substr(0, bin.find_last_of(L'\\')) + L"\\installer_plugin\\zel_nsis.dll";
}

std::wstring sweep_scene::stand_in_path() { return program_folder() + L"\\zel_nsis_stand_in.exe"; }

sweep_scene::sweep_scene() {
    if (folder_.path().empty()) {
        why_not_ready_ = "no temporary folder";
        return;
    }
    job_ = CreateJobObjectW(nullptr, nullptr);
    port_ = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link = {};
    link.CompletionKey = reinterpret_cast<void*>(port_key);
    link.CompletionPort = port_;
    if (!job_ || !port_ ||
        !SetInformationJobObject(job_, JobObjectAssociateCompletionPortInformation, &link, sizeof link)) {
        why_not_ready_ = "no job with a completion port";
        return;
    }
    observer_ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    observer_thread_ = std::thread([this] { observe(); });
    WaitForSingleObject(observer_ready_, window_wait_ms);
    if (!observer_) why_not_ready_ = "no observer window";
}

sweep_scene::~sweep_scene() {
    if (job_) TerminateJobObject(job_, 0);
    for (auto& p : processes_) {
        WaitForSingleObject(p.second, 5000);
        CloseHandle(p.second);
    }
    if (observer_) PostMessageW(observer_, WM_CLOSE, 0, 0);
    if (observer_thread_.joinable()) observer_thread_.join();
    if (observer_ready_) CloseHandle(observer_ready_);
    if (job_) CloseHandle(job_);
    if (port_) CloseHandle(port_);
}

bool sweep_scene::ready(std::string& why) const {
    why = why_not_ready_;
    return why.empty();
}

void sweep_scene::observe() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = observer_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"zel_nsis_test_observer";
    RegisterClassW(&wc);
    observer_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                                nullptr);
    if (observer_) SetWindowLongPtrW(observer_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetEvent(observer_ready_);
    MSG msg;
    while (observer_ && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

LRESULT CALLBACK sweep_scene::observer_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* scene = reinterpret_cast<sweep_scene*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && scene) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        std::string window_class;
        const auto* text = static_cast<const wchar_t*>(data->lpData);
        for (size_t i = 0; i < data->cbData / sizeof(wchar_t) && text[i]; ++i)
            window_class += static_cast<char>(text[i]);
        // The plug-in waits for this window while the record is taken: every
        // exit it caused so far is already in the port.
        scene->take_exits(0);
        std::lock_guard<std::mutex> hold(scene->lock_);
        scene->events_.push_back("close " + window_class);
        return TRUE;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wparam, lparam);
}

void sweep_scene::take_exits(DWORD first_wait_ms) {
    std::lock_guard<std::mutex> hold(lock_);
    DWORD message = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* detail = nullptr;
    for (DWORD wait = first_wait_ms; GetQueuedCompletionStatus(port_, &message, &key, &detail, wait); wait = 0) {
        if (key != port_key) continue;
        if (message != JOB_OBJECT_MSG_EXIT_PROCESS && message != JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS) continue;
        const auto pid = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(detail));
        auto found = labels_.find(pid);
        events_.push_back("end " + (found != labels_.end() ? found->second : std::to_string(pid)));
    }
}

bool sweep_scene::launch(const std::string& label, const std::wstring& file_name, const std::wstring& arguments) {
    const std::wstring sub = folder_ / (L"p" + std::to_wstring(++folders_));
    const std::wstring program = sub + L"\\" + file_name;
    if (!CreateDirectoryW(sub.c_str(), nullptr) || !CopyFileW(stand_in_path().c_str(), program.c_str(), TRUE))
        return false;
    std::wstring line = quoted(program) + L" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        sub.c_str(), &si, &pi))
        return false;
    const bool in_job = AssignProcessToJobObject(job_, pi.hProcess) != 0;
    {
        std::lock_guard<std::mutex> hold(lock_);
        labels_[pi.dwProcessId] = label;
        processes_[label] = pi.hProcess;
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    return in_job;
}

bool sweep_scene::start(const std::string& label, const std::wstring& file_name) {
    return launch(label, file_name, L"");
}

bool sweep_scene::start_window(const std::string& label, const std::wstring& file_name,
                               const wchar_t* window_class, const wchar_t* on_close) {
    const std::wstring arguments = std::wstring(L"window ") + window_class + L" " + on_close + L" observer " +
                                   std::to_wstring(reinterpret_cast<UINT_PTR>(observer_));
    if (!launch(label, file_name, arguments)) return false;
    for (DWORD waited = 0; waited < window_wait_ms; waited += 50) {
        if (FindWindowW(window_class, nullptr)) return true;
        Sleep(50);
    }
    return false;
}

bool sweep_scene::call(const std::string& label, const std::wstring& file_name, const char* export_name,
                       DWORD timeout_ms, DWORD& exit_code) {
    const std::wstring arguments =
        L"call " + std::wstring(export_name, export_name + strlen(export_name)) + L" " + quoted(plugin_path());
    exit_code = STILL_ACTIVE;
    if (!launch(label, file_name, arguments)) return false;
    HANDLE process = processes_[label];
    const bool ended = WaitForSingleObject(process, timeout_ms) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process, 0);
    GetExitCodeProcess(process, &exit_code);
    // The caller's own exit comes last; wait for it, so that the record is whole.
    for (int i = 0; i < 50; ++i) {
        take_exits(100);
        std::lock_guard<std::mutex> hold(lock_);
        if (!events_.empty() && events_.back() == "end " + label) break;
    }
    return ended;
}

std::vector<std::string> sweep_scene::process_list_order() const {
    std::vector<std::string> order;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return order;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        auto found = labels_.find(entry.th32ProcessID);
        if (found != labels_.end() && running(found->second)) order.push_back(found->second);
    }
    CloseHandle(snapshot);
    return order;
}

bool sweep_scene::running(const std::string& label) const {
    auto found = processes_.find(label);
    return found != processes_.end() && WaitForSingleObject(found->second, 0) == WAIT_TIMEOUT;
}

DWORD sweep_scene::exit_code(const std::string& label) const {
    DWORD code = STILL_ACTIVE;
    auto found = processes_.find(label);
    if (found != processes_.end()) GetExitCodeProcess(found->second, &code);
    return code;
}

std::vector<std::string> sweep_scene::events() {
    take_exits(0);
    std::lock_guard<std::mutex> hold(lock_);
    return events_;
}
