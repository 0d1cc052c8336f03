// The web browser control's event receiver.
#include "browser_event_sink.h"

// {EAB22AC2-30C1-11CF-A7EB-0000C05BAE0B}
const IID browser_events_iid = {0xEAB22AC2, 0x30C1, 0x11CF, {0xA7, 0xEB, 0x00, 0x00, 0xC0, 0x5B, 0xAE, 0x0B}};

namespace {

// The text of an argument passed as a string, by value or by reference.
bool text_of(const VARIANT& v, std::wstring& out) {
    const VARIANT* value = &v;
    if (v.vt == (VT_VARIANT | VT_BYREF)) {
        if (!v.pvarVal) return false;
        value = v.pvarVal;
    }
    if (value->vt == VT_BSTR) {
        out = value->bstrVal ? std::wstring(value->bstrVal, SysStringLen(value->bstrVal)) : std::wstring();
        return true;
    }
    if (value->vt == (VT_BSTR | VT_BYREF)) {
        if (!value->pbstrVal) return false;
        out = *value->pbstrVal ? std::wstring(*value->pbstrVal, SysStringLen(*value->pbstrVal)) : std::wstring();
        return true;
    }
    return false;
}

}  // namespace

HRESULT STDMETHODCALLTYPE browser_event_sink::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, browser_events_iid)) {
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE browser_event_sink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                                     EXCEPINFO*, UINT*) {
    if (id == before_navigate_id) {
        // URL, Flags, TargetFrameName, PostData, Headers, Cancel: the
        // arguments arrive last first, so the address is the sixth from the
        // end and Cancel the first.
        if (!params || params->cArgs < 6 || !params->rgvarg || !on_before_navigate) return S_OK;
        std::wstring url;
        if (!text_of(params->rgvarg[params->cArgs - 1], url)) return S_OK;
        const bool cancel = on_before_navigate(url);
        VARIANT& flag = params->rgvarg[0];
        if (cancel && flag.vt == (VT_BOOL | VT_BYREF) && flag.pboolVal) *flag.pboolVal = VARIANT_TRUE;
    } else if (id == navigate_complete_id) {
        if (on_navigate_complete) on_navigate_complete();
    }
    return S_OK;
}
