// Subclass chain: the window procedure is replaced once per chain by
// subclass::wndproc, which hands each message to the newest object; every
// object passes it on to the next older one, the oldest to the procedure the
// window had before.
#include "subclass.h"

namespace {
// The newest object of a window's chain.
const wchar_t kChainProperty[] = L"{BC5DA1CF-E446-45cd-A770-BD67B877CE96}";
// The window's own procedure, kept while subclass::wndproc is installed.
// Another hook may have replaced the procedure after ours and still call ours
// from its own chain; ours then stays installed with an empty chain and sends
// every message on to this procedure.
const wchar_t kSavedProcProperty[] = L"zel_subclass_saved_proc";

WNDPROC saved_procedure(HWND hwnd) { return reinterpret_cast<WNDPROC>(GetPropW(hwnd, kSavedProcProperty)); }

LRESULT call_saved(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    return proc ? CallWindowProcW(proc, hwnd, msg, wparam, lparam)
                : DefWindowProcW(hwnd, msg, wparam, lparam);
}
}  // namespace

critsec subclass::m_critsec;

subclass::subclass()
    : hwnd_(nullptr),
      attached_(false),
      saved_proc_(nullptr),
      next_(nullptr),
      passed_hwnd_(nullptr),
      passed_proc_(nullptr),
      passed_next_(nullptr) {}

subclass::~subclass() {
    if (attached_) deinit();
}

void subclass::init(HWND hwnd) {
    auto_sync lock(m_critsec);
    // Attaching twice would link the object to itself.
    if (attached_ || !IsWindow(hwnd)) return;
    hwnd_ = hwnd;
    passed_hwnd_ = nullptr;
    passed_proc_ = nullptr;
    passed_next_ = nullptr;
    add(this);
    attached_ = true;
    on_subclass();
}

void subclass::deinit() {
    auto_sync lock(m_critsec);
    if (!attached_) return;
    passed_hwnd_ = hwnd_;
    passed_proc_ = saved_proc_;
    passed_next_ = next_;
    remove(this);
    hwnd_ = nullptr;
    saved_proc_ = nullptr;
    next_ = nullptr;
    attached_ = false;
}

void subclass::on_subclass() {}

LRESULT subclass::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (attached_) {
        if (next_) return next_->window_proc(msg, wparam, lparam);
        return call_saved(saved_proc_, hwnd_, msg, wparam, lparam);
    }
    // Detached while handling this message: it goes where it would have gone,
    // to the older object when that one is still attached, else to the
    // window's own procedure.
    HWND hwnd = passed_hwnd_;
    if (!hwnd || !IsWindow(hwnd)) return 0;
    for (subclass* p = first(hwnd); p; p = p->next_) {
        if (p == passed_next_) return p->window_proc(msg, wparam, lparam);
    }
    WNDPROC proc = saved_procedure(hwnd);
    return call_saved(proc ? proc : passed_proc_, hwnd, msg, wparam, lparam);
}

subclass* subclass::first(HWND hwnd) { return static_cast<subclass*>(GetPropW(hwnd, kChainProperty)); }

void subclass::add(subclass* object) {
    if (!object || !IsWindow(object->hwnd_)) return;
    HWND hwnd = object->hwnd_;
    subclass* head = first(hwnd);
    object->next_ = head;
    SetPropW(hwnd, kChainProperty, object);
    if (head) {
        object->saved_proc_ = head->saved_proc_;
    } else if (WNDPROC kept = saved_procedure(hwnd)) {
        // subclass::wndproc is still called from another hook's chain.
        object->saved_proc_ = kept;
    } else {
        object->saved_proc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&subclass::wndproc)));
        SetPropW(hwnd, kSavedProcProperty, reinterpret_cast<HANDLE>(object->saved_proc_));
    }
}

void subclass::remove(subclass* object) {
    HWND hwnd = object->hwnd_;
    subclass* head = first(hwnd);
    if (!head) return;
    if (head != object) {
        subclass* p = head;
        while (p->next_ && p->next_ != object) p = p->next_;
        if (p->next_ == object) p->next_ = object->next_;
        return;
    }
    if (object->next_) {
        SetPropW(hwnd, kChainProperty, object->next_);
        return;
    }
    RemovePropW(hwnd, kChainProperty);
    // Put the saved procedure back only when ours is the one installed:
    // restoring over a later hook would cut that hook out.
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&subclass::wndproc)) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(object->saved_proc_));
        RemovePropW(hwnd, kSavedProcProperty);
    }
}

void subclass::clear(HWND hwnd) {
    while (subclass* head = first(hwnd)) {
        head->deinit();
        if (first(hwnd) == head) {  // not detachable: drop the chain rather than loop
            RemovePropW(hwnd, kChainProperty);
            break;
        }
    }
}

LRESULT CALLBACK subclass::wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    subclass* head = first(hwnd);
    if (msg != WM_NCDESTROY) {
        if (head) return head->window_proc(msg, wparam, lparam);
        return call_saved(saved_procedure(hwnd), hwnd, msg, wparam, lparam);
    }
    // The window goes away: every object is detached before the window's own
    // procedure sees its last message, and none of them sees it.
    WNDPROC saved = head ? head->saved_proc_ : saved_procedure(hwnd);
    clear(hwnd);
    RemovePropW(hwnd, kSavedProcProperty);
    return call_saved(saved, hwnd, msg, wparam, lparam);
}
