// Dialog base: a creation hook lets a dialog class subclass its controls while
// they are created; the dialog procedure maps windows to objects and keeps the
// list of live dialogs for the host's message loop.
#include "dialog.h"
#include <algorithm>
#include <map>
#include <vector>
#include "core.h"
#include "critsec.h"

namespace {
std::map<HWND, dialog*> g_dialog_map;  // user-interface thread only
critsec g_dialog_lock;                  // guards the pending dialog and its hook
dialog* g_pending = nullptr;

// Dispatches every message already waiting on this thread, so that a dialog
// created from a command handler does not start behind a backlog.
void pump_pending_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
}  // namespace

dialog::dialog() : hwnd_(nullptr), hook_(nullptr) {}

dialog::~dialog() {}

void dialog::prepare_creation() {
    g_pending = this;
    hook_ = SetWindowsHookExW(WH_CBT, &dialog::hook_proc, core::get_instance(), GetCurrentThreadId());
}

bool dialog::create(unsigned int template_id, HWND parent) {
    pump_pending_messages();
    auto_sync lock(g_dialog_lock);
    prepare_creation();
    hwnd_ = CreateDialogParamW(core::get_instance(), MAKEINTRESOURCEW(template_id & 0xFFFF), parent,
                               &dialog::dlgproc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_ && hook_) {
        // No WM_INITDIALOG came to take the hook down.
        UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
        g_pending = nullptr;
    }
    return hwnd_ != nullptr;
}

int dialog::modal(unsigned int template_id, HWND parent) {
    pump_pending_messages();
    {
        auto_sync lock(g_dialog_lock);
        prepare_creation();
    }
    INT_PTR result = DialogBoxParamW(core::get_instance(), MAKEINTRESOURCEW(template_id & 0xFFFF), parent,
                                     &dialog::dlgproc, reinterpret_cast<LPARAM>(this));
    auto_sync lock(g_dialog_lock);
    if (hook_) {
        UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
        if (g_pending == this) g_pending = nullptr;
    }
    return static_cast<int>(result);
}

bool dialog::pretranslate_message(MSG*) { return false; }

void dialog::presubclass_window(unsigned int, HWND) {}

LRESULT CALLBACK dialog::hook_proc(int code, WPARAM wparam, LPARAM lparam) {
    dialog* pending;
    {
        auto_sync lock(g_dialog_lock);
        pending = g_pending;
    }
    if (!pending) return 0;
    if (code == HCBT_CREATEWND && lparam) {
        CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lparam)->lpcs;
        if ((cs->style & WS_CHILD) && cs->hwndParent &&
            GetWindowLongPtrW(cs->hwndParent, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(&dialog::dlgproc)) {
            pending->presubclass_window(static_cast<unsigned int>(reinterpret_cast<UINT_PTR>(cs->hMenu)),
                                        reinterpret_cast<HWND>(wparam));
        }
    }
    return CallNextHookEx(pending->hook_, code, wparam, lparam);
}

INT_PTR CALLBACK dialog::dlgproc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        dialog* object = reinterpret_cast<dialog*>(lparam);
        if (!object) return FALSE;
        {
            auto_sync lock(g_dialog_lock);
            if (object->hook_) UnhookWindowsHookEx(object->hook_);
            object->hook_ = nullptr;
            g_pending = nullptr;
        }
        object->hwnd_ = hwnd;
        core::get_dlglist()->push_back(object);
        g_dialog_map[hwnd] = object;
        return object->dialog_proc(message, wparam, lparam);
    }
    auto it = g_dialog_map.find(hwnd);
    if (it == g_dialog_map.end()) return FALSE;
    dialog* object = it->second;
    if (message == WM_DESTROY) {
        std::vector<dialog*>& list = *core::get_dlglist();
        auto entry = std::find_if(list.begin(), list.end(), [hwnd](dialog* d) { return d->hwnd_ == hwnd; });
        if (entry != list.end()) list.erase(entry);
        return object->dialog_proc(message, wparam, lparam);
    }
    if (message == WM_NCDESTROY) {
        LRESULT result = object->dialog_proc(message, wparam, lparam);
        g_dialog_map.erase(hwnd);
        return result;
    }
    return object->dialog_proc(message, wparam, lparam);
}
