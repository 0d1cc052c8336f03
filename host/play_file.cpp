// Plays one file through the playback engine and ends the message loop when
// the engine has finished.
#include "play_file.h"
#include <cstdio>
#include <string>
#include <vector>
#include "audio_format.h"
#include "core.h"
#include "list_info.h"
#include "output.h"
#include "playback_engine.h"
#include "stringx.h"

namespace {
playback_engine* g_engine = nullptr;

std::string console_text(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &s[0], n, nullptr, nullptr);
    return s;
}

void CALLBACK check_finished(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_engine && g_engine->is_playing()) return;
    KillTimer(nullptr, id);
    // The ended thread keeps its format record and its last position: a file
    // that no input took (or that gave no sound) has no sample rate, or never
    // got past the start.
    bool played = false;
    if (g_engine) {
        const audio_format* format = g_engine->info();
        played = format && format->sample_rate > 0 && g_engine->position() > 0.0;
        g_engine->release();
        g_engine = nullptr;
    }
    if (!played) {
        fprintf(stderr, "zel_player: nothing could be played from the file\n");
        fflush(stderr);
        PostQuitMessage(3);
        return;
    }
    printf("zel_player: finished\n");
    fflush(stdout);
    PostQuitMessage(0);
}

// The wave-out device when the system lists one, otherwise the WAV-file
// output. Returns a description of where the sound goes.
std::wstring choose_output(output_manager* outputs) {
    const int wave_out = 0, wav_file = 1;
    std::vector<stringx> names;
    if (outputs->devices(wave_out, names) > 0) {
        outputs->select(wave_out, -1);
        return std::wstring(L"the sound device \"") + names[0].wvalue() + L"\"";
    }
    names.clear();
    outputs->select(wav_file, 0);
    outputs->devices(wav_file, names);
    return std::wstring(L"the WAV file ") + (names.empty() ? L"" : names[0].wvalue());
}
}  // namespace

bool play_file_then_quit(const wchar_t* path) {
    component* c = core::enum_create_component(output_manager::iid, 0);
    if (!c) {
        fprintf(stderr, "zel_player: no audio output component is installed\n");
        return false;
    }
    std::wstring where = choose_output(static_cast<output_manager*>(c));
    c->release();

    g_engine = static_cast<playback_engine*>(core::enum_create_component(playback_engine::iid, 0));
    if (!g_engine) {
        fprintf(stderr, "zel_player: no playback engine\n");
        return false;
    }
    list_info entry;
    list_info::set_string(entry.path, path);
    printf("zel_player: playing %s on %s\n", console_text(path).c_str(), console_text(where.c_str()).c_str());
    fflush(stdout);
    if (!g_engine->play(&entry, nullptr)) {
        fprintf(stderr, "zel_player: the engine could not start\n");
        g_engine->release();
        g_engine = nullptr;
        return false;
    }
    SetTimer(nullptr, 0, 200, &check_finished);
    return true;
}
