// zel_window_probe.exe: asks a running program's main window to answer a
// message every period and writes down how long each answer took, for the
// end-to-end tests that want the window never to freeze.
//   zel_window_probe OUT.txt SECONDS [CLASS] [PERIOD_MS]
// CLASS defaults to "ZELMainWindow", PERIOD_MS to 100. One line per probe,
// UTF-8, fields split by tabs:
//   UNIX-MS  ANSWER-MS  WINDOW-TEXT  DIALOG-TEXTS
// UNIX-MS: when the probe was sent (milliseconds since 1970, the machine's
// clock); ANSWER-MS: how long the window took to answer WM_NULL (-1: no such
// window yet or any more); WINDOW-TEXT: the main window's text; DIALOG-TEXTS:
// the texts of the visible dialog boxes of the window's program, each
// dialog's controls joined by " / ", the dialogs by " | ". A window that does
// not answer within 30 s counts 30000 ms. Exit code 0.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

long long unix_ms() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER v;
    v.LowPart = now.dwLowDateTime;
    v.HighPart = now.dwHighDateTime;
    return static_cast<long long>(v.QuadPart / 10000ULL) - 11644473600000LL;
}

std::string utf8(const std::wstring& text) {
    std::wstring clean = text;
    for (wchar_t& c : clean)
        if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
    if (clean.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, clean.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, clean.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(strlen(out.c_str()));
    return out;
}

// The text a window holds, read without sending it a message (the window's
// thread may be the one that does not answer).
std::wstring text_of(HWND h) {
    wchar_t text[512] = L"";
    InternalGetWindowText(h, text, 511);
    return text;
}

struct dialog_walk {
    DWORD process;
    HWND main;
    std::vector<std::wstring> texts;
};

struct visit {
    static BOOL CALLBACK child(HWND h, LPARAM l) {
        std::wstring* out = reinterpret_cast<std::wstring*>(l);
        const std::wstring t = text_of(h);
        if (!t.empty() && IsWindowVisible(h)) {
            if (!out->empty()) *out += L" / ";
            *out += t;
        }
        return TRUE;
    }
    static BOOL CALLBACK top(HWND h, LPARAM l) {
        dialog_walk* w = reinterpret_cast<dialog_walk*>(l);
        DWORD p = 0;
        GetWindowThreadProcessId(h, &p);
        wchar_t cls[64] = L"";
        GetClassNameW(h, cls, 63);
        if (p != w->process || h == w->main || !IsWindowVisible(h) || wcscmp(cls, L"#32770") != 0) return TRUE;
        std::wstring all = text_of(h);
        EnumChildWindows(h, child, reinterpret_cast<LPARAM>(&all));
        w->texts.push_back(all);
        return TRUE;
    }
};

std::wstring dialog_texts(HWND main) {
    dialog_walk w = {0, main, {}};
    GetWindowThreadProcessId(main, &w.process);
    EnumWindows(visit::top, reinterpret_cast<LPARAM>(&w));
    std::wstring out;
    for (const std::wstring& t : w.texts) {
        if (!out.empty()) out += L" | ";
        out += t;
    }
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: zel_window_probe OUT.txt SECONDS [CLASS] [PERIOD_MS]\n");
        return 2;
    }
    FILE* out = _wfopen(argv[1], L"wb");
    if (!out) return 2;
    const long long end = unix_ms() + static_cast<long long>(_wtof(argv[2]) * 1000);
    const wchar_t* cls = argc > 3 ? argv[3] : L"ZELMainWindow";
    const DWORD period = argc > 4 ? static_cast<DWORD>(_wtoi(argv[4])) : 100;
    while (unix_ms() < end) {
        const long long sent = unix_ms();
        HWND main = FindWindowW(cls, nullptr);
        long long answer = -1;
        std::wstring window_text, dialogs;
        if (main) {
            DWORD_PTR result = 0;
            const DWORD before = GetTickCount();
            const bool answered = SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result) != 0;
            answer = answered ? static_cast<long long>(GetTickCount() - before) : 30000;
            if (!IsWindow(main)) answer = -1;
            window_text = text_of(main);
            dialogs = dialog_texts(main);
        }
        fprintf(out, "%lld\t%lld\t%s\t%s\n", sent, answer, utf8(window_text).c_str(), utf8(dialogs).c_str());
        fflush(out);
        const long long spent = unix_ms() - sent;
        if (spent < period) Sleep(static_cast<DWORD>(period - spent));
    }
    fclose(out);
    return 0;
}
