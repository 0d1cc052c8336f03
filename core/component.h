#pragma once
// The base of every service object handed out by the component registry.
//
// Slot 0 names the interface the object implements; slot 1 ends the caller's
// use of it: per-use objects delete themselves, singletons do nothing. An
// interface's own operations follow from slot 2. No exception crosses these
// calls: failures are reported by false, null or a negative result.
#include <windows.h>
#include <cstring>

class component {
public:
    virtual const GUID* get_guid() = 0;
    virtual void release() = 0;
};

// Byte-wise GUID order, as the registry files its nodes.
// The order of memcmp (bytes as unsigned values, first byte first), worked
// out inline: the registry compares interface ids on every look-up.
inline bool guid_less(const GUID& a, const GUID& b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(&a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(&b);
    for (size_t i = 0; i < sizeof(GUID); ++i)
        if (x[i] != y[i]) return x[i] < y[i];
    return false;
}
inline bool guid_equal(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

// Implementation helpers. `Interface` declares `static constexpr GUID iid`.
//
// A singleton lives inside its registration node for the library's lifetime.
template <class Interface>
class singleton_component : public Interface {
public:
    const GUID* get_guid() override { return &Interface::iid; }
    void release() override {}
};

// A per-use object is created anew for every caller and ends with release().
template <class Derived, class Interface>
class per_use_component : public Interface {
public:
    const GUID* get_guid() override { return &Interface::iid; }
    void release() override { delete static_cast<Derived*>(this); }
};
