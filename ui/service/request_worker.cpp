#include "request_worker.h"
#include "critsec.h"
#include "dialog.h"

struct request_worker::shared {
    explicit shared(const service_request& r) : request(r), ended(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~shared() {
        if (ended) CloseHandle(ended);
    }
    shared(const shared&) = delete;
    shared& operator=(const shared&) = delete;
    service_request request;
    HANDLE ended;  // set when the reply is there
    HWND window = nullptr;
    UINT message = 0;
    critsec lock;
    bool done = false;
    bool abandoned = false;
    service_reply reply;
};

namespace {

struct worker_start {
    std::shared_ptr<request_worker::shared> state;
    HMODULE module = nullptr;
};

struct worker_thread {
    static DWORD WINAPI run(void* parameter) {
        worker_start* start = static_cast<worker_start*>(parameter);
        const HMODULE module = start->module;
        {
            std::shared_ptr<request_worker::shared> state = start->state;
            delete start;
            service_reply reply = state->request.send();
            auto_sync guard(state->lock);
            state->reply = reply;
            state->done = true;
            if (state->ended) SetEvent(state->ended);
            if (!state->abandoned && state->window) PostMessageW(state->window, state->message, 0, 0);
        }
        // The module reference taken for this thread ends with it.
        if (module && module != GetModuleHandleW(nullptr)) FreeLibraryAndExitThread(module, 0);
        return 0;
    }
};

}  // namespace

request_worker::request_worker() {}

request_worker::~request_worker() {
    if (!state_) return;
    auto_sync guard(state_->lock);
    state_->abandoned = true;
}

bool request_worker::start(const service_request& request, HWND window, UINT message) {
    if (state_) return false;
    std::shared_ptr<shared> state = std::make_shared<shared>(request);
    state->window = window;
    state->message = message;
    worker_start* start = new worker_start;
    start->state = state;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&worker_thread::run),
                       &start->module);
    HANDLE thread = CreateThread(nullptr, 0, &worker_thread::run, start, 0, nullptr);
    if (!thread) {
        if (start->module && start->module != GetModuleHandleW(nullptr)) FreeLibrary(start->module);
        delete start;
        return false;
    }
    CloseHandle(thread);
    state_ = state;
    return true;
}

bool request_worker::take(service_reply& reply) {
    if (!state_) return false;
    {
        auto_sync guard(state_->lock);
        if (!state_->done) return false;
        reply = state_->reply;
    }
    state_.reset();
    return true;
}

bool request_worker::wait(DWORD timeout_ms) {
    if (!state_) return false;
    if (state_->ended) WaitForSingleObject(state_->ended, timeout_ms);
    auto_sync guard(state_->lock);
    return state_->done;
}

bool request_worker::wait_answering() {
    if (!state_) return false;
    bool quit = false;
    WPARAM quit_code = 0;
    HANDLE ended = state_->ended;
    for (;;) {
        {
            auto_sync guard(state_->lock);
            if (state_->done) break;
        }
        if (!ended) {
            Sleep(10);
            continue;
        }
        const DWORD woke = MsgWaitForMultipleObjects(1, &ended, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) continue;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quit_code = msg.wParam;
                continue;
            }
            if (dialog::take_message(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quit_code));
    return true;
}

service_reply send_answering(const service_request& request) {
    request_worker worker;
    if (!worker.start(request, nullptr, 0)) return request.send();
    service_reply reply;
    worker.wait_answering();
    worker.take(reply);
    return reply;
}
