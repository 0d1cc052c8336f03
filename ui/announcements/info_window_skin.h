#pragma once
// The announcement window's skin: one 320 x 100 face from a PNG image of
// the program's resources, chosen by the colour skin number, with the close
// and stop buttons, the mute check, the progress and volume sliders and the
// title, time and volume texts at fixed places (info_window_ids).
//
// The builder keeps the skin it built until destroy(). User-interface
// thread only.
#include <windows.h>

#include <memory>

class skin;

namespace info_window_ids {
constexpr unsigned close = 0;
constexpr unsigned stop = 1;
constexpr unsigned mute = 2;
constexpr unsigned volume = 3;
constexpr unsigned progress = 4;
constexpr unsigned title = 5;
constexpr unsigned time = 6;
constexpr unsigned volume_text = 7;
}  // namespace info_window_ids

// The colours of one colour skin (COLORREF): the texts, the progress bar and
// the volume bar.
struct info_window_colours {
    unsigned png;
    COLORREF text;
    COLORREF progress;
    COLORREF volume;
};
// Skins 1 to 7; any other number is skin 1. The volume bar is grey while the
// volumes are linked (skin 1 only, as the others keep theirs).
info_window_colours info_window_colours_of(int skin_number, bool linked = false);

class info_window_skin_builder {
public:
    info_window_skin_builder();
    ~info_window_skin_builder();
    info_window_skin_builder(const info_window_skin_builder&) = delete;
    info_window_skin_builder& operator=(const info_window_skin_builder&) = delete;

    // Subclasses the window with a new skin of that colour and returns it (the
    // builder keeps it). linked: the volume linkage is on (the mute check
    // shows its linked looks and the volume bar its linked colour). A skin
    // built before is destroyed first.
    skin* build(HWND window, int skin_number, bool linked);
    // Un-subclasses and deletes the skin; nothing when there is none.
    void destroy();
    skin* get() const { return skin_.get(); }

private:
    std::unique_ptr<skin> skin_;
};
