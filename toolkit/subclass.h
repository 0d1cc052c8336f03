#pragma once
// Attaches objects to an existing window so that its messages pass through
// their virtual window_proc first. Several objects on one window form a
// chain: the newest sees a message first and passes it on to the next older
// one, the oldest to the procedure the window had before the first object
// attached. The newest object is kept in the window property
// "{BC5DA1CF-E446-45cd-A770-BD67B877CE96}".
//
// A chain is used on the thread that owns its window; attaching and detaching
// take m_critsec, message dispatch takes no lock.
#include <windows.h>

#include "critsec.h"
#include "zel_export.h"

class ZEL_CORE_API subclass {
public:
    subclass();
    // Detaches the object when it is attached; does not destroy the window.
    virtual ~subclass();
    subclass(const subclass&) = delete;
    subclass& operator=(const subclass&) = delete;

    // Attaches the object as the newest of the window's chain and calls
    // on_subclass. A handle that is not a window leaves it detached. Called
    // once per attachment (an attached object is not attached again).
    void init(HWND hwnd);
    // Leaves the chain; the window gets its own procedure back when the chain
    // becomes empty. Nothing for a detached object.
    void deinit();

    // Runs right after attaching, on the caller's thread, under m_critsec.
    virtual void on_subclass();
    // The object's handler. The default passes the message on to the next
    // older object, or to the window's own procedure after the oldest.
    virtual LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam);

    HWND get_hwnd() const { return hwnd_; }
    bool is_attached() const { return attached_; }

    // Guards attaching and detaching.
    static critsec m_critsec;

protected:
    HWND hwnd_;

private:
    static LRESULT CALLBACK wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    static void add(subclass* object);
    static void remove(subclass* object);
    static void clear(HWND hwnd);
    static subclass* first(HWND hwnd);

    bool attached_;
    WNDPROC saved_proc_;
    subclass* next_;
    // Where a message goes on when the object detached itself while handling
    // it: the links it had at that moment.
    HWND passed_hwnd_;
    WNDPROC passed_proc_;
    subclass* passed_next_;
};
