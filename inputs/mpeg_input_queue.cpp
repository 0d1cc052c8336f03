#include "mpeg_input_queue.h"

#include <cstdlib>
#include <cstring>

bool input_queue::push(const unsigned char* data, uint32_t size)
{
    if (size == 0)
        return true;
    if (size > uint32_t(INT32_MAX - queued_))
        return false;
    auto* chunk = static_cast<input_chunk*>(std::malloc(sizeof(input_chunk) + size));
    if (!chunk)
        return false;
    chunk->next = nullptr;
    chunk->prev = last_;
    chunk->count = size;
    chunk->position = 0;
    std::memcpy(chunk->bytes(), data, size);
    if (last_)
        last_->next = chunk;
    else
        first_ = chunk;
    last_ = chunk;
    queued_ += int32_t(size);
    return true;
}

void input_queue::take(unsigned char* dest, int32_t n)
{
    while (n > 0 && first_) {
        input_chunk* chunk = first_;
        uint32_t available = chunk->count - chunk->position;
        uint32_t step = available < uint32_t(n) ? available : uint32_t(n);
        if (dest) {
            std::memcpy(dest, chunk->bytes() + chunk->position, step);
            dest += step;
        }
        chunk->position += step;
        queued_ -= int32_t(step);
        n -= int32_t(step);
        if (chunk->position == chunk->count) {
            first_ = chunk->next;
            if (first_)
                first_->prev = nullptr;
            else
                last_ = nullptr;
            std::free(chunk);
        }
    }
}

void input_queue::clear()
{
    while (first_) {
        input_chunk* next = first_->next;
        std::free(first_);
        first_ = next;
    }
    last_ = nullptr;
    queued_ = 0;
}
