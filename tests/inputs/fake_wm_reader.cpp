#include "fake_wm_reader.h"
#include <mmreg.h>
#include <cstring>
#include "critsec.h"

namespace {

critsec g_lock;
fake_wm_script g_script;
fake_wm_record g_record;
LONG g_threads = 0;
LONG g_readers = 0;
HANDLE g_go = CreateEventW(nullptr, FALSE, FALSE, nullptr);

fake_wm_script script() {
    auto_sync guard(g_lock);
    return g_script;
}

class fake_buffer final : public INSSBuffer {
public:
    fake_buffer(const std::string& bytes, bool broken) : bytes_(bytes), broken_(broken) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetLength(DWORD* n) override { *n = static_cast<DWORD>(bytes_.size()); return S_OK; }
    HRESULT STDMETHODCALLTYPE SetLength(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMaxLength(DWORD* n) override { return GetLength(n); }
    HRESULT STDMETHODCALLTYPE GetBuffer(BYTE** p) override { *p = reinterpret_cast<BYTE*>(&bytes_[0]); return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBufferAndLength(BYTE** p, DWORD* n) override {
        if (broken_) return E_FAIL;
        *p = bytes_.empty() ? nullptr : reinterpret_cast<BYTE*>(&bytes_[0]);
        *n = static_cast<DWORD>(bytes_.size());
        return S_OK;
    }

private:
    std::string bytes_;
    bool broken_;
};

class fake_props final : public IWMOutputMediaProps {
public:
    fake_props(const GUID& major, const std::string& format) : refs_(1), major_(major), format_(format) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE GetType(GUID* type) override { *type = major_; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMediaType(WM_MEDIA_TYPE* type, DWORD* size) override {
        const DWORD needed = static_cast<DWORD>(sizeof(WM_MEDIA_TYPE) + format_.size());
        if (!type) {
            *size = needed;
            return S_OK;
        }
        if (*size < needed) return E_INVALIDARG;
        memset(type, 0, needed);
        type->majortype = major_;
        type->cbFormat = static_cast<ULONG>(format_.size());
        type->pbFormat = reinterpret_cast<BYTE*>(type + 1);
        memcpy(type->pbFormat, format_.data(), format_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMediaType(WM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStreamGroupName(WCHAR*, WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetConnectionName(WCHAR*, WORD*) override { return E_NOTIMPL; }

private:
    LONG refs_;
    GUID major_;
    std::string format_;
};

class fake_reader;

class fake_header final : public IWMHeaderInfo {
public:
    explicit fake_header(fake_reader* owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetAttributeCount(WORD stream, WORD* count) override {
        *count = static_cast<WORD>(script().attributes.size());
        return stream == 0 ? S_OK : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE GetAttributeByIndex(WORD index, WORD*, WCHAR* name, WORD* name_length,
                                                  WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) override {
        std::vector<wm_attribute> all = script().attributes;
        if (index >= all.size()) return E_INVALIDARG;
        const wm_attribute& a = all[index];
        const WORD name_needed = static_cast<WORD>(a.name.size() + 1);
        const WORD value_needed = static_cast<WORD>(a.value.size());
        *type = a.type;
        if (name && *name_length >= name_needed) memcpy(name, a.name.c_str(), name_needed * sizeof(WCHAR));
        else if (name) return E_INVALIDARG;
        if (value && *length >= value_needed) memcpy(value, a.value.data(), value_needed);
        else if (value) return E_INVALIDARG;
        *name_length = name_needed;
        *length = value_needed;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAttributeByName(WORD*, LPCWSTR, WMT_ATTR_DATATYPE*, BYTE*, WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAttribute(WORD, LPCWSTR, WMT_ATTR_DATATYPE, const BYTE*, WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMarkerCount(WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMarker(WORD, WCHAR*, WORD*, QWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddMarker(LPCWSTR_WMSDK_TYPE_SAFE, QWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveMarker(WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetScriptCount(WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetScript(WORD, WCHAR*, WORD*, WCHAR*, WORD*, QWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddScript(LPCWSTR_WMSDK_TYPE_SAFE, LPCWSTR_WMSDK_TYPE_SAFE, QWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveScript(WORD) override { return E_NOTIMPL; }

private:
    fake_reader* owner_;
};

class fake_reader final : public IWMReader {
public:
    fake_reader() : refs_(1), header_(this) { InterlockedIncrement(&g_readers); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualGUID(iid, wm_reader::iid_header_info)) {
            AddRef();
            *out = static_cast<IWMHeaderInfo*>(&header_);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) {
            if (callback_) callback_->Release();
            delete this;
            InterlockedDecrement(&g_readers);
        }
        return n;
    }
    HRESULT STDMETHODCALLTYPE Open(const WCHAR* url, IWMReaderCallback* callback, void*) override {
        fake_wm_script s = script();
        {
            auto_sync guard(g_lock);
            g_record.url = url ? url : L"";
            ++g_record.opens;
        }
        if (FAILED(s.open_result)) return s.open_result;
        callback_ = callback;
        callback_->AddRef();
        play(s.on_open);
        return s.open_result;
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        fake_wm_script s = script();
        {
            auto_sync guard(g_lock);
            ++g_record.closes;
        }
        std::vector<wm_step> steps = s.after_close;
        if (s.report_closed) steps.insert(steps.begin(), wm_step::raise(WMT_CLOSED));
        play(steps);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetOutputCount(DWORD* n) override { *n = 1; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetOutputProps(DWORD output, IWMOutputMediaProps** props) override {
        if (output != 0) return E_INVALIDARG;
        fake_wm_script s = script();
        *props = new fake_props(s.major_type, s.format);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetOutputProps(DWORD, IWMOutputMediaProps*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutputFormatCount(DWORD, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutputFormat(DWORD, DWORD, IWMOutputMediaProps**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Start(QWORD, QWORD, float, void*) override {
        fake_wm_script s = script();
        {
            auto_sync guard(g_lock);
            ++g_record.starts;
        }
        if (FAILED(s.start_result)) return s.start_result;
        play(s.on_start);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Pause() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Resume() override { return S_OK; }

private:
    struct job {
        fake_reader* reader;
        std::vector<wm_step> steps;
    };

    // Raises the steps on a thread of their own, holding a reference.
    void play(const std::vector<wm_step>& steps) {
        if (steps.empty() || !callback_) return;
        AddRef();
        InterlockedIncrement(&g_threads);
        job* j = new job{this, steps};
        HANDLE h = CreateThread(nullptr, 0, &fake_reader::run, j, 0, nullptr);
        if (h) CloseHandle(h);
    }

    static DWORD WINAPI run(void* p) {
        job* j = static_cast<job*>(p);
        IWMReaderCallback* cb = j->reader->callback_;
        for (const wm_step& s : j->steps) {
            switch (s.kind) {
            case wm_step::status:
                cb->OnStatus(static_cast<WMT_STATUS>(s.code), s.result, WMT_TYPE_DWORD, nullptr, nullptr);
                break;
            case wm_step::sample:
            case wm_step::bad_sample: {
                fake_buffer buffer(s.bytes, s.kind == wm_step::bad_sample);
                HRESULT hr = cb->OnSample(s.output, 0, 0, 0, &buffer, nullptr);
                auto_sync guard(g_lock);
                g_record.sample_results.push_back(hr);
                break;
            }
            case wm_step::pause:
                Sleep(s.ms);
                break;
            case wm_step::wait_go:
                WaitForSingleObject(g_go, 30000);
                break;
            }
        }
        j->reader->Release();
        delete j;
        InterlockedDecrement(&g_threads);
        return 0;
    }

    LONG refs_;
    fake_header header_;
    IWMReaderCallback* callback_ = nullptr;
};

HRESULT fake_header::QueryInterface(REFIID iid, void** out) { return owner_->QueryInterface(iid, out); }
ULONG fake_header::AddRef() { return owner_->AddRef(); }
ULONG fake_header::Release() { return owner_->Release(); }

HRESULT WINAPI fake_create(IUnknown*, DWORD, IWMReader** reader) {
    fake_wm_script s = script();
    if (FAILED(s.create_result)) return s.create_result;
    {
        auto_sync guard(g_lock);
        ++g_record.created;
    }
    *reader = new fake_reader();
    return S_OK;
}

}  // namespace

wm_step wm_step::raise(int code, HRESULT result) {
    wm_step s;
    s.kind = status;
    s.code = code;
    s.result = result;
    return s;
}
wm_step wm_step::samples(const std::string& bytes, DWORD output) {
    wm_step s;
    s.kind = sample;
    s.bytes = bytes;
    s.output = output;
    return s;
}
wm_step wm_step::broken_sample() {
    wm_step s;
    s.kind = bad_sample;
    return s;
}
wm_step wm_step::sleep(DWORD ms) {
    wm_step s;
    s.kind = pause;
    s.ms = ms;
    return s;
}
wm_step wm_step::hold() {
    wm_step s;
    s.kind = wait_go;
    return s;
}

void fake_wm_install(const fake_wm_script& s) {
    {
        auto_sync guard(g_lock);
        g_script = s;
        g_record = fake_wm_record();
    }
    wm_reader::set_factory(&fake_create);
}

void fake_wm_uninstall() { wm_reader::set_factory(nullptr); }

fake_wm_record fake_wm_state() {
    auto_sync guard(g_lock);
    return g_record;
}

void fake_wm_go() { SetEvent(g_go); }

bool fake_wm_idle(DWORD guard_ms) {
    const DWORD start = GetTickCount();
    while (InterlockedCompareExchange(&g_threads, 0, 0) != 0 || InterlockedCompareExchange(&g_readers, 0, 0) != 0) {
        if (GetTickCount() - start > guard_ms) return false;
        Sleep(5);
    }
    return true;
}

std::string wave_format(WORD tag, WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX w;
    memset(&w, 0, sizeof(w));
    w.wFormatTag = tag;
    w.nChannels = channels;
    w.nSamplesPerSec = rate;
    w.wBitsPerSample = bits;
    w.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    w.nAvgBytesPerSec = rate * w.nBlockAlign;
    return std::string(reinterpret_cast<const char*>(&w), 18);
}

std::string wave_extensible(WORD channels, DWORD rate, WORD bits, DWORD mask, bool is_float) {
    WAVEFORMATEXTENSIBLE w;
    memset(&w, 0, sizeof(w));
    std::string head = wave_format(WAVE_FORMAT_EXTENSIBLE, channels, rate, bits);
    memcpy(&w.Format, head.data(), 18);
    w.Format.cbSize = 22;
    w.Samples.wValidBitsPerSample = bits;
    w.dwChannelMask = mask;
    w.SubFormat = wm_reader::subtype_float;
    if (!is_float) w.SubFormat.Data1 = 1;  // integer PCM
    return std::string(reinterpret_cast<const char*>(&w), sizeof(w));
}

std::string dword_value(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof(value)); }
