#include "audio/sound_ids.h"

Sound& soundOf(SoundId id)
{
    static Sound nothing;
    switch (id) {
    case SoundId::DARTH_ATTACK: return darthAttackSound;
    case SoundId::DARTH_BLOCK: return darthBlockSound;
    case SoundId::DARTH_WIN: return darthWinSound;
    case SoundId::DARTH_HIT: return darthHitSound;
    case SoundId::DARTH_RINGOUT: return darthRingoutSound;
    case SoundId::JACK_ATTACK: return jackAttackSound;
    case SoundId::JACK_BLOCK: return jackBlockSound;
    case SoundId::JACK_WIN: return jackWinSound;
    case SoundId::JACK_HIT: return jackHitSound;
    case SoundId::JACK_RINGOUT: return jackRingoutSound;
    case SoundId::BACKGROUND: return backgroundSound;
    case SoundId::CLICK: return clickSound;
    case SoundId::CLOSE: return closeSound;
    case SoundId::STARTUP: return startupSound;
    case SoundId::SELECTCHARACTER: return selectcharacterSound;
    case SoundId::NONE: break;
    }
    nothing = Sound{};
    return nothing;
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
