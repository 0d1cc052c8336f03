#pragma once
// A Windows Media reader of the tests' own, put in place of the platform's
// through wm_reader::set_factory. It plays a script: the statuses and
// samples it raises on the callback after Open, after Start and after Close,
// each list from a thread of its own; the header attributes and the output
// media type it reports. What the stream did with it is recorded.
#include <windows.h>
#include <string>
#include <vector>
#include "wm_reader.h"

struct wm_step {
    enum kind_t { status, sample, bad_sample, pause, wait_go } kind = status;
    int code = 0;              // status
    HRESULT result = S_OK;     // status
    std::string bytes;         // sample
    DWORD output = 0;          // sample
    DWORD ms = 0;              // pause

    static wm_step raise(int code, HRESULT result = S_OK);
    static wm_step samples(const std::string& bytes, DWORD output = 0);
    static wm_step broken_sample();  // GetBufferAndLength fails
    static wm_step sleep(DWORD ms);
    static wm_step hold();           // until fake_wm_go()
};

struct wm_attribute {
    std::wstring name;
    WMT_ATTR_DATATYPE type;
    std::string value;
};

struct fake_wm_script {
    HRESULT create_result = S_OK;
    HRESULT open_result = S_OK;
    std::vector<wm_step> on_open;
    HRESULT start_result = S_OK;
    std::vector<wm_step> on_start;
    bool report_closed = true;       // Close raises WMT_CLOSED
    std::vector<wm_step> after_close;
    std::vector<wm_attribute> attributes;
    GUID major_type = wm_reader::media_type_audio;
    std::string format;              // the WAVEFORMATEX(EXTENSIBLE) bytes
};

struct fake_wm_record {
    std::wstring url;
    int created = 0;
    int opens = 0;
    int starts = 0;
    int closes = 0;
    std::vector<HRESULT> sample_results;  // what OnSample answered, in order
};

// Installs the fake with this script (replacing the platform's reader) and
// clears the record.
void fake_wm_install(const fake_wm_script& script);
// Puts the platform's reader back.
void fake_wm_uninstall();
fake_wm_record fake_wm_state();
// Lets a script thread that waits at a hold step go on.
void fake_wm_go();
// Waits (bounded) until no script thread runs and no fake reader is alive.
bool fake_wm_idle(DWORD guard_ms = 30000);

// Format bytes: a plain WAVEFORMATEX, or the extensible form.
std::string wave_format(WORD tag, WORD channels, DWORD rate, WORD bits);
std::string wave_extensible(WORD channels, DWORD rate, WORD bits, DWORD mask, bool is_float);
std::string dword_value(DWORD value);
