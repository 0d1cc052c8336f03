#pragma once
// zel_save_reader: downloads the file of one track URL into its cache file on
// a thread of its own at idle priority, no faster than the process-wide rate
// limit (track_net::rate_limit). A download always starts at the first byte
// and writes the bytes as received into the download file
// (track_url::download_file); only when exactly the length the host reported
// has arrived does that file become the cache file. One that ends short of
// that length, goes past it, comes without a length or whose writes fail
// deletes its download file.
//
// Threads: open runs on the track cache's start thread (or the caller's);
// is_finished, path, is_info and destruction on the user-interface thread
// (the track cache's tick), after open has returned; the download on the
// reader's thread. Destruction stops the download and waits for it.
#include <cstdio>
#include "critsec.h"
#include "http_fetch.h"
#include "stringx.h"
#include "thread.h"

class zel_save_reader : public thread {
public:
    zel_save_reader();
    ~zel_save_reader() override;

    // False when nothing is to be downloaded: not a track URL, a start of 1
    // or more, a complete cache file, a server that does not tell the length
    // of an existing file, a file that cannot be created, a failed request.
    virtual bool open(const wchar_t* url);
    // True once the download has ended (and lingered).
    virtual bool is_finished() { return stop_; }
    // The full path of the cache file (the name the download gets once it
    // is complete).
    virtual const wchar_t* path() { return cache_path_.wvalue(); }
    virtual bool is_info() { return is_info_; }

protected:
    void run() override;

private:
    bool stop_ = true;  // also the abort flag of the requests
    http_fetch source_;
    FILE* file_ = nullptr;
    critsec file_lock_;
    stringx cache_path_;
    stringx part_path_;
    stringx path_;
    bool is_info_ = false;
    bool started_ = false;
};
