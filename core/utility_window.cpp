// Window and system helpers of utility: message pumping, the default font
// and text measurement, window placement, the recent list of a combo box,
// the Windows version, ending a process by name, and number text.
#include "utility.h"
#include <tlhelp32.h>
#include <cwchar>
#include <string>
#include <vector>

namespace {
bool pump_one(HWND window, unsigned drop_message, bool dropping) {
    MSG msg;
    if (!PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) return false;
    if (dropping && msg.message == drop_message) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

bool is_blank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring trim_blanks(const wchar_t* text) {
    if (!text) return std::wstring();
    const wchar_t* begin = text;
    while (is_blank(*begin)) ++begin;
    const wchar_t* end = begin + wcslen(begin);
    while (end > begin && is_blank(end[-1])) --end;
    return std::wstring(begin, end);
}

// Ordinal comparison ignoring case, for any script the platform folds.
bool equal_ignoring_case(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    std::wstring ua = a, ub = b;
    if (!ua.empty()) CharUpperBuffW(&ua[0], static_cast<DWORD>(ua.size()));
    if (!ub.empty()) CharUpperBuffW(&ub[0], static_cast<DWORD>(ub.size()));
    return ua == ub;
}

// The text of one combo box entry, read with a buffer of its own length.
std::wstring combo_entry(HWND combo, int index) {
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length < 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    if (copied == CB_ERR || copied < 0) return std::wstring();
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
}

// The file-name part of a process's executable path (older systems report
// the whole path in the snapshot).
const wchar_t* executable_name(const wchar_t* path) {
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

bool matches_executable(const std::wstring& wanted, const wchar_t* exe_path) {
    std::wstring exe = executable_name(exe_path);
    if (equal_ignoring_case(wanted, exe)) return true;
    // "player" also names "player.exe".
    if (wanted.find(L'.') == std::wstring::npos && exe.size() > 4 &&
        equal_ignoring_case(exe.substr(exe.size() - 4), L".exe"))
        return equal_ignoring_case(wanted, exe.substr(0, exe.size() - 4));
    return false;
}

int version_code(DWORD platform, DWORD major, DWORD minor) {
    if (platform == VER_PLATFORM_WIN32_WINDOWS && major == 4) {
        if (minor == 0) return 0;
        if (minor == 10) return 1;
        if (minor == 90) return 2;
        return -1;
    }
    if (platform == VER_PLATFORM_WIN32_NT) {
        if (major <= 4) return 10;
        if (major == 5 && minor <= 2) return 11 + static_cast<int>(minor);
    }
    return -1;
}
}  // namespace

void utility::message_pump(HWND window) {
    while (pump_one(window, 0, false)) {
    }
}

void utility::clear_message_queue(int rounds, HWND window, unsigned drop_message) {
    for (int i = 0; i < rounds; ++i) {
        while (pump_one(window, drop_message, true)) {
        }
        Sleep(1);
    }
}

LOGFONTW* utility::get_default_logfont(int* point_size) {
    static LOGFONTW font;
    static bool cached = false;
    if (!cached) {
        ZeroMemory(&font, sizeof font);
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        cached = true;
    }
    if (point_size) {
        HDC screen = GetDC(nullptr);
        int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        *point_size = dpi > 0 ? -font.lfHeight * 72 / dpi : 0;
    }
    return &font;
}

int utility::get_text_length(const wchar_t* text, const wchar_t* face, unsigned point_size, bool bold) {
    if (!text) return 0;
    HDC screen = GetDC(nullptr);
    if (!screen) return 0;
    LOGFONTW wanted;
    ZeroMemory(&wanted, sizeof wanted);
    if (face) wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    wanted.lfHeight = -MulDiv(static_cast<int>(point_size), GetDeviceCaps(screen, LOGPIXELSY), 72);
    wanted.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    wanted.lfCharSet = get_default_logfont(nullptr)->lfCharSet;
    HFONT font = CreateFontIndirectW(&wanted);
    HGDIOBJ old = font ? SelectObject(screen, font) : nullptr;
    SIZE size = {0, 0};
    GetTextExtentPointW(screen, text, static_cast<int>(wcslen(text)), &size);
    if (font) {
        SelectObject(screen, old);
        DeleteObject(font);
    }
    ReleaseDC(nullptr, screen);
    return size.cx;
}

void utility::ajust_window_screen(HWND window) {
    RECT work, rect;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) || !GetWindowRect(window, &rect)) return;
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    int x = rect.left, y = rect.top;
    bool moved = false;
    if (rect.right < work.left + 10) x = work.left, moved = true;
    if (rect.bottom < work.top + 10) y = work.top, moved = true;
    if (x > work.right - 10) x = work.right - w, moved = true;
    if (y > work.bottom - 10) y = work.bottom - h, moved = true;
    if (moved) MoveWindow(window, x, y, w, h, TRUE);
}

void utility::recent_list(HWND combo, const wchar_t* text, int max_entries) {
    const std::wstring item = trim_blanks(text);
    if (item.empty()) return;
    std::vector<std::wstring> entries;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; count != CB_ERR && i < count; ++i) entries.push_back(combo_entry(combo, i));
    for (size_t i = 0; i < entries.size(); ++i) {
        if (equal_ignoring_case(entries[i], item)) {
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    std::vector<std::wstring> list{item};
    for (const std::wstring& entry : entries)
        if (!entry.empty()) list.push_back(entry);
    if (max_entries < 0) max_entries = 0;
    if (list.size() > static_cast<size_t>(max_entries)) list.resize(static_cast<size_t>(max_entries));
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& entry : list)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int utility::get_os_version() {
    OSVERSIONINFOEXW info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return -1;
    }
    return version_code(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool utility::kill_process(const wchar_t* name) {
    const std::wstring wanted = name ? name : L"";
    if (wanted.empty()) return false;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    bool ended = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (!matches_executable(wanted, entry.szExeFile)) continue;
        HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID);
        if (process) {
            DWORD code = 0;
            GetExitCodeProcess(process, &code);
            ended = TerminateProcess(process, code) != FALSE;
            CloseHandle(process);
        }
        break;  // only the first match is tried
    }
    CloseHandle(snapshot);
    return ended;
}

bool utility::is_number(const wchar_t* text) {
    if (!text) return true;
    for (; *text; ++text)
        if (*text < L'0' || *text > L'9') return false;
    return true;
}

stringx utility::make_number_string(const wchar_t* number) {
    if (!number || !number[0]) return stringx(L"");
    wchar_t decimal[] = L".";
    wchar_t thousand[] = L",";
    NUMBERFMTW format;
    format.NumDigits = 0;
    format.LeadingZero = 0;
    format.Grouping = 3;
    format.lpDecimalSep = decimal;
    format.lpThousandSep = thousand;
    format.NegativeOrder = 1;
    wchar_t buffer[200];
    if (GetNumberFormatW(0, 0, number, &format, buffer, 200) == 0) return stringx(number);
    // Without a leading zero the platform may format a zero value (0, 0.3,
    // -0) as an empty text or a lone minus sign; a count of nothing is "0".
    if (buffer[0] == L'\0' || wcscmp(buffer, L"-") == 0) return stringx(L"0");
    return stringx(buffer);
}
