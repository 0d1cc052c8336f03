#pragma once
// A minimal owning pointer to a COM interface: releases on destruction.
#include <windows.h>
#include <unknwn.h>

template <class T>
class com_ptr {
public:
    com_ptr() = default;
    ~com_ptr() { reset(); }
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases the current object first.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

// An owned BSTR.
class bstr {
public:
    explicit bstr(const wchar_t* text) : s_(SysAllocString(text ? text : L"")) {}
    bstr() = default;
    ~bstr() { SysFreeString(s_); }
    bstr(const bstr&) = delete;
    bstr& operator=(const bstr&) = delete;
    BSTR get() const { return s_; }
    BSTR* put() {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }
    const wchar_t* text() const { return s_ ? s_ : L""; }

private:
    BSTR s_ = nullptr;
};
