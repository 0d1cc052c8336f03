#pragma once
// utility: static helpers of zel_core (paths and file search, tokenizers,
// window and system helpers, URL fetch, hashing and credential encryption,
// shell file associations). The implementation is split by topic into
// utility_*.cpp files.
#include <windows.h>
#include <vector>
#include "mem_chunk.h"
#include "stringx.h"
#include "zel_export.h"

class ZEL_CORE_API utility {
public:
    // --- paths, folders and file search (utility_paths.cpp) ---
    // Paths are UTF-16 with backslash separators; a null path reads as "".

    // Shell special folders by CSIDL number; other CSIDL numbers may be cast.
    enum system_folder_t { folder_personal = 5, folder_appdata = 26 };

    // Path of a shell special folder, without a trailing backslash; "" when
    // the shell cannot tell.
    static stringx find_system_folder(system_folder_t folder);

    // Path parts, UNI_CODE results. get_file_name: the text after the last
    // "\" (the whole text when there is none, or when the path ends in "\").
    // get_file_extension: the text after the last "." of the whole text (the
    // whole text when there is none, or when it ends in "."). get_folder_name:
    // the text before the last "\"; "" when there is none.
    static stringx get_file_name(const wchar_t* path);
    static stringx get_file_extension(const wchar_t* path);
    static stringx get_folder_name(const wchar_t* path);

    // Makes the folder and its missing parents; true when the folder exists
    // afterwards. False when it cannot be created, when no existing ancestor
    // is found (an empty or relative text) or the path has MAX_PATH
    // characters or more.
    static bool check_directory(const wchar_t* folder);

    // A path no file or folder has yet: the path itself, or with "(1)"
    // inserted before the extension of its file name (appended when the name
    // has none), again per collision: "a.txt", "a(1).txt", "a(1)(1).txt".
    static stringx make_file_path(const wchar_t* path);

    // The file-name part with ? / \ : | * < > and double quotes removed.
    static stringx check_filename(const wchar_t* path);

    // The short (8.3) form of the path in the ANSI code page, from malloc;
    // the caller frees it with free. A missing file is created empty for the
    // lookup and removed again; without a short form the long path is used.
    // Null only when memory runs out.
    static char* convert_filename(const wchar_t* path);

    // Appends folder + "\" + name of every file of folder whose extension
    // (the text after the last "." of its name, the whole name when there is
    // none) equals one of extensions ("mp3;wav", no dots), ignoring case.
    // Names beginning with "." are skipped; subfolders are searched when
    // recursive. Then sorts the whole vector (the caller's entries included)
    // in ordinal order. Dispatches the thread's window messages once per
    // folder, so it belongs on the user-interface thread.
    static void find_files(const wchar_t* folder, const wchar_t* extensions,
                           std::vector<stringx>& files, bool recursive);

    // A DROPFILES block (wide names, each terminated, then one more zero) for
    // a file drop or a CF_HDROP item; *size receives its byte count. The
    // block comes from operator new and is released with operator delete.
    // No paths (or no memory): null and size 0.
    static unsigned char* create_drop_files(std::vector<stringx>& paths, unsigned* size);

    // --- tokenizers and command line (utility_tokenizer.cpp) ---

    // Appends to pieces (not cleared) the UNI_CODE pieces of text between
    // occurrences of delimiter (ordinal, case-sensitive), empty pieces
    // included: n occurrences give n + 1 pieces. An empty or null text
    // appends nothing; an empty or null delimiter gives the whole text as
    // one piece. The command-line splitter is the class cmd_line.
    static void string_tokenizer(const wchar_t* text, const wchar_t* delimiter,
                                 std::vector<stringx>& pieces);

    // --- window and system helpers (utility_window.cpp) ---
    // The message and window helpers belong on the user-interface thread.

    // Translates and dispatches every pending message of the calling thread
    // for that window (all of the thread's windows for null); returns when
    // none is left. Keeps windows painting inside long loops.
    static void message_pump(HWND window);
    // rounds times: dispatch the pending messages as message_pump does, but
    // remove those with the identifier drop_message undispatched; Sleep(1).
    static void clear_message_queue(int rounds, HWND window, unsigned drop_message);

    // The stock DEFAULT_GUI_FONT's LOGFONTW, read once into a shared static
    // (callers copy it and never change it). *point_size, when given,
    // receives -lfHeight * 72 / LOGPIXELSY of the screen.
    static LOGFONTW* get_default_logfont(int* point_size);
    // Width in pixels of text drawn on the screen in the font face (at most
    // 31 characters are used), point_size points, bold or normal weight, in
    // the default GUI font's character set.
    static int get_text_length(const wchar_t* text, const wchar_t* face, unsigned point_size, bool bold);

    // Moves the window back into the desktop work area, keeping its size,
    // when less than 10 pixels of it remain inside; otherwise leaves it.
    static void ajust_window_screen(HWND window);
    // Uses the combo box's list as a most-recently-used list: text (trimmed
    // of blanks and tabs; empty changes nothing) goes first, its earlier
    // entry (ignoring case) is dropped, empty entries are dropped, and the
    // list is cut to its first max_entries entries; the edit text becomes
    // the text. Entries of any length are kept whole.
    static void recent_list(HWND combo, const wchar_t* text, int max_entries);

    // The Windows version as a code: 95 family 4.0 -> 0, 4.10 -> 1,
    // 4.90 -> 2; NT 4 or earlier -> 10, 5.0 -> 11, 5.1 -> 12, 5.2 -> 13;
    // anything else (6.0 and later included), or no answer -> -1.
    static int get_os_version();
    // Ends the first running process whose executable file name equals name
    // ignoring case; a name without an extension also matches the
    // executable's name without its ".exe". Whole names only: "note" does
    // not end notepad.exe. False when none matches, no process list could be
    // taken, or the first match cannot be opened. One process per call.
    static bool kill_process(const wchar_t* name);

    // True when every character is a digit 0-9 (also for "" and null).
    static bool is_number(const wchar_t* text);
    // The whole number text with "," between groups of three digits and a
    // leading minus ("1234567" -> "1,234,567"). A text the platform cannot
    // format as a number comes back unchanged.
    static stringx make_number_string(const wchar_t* number);

    // --- profile files (utility_profile.cpp) ---
    // Any INI file, through the wide private-profile functions. The platform
    // rewrites the whole file in the ANSI code page on every write, so the
    // player's own "zel_player.ini", whose text values are UTF-8, is written
    // through config_var instead.

    // The value of key in section, default_text when absent, cut to size - 1
    // characters and trimmed of blanks and tabs (UNI_CODE).
    static stringx get_profile_string(stringx file, stringx section, stringx key, stringx default_text,
                                      long size);
    // Stores the value; nonzero on success.
    static int write_profile_string(stringx file, stringx section, stringx key, stringx value);

    // --- URL fetch (utility_url.cpp) ---
    // Blocking; for the user-interface thread. HTTP status codes are not
    // looked at: an error page is a body like any other.

    // Downloads url through WinINet, sending headers (extra request header
    // lines, may be null or empty). True with text pointing to the body and
    // a zero byte, from malloc (the caller frees it), when the whole body
    // arrived; an empty body gives true and leaves text untouched (pass it
    // null). False, text null, when the URL cannot be opened (the connect
    // stage gives up after 2000 ms) or the transfer breaks off (a body that
    // stalls is given up after 30 s without data).
    static bool open_url(const wchar_t* url, const wchar_t* headers, char*& text);
    // The same for bytes: data (no terminator, from malloc) and size on
    // success; data and size untouched for an empty body; null and 0 on
    // failure.
    static bool open_url(const wchar_t* url, unsigned char*& data, int& size);
    // The reply's "content-length" value for a GET of url (the body is not
    // downloaded), through the system's own HTTP client; 0 when the header
    // is missing, the request fails, or the header block is not complete
    // within 4000 polls of about 1 ms.
    static int get_url_length(const wchar_t* url);

    // --- hashing and credential encryption (utility_crypto.cpp) ---

    // The 16-byte MD5 digest (RFC 1321) of length bytes at data into digest.
    // Null data counts as no bytes; a null digest does nothing.
    static void md5_encrypt(const unsigned char* data, unsigned length, unsigned char* digest);

    // Encrypt or decrypt the buffer's length bytes in place with the fixed
    // RC4-128 key that CryptoAPI derives from the SHA-1 of the pass phrase.
    // A stream cipher: lengths do not change and equal plain texts give equal
    // cipher texts. encrypt grows the capacity to at least twice the length
    // for the call. False on any CryptoAPI failure; the length is then
    // unchanged, the bytes are undefined. Each call acquires and releases its
    // own provider context, so any thread may call.
    static bool encrypt(mem_chunk<unsigned char>& buffer);
    static bool decrypt(mem_chunk<unsigned char>& buffer);

    // --- shell file associations (utility_shell.cpp) ---
    // Under HKEY_CLASSES_ROOT (write access needed; registry errors are not
    // reported: a step that fails is skipped). The commands start
    // "zel_player.exe" in the folder of the module given to
    // core::set_instance: Open is "<program>" "%1", Enqueue "<program>" /add
    // "%1" (program in double quotes). For the options page; none of the
    // player's modules calls them.

    // associate: each ".ext" (extensions without the dot: mp3, wav, cda)
    // gets the type "ZELPlayer.Audio" as its default; a different earlier
    // default is kept in the value "ZEL_backup". The type gets its name, icon
    // and the Open and Enqueue verbs. For "cda" an existing
    // AudioCD\shell\play\command takes the Open command the same way (none
    // is created). !associate: undoes that; the backup comes back only while
    // the default is still ours (or gone): a program that has taken the
    // extension over since keeps it, and the stale backup is dropped;
    // remove_type also deletes the type. An empty vector does nothing.
    static void registry_file(std::vector<stringx>& extensions, bool associate, bool remove_type);
    // add: the folder verbs "ZEL 플레이어 열기(&P)" (Directory\Shell\ZELPlayer.Play)
    // and "ZEL 플레이어 목록에 추가(&E)" (Directory\Shell\ZELPlayer.Enqueue);
    // !add deletes them.
    static void registry_folder(bool add);
    // True when ".extension" can be opened with full access and its default
    // is "ZELPlayer.Audio" ignoring case.
    static bool registry_file_connected(const wchar_t* extension);
    // True when Directory\Shell\ZELPlayer.Play can be opened with full access.
    static bool rgistry_folder_connected();

private:
    utility() = delete;
};
