// Dialog base: a creation hook lets a dialog class subclass its controls while
// they are created; the dialog procedure maps windows to objects and keeps the
// list of live dialogs for the host's message loop.
//
// Dialogs are created on the user-interface thread and on worker threads (a
// hidden modal dialog), so the dialog being created and its hook belong to the
// creating thread, and the shared map and list are guarded.
#include "dialog.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "core.h"
#include "critsec.h"

namespace {
critsec g_dialog_lock;                     // guards the map and the list of live dialogs
std::map<HWND, dialog*> g_dialog_map;      // open dialogs, WM_INITDIALOG to WM_NCDESTROY
thread_local dialog* t_pending = nullptr;  // the dialog whose window this thread is creating

// Dispatches every message already waiting on this thread, so that a dialog
// created from a command handler does not start behind a backlog. A quit
// request is not a message to dispatch: it is posted again and the pump
// stops, so that the thread's own loop still sees it and ends.
void pump_pending_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

dialog* find_dialog(HWND hwnd) {
    auto_sync lock(g_dialog_lock);
    auto it = g_dialog_map.find(hwnd);
    return it == g_dialog_map.end() ? nullptr : it->second;
}
}  // namespace

dialog::dialog() : hwnd_(nullptr), hook_(nullptr) {}

dialog::~dialog() {}

void dialog::prepare_creation() {
    t_pending = this;
    hook_ = SetWindowsHookExW(WH_CBT, &dialog::hook_proc, nullptr, GetCurrentThreadId());
}

void dialog::end_creation() {
    // Nothing is left behind when no WM_INITDIALOG came to take the hook down
    // (a missing template): a later window of this thread must not reach a
    // dialog object that may be gone.
    if (hook_) {
        UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
    }
    if (t_pending == this) t_pending = nullptr;
}

bool dialog::create(unsigned int template_id, HWND parent) {
    pump_pending_messages();
    prepare_creation();
    hwnd_ = CreateDialogParamW(core::get_instance(), MAKEINTRESOURCEW(template_id & 0xFFFF), parent,
                               &dialog::dlgproc, reinterpret_cast<LPARAM>(this));
    end_creation();
    return hwnd_ != nullptr;
}

int dialog::modal(unsigned int template_id, HWND parent) {
    pump_pending_messages();
    prepare_creation();
    INT_PTR result = DialogBoxParamW(core::get_instance(), MAKEINTRESOURCEW(template_id & 0xFFFF), parent,
                                     &dialog::dlgproc, reinterpret_cast<LPARAM>(this));
    end_creation();
    return static_cast<int>(result);
}

bool dialog::pretranslate_message(MSG*) { return false; }

// The list is copied under its lock, and only this thread's dialogs are
// taken: another thread's dialog may end at any moment (its thread removes
// it), while one of this thread's can only end inside the calls made here.
bool dialog::take_message(MSG* message) {
    std::vector<std::pair<HWND, dialog*>> mine;
    {
        auto_sync lock(g_dialog_lock);
        const DWORD thread = GetCurrentThreadId();
        for (dialog* d : *core::get_dlglist())
            if (d->hwnd_ && GetWindowThreadProcessId(d->hwnd_, nullptr) == thread) mine.emplace_back(d->hwnd_, d);
    }
    for (const auto& entry : mine) {
        if (find_dialog(entry.first) != entry.second) continue;  // ended by an earlier one of this walk
        if (entry.second->pretranslate_message(message)) return true;
        if (IsDialogMessageW(entry.first, message)) return true;
    }
    return false;
}

void dialog::presubclass_window(unsigned int, HWND) {}

LRESULT CALLBACK dialog::hook_proc(int code, WPARAM wparam, LPARAM lparam) {
    dialog* pending = t_pending;
    if (pending && code == HCBT_CREATEWND && lparam) {
        CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lparam)->lpcs;
        // A control of the dialog being created: a child whose parent runs
        // our dialog procedure and is not yet an open dialog (children made
        // meanwhile in other dialogs or windows are not offered).
        HWND parent = cs->hwndParent;
        if ((cs->style & WS_CHILD) && parent &&
            GetWindowLongPtrW(parent, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(&dialog::dlgproc) &&
            !find_dialog(parent)) {
            pending->presubclass_window(static_cast<unsigned int>(reinterpret_cast<UINT_PTR>(cs->hMenu)),
                                        reinterpret_cast<HWND>(wparam));
        }
    }
    return CallNextHookEx(pending ? pending->hook_ : nullptr, code, wparam, lparam);
}

INT_PTR CALLBACK dialog::dlgproc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        dialog* object = reinterpret_cast<dialog*>(lparam);
        if (!object) return FALSE;
        object->end_creation();
        object->hwnd_ = hwnd;
        {
            auto_sync lock(g_dialog_lock);
            core::get_dlglist()->push_back(object);
            g_dialog_map[hwnd] = object;
        }
        return object->dialog_proc(message, wparam, lparam);
    }
    dialog* object = find_dialog(hwnd);
    if (!object) return FALSE;
    if (message == WM_DESTROY) {
        {
            auto_sync lock(g_dialog_lock);
            std::vector<dialog*>& list = *core::get_dlglist();
            auto entry =
                std::find_if(list.begin(), list.end(), [hwnd](dialog* d) { return d->hwnd_ == hwnd; });
            if (entry != list.end()) list.erase(entry);
        }
        return object->dialog_proc(message, wparam, lparam);
    }
    if (message == WM_NCDESTROY) {
        LRESULT result = object->dialog_proc(message, wparam, lparam);
        auto_sync lock(g_dialog_lock);
        g_dialog_map.erase(hwnd);
        return result;
    }
    return object->dialog_proc(message, wparam, lparam);
}
