// What is dragged: files as CF_HDROP, playlist entries under the two private
// formats. An entry block names the source process and the data object; the
// object keeps a process-wide list of the live ones so that a receiver reads
// entries only from a drag of its own process that is still under way.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "com_object.h"
#include "critsec.h"
#include "drag_drop.h"
#include "entry_block.h"
#include "utility.h"

namespace {
const UINT g_entries_format = RegisterClipboardFormatW(L"ZELPLAYER_ENTRIES");
const UINT g_entry_pointers_format = RegisterClipboardFormatW(L"ZELPLAYER_ENTRIES2");

critsec& live_lock() {
    static critsec lock;
    return lock;
}
std::vector<const data_object*>& live_objects() {
    static std::vector<const data_object*> objects;
    return objects;
}
}  // namespace

UINT entries_clipboard_format() { return g_entries_format; }
UINT entry_pointers_clipboard_format() { return g_entry_pointers_format; }

bool entry_block::is_live(const data_object* object) {
    auto_sync lock(live_lock());
    const std::vector<const data_object*>& live = live_objects();
    return std::find(live.begin(), live.end(), object) != live.end();
}

data_object::data_object(const std::vector<stringx>& paths) : paths_(paths) { start(CF_HDROP); }

data_object::data_object(const std::vector<list_info>& entries) : entries_(entries) { start(g_entries_format); }

data_object::data_object(const std::vector<list_info*>& entry_pointers) : entry_pointers_(entry_pointers) {
    start(g_entry_pointers_format);
}

void data_object::start(UINT format) {
    refs_ = 1;
    format_count_ = 1;
    std::memset(formats_, 0, sizeof formats_);
    formats_[0] = com_object::hglobal_format(format);
    given_format_ = 0;
    auto_sync lock(live_lock());
    live_objects().push_back(this);
}

data_object::~data_object() {
    auto_sync lock(live_lock());
    std::vector<const data_object*>& live = live_objects();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

STDMETHODIMP data_object::QueryInterface(REFIID riid, void** object) {
    return com_object::answer(static_cast<IDataObject*>(this), riid, IID_IDataObject, object);
}
STDMETHODIMP_(ULONG) data_object::AddRef() { return InterlockedIncrement(&refs_); }
STDMETHODIMP_(ULONG) data_object::Release() { return com_object::release(this, refs_); }

HGLOBAL data_object::make_drop_files() {
    unsigned size = 0;
    unsigned char* block = utility::create_drop_files(paths_, &size);
    if (!block) return nullptr;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    void* p = global ? GlobalLock(global) : nullptr;
    if (p) {
        std::memcpy(p, block, size);
        GlobalUnlock(global);
    } else if (global) {
        GlobalFree(global);
        global = nullptr;
    }
    ::operator delete(block);
    return global;
}

HGLOBAL data_object::make_entry_block() {
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof(entry_block));
    entry_block* p = global ? static_cast<entry_block*>(GlobalLock(global)) : nullptr;
    if (!p) {
        if (global) GlobalFree(global);
        return nullptr;
    }
    std::memset(p, 0, sizeof *p);
    p->magic = entry_block::expected_magic;
    p->process_id = GetCurrentProcessId();
    p->source = this;
    GlobalUnlock(global);
    return global;
}

STDMETHODIMP data_object::GetData(FORMATETC* format, STGMEDIUM* medium) {
    given_format_ = 0;
    if (!format || !medium) return E_INVALIDARG;
    if (format->cfFormat != formats_[0].cfFormat) return DV_E_FORMATETC;
    if (format->lindex != -1) return DV_E_LINDEX;
    if (!(format->dwAspect & DVASPECT_CONTENT)) return DV_E_DVASPECT;
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    HGLOBAL global = formats_[0].cfFormat == CF_HDROP ? make_drop_files() : make_entry_block();
    if (!global) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    medium->pUnkForRelease = nullptr;
    given_format_ = formats_[0].cfFormat;
    return S_OK;
}

STDMETHODIMP data_object::GetDataHere(FORMATETC* format, STGMEDIUM*) {
    if (!format || !(format->dwAspect & DVASPECT_CONTENT)) return DV_E_DVASPECT;
    return format->lindex == -1 ? DV_E_FORMATETC : DV_E_LINDEX;
}

STDMETHODIMP data_object::QueryGetData(FORMATETC* format) {
    if (!format || !(format->dwAspect & DVASPECT_CONTENT)) return DV_E_DVASPECT;
    if (format->cfFormat != formats_[0].cfFormat) return DV_E_FORMATETC;
    if (format->lindex != -1) return DV_E_LINDEX;
    return (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP data_object::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP data_object::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP data_object::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
    if (!formats) return E_POINTER;
    if (direction != DATADIR_GET) {
        *formats = nullptr;
        return E_NOTIMPL;
    }
    *formats = new (std::nothrow) enum_format_etc(format_count_, formats_);
    return *formats ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP data_object::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }
STDMETHODIMP data_object::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
STDMETHODIMP data_object::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }
