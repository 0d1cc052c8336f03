#include "wm_input.h"
#include <cstdlib>
#include <cstring>
#include "mms_stream.h"

wm_input::wm_input() : format_{1, 2, 44100, 16, 0, 0.0, 0.0} {}

wm_input::~wm_input() { close(); }

bool wm_input::accepts_content_type(const wchar_t* type) {
    return type && *type && _wcsicmp(type, mms_stream::content_type_name) == 0;
}

// The file-level attributes: "Bitrate" (a DWORD in bits per second) gives
// the bit rate; the others are read and dropped.
bool wm_input::read_bitrate() {
    WORD count = 0;
    if (FAILED(header_->GetAttributeCount(0, &count))) return false;
    for (WORD i = 0; i < count; ++i) {
        WORD stream_number = 0;
        WORD name_length = 0;
        WORD value_length = 0;
        WMT_ATTR_DATATYPE type = WMT_TYPE_DWORD;
        HRESULT hr = header_->GetAttributeByIndex(i, &stream_number, nullptr, &name_length, &type, nullptr, &value_length);
        if (FAILED(hr)) return false;
        wchar_t* name = static_cast<wchar_t*>(calloc(name_length + 1u, sizeof(wchar_t)));
        BYTE* value = static_cast<BYTE*>(calloc(value_length + 1u, 1));
        if (!name || !value) {
            free(name);
            free(value);
            return false;
        }
        hr = header_->GetAttributeByIndex(i, &stream_number, name, &name_length, &type, value, &value_length);
        if (SUCCEEDED(hr) && type == WMT_TYPE_DWORD && value_length >= sizeof(DWORD) && wcscmp(name, L"Bitrate") == 0) {
            DWORD bits = 0;
            memcpy(&bits, value, sizeof(bits));
            format_.bitrate = bits * 0.001;
        }
        free(name);
        free(value);
        if (FAILED(hr)) return false;
    }
    return true;
}

// Output 0's media type: audio, with a WAVEFORMATEX (or its extensible
// form, whose subtype tells float from integer PCM).
bool wm_input::read_output_format() {
    DWORD outputs = 0;
    IWMOutputMediaProps* props = nullptr;
    if (FAILED(reader_->GetOutputCount(&outputs)) || FAILED(reader_->GetOutputProps(0, &props)) || !props)
        return false;
    DWORD size = 0;
    if (FAILED(props->GetMediaType(nullptr, &size)) || size < sizeof(WM_MEDIA_TYPE)) {
        props->Release();
        return false;
    }
    WM_MEDIA_TYPE* type = static_cast<WM_MEDIA_TYPE*>(calloc(size, 1));
    if (!type || FAILED(props->GetMediaType(type, &size))) {
        free(type);
        props->Release();
        return false;
    }
    props->Release();

    bool ok = IsEqualGUID(type->majortype, wm_reader::media_type_audio) && type->pbFormat &&
              type->cbFormat >= sizeof(WAVEFORMATEX) - 2;  // the 18 bytes of a WAVEFORMATEX
    if (ok) {
        WAVEFORMATEXTENSIBLE wave;
        memset(&wave, 0, sizeof(wave));
        size_t bytes = 18;
        WORD extra = 0;
        if (type->cbFormat >= 18) memcpy(&extra, type->pbFormat + 16, sizeof(extra));
        bytes += extra;
        if (bytes > type->cbFormat) bytes = type->cbFormat;
        if (bytes > sizeof(wave)) bytes = sizeof(wave);
        memcpy(&wave, type->pbFormat, bytes);
        format_.format_tag = wave.Format.wFormatTag;
        if (wave.Format.wFormatTag == WAVE_FORMAT_EXTENSIBLE)
            format_.format_tag = IsEqualGUID(wave.SubFormat, wm_reader::subtype_float) ? 3 : 1;
        format_.channels = wave.Format.nChannels;
        format_.sample_rate = static_cast<int>(wave.Format.nSamplesPerSec);
        format_.bits_per_sample = wave.Format.wBitsPerSample;
        format_.channel_mask = wave.Format.wFormatTag == WAVE_FORMAT_EXTENSIBLE ? static_cast<int>(wave.dwChannelMask) : 0;
    }
    free(type);
    return ok;
}

bool wm_input::open(stream* source, list_info*) {
    if (!source) return false;
    close();
    // Only an MMS stream carries a reader; it says so by its content type.
    if (!accepts_content_type(source->content_type)) return false;
    stream_ = static_cast<mms_stream*>(source);
    callback_ = stream_->callback();
    callback_->AddRef();
    reader_ = stream_->reader();
    if (!reader_) return false;
    void* header = nullptr;
    if (FAILED(reader_->QueryInterface(wm_reader::iid_header_info, &header)) || !header) return false;
    header_ = static_cast<IWMHeaderInfo*>(header);
    if (!read_bitrate() || !read_output_format()) return false;

    ResetEvent(stream_->buffering_stopped_event());
    if (FAILED(reader_->Start(0, 0, 1.0f, nullptr))) return false;
    while (stream_ && !stream_->ended()) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (WaitForSingleObject(stream_->buffering_stopped_event(), 10) == WAIT_OBJECT_0) break;
    }
    if (!stream_ || stream_->ended()) return false;
    position_ = 0.0;
    for (int i = 0; i < settle_steps && stream_; ++i) Sleep(10);
    return stream_ != nullptr;
}

void wm_input::close() {
    if (callback_) callback_->Release();
    if (header_) header_->Release();
    callback_ = nullptr;
    stream_ = nullptr;
    reader_ = nullptr;
    header_ = nullptr;
}

audio_format* wm_input::get_format(audio_format* format) {
    if (format) *format = format_;
    return format;
}

int wm_input::read(void* buffer, int bytes) {
    if (!stream_ || stream_->at_end()) return -1;
    if (stream_->busy) return 0;
    if (stream_->buffered() < bytes && !stream_->ended()) return 0;
    const int count = stream_->read(buffer, bytes);
    const double bytes_per_second = format_.bits_per_sample * static_cast<double>(format_.sample_rate) *
                                    format_.channels / 8.0;
    if (count > 0 && bytes_per_second > 0) position_ += count / bytes_per_second;
    return count;
}

double wm_input::position() { return stream_ ? position_ : 0.0; }

bool wm_input::busy() { return stream_ ? stream_->busy : false; }
