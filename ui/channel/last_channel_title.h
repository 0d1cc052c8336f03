#pragma once
// The title of the channel whose track played last, as the main window
// shows it and tells the channel-changed listeners; empty when no channel
// track played since, or after the now-playing list forgot it.
// User-interface thread only.
#include "stringx.h"

const stringx& last_channel_title();
void set_last_channel_title(const stringx& title);
// Empties the title; false when it was empty already.
bool forget_last_channel_title();
