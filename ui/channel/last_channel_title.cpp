#include "last_channel_title.h"

namespace {
stringx g_last_channel_title;
}  // namespace

const stringx& last_channel_title() { return g_last_channel_title; }

void set_last_channel_title(const stringx& title) { g_last_channel_title = title; }

bool forget_last_channel_title() {
    if (g_last_channel_title.length() == 0) return false;
    g_last_channel_title.empty();
    return true;
}
