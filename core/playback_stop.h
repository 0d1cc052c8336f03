#pragma once
// Whether the calling thread is a playback thread whose track has been
// stopped meanwhile (a stop, a skip to another entry, or shutdown). Work
// that a stream or an input does on the playback thread and that may wait
// long, such as a network request or a live station filling its buffer
// inside stream::open, asks it between its waits and gives up: a stop must
// not wait for the network. False on every other thread.
#include "zel_export.h"

ZEL_CORE_API bool playback_stop_requested();
