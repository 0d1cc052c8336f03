#pragma once
// The global block of the private entry formats (internal to zel_core). It
// carries no entries: it names the process and the data object that made
// it, so that only a drag of the same process, still under way, is read.
// A raw address alone would be read by any process that receives the
// format, such as another player instance, and by a drop after the drag.
#include <windows.h>

class data_object;

struct entry_block {
    static const DWORD expected_magic = 0x5A454C45;  // "ZELE"

    DWORD magic;
    DWORD process_id;
    const data_object* source;

    // Whether the object is a data object that has not been destroyed.
    static bool is_live(const data_object* object);
};
