#pragma once
// A dialog object of the launcher's framework. While its dialog is being
// created, a creation hook of the thread binds the object to the first
// window of the dialog's class, so that the object sees the dialog's
// WM_NCCREATE, WM_CREATE and WM_INITDIALOG like every later message. The
// template's font is replaced by the system's message font unless
// use_message_font says otherwise.
#include <windows.h>

#include <string>

#include "window_base.h"

class dialog_base : public window_base {
public:
    dialog_base();
    ~dialog_base() override;

    bool is_dialog() const override;
    // A modeless dialog from the template (module of core::get_instance);
    // true when a window was made.
    virtual bool create_modeless(unsigned int template_id, HWND parent);
    // A modal dialog; what EndDialog was given, or -1 when none was made.
    virtual int run_modal(unsigned int template_id, HWND parent);
    virtual bool use_message_font();
    virtual void on_dialog_creating();

    const std::wstring& class_name() const { return class_name_; }
    unsigned int template_id() const { return template_id_; }

    // The dialog object of a dialog window; null when none.
    static dialog_base* find(HWND hwnd);

private:
    // Steps shared by the modeless and the modal creation, up to the call
    // that makes the window; false when the template cannot be read.
    bool prepare(unsigned int template_id);
    void end_creation();

    static LRESULT CALLBACK creation_hook(int code, WPARAM wparam, LPARAM lparam);
    static INT_PTR CALLBACK initial_dialog_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

    HHOOK hook_;
    std::wstring class_name_;
    unsigned int template_id_;
};
