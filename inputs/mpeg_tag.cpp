#include "mpeg_tag.h"

#include <cstdlib>
#include <cwchar>

#include "info_list.h"
#include "list_info.h"
#include "mpeg_options.h"
#include "mpeg_parser.h"
#include "stream.h"
#include "utf.h"
#include "utility.h"

namespace {
const char* const replay_gain_fields[] = {"replaygain_track_gain", "replaygain_track_peak", "replaygain_album_gain",
                                          "replaygain_album_peak"};

const wchar_t* yes_no(int bit) { return bit ? L"Yes" : L"No"; }

stringx decimal(int value) {
    wchar_t text[16];
    _itow(value, text, 10);
    return stringx(text);
}

// True when the seekable stream begins with "RIFF"; the position is kept.
bool starts_with_riff(stream* source) {
    if (!source->is_seekable()) return false;
    const int64_t home = source->tell();
    char id[4] = {};
    const bool riff = source->seek(0, 0) == 0 && source->read(id, 4) == 4 && id[0] == 'R' && id[1] == 'I' &&
                      id[2] == 'F' && id[3] == 'F';
    source->seek(home, 0);
    return riff;
}
}  // namespace

mpeg_tag::mpeg_tag() : format_{1, 2, 44100, 16, 0, 0.0, 0.0} {}

mpeg_tag::~mpeg_tag() {
    delete info_list_;
    info_list_ = nullptr;
    abort_ = true;
}

bool mpeg_tag::open(stream* source, list_info* info) {
    if (!source || !tags_.set_stream(source)) return false;
    stream_ = source;
    riff_wrapped_ = starts_with_riff(source);
    if (info) list_info::set_string(info->path, source->path);

    delete info_list_;
    info_list_ = new info_list();
    info_list_->set(L"Path", source->path);
    info_list_->set(L"FileSize", decimal(static_cast<int>(source->length())).wvalue());

    mpeg_parser parser(&abort_);
    if (!parser.open(source)) return false;
    describe(parser);
    take_audio_properties(parser);
    return true;
}

void mpeg_tag::describe(const mpeg_parser& parser) {
    const frame_header& first = parser.first_frame();
    stringx format;
    format.format(L"Mpeg %.1f Layer %d", double(parser.version()), first.layer);
    info_list_->set(L"Format", format.wvalue());
    info_list_->set(L"Decoder", L"ZEL Mpeg Parser");
    info_list_->set(L"Sub Decoder", L"mpg123");
    info_list_->set(L"Copyright", yes_no(first.copyright));
    info_list_->set(L"Original", yes_no(first.original));
    // The header's protection bit itself: 1 when no CRC follows the header.
    info_list_->set(L"Protection", yes_no(!first.error_protection));
    info_list_->set(L"Frame Length", decimal(parser.frame_length()).wvalue());
    info_list_->set(L"ID3V2 Size", decimal(parser.id3v2_size()).wvalue());
    info_list_->set(L"Emphasis", parser.emphasis_text().wvalue());
    info_list_->set(L"Mode", parser.mode_text().wvalue());
    for (const char* name : replay_gain_fields) {
        const char* value = tags_.get_field(name);
        if (value && *value) info_list_->set(utf::ansi_to_utf16(name).wvalue(), utf::utf8_to_utf16(value).wvalue());
    }
}

void mpeg_tag::take_audio_properties(const mpeg_parser& parser) {
    format_.format_tag = mpeg_options().format_tag();
    format_.bits_per_sample = mpeg_options().bits();
    format_.channels = parser.first_frame().mode == 3 ? 1 : 2;
    format_.bitrate = double(parser.average_bitrate());
    format_.length = parser.length();
    format_.sample_rate = parser.sample_rate();
}

const wchar_t* mpeg_tag::path() { return stream_ ? stream_->path : L""; }

const wchar_t* mpeg_tag::get_field(const wchar_t* name) {
    answer_ = utf::utf8_to_utf16(tags_.get_field(utf::utf16_to_ansi(name).value()));
    return answer_.wvalue();
}

void mpeg_tag::set_field(const wchar_t* name, const wchar_t* value) {
    tags_.set_field(utf::utf16_to_ansi(name).value(), utf::utf16_to_utf8(value).value());
}

bool mpeg_tag::update() {
    if (riff_wrapped_) return false;
    return tags_.update(zel_tag::kind_id3v2);
}

void mpeg_tag::remove() {
    if (riff_wrapped_) return;
    tags_.remove();
}

bool mpeg_tag::accepts(stream* source, const wchar_t* path) {
    static const wchar_t* const extensions[] = {L"mp3", L"mp2", L"mp1", L"mpga"};
    if (!path || !*path) {
        if (!source) return false;
        path = source->path;
    }
    if (wcsstr(path, L"://")) return false;
    const stringx extension = utility::get_file_extension(path);
    for (const wchar_t* e : extensions)
        if (_wcsicmp(extension.wvalue(), e) == 0) return true;
    return false;
}
