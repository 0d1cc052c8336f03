#include "mms_stream.h"
#include <cstring>
#include "core.h"
#include "stream_title_listener.h"

// The object the reader calls. It lives on the heap with its own count and
// forwards to the stream until the stream detaches it; the last Release
// deletes it.
class mms_callback final : public IWMReaderCallback {
public:
    explicit mms_callback(mms_stream* owner) : refs_(1), owner_(owner) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE OnStatus(WMT_STATUS status, HRESULT result, WMT_ATTR_DATATYPE, BYTE*, void*) override {
        auto_sync guard(lock_);
        if (owner_) owner_->on_status(status, result);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnSample(DWORD output, QWORD, QWORD, DWORD, INSSBuffer* sample, void*) override {
        auto_sync guard(lock_);
        return owner_ ? owner_->on_sample(output, sample) : S_OK;
    }

    bool attached() {
        auto_sync guard(lock_);
        return owner_ != nullptr;
    }
    // Waits for a call in progress; no call reaches the stream afterwards.
    void detach() {
        auto_sync guard(lock_);
        owner_ = nullptr;
    }

private:
    ~mms_callback() = default;

    LONG refs_;
    critsec lock_;
    mms_stream* owner_;
};

mms_stream::mms_stream() : callback_(new mms_callback(this)) {}

mms_stream::~mms_stream() {
    close();
    callback_->detach();
    callback_->Release();
}

IWMReaderCallback* mms_stream::callback() const { return callback_; }

void mms_stream::tell_listeners(const wchar_t* text) {
    for (stream_title_listener* l : listeners_) l->on_title(true, text, 0);
}

bool mms_stream::open(const wchar_t* url) {
    if (!url) return false;
    const bool scheme = _wcsnicmp(url, L"mms://", 6) == 0 || _wcsnicmp(url, L"mmsh://", 7) == 0 ||
                        _wcsnicmp(url, L"mmst://", 7) == 0 || _wcsnicmp(url, L"mmsu://", 7) == 0;
    if (!scheme) return false;
    wcsncpy(path, url, 260);
    path[260] = 0;
    wcscpy(content_type, content_type_name);

    for (stream_title_listener* l : listeners_) l->release();
    listeners_.clear();
    for (int i = 0;; ++i) {
        component* c = core::enum_create_component(stream_title_listener::iid, i);
        if (!c) break;
        listeners_.push_back(static_cast<stream_title_listener*>(c));
    }

    if (!callback_->attached()) {  // opened again after a close
        callback_->Release();
        callback_ = new mms_callback(this);
    }
    for (HANDLE& e : events_) {
        if (e) CloseHandle(e);
        e = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!e) return false;
    }
    InterlockedExchange(&opened_signals_, 0);
    if (!com_initialised_) {
        if (FAILED(CoInitialize(nullptr))) return false;
        com_initialised_ = true;
    }
    IWMReader* made = nullptr;
    if (FAILED(wm_reader::create(&made)) || !made) return false;
    reader_ = made;

    HRESULT hr = reader_->Open(url, callback_, nullptr);
    if (SUCCEEDED(hr)) {
        hr = wait_opened(1) ? open_status_ : E_FAIL;
        if (hr == wm_reader::retry_open) hr = wait_opened(2) ? open_status_ : E_FAIL;
    }
    if (FAILED(hr)) return false;
    set_ended(false);
    return true;
}

// Waits until the reader reported opened `signals` times. A closed or
// end-of-data status (the failure statuses signal those) or the time limit
// end the wait with false.
bool mms_stream::wait_opened(LONG signals) {
    const DWORD start = GetTickCount();
    HANDLE failed[2] = {events_[closed], events_[end_of_data]};
    for (;;) {
        if (InterlockedCompareExchange(&opened_signals_, 0, 0) >= signals) return true;
        if (GetTickCount() - start > open_limit_ms) return false;
        if (WaitForMultipleObjects(2, failed, FALSE, 10) != WAIT_TIMEOUT) {
            // A failure status, unless the opened status came with it.
            return InterlockedCompareExchange(&opened_signals_, 0, 0) >= signals;
        }
    }
}

void mms_stream::close() {
    set_ended(true);
    if (reader_) {
        if (SUCCEEDED(reader_->Close()) && events_[closed]) WaitForSingleObject(events_[closed], close_limit_ms);
        // The callback is detached first: the reader may call it after this
        // point, and it must not reach a stream that is going away.
        callback_->detach();
        reader_->Release();
        reader_ = nullptr;
    }
    callback_->detach();
    for (HANDLE& e : events_) {
        if (e) CloseHandle(e);
        e = nullptr;
    }
    {
        auto_sync guard(lock_);
        samples_.length = 0;
    }
    if (com_initialised_) {
        CoUninitialize();
        com_initialised_ = false;
    }
    for (stream_title_listener* l : listeners_) l->release();
    listeners_.clear();
}

void mms_stream::on_status(WMT_STATUS status, HRESULT result) {
    switch (static_cast<int>(status)) {
    case 0:   // WMT_ERROR
    case 4:   // WMT_EOF
    case 5:   // WMT_END_OF_SEGMENT
    case 12:  // WMT_STOPPED
        set_ended(true);
        SetEvent(events_[end_of_data]);
        break;
    case 1:  // WMT_OPENED
        open_status_ = result;
        tell_listeners(L"MMS 스트림 열기 완료");
        InterlockedIncrement(&opened_signals_);
        SetEvent(events_[opened]);
        break;
    case 2:  // WMT_BUFFERING_START
        tell_listeners(L"버퍼링 중입니다...");
        break;
    case 3:  // WMT_BUFFERING_STOP
        SetEvent(events_[buffering_stopped]);
        break;
    case 8:  // WMT_CONNECTING
        tell_listeners(L"연결중입니다...");
        break;
    case 11:  // WMT_STARTED
        set_ended(false);
        break;
    case 13:  // WMT_CLOSED
    case 30:  // WMT_ERROR_WITHURL
        set_ended(true);
        SetEvent(events_[closed]);
        break;
    case 22:  // WMT_SOURCE_SWITCH
        open_status_ = result;
        InterlockedIncrement(&opened_signals_);
        SetEvent(events_[opened]);
        break;
    default:
        break;
    }
}

HRESULT mms_stream::on_sample(DWORD output, INSSBuffer* sample) {
    auto_sync guard(lock_);
    if (output != 0) return S_OK;
    BYTE* bytes = nullptr;
    DWORD length = 0;
    if (!sample || FAILED(sample->GetBufferAndLength(&bytes, &length))) return E_UNEXPECTED;
    if (length > 0 && bytes) samples_.append(bytes, static_cast<int>(length));
    return S_OK;
}

int mms_stream::buffered() { return __atomic_load_n(&samples_.length, __ATOMIC_ACQUIRE); }

int mms_stream::read(void* out, int bytes) {
    if (!out || bytes < 1) return 0;
    auto_sync guard(lock_);
    int n = bytes < samples_.length ? bytes : samples_.length;
    if (n <= 0) return 0;
    memcpy(out, samples_.data, n);
    memmove(samples_.data, samples_.data + n, samples_.length - n);
    samples_.length -= n;
    return n;
}

int mms_stream::peek(void* out, int bytes) {
    if (!out || bytes < 1) return 0;
    auto_sync guard(lock_);
    int n = bytes < samples_.length ? bytes : samples_.length;
    if (n > 0) memcpy(out, samples_.data, n);
    return n > 0 ? n : 0;
}
