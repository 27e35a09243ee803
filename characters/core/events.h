#pragma once

#include <cstdint>
#include <vector>

// The game's sounds, by the stem of their WAV files.
enum class SoundId : std::uint8_t {
    DARTH_ATTACK,
    DARTH_BLOCK,
    DARTH_WIN,
    DARTH_HIT,
    DARTH_RINGOUT,
    JACK_ATTACK,
    JACK_BLOCK,
    JACK_WIN,
    JACK_HIT,
    JACK_RINGOUT,
    BACKGROUND,
    CLICK,
    CLOSE,
    STARTUP,
    SELECTCHARACTER,
    NONE,
};
constexpr int SOUND_COUNT = static_cast<int>(SoundId::NONE);

enum class SoundAction : std::uint8_t { PLAY_ONCE, PLAY_LOOPING, STOP };

struct SoundEvent {
    SoundAction action;
    SoundId id;
    bool operator==(const SoundEvent&) const = default;
};

// What one tick tells the shell (its sounds, in the order they happen) and
// what the fighters tell the match while it runs.
struct TickEvents {
    std::vector<SoundEvent> sounds;
    // The bout is still on: a hit still makes its victim flinch.
    bool fighting = true;
    // A fighter left the arena during this tick.
    bool ringOut = false;

    void playOnce(SoundId id)
    {
        if (id != SoundId::NONE)
            sounds.push_back({SoundAction::PLAY_ONCE, id});
    }
    void playLooping(SoundId id) { sounds.push_back({SoundAction::PLAY_LOOPING, id}); }
    void stop(SoundId id) { sounds.push_back({SoundAction::STOP, id}); }
};
