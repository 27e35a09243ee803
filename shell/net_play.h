#pragma once

#include <optional>
#include <string>

#include "net/session.h"
#include "shell/options.h"

// The network game the command line asks for, if any.
std::optional<NetConfig> netConfigOf(const Options& options);

// The network game the window plays, from the next frame on.
void startNetPlay(const NetConfig& config);
// Whether a network game is under way; when it ends the window goes back to
// its own title with the reason shown for a while.
bool netPlayActive();
// One frame of the network game: the keys of both sets play this machine's
// fighter, clicks and pads choose it; sounds are played.
void netPlayFrame(std::vector<MenuPoint> releases, const MenuPresses& pads);
// The match a network game shows (the select screen or the bout), if one is
// under way: drawn as it is, never copied.
const Match* netPlayMatch();
// The network labels over the picture (waiting, round trip, why it ended).
void drawNetLabels();
