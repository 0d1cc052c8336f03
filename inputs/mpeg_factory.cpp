#include "mpeg_factory.h"

#include "mpeg_input.h"
#include "mpeg_tag.h"
#include "stream.h"
#include "utility.h"
#include "wav_format.h"

namespace {
// True when the stream is a ".wav" file whose format names MPEG audio.
bool carries_mpeg(stream* source) {
    if (!source) return false;
    if (_wcsicmp(utility::get_file_extension(source->path).wvalue(), L"wav") != 0) return false;
    const int format = wav_format_tag(source);
    return format == wave_format_mpeg || format == wave_format_mpeg_layer3;
}

// A new T opened on (source, info), or null.
template <class T, class Interface>
Interface* open_new(stream* source, list_info* info) {
    T* made = new T();
    if (made->open(source, info)) return made;
    made->release();
    return nullptr;
}
}  // namespace

mpeg_input_tag_factory& mpeg_factory() {
    static mpeg_input_tag_factory factory;
    return factory;
}

mpeg_decoder_options& mpeg_options() { return mpeg_factory().options; }

input* mpeg_input_tag_factory::create_input(stream* source, list_info* info) {
    return carries_mpeg(source) ? open_new<mpeg_input, input>(source, info) : nullptr;
}

tag* mpeg_input_tag_factory::create_tag(stream* source, list_info* info) {
    return carries_mpeg(source) ? open_new<mpeg_tag, tag>(source, info) : nullptr;
}
