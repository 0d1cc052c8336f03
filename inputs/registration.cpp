// The services of zel_in_std.dll. Each node is pushed at the head of the
// library's list as its static initializer runs, so under one interface the
// node initialized last is enumerated first. The stream sources come first
// here and the MPEG components last: the MPEG input must be the first input
// of this library that core::create_input asks, so the nodes of the other
// inputs (Windows Media, Audio CD) have to be initialized before this file's.
#include "file_stream.h"
#include "http_stream.h"
#include "mms_stream.h"
#include "mpeg_factory.h"
#include "mpeg_input.h"
#include "mpeg_tag.h"
#include "service_factory.h"
#include "wm_input.h"

namespace {
// Stream sources.
per_use_factory<stream, file_stream> g_file_stream_node;
per_use_factory<stream, http_stream> g_http_stream_node;
per_use_factory<stream, mms_stream> g_mms_stream_node;

// The Windows Media input (MMS streams, chosen by content type only).
per_use_factory<input, wm_input> g_wm_input_node;

// MPEG components, in this order: they enumerate in the reverse one.
per_use_factory<input, mpeg_input> g_mpeg_input_node;
per_use_factory<tag, mpeg_tag> g_mpeg_tag_node;
mpeg_factory_node g_mpeg_factory_node;
singleton_factory<file_type, mpeg_file_type> g_mpeg_file_type_node;
}  // namespace
