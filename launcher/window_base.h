#pragma once
// The launcher's window framework: objects bound to windows by replacing the
// window procedure.
//
// Several objects may be bound to one window; they form a chain, the newest
// first. Each object's default processing (window_base::window_proc) hands
// the message to the next older object, the oldest to the procedure the
// window had before the first object came. Detaching an object takes it out
// of the chain; only the last one to leave gives the window its procedure
// back. WM_NCDESTROY reaches every object of the window, then all of them
// are detached and the window's own procedure is restored (it sees
// WM_NCDESTROY exactly once), so objects outlive their windows.
//
// Unlike zel_core's subclass chain, an object here sees its window's last
// message, can make the window itself (window_base::create: the object gets
// the window's very first message, WM_NCCREATE) and can take keyboard
// messages before they are dispatched (window_base::pretranslate_message,
// through a message hook of the user-interface thread).
//
// The maps of bound windows are guarded by one lock; messages are
// dispatched without it. Windows are made and handled on the user-interface
// thread.
#include <windows.h>

// What window_base::create passes to CreateWindowExW; on_creating may
// change it.
struct window_creation {
    DWORD ex_style;
    const wchar_t* class_name;
    const wchar_t* title;
    DWORD style;
    int x, y, width, height;
    HWND parent;
    HMENU menu;
};

class window_base {
public:
    window_base();
    // Detaches the object when it is attached; the window stays.
    virtual ~window_base();
    window_base(const window_base&) = delete;
    window_base& operator=(const window_base&) = delete;

    // Makes a window of class_name (the module of core::get_instance) with
    // the object as creation parameter. The class's procedure must be
    // window_base::framework_proc: the object then receives every message
    // from WM_NCCREATE on. Null when no window was made.
    virtual HWND create(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, int x, int y,
                        int width, int height, HWND parent, HMENU menu);
    // A keyboard message of a child of the object's window, before it is
    // dispatched; true consumes it.
    virtual bool pretranslate_message(MSG* message);
    virtual void on_attaching();
    // After attaching (a hooked dialog object: after its WM_CREATE).
    virtual void on_init();
    virtual void on_creating(window_creation& record);
    // Binds the object to the window as the newest of its chain. True when
    // bound (also when it already was); false for a handle that is not a
    // window.
    virtual bool attach(HWND hwnd);
    virtual void detach();
    virtual void on_prepare();
    virtual bool is_dialog() const;
    // The object's handler; the default processing passes the message on.
    virtual LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam);

    HWND hwnd() const { return hwnd_; }
    bool attached() const { return attached_; }
    bool hooked() const { return hooked_; }
    WNDPROC previous_proc() const { return previous_; }

    // The procedure of classes whose windows window_base::create makes, and
    // of every window with a bound object.
    static LRESULT CALLBACK framework_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    // The newest object bound to the window; null when none.
    static window_base* newest(HWND hwnd);
    // Whether the message hook is installed (for tests).
    static bool message_hook_installed();

protected:
    // window_proc of the object, then on_init after a hooked object's WM_CREATE.
    LRESULT dispatch(UINT msg, WPARAM wparam, LPARAM lparam);
    static void install_message_hook();

    HWND hwnd_;
    bool attached_;
    bool hooked_;
    WNDPROC previous_;
    window_base* next_;

private:
    static LRESULT CALLBACK message_hook(int code, WPARAM wparam, LPARAM lparam);
    static void remove_message_hook_when_unused();
    static LRESULT end_of_window(HWND hwnd, window_base* head, WPARAM wparam, LPARAM lparam);
};
