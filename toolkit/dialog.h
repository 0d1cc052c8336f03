#pragma once
// Base of every dialog of the toolkit. The dialog procedure keeps the list of
// live dialogs that core::get_dlglist returns, so that the host's message loop
// can pass keyboard messages through them.
//
// A dialog is used on the thread that created it; several threads may create
// dialogs at the same time, each offering only its own dialog's controls.
#include <windows.h>

#include "zel_export.h"

class ZEL_CORE_API dialog {
public:
    dialog();
    // Does not destroy the window: the object must outlive it.
    virtual ~dialog();
    dialog(const dialog&) = delete;
    dialog& operator=(const dialog&) = delete;

    // Modeless dialog from a template of core::get_instance(); true when a
    // window was created.
    virtual bool create(unsigned int template_id, HWND parent);
    // Modal dialog; what EndDialog was given, or DialogBoxParamW's failure value.
    virtual int modal(unsigned int template_id, HWND parent);
    // A chance to consume a message of the host's loop before it is dispatched.
    virtual bool pretranslate_message(MSG* message);
    // Called for each control while it is created, before WM_INITDIALOG, so
    // that the dialog class can attach subclass objects to it.
    virtual void presubclass_window(unsigned int control_id, HWND control);
    virtual LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) = 0;

    HWND get_hwnd() const { return hwnd_; }

    // For a thread's message loop: offers the message to each live dialog of
    // the calling thread (pretranslate_message, then IsDialogMessage); true
    // when one took it. Dialogs of other threads are left to their threads.
    static bool take_message(MSG* message);

    static LRESULT CALLBACK hook_proc(int code, WPARAM wparam, LPARAM lparam);
    static INT_PTR CALLBACK dlgproc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

protected:
    HWND hwnd_;
    HHOOK hook_;

private:
    void prepare_creation();
    void end_creation();
};
