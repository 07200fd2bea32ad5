// Holding every sound while the game is paused, and letting it go on where it stopped.
#include <AL/al.h>
#include <AL/alext.h>

#include "audio/Audio.h"

void pauseAudio(Audio& audio, bool paused) {
    if (audio.context == nullptr) {
        return;
    }
    // OpenAL Soft can stop its mixer outright; that holds every voice, the ones a frame starts
    // included.
    if (alcIsExtensionPresent(audio.device, "ALC_SOFT_pause_device")) {
        auto pause = reinterpret_cast<LPALCDEVICEPAUSESOFT>(
            alcGetProcAddress(audio.device, "alcDevicePauseSOFT"));
        auto resume = reinterpret_cast<LPALCDEVICERESUMESOFT>(
            alcGetProcAddress(audio.device, "alcDeviceResumeSOFT"));
        if (pause != nullptr && resume != nullptr) {
            paused ? pause(audio.device) : resume(audio.device);
            return;
        }
    }
    // Elsewhere the playing voices pause one by one; the game itself never pauses a voice, so
    // every paused one is ours to resume.
    for (const AlName source : audio.sources) {
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (paused && state == AL_PLAYING) {
            alSourcePause(source);
        } else if (!paused && state == AL_PAUSED) {
            alSourcePlay(source);
        }
    }
}
