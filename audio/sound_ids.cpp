#include "audio/sound_ids.h"

Sound& soundOf(SoundId id)
{
    // NONE has no slot: it gets an empty sound, on which every operation does nothing.
    static Sound nothing;
    if (id == SoundId::NONE) {
        nothing = Sound{};
        return nothing;
    }
    return soundTable[id];
}

void playSoundEvents(const std::vector<SoundEvent>& events)
{
    for (const SoundEvent& e : events) {
        Sound& sound = soundOf(e.id);
        switch (e.action) {
        case SoundAction::PLAY_ONCE: playOnce(sound); break;
        case SoundAction::PLAY_LOOPING: playLooping(sound); break;
        case SoundAction::STOP: stopSound(sound); break;
        }
    }
}
