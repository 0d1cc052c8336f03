#include "mpeg_input.h"

#include <cwchar>
#include <vector>

#include "list_info.h"
#include "mpeg_decoder.h"
#include "mpeg_options.h"
#include "seek_table.h"
#include "stream.h"
#include "utility.h"

mpeg_input::decode_stage::~decode_stage() {
    delete decoder;
    free(out);
}

mpeg_input::mpeg_input() : format_{1, 2, 44100, 16, 0, 0.0, 0.0}, parser_(&abort_) {}

mpeg_input::~mpeg_input() {
    abort_ = true;
    release_stage();
}

void mpeg_input::release_stage() {
    delete stage_;
    stage_ = nullptr;
}

// Sample rate, bit rate, channels, length, format tag and bits from what the
// parser found and the decoder options.
void mpeg_input::take_parser_format() {
    format_.sample_rate = parser_.sample_rate();
    format_.bitrate = parser_.average_bitrate();
    format_.channels = parser_.first_frame().mode == 3 ? 1 : 2;
    format_.length = parser_.length();
    format_.format_tag = mpeg_options().format_tag();
    format_.bits_per_sample = mpeg_options().bits();
}

// Reads and drops n bytes of a stream that cannot seek.
static void skip_bytes(stream* source, int64_t n) {
    unsigned char block[4096];
    while (n > 0) {
        const int got = source->read(block, int(n < int64_t(sizeof block) ? n : int64_t(sizeof block)));
        if (got <= 0) break;
        n -= got;
    }
}

bool mpeg_input::open(stream* source, list_info* info) {
    release_stage();
    queue_.clear();
    abort_ = false;
    stream_ = source;
    if (!source) return false;
    const wchar_t* path = info && info->path ? info->path : L"";
    if (!wcsstr(path, L"://") && source->length() == 0) return false;  // an empty local file
    if (!parser_.open(source)) return false;

    bytes_read_ = 0;
    stream_length_ = source->length();
    if (source->is_seekable())
        source->seek(parser_.data_start(), 0);
    else
        skip_bytes(source, parser_.data_start());
    data_start_ = parser_.data_start();
    take_parser_format();
    decoded_position_ = 0.0;
    skip_to_ = -1.0;

    if (source->is_seekable() && !parser_.has_vbri())
        seek_table_cache::instance().add(source, data_start_, stream_length_);
    stage_ = new decode_stage();
    return true;
}

void mpeg_input::close() {
    release_stage();
    queue_.clear();
    stream_length_ = 0;
    bytes_read_ = 0;
    data_start_ = 0;
    decoded_position_ = 0.0;
    skip_to_ = -1.0;
    stream_ = nullptr;
    abort_ = true;
}

audio_format* mpeg_input::get_format(audio_format* format) {
    if (format) *format = format_;
    return format;
}

int mpeg_input::bytes_per_second() const {
    return format_.bits_per_sample * format_.sample_rate * format_.channels / 8;
}

double mpeg_input::position() {
    if (skip_to_ >= 0.0) return skip_to_;  // a seek whose first audio is still to come
    const int rate = bytes_per_second();
    const double queued = rate > 0 ? double(queue_.size()) / rate : 0.0;
    const double at = decoded_position_ - queued;
    return at > 0.0 ? at : 0.0;
}

bool mpeg_input::busy() { return stream_ ? stream_->busy : false; }

bool mpeg_input::accepts_content_type(const wchar_t* type) {
    static const wchar_t* const types[] = {L"audio/mp3",    L"audio/mpeg", L"audio/mpg", L"audio/x-mp3",
                                           L"audio/x-mpeg", L"audio/x-mpg", L"zel content type"};
    if (!type || !*type) return false;
    for (const wchar_t* t : types)
        if (_wcsicmp(type, t) == 0) return true;
    return false;
}

bool mpeg_input::accepts(stream* source, const wchar_t* path) {
    static const wchar_t* const extensions[] = {L"mp3", L"mp2", L"mp1", L"mpga"};
    if (!path || !*path) {
        if (!source) return false;
        path = source->path;
    }
    const stringx extension = utility::get_file_extension(path);
    for (const wchar_t* e : extensions)
        if (_wcsicmp(extension.wvalue(), e) == 0) return true;
    return false;
}
