// The channel images of the skinned scroll bars: see scroll_channels.h.
#include "scroll_channels.h"

#include "dib.h"

namespace {
void make_channel(dib& channel, const RECT& stripe) {
    if (!channel.create(9, 9, 24)) return;
    const RECT all = {0, 0, 9, 9};
    dib::fill_solid_rect(channel.get_memdc(), &all, 0xD8D8D8);
    dib::fill_solid_rect(channel.get_memdc(), &stripe, 0xF1F1F1);
}
}  // namespace

void make_scroll_channels(dib& horizontal, dib& vertical) {
    make_channel(horizontal, RECT{0, 1, 9, 8});
    make_channel(vertical, RECT{1, 0, 8, 9});
}
