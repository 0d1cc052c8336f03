#pragma once
// The channel images of the windows' own skinned scroll bars.
class dib;

// Two 9 x 9 images, grey (0xD8D8D8) with a lighter stripe (0xF1F1F1) along
// the bar: across for the horizontal bar, down for the vertical one.
void make_scroll_channels(dib& horizontal, dib& vertical);
