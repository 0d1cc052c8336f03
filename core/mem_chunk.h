#pragma once
// mem_chunk: a growable buffer of plain elements (bytes, samples), managed
// with malloc, realloc and free so that every module can hand one to another.
//
// Layout (other modules compile these members in): virtual destructor, then
// data, capacity, length. The capacity starts at 1 and doubles until it holds
// what is asked for; it never shrinks. Copies are deep (length elements).
//
// Not thread-safe: an owner that shares one guards it with its own lock.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

template <class T>
class mem_chunk {
public:
    mem_chunk() : data(nullptr), capacity(0), length(0) {}

    mem_chunk(const mem_chunk& other) : data(nullptr), capacity(0), length(0) {
        if (resize(other.length) && other.length > 0)
            memcpy(data, other.data, sizeof(T) * other.length);
    }

    mem_chunk& operator=(const mem_chunk& other) {
        if (this != &other && resize(other.length) && other.length > 0)
            memcpy(data, other.data, sizeof(T) * other.length);
        return *this;
    }

    virtual ~mem_chunk() { free(data); }

    // Makes the buffer hold n elements (a negative n counts as 0), keeping the
    // first ones. The new elements are not initialised. False, with the
    // buffer unchanged, when the memory cannot be had.
    bool resize(int n) {
        if (n < 0) n = 0;
        if (capacity < n) {
            long long grown = capacity > 0 ? capacity : 1;
            while (grown < n) grown *= 2;
            if (grown > INT_MAX) grown = n;  // doubling would pass the int range
            if (static_cast<unsigned long long>(grown) > SIZE_MAX / sizeof(T)) return false;
            T* bigger = static_cast<T*>(realloc(data, sizeof(T) * static_cast<size_t>(grown)));
            if (!bigger) return false;
            data = bigger;
            capacity = static_cast<int>(grown);
        }
        length = n;
        return true;
    }

    // Appends count elements; false (nothing appended) when count is negative,
    // the total would pass the int range or memory runs out.
    bool append(const T* items, int count) {
        if (count < 0 || (count > 0 && !items) || length > INT_MAX - count) return false;
        int at = length;
        if (!resize(length + count)) return false;
        if (count > 0) memcpy(data + at, items, sizeof(T) * count);
        return true;
    }

    T* data;       // null until something was allocated
    int capacity;  // elements allocated
    int length;    // elements in use
};
