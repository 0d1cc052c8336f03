#pragma once
// request_worker: sends one service request on a thread of its own, so that
// a service that answers slowly or not at all never holds the user-interface
// thread, and tells a window by a posted message when the reply is there.
//
// One request at a time per object. start, busy, take and destruction run on
// the thread that owns the object (the user-interface thread). Destroying the
// object while a request runs abandons it: the thread finishes on its own
// (within http_post's bound), posts nothing and frees what it shares; it
// holds a reference to its module meanwhile, so that unloading the library
// does not pull the code from under it.
#include <memory>
#include <windows.h>
#include "service_reply.h"
#include "service_request.h"

class request_worker {
public:
    request_worker();
    ~request_worker();
    request_worker(const request_worker&) = delete;
    request_worker& operator=(const request_worker&) = delete;

    // Sends request; when its reply is there, message (wparam and lparam 0)
    // is posted to window (none when window is null). False while a request
    // is running or when no thread could be started.
    bool start(const service_request& request, HWND window, UINT message);
    // True from start until the reply has been taken.
    bool busy() const { return state_ != nullptr; }
    // The reply once it is there (then the object is free again); false while
    // the request runs or when none was started.
    bool take(service_reply& reply);
    // Waits at most timeout_ms for the reply of the running request (the
    // calling thread is held meanwhile); true when it is there.
    bool wait(DWORD timeout_ms);

    // Waits for the reply of the running request while the calling thread's
    // messages go on being dispatched (its windows answer, its timers run,
    // its dialogs take their keys); true when the reply is there. A WM_QUIT
    // that arrives meanwhile is posted again for the thread's own loop.
    bool wait_answering();

    struct shared;

private:
    std::shared_ptr<shared> state_;
};

// Sends request on a worker while the calling thread dispatches its messages
// (wait_answering): the reply as request.send() gives it, but a window of
// the calling thread answers the whole time. For requests of the
// user-interface thread; a thread without windows just waits. A handler that
// runs meanwhile may send a request of its own the same way: that one ends
// first.
service_reply send_answering(const service_request& request);
