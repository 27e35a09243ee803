#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "characters/core/events.h"

// The game's fixed bank of fifteen sounds. A sound that failed to load, or a
// machine without a sound device, leaves its slot empty: every operation on
// it then does nothing and isPlayingOnce is false.
struct Sound {
    unsigned source = 0;  // 0: nothing loaded
    unsigned buffer = 0;
    bool looping = false;
};

// The bank's slots, one per SoundId.
struct SoundTable {
    std::array<Sound, SOUND_COUNT> slots{};

    Sound& operator[](SoundId id) { return slots[static_cast<std::size_t>(id)]; }
    const Sound& operator[](SoundId id) const { return slots[static_cast<std::size_t>(id)]; }
};

// The game's one bank, which loadSoundBank fills.
extern SoundTable soundTable;

// Opens the device and loads the fifteen sounds from sounds/ under
// dataPrefix ("" for the working directory, else a folder ending in '/').
void loadSoundBank(const std::string& dataPrefix = "");
// Releases every sound and the device, leaving the slots empty (at exit).
void closeSoundBank();
void releaseSound(Sound& sound);
bool InitDirectSound();
void LoadDirectSound(Sound& slot, const char* fileName);

void playOnce(Sound& sound);
void playLooping(Sound& sound);
void stopSound(Sound& sound);
bool isPlayingOnce(const Sound& sound);
// Seconds into the sound where it now plays; 0 for an empty slot.
float playPosition(const Sound& sound);
