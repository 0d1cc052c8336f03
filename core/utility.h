#pragma once
// utility: static helpers of zel_core (paths and file search, tokenizers,
// window and system helpers, URL fetch, hashing and credential encryption,
// shell file associations). The implementation is split by topic into
// utility_*.cpp files.
#include <windows.h>
#include <vector>
#include "stringx.h"
#include "zel_export.h"

class ZEL_CORE_API utility {
public:
    // --- paths, folders and file search (utility_paths.cpp) ---

    // --- tokenizers and command line (utility_tokenizer.cpp) ---

    // --- window and system helpers (utility_window.cpp) ---

    // --- URL fetch (utility_url.cpp) ---

    // --- hashing and credential encryption (utility_crypto.cpp) ---

    // --- shell file associations (utility_shell.cpp) ---

private:
    utility() = delete;
};
