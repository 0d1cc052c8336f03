// The base of every drop target: format choice, the effect for the keys, the
// drop, and the reading of the three formats.
#include "com_object.h"
#include "drag_drop.h"

#include <shellapi.h>

#include <string>

#include "entry_block.h"

namespace {
const IID kDropTargetHelper = {0x4657278B, 0x411B, 0x11D2, {0x83, 0x9A, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0xD0}};

// The live data object an entry block of this process names, or null.
const data_object* entry_source(HGLOBAL global) {
    if (!global || GlobalSize(global) < sizeof(entry_block)) return nullptr;
    const entry_block* block = static_cast<const entry_block*>(GlobalLock(global));
    if (!block) return nullptr;
    const data_object* source = nullptr;
    if (block->magic == entry_block::expected_magic && block->process_id == GetCurrentProcessId() &&
        entry_block::is_live(block->source))
        source = block->source;
    GlobalUnlock(global);
    return source;
}
}  // namespace

drop_target::drop_target(HWND target_window)
    : refs_(1), format_found_(false), drop_helper_(nullptr), chosen_format_(nullptr), target_(target_window) {
    void* helper = nullptr;
    if (SUCCEEDED(CoCreateInstance(com_object::drag_drop_helper, nullptr, CLSCTX_INPROC_SERVER, kDropTargetHelper, &helper)))
        drop_helper_ = static_cast<IDropTargetHelper*>(helper);
    accepted_formats_.push_back(com_object::hglobal_format(entries_clipboard_format()));
    accepted_formats_.push_back(com_object::hglobal_format(CF_HDROP));
}

drop_target::~drop_target() {
    if (drop_helper_) drop_helper_->Release();
}

STDMETHODIMP drop_target::QueryInterface(REFIID riid, void** object) {
    return com_object::answer(static_cast<IDropTarget*>(this), riid, IID_IDropTarget, object);
}
STDMETHODIMP_(ULONG) drop_target::AddRef() { return InterlockedIncrement(&refs_); }
STDMETHODIMP_(ULONG) drop_target::Release() { return com_object::release(this, refs_); }

DWORD drop_target::decide_effect(DWORD key_state, DWORD allowed) const {
    if (!format_found_) return DROPEFFECT_NONE;
    DWORD wanted = DROPEFFECT_NONE;
    const bool ctrl = (key_state & MK_CONTROL) != 0, shift = (key_state & MK_SHIFT) != 0;
    if (ctrl && shift)
        wanted = DROPEFFECT_LINK;
    else if (ctrl)
        wanted = DROPEFFECT_COPY;
    else if (shift)
        wanted = DROPEFFECT_MOVE;
    if (wanted != DROPEFFECT_NONE) return (allowed & wanted) ? wanted : DROPEFFECT_NONE;
    for (DWORD effect : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
        if (allowed & effect) return effect;
    return DROPEFFECT_NONE;
}

STDMETHODIMP drop_target::DragEnter(IDataObject* data, DWORD key_state, POINTL point, DWORD* effect) {
    if (!data) return E_INVALIDARG;
    POINT p = {point.x, point.y};
    if (drop_helper_) drop_helper_->DragEnter(target_, data, &p, effect ? *effect : DROPEFFECT_NONE);
    chosen_format_ = nullptr;
    format_found_ = false;
    for (FORMATETC& format : accepted_formats_) {
        if (data->QueryGetData(&format) == S_OK) {
            chosen_format_ = &format;
            format_found_ = true;
            break;
        }
    }
    if (effect) *effect = decide_effect(key_state, *effect);
    return S_OK;
}

STDMETHODIMP drop_target::DragOver(DWORD key_state, POINTL point, DWORD* effect) {
    POINT p = {point.x, point.y};
    if (drop_helper_) drop_helper_->DragOver(&p, effect ? *effect : DROPEFFECT_NONE);
    if (effect) *effect = decide_effect(key_state, *effect);
    return S_OK;
}

STDMETHODIMP drop_target::DragLeave() {
    if (drop_helper_) drop_helper_->DragLeave();
    format_found_ = false;
    chosen_format_ = nullptr;
    return S_OK;
}

STDMETHODIMP drop_target::Drop(IDataObject* data, DWORD key_state, POINTL point, DWORD* effect) {
    if (!data) return E_INVALIDARG;
    POINT p = {point.x, point.y};
    if (drop_helper_) drop_helper_->Drop(data, &p, effect ? *effect : DROPEFFECT_NONE);
    DWORD decided = decide_effect(key_state, effect ? *effect : DROPEFFECT_NONE);
    if (decided != DROPEFFECT_NONE && format_found_ && chosen_format_) {
        STGMEDIUM medium = {};
        FORMATETC format = *chosen_format_;
        if (data->GetData(&format, &medium) == S_OK) {
            if (on_drop(&format, &medium, &decided, &point)) ReleaseStgMedium(&medium);
        }
    }
    format_found_ = false;
    chosen_format_ = nullptr;
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
}

bool drop_target::drop_list(unsigned format, STGMEDIUM& medium, std::vector<stringx>& paths,
                            std::vector<list_info*>& entries) {
    if (format == CF_HDROP) {
        HDROP drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
        if (drop) {
            const UINT count = DragQueryFileW(static_cast<HDROP>(medium.hGlobal), 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                // Each path whole, however long.
                const UINT length = DragQueryFileW(static_cast<HDROP>(medium.hGlobal), i, nullptr, 0);
                std::wstring path(length + 1, L'\0');
                const UINT got = DragQueryFileW(static_cast<HDROP>(medium.hGlobal), i, &path[0], length + 1);
                path.resize(got);
                paths.push_back(stringx(path.c_str()));
            }
            GlobalUnlock(medium.hGlobal);
        }
        return true;
    }
    if (format != entries_clipboard_format() && format != entry_pointers_clipboard_format()) return false;
    // Entries are read only from a live drag of this process: a block from
    // another process names addresses that mean nothing here.
    const data_object* source = entry_source(medium.hGlobal);
    if (!source) return false;
    if (format == entries_clipboard_format()) {
        for (const list_info& entry : source->entries_) entries.push_back(const_cast<list_info*>(&entry));
    } else {
        for (list_info* entry : source->entry_pointers_) entries.push_back(entry);
    }
    return true;
}
