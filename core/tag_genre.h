#pragma once
// tag_genre: the table of the 148 genre names that ID3v1 tags store as an
// index (0 "Blues" to 147 "SynthPop"). The ID3v1 reader and writer and the
// ID3v2 reader ("(13)" means "Pop") share it. Reentrant.
#include "zel_export.h"

class ZEL_CORE_API tag_genre {
public:
    enum : int { count = 148 };

    // The name of index, or null for an index outside 0..count-1.
    static const char* name(int index);
    // The index of a name compared ignoring ASCII case; -1 when it is not in
    // the table (and for null).
    static int find(const char* name);

private:
    tag_genre() = delete;
};
