#pragma once
// Up to 100 owned (name, value) wide-text pairs, names compared ignoring case.
// Tags hand it out; the HTTP stream and the audio-CD tag keep one.
#include <cstdlib>
#include <cwchar>

class info_list {
public:
    static const int capacity = 100;

    info_list() : count(0) {}
    ~info_list() { clear(); }
    info_list(const info_list&) = delete;
    info_list& operator=(const info_list&) = delete;

    // Replaces the value of the pair whose name equals name ignoring case, or
    // appends a pair. Once 100 pairs are held nothing changes, replacements
    // included. Null texts are ignored.
    void set(const wchar_t* name, const wchar_t* value) {
        if (!name || !value || count >= capacity) return;
        for (int i = 0; i < count; ++i) {
            if (_wcsicmp(pairs[i].name, name) == 0) {
                wchar_t* copy = _wcsdup(value);
                if (!copy) return;
                free(pairs[i].value);
                pairs[i].value = copy;
                return;
            }
        }
        wchar_t* n = _wcsdup(name);
        wchar_t* v = _wcsdup(value);
        if (!n || !v) {
            free(n);
            free(v);
            return;
        }
        pairs[count].name = n;
        pairs[count].value = v;
        ++count;
    }

    // The value for name (ignoring case), or null.
    const wchar_t* get(const wchar_t* name) const {
        for (int i = 0; name && i < count; ++i)
            if (_wcsicmp(pairs[i].name, name) == 0) return pairs[i].value;
        return nullptr;
    }

    void clear() {
        for (int i = 0; i < count; ++i) {
            free(pairs[i].name);
            free(pairs[i].value);
        }
        count = 0;
    }

    struct pair {
        wchar_t* name;
        wchar_t* value;
    };
    int count;
    pair pairs[capacity];
};
