// The web browser control behind web_page: the control's IWebBrowserApp,
// its DWebBrowserEvents connection and the page's body.
#include <exdisp.h>
#include <mshtml.h>
#include <ocidl.h>

#include "browser_event_sink.h"
#include "web_page.h"

namespace {

// {0002DF05-0000-0000-C000-000000000046}
const IID web_browser_app_iid = {0x0002DF05, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {332C4425-26CB-11D0-B483-00C04FD90119}
const IID html_document2_iid = {0x332C4425, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}};
// {3050F1D8-98B5-11CF-BB82-00AA00BDCE0B}
const IID html_body_iid = {0x3050F1D8, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};

class browser_page : public web_page {
public:
    ~browser_page() override { release(); }

    bool open(HWND control, browser_event_sink* sink, const std::wstring& url) override {
        release();
        if (!control || !IsWindow(control)) return false;
        static const UINT get_control = RegisterWindowMessageW(L"WM_ATLGETCONTROL");
        auto* object = reinterpret_cast<IUnknown*>(SendMessageW(control, get_control, 0, 0));
        if (!object) return false;
        void* found = nullptr;
        if (FAILED(object->QueryInterface(web_browser_app_iid, &found)) || !found) return false;
        browser_ = static_cast<IWebBrowserApp*>(found);
        browser_->put_MenuBar(VARIANT_FALSE);
        IConnectionPointContainer* container = nullptr;
        if (sink && SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                                       reinterpret_cast<void**>(&container))) &&
            container) {
            IConnectionPoint* point = nullptr;
            if (SUCCEEDED(container->FindConnectionPoint(browser_events_iid, &point)) && point) {
                DWORD cookie = 0;
                point->Advise(static_cast<IDispatch*>(sink), &cookie);
                point->Release();
            }
            container->Release();
        }
        BSTR address = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
        VARIANT missing;
        VariantInit(&missing);
        missing.vt = VT_ERROR;
        missing.scode = DISP_E_PARAMNOTFOUND;
        browser_->Navigate(address, &missing, &missing, &missing, &missing);
        SysFreeString(address);
        return true;
    }

    void hide_scroll_bars() override {
        if (!browser_) return;
        IDispatch* document = nullptr;
        if (FAILED(browser_->get_Document(&document)) || !document) return;
        void* html = nullptr;
        if (SUCCEEDED(document->QueryInterface(html_document2_iid, &html)) && html) {
            IHTMLElement* body = nullptr;
            if (SUCCEEDED(static_cast<IHTMLDocument2*>(html)->get_body(&body)) && body) {
                void* body_element = nullptr;
                if (SUCCEEDED(body->QueryInterface(html_body_iid, &body_element)) && body_element) {
                    BSTR no = SysAllocString(L"no");
                    static_cast<IHTMLBodyElement*>(body_element)->put_scroll(no);
                    SysFreeString(no);
                    static_cast<IHTMLBodyElement*>(body_element)->Release();
                }
                body->Release();
            }
            static_cast<IHTMLDocument2*>(html)->Release();
        }
        document->Release();
    }

    void release() override {
        if (browser_) browser_->Release();
        browser_ = nullptr;
    }

private:
    IWebBrowserApp* browser_ = nullptr;
};

}  // namespace

std::unique_ptr<web_page> make_browser_page() { return std::make_unique<browser_page>(); }
