#pragma once

#include <vector>

#include "audio/sound_bank.h"
#include "characters/core/events.h"

// The bank's slot for a sound id; an empty sound for NONE.
Sound& soundOf(SoundId id);
// Plays a tick's sound events in order.
void playSoundEvents(const std::vector<SoundEvent>& events);
