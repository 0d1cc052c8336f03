// The launcher's window framework: chains of objects on windows, windows
// made by objects, and the message hook that offers keyboard messages to
// them.
#include "window_base.h"

#include <map>

#include "core.h"
#include "critsec.h"

namespace {
critsec g_window_lock;                      // guards the two maps and the hook
std::map<HWND, window_base*> g_attached;    // window -> newest bound object
std::map<HWND, window_base*> g_created;     // window -> object whose create made it
HHOOK g_message_hook = nullptr;
// The windows whose WM_NCDESTROY is being dispatched, and whether their own
// procedure has seen it by then.
std::map<HWND, bool> g_ending;

window_base* created_object(HWND hwnd) {
    auto_sync lock(g_window_lock);
    auto it = g_created.find(hwnd);
    return it == g_created.end() ? nullptr : it->second;
}
}  // namespace

window_base::window_base()
    : hwnd_(nullptr), attached_(false), hooked_(false), previous_(nullptr), next_(nullptr) {}

window_base::~window_base() {
    if (attached_) detach();
    // A window made by this object no longer reaches it.
    auto_sync lock(g_window_lock);
    for (auto it = g_created.begin(); it != g_created.end();) {
        if (it->second == this)
            it = g_created.erase(it);
        else
            ++it;
    }
}

HWND window_base::create(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, int x,
                         int y, int width, int height, HWND parent, HMENU menu) {
    install_message_hook();
    on_prepare();
    window_creation record = {ex_style, class_name, title, style, x, y, width, height, parent, menu};
    on_creating(record);
    HWND made = CreateWindowExW(record.ex_style, record.class_name, record.title, record.style, record.x, record.y,
                                record.width, record.height, record.parent, record.menu, core::get_instance(), this);
    if (!made) remove_message_hook_when_unused();
    return made;
}

bool window_base::pretranslate_message(MSG*) { return false; }
void window_base::on_attaching() {}
void window_base::on_init() {}
void window_base::on_creating(window_creation&) {}
void window_base::on_prepare() {}
bool window_base::is_dialog() const { return false; }

bool window_base::attach(HWND hwnd) {
    if (attached_) return true;
    if (!IsWindow(hwnd)) return false;
    hwnd_ = hwnd;
    install_message_hook();
    on_prepare();
    if (!hooked_) on_attaching();
    {
        auto_sync lock(g_window_lock);
        auto it = g_attached.find(hwnd);
        window_base* older = it == g_attached.end() ? nullptr : it->second;
        next_ = older;
        if (older) {
            previous_ = older->previous_;
        } else {
            LONG_PTR current = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
            if (current == reinterpret_cast<LONG_PTR>(&window_base::framework_proc)) {
                // A window that window_base::create made: its own object is
                // reached after the chain (previous_ stays null).
                previous_ = nullptr;
            } else {
                previous_ = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&window_base::framework_proc)));
            }
        }
        g_attached[hwnd] = this;
        attached_ = true;
    }
    if (!hooked_) on_init();
    return true;
}

void window_base::detach() {
    if (!attached_) return;
    hooked_ = false;
    {
        auto_sync lock(g_window_lock);
        auto it = g_attached.find(hwnd_);
        if (it != g_attached.end()) {
            if (it->second == this) {
                if (next_) {
                    it->second = next_;
                } else {
                    g_attached.erase(it);
                    // Put the window's procedure back only where ours is the
                    // one installed, so that a later subclasser is not cut out.
                    if (previous_ && IsWindow(hwnd_) &&
                        GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) ==
                            reinterpret_cast<LONG_PTR>(&window_base::framework_proc))
                        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
                }
            } else {
                for (window_base* p = it->second; p; p = p->next_) {
                    if (p->next_ == this) {
                        p->next_ = next_;
                        break;
                    }
                }
            }
        }
        hwnd_ = nullptr;
        previous_ = nullptr;
        next_ = nullptr;
        attached_ = false;
    }
    remove_message_hook_when_unused();
}

LRESULT window_base::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (!attached_) {
        // A window this object made and is not otherwise bound to.
        return hwnd_ ? DefWindowProcW(hwnd_, msg, wparam, lparam) : 0;
    }
    if (next_) return next_->dispatch(msg, wparam, lparam);
    if (previous_) {
        if (msg == WM_NCDESTROY) {
            auto_sync lock(g_window_lock);
            auto it = g_ending.find(hwnd_);
            if (it != g_ending.end()) it->second = true;
        }
        return CallWindowProcW(previous_, hwnd_, msg, wparam, lparam);
    }
    if (window_base* own = created_object(hwnd_)) return own->dispatch(msg, wparam, lparam);
    return DefWindowProcW(hwnd_, msg, wparam, lparam);
}

LRESULT window_base::dispatch(UINT msg, WPARAM wparam, LPARAM lparam) {
    const bool init_after = msg == WM_CREATE && hooked_;
    LRESULT result = window_proc(msg, wparam, lparam);
    if (init_after && attached_) on_init();
    return result;
}

window_base* window_base::newest(HWND hwnd) {
    auto_sync lock(g_window_lock);
    auto it = g_attached.find(hwnd);
    return it == g_attached.end() ? nullptr : it->second;
}

LRESULT window_base::end_of_window(HWND hwnd, window_base* head, WPARAM wparam, LPARAM lparam) {
    WNDPROC original = nullptr;
    for (window_base* p = head; p; p = p->next_) original = p->previous_;
    {
        auto_sync lock(g_window_lock);
        g_ending[hwnd] = false;
    }
    LRESULT result = head->dispatch(WM_NCDESTROY, wparam, lparam);
    bool seen = false;
    {
        auto_sync lock(g_window_lock);
        seen = g_ending[hwnd];
        g_ending.erase(hwnd);
    }
    // Every object still bound leaves; the last one gives the window its
    // procedure back.
    while (window_base* p = newest(hwnd)) p->detach();
    // An object that kept WM_NCDESTROY to itself: the window's own procedure
    // still gets its last message.
    if (!seen && original) result = CallWindowProcW(original, hwnd, WM_NCDESTROY, wparam, lparam);
    if (window_base* own = created_object(hwnd)) {
        {
            auto_sync lock(g_window_lock);
            g_created.erase(hwnd);
        }
        own->hwnd_ = nullptr;
    }
    remove_message_hook_when_unused();
    return result;
}

LRESULT CALLBACK window_base::framework_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (window_base* head = newest(hwnd)) {
        if (msg == WM_NCDESTROY) return end_of_window(hwnd, head, wparam, lparam);
        return head->dispatch(msg, wparam, lparam);
    }
    window_base* own = created_object(hwnd);
    if (!own && msg == WM_NCCREATE) {
        const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        own = cs ? static_cast<window_base*>(cs->lpCreateParams) : nullptr;
        if (!own) return DefWindowProcW(hwnd, msg, wparam, lparam);
        auto_sync lock(g_window_lock);
        g_created[hwnd] = own;
        own->hwnd_ = hwnd;
    }
    if (!own) return DefWindowProcW(hwnd, msg, wparam, lparam);
    LRESULT result = own->dispatch(msg, wparam, lparam);
    if (msg == WM_NCDESTROY) {
        {
            auto_sync lock(g_window_lock);
            g_created.erase(hwnd);
        }
        if (!own->attached_) own->hwnd_ = nullptr;
        remove_message_hook_when_unused();
    }
    return result;
}

void window_base::install_message_hook() {
    auto_sync lock(g_window_lock);
    if (!g_message_hook)
        g_message_hook = SetWindowsHookExW(WH_GETMESSAGE, &window_base::message_hook, nullptr, GetCurrentThreadId());
}

void window_base::remove_message_hook_when_unused() {
    auto_sync lock(g_window_lock);
    if (g_message_hook && g_attached.empty() && g_created.empty()) {
        UnhookWindowsHookEx(g_message_hook);
        g_message_hook = nullptr;
    }
}

bool window_base::message_hook_installed() {
    auto_sync lock(g_window_lock);
    return g_message_hook != nullptr;
}

LRESULT CALLBACK window_base::message_hook(int code, WPARAM wparam, LPARAM lparam) {
    MSG* message = reinterpret_cast<MSG*>(lparam);
    if (code == HC_ACTION && wparam == PM_REMOVE && message && message->message >= WM_KEYFIRST &&
        message->message <= WM_KEYLAST && message->hwnd) {
        HWND parent = GetParent(message->hwnd);
        bool taken = false;
        if (parent) {
            if (window_base* own = created_object(parent)) taken = own->pretranslate_message(message);
            for (window_base* p = newest(parent); p && !taken; p = p->next_) taken = p->pretranslate_message(message);
        }
        if (taken) {
            message->message = WM_NULL;
            message->wParam = 0;
            message->lParam = 0;
        }
    }
    return CallNextHookEx(g_message_hook, code, wparam, lparam);
}
