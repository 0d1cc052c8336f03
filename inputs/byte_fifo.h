#pragma once
// byte_fifo: a growable byte queue. Bytes are appended at the end and taken
// from the front; the capacity starts at 1, doubles as needed and never
// shrinks, so a queue in steady use allocates nothing.
//
// No lock: a queue belongs to one thread, or its owner guards it.
#include "mem_chunk.h"

class byte_fifo : public mem_chunk<unsigned char> {
public:
    // Appends n bytes; n <= 0 does nothing. False when memory runs out
    // (nothing is appended then).
    bool append(const void* bytes, int n);
    // Moves up to n bytes from the front into dest; returns the count.
    int take(void* dest, int n);
    // Drops everything queued; the capacity stays.
    void clear() { length = 0; }
    int size() const { return length; }
};
