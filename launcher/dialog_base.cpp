// Dialogs of the launcher's framework: the creation hook that binds the
// object to its dialog window from the first message on, and the creation
// from a copy of the template that carries the message font.
#include "dialog_base.h"

#include <map>

#include "core.h"
#include "critsec.h"
#include "dialog_template.h"

namespace {
critsec g_dialog_lock;                    // guards the dialog map and the dialog being created
std::map<HWND, dialog_base*> g_dialogs;   // dialog window -> object, until WM_NCDESTROY
dialog_base* g_creating = nullptr;        // the dialog whose window is being made
int g_nesting = 0;
}  // namespace

dialog_base::dialog_base() : hook_(nullptr), template_id_(0) {}

dialog_base::~dialog_base() {
    end_creation();
    auto_sync lock(g_dialog_lock);
    for (auto it = g_dialogs.begin(); it != g_dialogs.end();) {
        if (it->second == this)
            it = g_dialogs.erase(it);
        else
            ++it;
    }
}

bool dialog_base::is_dialog() const { return true; }
bool dialog_base::use_message_font() { return true; }
void dialog_base::on_dialog_creating() {}

dialog_base* dialog_base::find(HWND hwnd) {
    auto_sync lock(g_dialog_lock);
    auto it = g_dialogs.find(hwnd);
    return it == g_dialogs.end() ? nullptr : it->second;
}

bool dialog_base::prepare(unsigned int template_id) {
    template_id_ = template_id;
    dialog_template copy;
    if (!copy.load(template_id)) return false;
    class_name_ = copy.class_name();
    on_dialog_creating();
    hook_ = SetWindowsHookExW(WH_CBT, &dialog_base::creation_hook, nullptr, GetCurrentThreadId());
    return true;
}

void dialog_base::end_creation() {
    auto_sync lock(g_dialog_lock);
    if (hook_) {
        UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
    }
    if (g_creating == this) g_creating = nullptr;
}

bool dialog_base::create_modeless(unsigned int template_id, HWND parent) {
    HWND made = nullptr;
    {
        auto_sync lock(g_dialog_lock);
        g_creating = this;
        ++g_nesting;
        if (prepare(template_id)) {
            dialog_template copy;
            if (use_message_font() && copy.load(template_id) && copy.apply_message_font(0)) {
                made = CreateDialogIndirectParamW(core::get_instance(), copy.get(), parent,
                                                  &dialog_base::initial_dialog_proc, reinterpret_cast<LPARAM>(this));
            } else {
                made = CreateDialogParamW(core::get_instance(), MAKEINTRESOURCEW(template_id & 0xFFFF), parent,
                                          &dialog_base::initial_dialog_proc, reinterpret_cast<LPARAM>(this));
            }
        }
        --g_nesting;
    }
    // A dialog that never reached WM_INITDIALOG leaves no hook behind.
    end_creation();
    return made != nullptr;
}

int dialog_base::run_modal(unsigned int template_id, HWND parent) {
    dialog_template copy;
    bool with_font = false;
    {
        auto_sync lock(g_dialog_lock);
        g_creating = this;
        ++g_nesting;
        if (!prepare(template_id)) {
            --g_nesting;
            g_creating = nullptr;
            return -1;
        }
        with_font = use_message_font() && copy.load(template_id) && copy.apply_message_font(0);
        --g_nesting;
    }
    INT_PTR result =
        with_font ? DialogBoxIndirectParamW(core::get_instance(), copy.get(), parent, &dialog_base::initial_dialog_proc,
                                            reinterpret_cast<LPARAM>(this))
                  : DialogBoxParamW(core::get_instance(), MAKEINTRESOURCEW(template_id & 0xFFFF), parent,
                                    &dialog_base::initial_dialog_proc, reinterpret_cast<LPARAM>(this));
    end_creation();
    return static_cast<int>(result);
}

LRESULT CALLBACK dialog_base::creation_hook(int code, WPARAM wparam, LPARAM lparam) {
    dialog_base* creating = nullptr;
    HHOOK hook = nullptr;
    {
        auto_sync lock(g_dialog_lock);
        creating = g_creating;
        hook = creating ? creating->hook_ : nullptr;
    }
    if (code == HCBT_CREATEWND && creating && !creating->attached()) {
        HWND window = reinterpret_cast<HWND>(wparam);
        wchar_t name[256] = {};
        GetClassNameW(window, name, 256);
        // The input method's windows come and go during any creation.
        if (lstrcmpiW(name, L"IME") != 0 && lstrcmpiW(name, creating->class_name_.c_str()) == 0) {
            {
                auto_sync lock(g_dialog_lock);
                g_dialogs[window] = creating;
            }
            creating->hwnd_ = window;
            creating->hooked_ = true;
            creating->on_attaching();
            creating->attach(window);
        }
    }
    return CallNextHookEx(hook, code, wparam, lparam);
}

INT_PTR CALLBACK dialog_base::initial_dialog_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_INITDIALOG) {
        dialog_base* object = reinterpret_cast<dialog_base*>(lparam);
        if (object) object->end_creation();
        return TRUE;
    }
    if (msg == WM_NCDESTROY) {
        auto_sync lock(g_dialog_lock);
        g_dialogs.erase(hwnd);
    }
    return FALSE;
}
