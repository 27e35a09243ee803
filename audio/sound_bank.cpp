#include "audio/sound_bank.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <malloc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio/sample_convert.h"
#include "audio/wav.h"

SoundTable soundTable;

namespace {

ALCdevice* soundDevice = nullptr;
ALCcontext* soundContext = nullptr;

void report(const char* routineAndCall)
{
    std::printf("%s", routineAndCall);
    std::fflush(stdout);
}

// The OpenAL buffer format for samples made playable.
ALenum bufferFormat(const PlayableSamples& samples)
{
    bool mono = samples.channels == 1;
    switch (samples.layout) {
    case SampleLayout::Unsigned8: return mono ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8;
    case SampleLayout::Signed16: return mono ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    case SampleLayout::Float32: return mono ? AL_FORMAT_MONO_FLOAT32 : AL_FORMAT_STEREO_FLOAT32;
    }
    return 0;
}

// The OpenAL buffer format for a coding the device decodes itself, or 0 when
// it cannot.
ALenum companderFormat(const WaveFormat& format)
{
    bool mono = format.channels == 1;
    if ((format.channels != 1 && format.channels != 2) || format.bitsPerSample != 8)
        return 0;
    // The sub-format of an extensible file names the coding too.
    switch (sampleCoding(format)) {
    case waveFormatALaw:
        if (alIsExtensionPresent("AL_EXT_ALAW"))
            return mono ? AL_FORMAT_MONO_ALAW_EXT : AL_FORMAT_STEREO_ALAW_EXT;
        return 0;
    case waveFormatMuLaw:
        if (alIsExtensionPresent("AL_EXT_MULAW"))
            return mono ? AL_FORMAT_MONO_MULAW_EXT : AL_FORMAT_STEREO_MULAW_EXT;
        return 0;
    default: return 0;
    }
}

}  // namespace

bool InitDirectSound()
{
    soundDevice = alcOpenDevice(nullptr);
    // Sounds are heard as recorded: no head-related filtering on headphones
    // unless the user's own OpenAL configuration asks for it.
    // No effects are used, so no voice needs auxiliary sends: each of the
    // context's voices is smaller without them.
    const ALCint hrtfOff[] = {ALC_HRTF_SOFT, ALC_FALSE, ALC_MAX_AUXILIARY_SENDS, 0, 0};
    const ALCint noSends[] = {ALC_MAX_AUXILIARY_SENDS, 0, 0};
    if (soundDevice) {
        bool hasHrtf = alcIsExtensionPresent(soundDevice, "ALC_SOFT_HRTF");
        soundContext = alcCreateContext(soundDevice, hasHrtf ? hrtfOff : noSends);
    }
    if (!soundContext || !alcMakeContextCurrent(soundContext)) {
        report("InitDirectSound DirectSoundCreate");
        // Beside OpenAL's own words, one a player can read.
        std::fputs("zandrel: no sound device: the game plays on without sound\n", stderr);
        return false;
    }
    return true;
}

void LoadDirectSound(Sound& slot, const char* fileName)
{
    slot = {};
    std::vector<unsigned char> file;
    WavData wav;
    if (!readWavFile(fileName, file, wav))
        return;
    PlayableSamples samples;
    ConvertResult converted = makePlayable(wav, alIsExtensionPresent("AL_EXT_FLOAT32"), samples);
    ALenum format = 0;
    const void* data = wav.samples;
    std::size_t bytes = wav.sampleBytes;
    std::uint32_t rate = wav.format.samplesPerSec;
    if (converted == ConvertResult::Ready) {
        format = bufferFormat(samples);
        data = samples.bytes();
        bytes = samples.size();
    } else if (converted == ConvertResult::NotPcm) {
        format = companderFormat(wav.format);
    }
    if (format == 0) {
        report("LoadDirectSound CreateSoundBuffer");
        return;
    }
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR) {
        report("LoadDirectSound CreateSoundBuffer");
        return;
    }
    alBufferData(buffer, format, data, static_cast<ALsizei>(bytes), static_cast<ALsizei>(rate));
    ALuint source = 0;
    if (alGetError() == AL_NO_ERROR)
        alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) {
        report("LoadDirectSound CreateSoundBuffer");
        alDeleteBuffers(1, &buffer);
        return;
    }
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    // Heard as recorded, not placed in the world.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    // Stereo goes straight to the left and right outputs, unpanned and
    // unfiltered.
    bool stereo = converted == ConvertResult::Ready ? samples.channels == 2 : wav.format.channels == 2;
    if (stereo && alIsExtensionPresent("AL_SOFT_direct_channels"))
        alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    slot.buffer = buffer;
    slot.source = source;
}

void loadSoundBank(const std::string& dataPrefix)
{
    // Without a device every slot stays empty; one diagnostic is enough.
    if (!InitDirectSound())
        return;
    auto load = [&](SoundId id, const char* fileName) {
        LoadDirectSound(soundTable[id], (dataPrefix + fileName).c_str());
    };
    load(SoundId::SELECTCHARACTER, "sounds/selectcharacter.wav");
    load(SoundId::STARTUP, "sounds/startup.wav");
    load(SoundId::CLOSE, "sounds/close.wav");
    load(SoundId::CLICK, "sounds/click.wav");
    load(SoundId::BACKGROUND, "sounds/background.wav");
    load(SoundId::JACK_ATTACK, "sounds/jack-attack.wav");
    load(SoundId::JACK_BLOCK, "sounds/jack-block.wav");
    load(SoundId::JACK_WIN, "sounds/jack-win.wav");
    load(SoundId::JACK_HIT, "sounds/jack-hit.wav");
    load(SoundId::JACK_RINGOUT, "sounds/jack-ringout.wav");
    load(SoundId::DARTH_ATTACK, "sounds/darth-attack.wav");
    load(SoundId::DARTH_BLOCK, "sounds/darth-block.wav");
    load(SoundId::DARTH_WIN, "sounds/darth-win.wav");
    load(SoundId::DARTH_HIT, "sounds/darth-hit.wav");
    load(SoundId::DARTH_RINGOUT, "sounds/darth-ringout.wav");
    // The files were read whole and let go; give their pages back.
    malloc_trim(0);
}

void playOnce(Sound& sound)
{
    if (sound.source == 0)
        return;
    sound.looping = false;
    alSourcei(sound.source, AL_LOOPING, AL_FALSE);
    alSourceRewind(sound.source);
    alSourcePlay(sound.source);
}

void playLooping(Sound& sound)
{
    if (sound.source == 0)
        return;
    sound.looping = true;
    alSourcei(sound.source, AL_LOOPING, AL_TRUE);
    alSourceRewind(sound.source);
    alSourcePlay(sound.source);
}

void stopSound(Sound& sound)
{
    if (sound.source == 0)
        return;
    alSourceStop(sound.source);
}

bool isPlayingOnce(const Sound& sound)
{
    if (sound.source == 0)
        return false;
    ALint state = AL_STOPPED;
    ALint looping = AL_FALSE;
    alGetSourcei(sound.source, AL_SOURCE_STATE, &state);
    alGetSourcei(sound.source, AL_LOOPING, &looping);
    return state == AL_PLAYING && looping == AL_FALSE;
}

float playPosition(const Sound& sound)
{
    if (sound.source == 0)
        return 0;
    ALfloat seconds = 0;
    alGetSourcef(sound.source, AL_SEC_OFFSET, &seconds);
    return seconds;
}

void releaseSound(Sound& sound)
{
    if (sound.source != 0) {
        alSourceStop(sound.source);
        alDeleteSources(1, &sound.source);
    }
    if (sound.buffer != 0)
        alDeleteBuffers(1, &sound.buffer);
    sound = {};
}

void closeSoundBank()
{
    for (Sound& sound : soundTable.slots)
        releaseSound(sound);
    alcMakeContextCurrent(nullptr);
    if (soundContext)
        alcDestroyContext(soundContext);
    if (soundDevice)
        alcCloseDevice(soundDevice);
    soundContext = nullptr;
    soundDevice = nullptr;
}
