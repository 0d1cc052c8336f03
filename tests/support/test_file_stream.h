#pragma once
// test_file_stream: a stream over a local file for tests of code that reads
// and rewrites files through the stream interface (the tag code). It behaves
// like zel_in_std's file stream: "rb" after open, reopen switches between
// "rb" and "r+b" keeping the position, set_length cuts or extends the file.
//
// For failure tests, write_budget limits the bytes that writes may still
// write (-1: no limit); a write beyond it writes only what is left.
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "stream.h"

class test_file_stream final : public stream {
public:
    test_file_stream() = default;
    ~test_file_stream() { close(); }
    test_file_stream(const test_file_stream&) = delete;
    test_file_stream& operator=(const test_file_stream&) = delete;

    const GUID* get_guid() override { return &stream::iid; }
    void release() override { delete this; }

    bool open(const wchar_t* name) override {
        close();
        if (!name || !*name || wcslen(name) > 260)
            return false;
        m_file = _wfopen(name, L"rb");
        if (!m_file)
            return false;
        wcscpy(path, name);
        const wchar_t* dot = wcsrchr(name, L'.');
        wcsncpy(content_type, dot ? dot + 1 : name, 199);
        content_type[199] = 0;
        m_writable = false;
        return true;
    }
    void close() override {
        if (m_file)
            fclose(m_file);
        m_file = nullptr;
    }
    int read(void* buffer, int bytes) override {
        return m_file && bytes > 0 ? static_cast<int>(fread(buffer, 1, bytes, m_file)) : 0;
    }
    int peek(void* buffer, int bytes) override {
        const int64_t at = tell();
        const int n = read(buffer, bytes);
        seek(at, 0);
        return n;
    }
    int seek(int64_t offset, int origin) override {
        return m_file ? fseek(m_file, static_cast<long>(offset), origin) : -1;
    }
    int64_t length() override {
        if (!m_file)
            return 0;
        fflush(m_file);
        const long n = _filelength(_fileno(m_file));
        return n < 0 ? 0 : n;
    }
    bool is_seekable() override { return true; }
    int64_t tell() override {
        const long n = m_file ? ftell(m_file) : 0;
        return n < 0 ? 0 : n;
    }
    int buffered() override { return 0; }
    bool at_end() override { return false; }
    bool rebuffer() override { return true; }
    bool is_writable() override { return m_writable; }
    void reopen(const wchar_t* mode) override {
        if (!m_writable && _wcsicmp(mode, L"r+b") == 0) {
            m_writable = true;
            switch_mode(L"r+b");
        } else if (m_writable && _wcsicmp(mode, L"rb") == 0) {
            m_writable = false;
            switch_mode(L"rb");
        }
    }
    int write(const void* buffer, int bytes) override {
        if (!m_file || !m_writable || bytes <= 0)
            return 0;
        if (write_budget >= 0 && bytes > write_budget)
            bytes = write_budget;
        const int n = static_cast<int>(fwrite(buffer, 1, bytes, m_file));
        if (write_budget >= 0)
            write_budget -= n;
        return n;
    }
    void set_length(int new_length) override {
        if (!m_file || !m_writable)
            return;
        const int64_t at = tell();
        fflush(m_file);
        _chsize(_fileno(m_file), new_length);
        seek(at < new_length ? at : new_length, 0);
    }

    bool is_open() const { return m_file != nullptr; }

    int write_budget = -1;

private:
    void switch_mode(const wchar_t* mode) {
        const int64_t at = tell();
        close();
        m_file = _wfopen(path, mode);
        if (m_file)
            seek(at, 0);
    }

    FILE* m_file = nullptr;
    bool m_writable = false;
};
