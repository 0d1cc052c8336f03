#pragma once
// Helpers shared by zel_core's COM objects (internal to zel_core).
#include <windows.h>
#include <ole2.h>

namespace com_object {

// QueryInterface of an object that answers IUnknown and one interface.
template <class Object>
HRESULT answer(Object* self, REFIID riid, REFIID own, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, own)) {
        *object = self;
        self->AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// Release: one reference less; the object is deleted at none.
template <class Object>
ULONG release(Object* self, LONG& refs) {
    const LONG n = InterlockedDecrement(&refs);
    if (n == 0) delete self;
    return n;
}

// The format record of every transfer: content, all of it, in global memory.
inline FORMATETC hglobal_format(UINT format) {
    FORMATETC f = {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return f;
}

// The shell's drag-image object.
const CLSID drag_drop_helper = {0x4657278A, 0x411B, 0x11D2, {0x83, 0x9A, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0xD0}};

}  // namespace com_object
