#pragma once
// OLE drag and drop for the player's windows: what is dragged (data_object),
// the source's feedback (drop_source), the format enumerator
// (enum_format_etc), the base of every drop target (drop_target) and the
// shell's drag image (drag_helper).
//
// Playlist entries travel inside one process under two private clipboard
// formats, "ZELPLAYER_ENTRIES" (the data object's own copies of the entries)
// and "ZELPLAYER_ENTRIES2" (pointers to the caller's entries, which must
// outlive the drag). Their global block names the source process and the
// data object, never the data itself: a receiver reads the entries straight
// from the live data object, and refuses a block that another process (for
// instance another player instance) or a finished drag produced. Files come
// as CF_HDROP.
//
// Every object is a COM object whose count starts at 1. The caller
// initialises OLE on its thread and registers its targets; OLE calls all of
// this on that thread (the user-interface thread).
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <vector>

#include "list_info.h"
#include "stringx.h"
#include "zel_export.h"

// The two private formats, registered when zel_core loads.
ZEL_CORE_API UINT entries_clipboard_format();
ZEL_CORE_API UINT entry_pointers_clipboard_format();

class ZEL_CORE_API enum_format_etc : public IEnumFORMATETC {
public:
    enum_format_etc(unsigned long count, const FORMATETC* formats);
    virtual ~enum_format_etc();

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumFORMATETC** copy) override;

private:
    LONG refs_;
    unsigned long position_;
    unsigned long count_;
    FORMATETC* formats_;
};

class ZEL_CORE_API drop_source : public IDropSource {
public:
    explicit drop_source(HWND source_window);
    virtual ~drop_source();

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // Escape or the right button cancels; the left button released drops,
    // unless the pointer is over the source window (or a direct child):
    // entries are never dropped on the list they come from.
    STDMETHODIMP QueryContinueDrag(BOOL escape_pressed, DWORD key_state) override;
    // The "no" cursor over the source window, the default ones elsewhere.
    STDMETHODIMP GiveFeedback(DWORD effect) override;

private:
    bool over_source() const;

    LONG refs_;
    HWND source_;
};

// Where the dragging pointer is, in screen coordinates (GetMessagePos unless
// replaced; tests place it without moving the real pointer). Returns the
// previous function; null puts the default back.
typedef POINT (*drop_cursor_fn)();
ZEL_CORE_API drop_cursor_fn set_drop_source_cursor(drop_cursor_fn where);

class ZEL_CORE_API data_object : public IDataObject {
public:
    // CF_HDROP of the paths.
    explicit data_object(const std::vector<stringx>& paths);
    // "ZELPLAYER_ENTRIES": copies of the entries.
    explicit data_object(const std::vector<list_info>& entries);
    // "ZELPLAYER_ENTRIES2": the pointers only; the entries must outlive the drag.
    explicit data_object(const std::vector<list_info*>& entry_pointers);
    virtual ~data_object();

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advise) override;

    // The clipboard format of the last successful GetData, 0 otherwise.
    UINT given_format() const { return given_format_; }

private:
    friend class drop_target;
    void start(UINT format);
    HGLOBAL make_drop_files();
    HGLOBAL make_entry_block();

    std::vector<stringx> paths_;
    std::vector<list_info> entries_;
    std::vector<list_info*> entry_pointers_;
    LONG refs_;
    unsigned format_count_;
    FORMATETC formats_[4];
    UINT given_format_;
};

class ZEL_CORE_API drop_target : public IDropTarget {
public:
    // Accepts "ZELPLAYER_ENTRIES", then CF_HDROP; a derived class may change
    // accepted_formats_. The shell's drag image is shown when available.
    explicit drop_target(HWND target_window);
    virtual ~drop_target();

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DragEnter(IDataObject* data, DWORD key_state, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD key_state, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    // Hands the chosen format's data to on_drop; always reports
    // DROPEFFECT_NONE to the source, which then never deletes what was
    // dragged (a move is the target's own work).
    STDMETHODIMP Drop(IDataObject* data, DWORD key_state, POINTL point, DWORD* effect) override;

    // The derived window's drop; true when the base is to release the medium.
    virtual bool on_drop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect, POINTL* point) = 0;

    // Appends what a medium of the format holds: the dropped files' paths,
    // or pointers to the dragged entries (valid only during the drop; copy
    // what you keep). False for another format, and for an entry block that
    // does not come from a live drag of this process (nothing is appended).
    static bool drop_list(unsigned format, STGMEDIUM& medium, std::vector<stringx>& paths,
                          std::vector<list_info*>& entries);

    // The effect for the keys (Ctrl: copy, Shift: move, both: link; none: the
    // first of copy, move, link that the source allows); DROPEFFECT_NONE
    // when no accepted format is on offer or the source does not allow it.
    DWORD decide_effect(DWORD key_state, DWORD allowed) const;

protected:
    LONG refs_;
    bool format_found_;
    IDropTargetHelper* drop_helper_;
    std::vector<FORMATETC> accepted_formats_;
    FORMATETC* chosen_format_;
    HWND target_;
};

class ZEL_CORE_API drag_helper {
public:
    drag_helper();
    ~drag_helper();
    drag_helper(const drag_helper&) = delete;
    drag_helper& operator=(const drag_helper&) = delete;

    // The drag image from a bitmap, held at the cursor's offset inside the
    // item; E_FAIL without the shell's drag-image object.
    HRESULT init_bitmap(HBITMAP bitmap, POINT& cursor, RECT& item, IDataObject* data, COLORREF key_colour);
    HRESULT init_window(HWND window, POINT& cursor, IDataObject* data);

private:
    IDragSourceHelper* source_helper_;
};
