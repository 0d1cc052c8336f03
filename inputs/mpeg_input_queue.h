#pragma once
// The MPEG decoder's input queue: every pushed piece of the stream is copied
// once into its own node; bytes are taken from the front, and a node is freed
// as soon as its last byte has been taken.
#include <cstdint>

struct input_chunk {
    input_chunk* next;
    input_chunk* prev;
    uint32_t count;     // bytes held
    uint32_t position;  // read position within them
    // the bytes follow the node in the same allocation
    unsigned char* bytes() { return reinterpret_cast<unsigned char*>(this + 1); }
};

class input_queue {
public:
    input_queue() = default;
    ~input_queue() { clear(); }
    input_queue(const input_queue&) = delete;
    input_queue& operator=(const input_queue&) = delete;

    // Appends a copy of size bytes. False, with nothing queued, when memory
    // runs out or the queued count would pass 2^31 - 1.
    bool push(const unsigned char* data, uint32_t size);
    // Moves n bytes from the front into dest (or drops them when dest is
    // null). The caller makes sure that n bytes are queued.
    void take(unsigned char* dest, int32_t n);
    // Frees every node.
    void clear();
    // Bytes queued and not yet taken.
    int32_t size() const { return queued_; }

private:
    input_chunk* first_ = nullptr;
    input_chunk* last_ = nullptr;
    int32_t queued_ = 0;
};
