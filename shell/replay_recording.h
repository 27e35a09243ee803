#pragma once

#include "match/match.h"
#include "replay/replay_store.h"

// Every bout of the live match is recorded and saved when it ends, or when
// the game exits mid-bout. A failure to save prints one message; play goes on.
void startReplayRecording();
void recordBeforeTick(const Match& match);
void recordAfterTick(const Match& match, const TickInput& input);
