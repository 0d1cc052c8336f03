#pragma once
// mms_stream: the stream source for "mms://", "mmsh://", "mmst://" and
// "mmsu://" URLs. The platform's Windows Media reader connects, decodes and
// calls back with status events and PCM (or float) samples; the stream keeps
// the samples' bytes in a buffer that the Windows Media input (wm_input)
// reads. It tells every stream_title_listener what it is doing, in Korean.
//
// The reader's callback is an object of its own, reference-counted, that the
// stream detaches in close: a reader that calls back late (or never reports
// closing) then finds a callback that does nothing, never a freed stream.
//
// Threads: open, read and close on the caller's thread; the callbacks come
// on the reader's threads. The sample buffer is guarded by the stream's lock.
// `busy` stays false for the whole life of an MMS stream.
#include <cstdint>
#include <vector>
#include "critsec.h"
#include "mem_chunk.h"
#include "stream.h"
#include "wm_reader.h"

class stream_title_listener;
class mms_callback;

class mms_stream : public per_use_component<mms_stream, stream> {
public:
    static constexpr const wchar_t* content_type_name = L"mms content type";
    static constexpr DWORD open_limit_ms = 30000;   // the reader must report within this
    static constexpr DWORD close_limit_ms = 2000;

    mms_stream();
    virtual ~mms_stream();
    mms_stream(const mms_stream&) = delete;
    mms_stream& operator=(const mms_stream&) = delete;

    bool open(const wchar_t* url) override;
    void close() override;
    int read(void* buffer, int bytes) override;
    int peek(void* buffer, int bytes) override;
    int seek(int64_t, int) override { return 0; }
    int64_t length() override { return 0; }
    bool is_seekable() override { return false; }
    int64_t tell() override { return 0; }
    int buffered() override;
    // True once no more samples will come and the buffer is drained.
    bool at_end() override { return ended() && buffered() == 0; }
    bool rebuffer() override { return true; }
    bool is_writable() override { return false; }
    void reopen(const wchar_t*) override {}
    int write(const void*, int) override { return 0; }
    void set_length(int) override {}

    // For the Windows Media input.
    bool ended() const { return __atomic_load_n(&ended_, __ATOMIC_ACQUIRE); }
    IWMReader* reader() const { return reader_; }
    IWMReaderCallback* callback() const;
    HANDLE buffering_stopped_event() const { return events_[buffering_stopped]; }

    // The reader callback's work, under the callback's own lock.
    void on_status(WMT_STATUS status, HRESULT result);
    HRESULT on_sample(DWORD output, INSSBuffer* sample);

private:
    enum { opened = 0, buffering_stopped = 1, closed = 2, end_of_data = 3, event_count = 4 };

    void set_ended(bool value) { __atomic_store_n(&ended_, value, __ATOMIC_RELEASE); }
    bool wait_opened(LONG signals);
    void tell_listeners(const wchar_t* text);

    mms_callback* callback_;
    mem_chunk<unsigned char> samples_;
    bool ended_ = true;
    HANDLE events_[event_count] = {};
    HRESULT open_status_ = S_OK;
    LONG opened_signals_ = 0;  // opened statuses seen (interlocked)
    critsec lock_;             // guards samples_
    IWMReader* reader_ = nullptr;
    std::vector<stream_title_listener*> listeners_;
    bool com_initialised_ = false;
};
