#include "byte_fifo.h"

#include <cstring>

bool byte_fifo::append(const void* bytes, int n) {
    if (n <= 0 || !bytes) return true;
    return mem_chunk<unsigned char>::append(static_cast<const unsigned char*>(bytes), n);
}

int byte_fifo::take(void* dest, int n) {
    if (n < 1 || !dest) return 0;
    const int m = n < length ? n : length;
    if (m == 0) return 0;
    memcpy(dest, data, static_cast<size_t>(m));
    if (m == length)
        length = 0;
    else {
        memmove(data, data + m, static_cast<size_t>(length - m));
        length -= m;
    }
    return m;
}
