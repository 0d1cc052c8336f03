#pragma once
// browser_event_sink: the receiver of a web browser control's
// DWebBrowserEvents. It lives as a member of its owner (no reference
// counting: AddRef answers 1 and Release 0) and answers only IUnknown,
// IDispatch and DWebBrowserEvents. Invoke hands BeforeNavigate (dispid 100)
// with the address to one handler, which says whether to cancel the
// navigation, and NavigateComplete (dispid 101) to another; both are
// optional. Every Invoke answers S_OK. User-interface thread.
#include <windows.h>

#include <oaidl.h>

#include <functional>
#include <string>

class browser_event_sink : public IDispatch {
public:
    enum : DISPID { before_navigate_id = 100, navigate_complete_id = 101 };

    browser_event_sink() = default;
    browser_event_sink(const browser_event_sink&) = delete;
    browser_event_sink& operator=(const browser_event_sink&) = delete;
    virtual ~browser_event_sink() = default;

    // Returns true to cancel the navigation to the address.
    std::function<bool(const std::wstring& url)> on_before_navigate;
    std::function<void()> on_navigate_complete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 0; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* arg_error) override;
};

// The interface id of DWebBrowserEvents.
extern const IID browser_events_iid;
