#include "mpeg_core.h"

#include <cstring>
#include <mpg123.h>

namespace {

bool library_supports(const char* name)
{
    for (const char** d = mpg123_supported_decoders(); d && *d; ++d)
        if (std::strcmp(*d, name) == 0)
            return true;
    return false;
}

// The routines to ask for. The project is built for SSE2 processors, so the
// SSE routines are always there; they deliver the same float samples on every
// such machine, which the reference decodings of the tests rely on. The
// library's x86_64 build names its SSE routines "x86-64" (it has no "SSE");
// left to itself it would pick AVX where the processor has it, whose samples
// differ in the last bits.
const char* choose_routines(bool use_3dnow)
{
    if (use_3dnow) {
        if (library_supports("3DNowExt"))
            return "3DNowExt";
        if (library_supports("3DNow"))
            return "3DNow";
    }
    if (library_supports("SSE"))
        return "SSE";
    if (library_supports("x86-64"))
        return "x86-64";
    return nullptr;  // the library's own choice
}

}  // namespace

mpeg_core::~mpeg_core()
{
    if (handle_)
        mpg123_delete(handle_);
}

bool mpeg_core::create(bool use_3dnow)
{
    int error = MPG123_OK;
    handle_ = mpg123_new(choose_routines(use_3dnow), &error);
    if (!handle_)
        return false;
    // Flags replace the library's defaults: no gapless trimming, no
    // resampling, the Xing/Info frame decoded like any frame, output from the
    // first frame on (whole frames are fed), no scanning for a sync word.
    const long flags = MPG123_FORCE_FLOAT | MPG123_NO_READAHEAD | MPG123_IGNORE_INFOFRAME |
                       MPG123_QUIET | MPG123_NO_RESYNC;
    // Nothing seeks inside the library, so it keeps no frame index.
    if (mpg123_param(handle_, MPG123_FLAGS, flags, 0) != MPG123_OK ||
        mpg123_param(handle_, MPG123_RESYNC_LIMIT, 0, 0) != MPG123_OK ||
        mpg123_param(handle_, MPG123_INDEX_SIZE, 0, 0) != MPG123_OK ||
        mpg123_format_none(handle_) != MPG123_OK)
        return false;
    static const long rates[] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};
    for (long rate : rates)
        if (mpg123_format(handle_, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32) != MPG123_OK)
            return false;
    restart();
    return open_;
}

void mpeg_core::restart()
{
    if (!handle_)
        return;
    open_ = mpg123_open_feed(handle_) == MPG123_OK;
}

const float* mpeg_core::decode_frame(const unsigned char* frame, int size, int expected_samples)
{
    if (!open_)
        restart();
    if (!open_)
        return nullptr;
    unsigned char* audio = nullptr;
    size_t bytes = 0;
    int result = mpg123_feed(handle_, frame, size_t(size));
    while (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
        off_t number = 0;
        result = mpg123_decode_frame(handle_, &number, &audio, &bytes);
        if (result == MPG123_OK)
            break;
    }
    long fill = 0;
    double fill_double = 0;
    const bool drained = mpg123_getstate(handle_, MPG123_BUFFERFILL, &fill, &fill_double) == MPG123_OK &&
                         fill == 0;
    if (result != MPG123_OK || !drained || !audio ||
        bytes != size_t(expected_samples) * sizeof(float)) {
        restart();
        return nullptr;
    }
    return reinterpret_cast<const float*>(audio);
}

const char* mpeg_core::routines() const
{
    return handle_ ? mpg123_current_decoder(handle_) : "";
}
