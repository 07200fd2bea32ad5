#include "audio/Audio.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

#include <AL/al.h>
#include <AL/alext.h>
#include <fcntl.h>
#include <unistd.h>

const char* const kSoundFiles[kSoundCount] = {
    "night.wav",     "nightair.wav",   "drone.wav",      "gust.wav",    "creak.wav",
    "call.wav",      "step1.wav",      "step2.wav",      "step3.wav",   "step4.wav",
    "heartbeat.wav", "heartbeat2.wav", "heartbeat3.wav", "whisper.wav", "whisper2.wav",
    "whisper3.wav",  "moan.wav",       "moan2.wav",      "moan3.wav",   "pond.wav",
    "gulp.wav",      "chime.wav",      "buzz.wav",       "shimmer.wav", "relief.wav",
    "flatline.wav"};

namespace {

void report(const std::string& failure) {
    std::cout << "AUDIO: " << failure << std::endl;
}

// While the device opens, the audio libraries (OpenAL Soft and the systems it tries) may print
// their own messages; unless ALSOFT_LOGLEVEL asks for them they go nowhere, so a machine
// without sound says so in the game's one line.
struct QuietErrors {
    int saved = -1;
    QuietErrors() {
        if (std::getenv("ALSOFT_LOGLEVEL") != nullptr) {
            return;
        }
        std::fflush(stderr);
        const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
        saved = nowhere >= 0 ? dup(STDERR_FILENO) : -1;
        if (saved >= 0) {
            dup2(nowhere, STDERR_FILENO);
        }
        if (nowhere >= 0) {
            close(nowhere);
        }
    }
    ~QuietErrors() {
        if (saved >= 0) {
            std::fflush(stderr);
            dup2(saved, STDERR_FILENO);
            close(saved);
        }
    }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
};

ALCdevice* openDevice() {
    return alcOpenDevice(nullptr);
}

void closeDevice(ALCdevice*& device) {
    if (device != nullptr) {
        alcCloseDevice(device);
        device = nullptr;
    }
}

ALCcontext* createContext(ALCdevice* device) {
    // A reverb send per source where there are effects, and OpenAL Soft's own limiter behind the
    // game's headroom.
    std::vector<ALCint> attributes;
    if (deviceHasEfx(device)) {
        attributes.insert(attributes.end(), {ALC_MAX_AUXILIARY_SENDS, 1});
    }
    if (alcIsExtensionPresent(device, "ALC_SOFT_output_limiter") == ALC_TRUE) {
        attributes.insert(attributes.end(), {ALC_OUTPUT_LIMITER_SOFT, ALC_TRUE});
    }
    attributes.push_back(0);
    ALCcontext* context = alcCreateContext(device, attributes.data());
    if (context != nullptr && alcMakeContextCurrent(context) == ALC_FALSE) {
        alcDestroyContext(context);
        context = nullptr;
    }
    return context;
}

void destroyContext(ALCcontext*& context) {
    if (context != nullptr) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
        context = nullptr;
    }
}

// How loud and how far each voice carries, in world units (the player's eye is 5 above the foot).
// The gains balance the mix: the bed sits low, the whisper at most a few LU above it, the pond
// over it near the water, the events at about one level.
struct VoiceSetting {
    float gain;
    float referenceDistance;
    bool aroundListener; // follows the listener instead of standing in the world
    bool looping;
    float reverb; // the share sent to the outdoor reverb
};
const VoiceSetting kVoiceSettings[kVoiceCount] = {
    {0.72f, 1.0f, true, true, 0.0f},   // night
    {0.31f, 1.0f, true, true, 0.0f},   // night air
    {0.42f, 1.0f, true, true, 0.0f},   // drone
    {1.0f, 12.0f, false, false, 0.6f}, // the night's calls
    {1.0f, 4.0f, false, true, 0.1f},   // pond
    {0.8f, 5.0f, false, false, 0.2f},  // step
    {1.0f, 1.0f, true, false, 0.0f},   // heart
    {0.9f, 4.0f, false, false, 0.3f},  // whisper
    {1.0f, 8.0f, false, false, 0.4f},  // moan
    {1.0f, 8.0f, false, false, 0.4f},  // moan 2
    {0.6f, 1.0f, true, false, 0.7f},   // event
    {0.6f, 1.0f, true, false, 0.7f},   // event 2
};

void createSources(Audio& audio) {
    ALuint names[kVoiceCount] = {};
    alGenSources(kVoiceCount, names);
    for (int v = 0; v < kVoiceCount; ++v) {
        const VoiceSetting& setting = kVoiceSettings[v];
        audio.sources[v] = names[v];
        audio.hearing.gains[v] = audio.hearing.loudness[v] = setting.gain;
        alSourcef(names[v], AL_GAIN, setting.gain);
        alSourcef(names[v], AL_REFERENCE_DISTANCE, setting.referenceDistance);
        alSourcef(names[v], AL_MAX_DISTANCE, 200.0f);
        alSourcei(names[v], AL_SOURCE_RELATIVE, setting.aroundListener ? AL_TRUE : AL_FALSE);
        alSourcei(names[v], AL_LOOPING, setting.looping ? AL_TRUE : AL_FALSE);
        sendToReverb(audio.efx, v, names[v], setting.reverb);
    }
}

// The heart's gaps, at the rate and in the format of its beats so they queue behind them.
void createGaps(Audio& audio) {
    ALint rate = 0;
    if (audio.buffers[HeartbeatSound] == 0) {
        return;
    }
    alGetBufferi(audio.buffers[HeartbeatSound], AL_FREQUENCY, &rate);
    const std::vector<short> silence(size_t(rate) * 1024 / 1000 + 1, 0);
    ALuint names[kGapBuffers] = {};
    alGenBuffers(kGapBuffers, names);
    for (int g = 0; g < kGapBuffers; ++g) {
        const ALsizei samples = ALsizei(std::max<long>(1, long(rate) * (1L << g) / 1000));
        alBufferData(names[g], AL_FORMAT_MONO16, silence.data(), samples * ALsizei(sizeof(short)),
                     rate);
        audio.gaps[g] = names[g];
    }
}

void releaseSources(Audio& audio) {
    ALuint names[kVoiceCount] = {};
    for (int v = 0; v < kVoiceCount; ++v) {
        names[v] = audio.sources[v];
        audio.sources[v] = 0;
    }
    alSourceStopv(kVoiceCount, names);
    alDeleteSources(kVoiceCount, names);
}

void loadSounds(Audio& audio, const std::string& folder) {
    bool listed = false;
    const std::vector<std::string> names = readSoundList(folder, listed);
    if (!listed) {
        report("CANNOT READ " + folder + "Sounds");
        return;
    }
    for (int s = 0; s < kSoundCount; ++s) {
        bool found = false;
        for (const std::string& name : names) {
            found = found || name == kSoundFiles[s];
        }
        if (!found) {
            report(std::string("SOUND NOT LISTED: ") + kSoundFiles[s]);
            continue;
        }
        audio.buffers[s] = loadSound(folder + kSoundFiles[s], &audio.envelopes[s]);
        if (audio.buffers[s] == 0) {
            report("CANNOT READ " + folder + kSoundFiles[s]);
        }
    }
}

} // namespace

Audio* createAudio(const std::string& folder) {
    Audio* audio = new Audio;
    {
        const QuietErrors quiet;
        audio->device = openDevice();
        audio->context = audio->device != nullptr ? createContext(audio->device) : nullptr;
    }
    if (audio->device == nullptr) {
        report("NO OUTPUT DEVICE");
        return audio;
    }
    if (audio->context == nullptr) {
        report("NO CONTEXT ON THE OUTPUT DEVICE");
        closeDevice(audio->device);
        return audio;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    createEfx(audio->efx, audio->device, kVoiceCount);
    if (audio->efx.slot == 0) {
        report("NO EFFECTS (ALC_EXT_EFX), PLAYING DRY");
    }
    loadSounds(*audio, folder);
    createGaps(*audio);
    createSources(*audio);
    // The bed's three loops start together and drift apart at once, their lengths unrelated.
    for (const auto& layer :
         {std::make_pair(NightVoice, NightSound), std::make_pair(NightAirVoice, NightAirSound),
          std::make_pair(DroneVoice, DroneSound)}) {
        if (audio->buffers[layer.second] != 0) {
            alSourcei(audio->sources[layer.first], AL_BUFFER, ALint(audio->buffers[layer.second]));
            alSourcePlay(audio->sources[layer.first]);
        }
    }
    return audio;
}

void releaseAudio(Audio* audio) {
    if (audio == nullptr) {
        return;
    }
    if (audio->context != nullptr) {
        releaseSources(*audio);
        for (AlName& buffer : audio->buffers) {
            releaseSound(buffer);
        }
        for (AlName& gap : audio->gaps) {
            releaseSound(gap);
        }
        releaseEfx(audio->efx);
    }
    destroyContext(audio->context);
    closeDevice(audio->device);
    delete audio;
}
