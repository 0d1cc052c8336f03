#pragma once
// volume_ducker: lowers the sound of every other program on the player's
// sound device while an announcement plays, and brings it back afterwards.
// The announcement scheduler calls duck at the start of the music's fade-out
// (with the fade time and the volume 0) and restore at its fade-in. Both
// fade in 100 ms steps on the user-interface thread. Other instances of the
// player, the player itself and the system sounds are never lowered.
//
// Ownership: a singleton of zel_addv2; release does nothing. Optional: a
// caller that finds none skips the step.
// Threading: user-interface thread only.
#include "component.h"

class volume_ducker : public component {
public:
    static constexpr GUID iid = {0x12008214, 0x5530, 0x4CA5, {0x8C, 0xA3, 0x2B, 0xDB, 0x87, 0xFB, 0x8B, 0x2D}};

    // Slot 2: fades the other programs from their present volume down to
    // volume (percent) within time milliseconds.
    virtual void duck(unsigned time, int volume) = 0;
    // Slot 3: fades the lowered programs back up to the volumes they had
    // before the duck within time milliseconds; nothing when nothing was
    // lowered.
    virtual void restore(unsigned time) = 0;
};
