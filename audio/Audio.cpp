#include "audio/Audio.h"

#include <iostream>

#include <AL/al.h>

const char* const kSoundFiles[kSoundCount] = {
    "night.wav",     "step1.wav",   "step2.wav",   "step3.wav",  "step4.wav",
    "heartbeat.wav", "whisper.wav", "moan.wav",    "pond.wav",   "gulp.wav",
    "chime.wav",     "buzz.wav",    "shimmer.wav", "relief.wav", "flatline.wav"};

namespace {

void report(const std::string& failure) {
    std::cout << "AUDIO: " << failure << std::endl;
}

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
    ALCcontext* context = alcCreateContext(device, nullptr);
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
struct VoiceSetting {
    float gain;
    float referenceDistance;
    bool aroundListener; // follows the listener instead of standing in the world
    bool looping;
};
const VoiceSetting kVoiceSettings[kVoiceCount] = {
    {0.3f, 1.0f, true, true},   // night
    {0.5f, 6.0f, false, true},  // pond
    {1.0f, 5.0f, false, false}, // step
    {0.9f, 1.0f, true, false},  // heart
    {1.0f, 4.0f, false, true},  // whisper
    {0.9f, 8.0f, false, false}, // moan
    {0.9f, 8.0f, false, false}, // moan 2
    {0.8f, 1.0f, true, false},  // event
    {0.8f, 1.0f, true, false},  // event 2
};

void createSources(Audio& audio) {
    ALuint names[kVoiceCount] = {};
    alGenSources(kVoiceCount, names);
    for (int v = 0; v < kVoiceCount; ++v) {
        const VoiceSetting& setting = kVoiceSettings[v];
        audio.sources[v] = names[v];
        alSourcef(names[v], AL_GAIN, setting.gain);
        alSourcef(names[v], AL_REFERENCE_DISTANCE, setting.referenceDistance);
        alSourcef(names[v], AL_MAX_DISTANCE, 200.0f);
        alSourcei(names[v], AL_SOURCE_RELATIVE, setting.aroundListener ? AL_TRUE : AL_FALSE);
        alSourcei(names[v], AL_LOOPING, setting.looping ? AL_TRUE : AL_FALSE);
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
        audio.buffers[s] = loadSound(folder + kSoundFiles[s]);
        if (audio.buffers[s] == 0) {
            report("CANNOT READ " + folder + kSoundFiles[s]);
        }
    }
}

} // namespace

Audio* createAudio(const std::string& folder) {
    Audio* audio = new Audio;
    audio->device = openDevice();
    if (audio->device == nullptr) {
        report("NO OUTPUT DEVICE");
        return audio;
    }
    audio->context = createContext(audio->device);
    if (audio->context == nullptr) {
        report("NO CONTEXT ON THE OUTPUT DEVICE");
        closeDevice(audio->device);
        return audio;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    loadSounds(*audio, folder);
    createSources(*audio);
    if (audio->buffers[NightSound] != 0) {
        alSourcei(audio->sources[NightVoice], AL_BUFFER, ALint(audio->buffers[NightSound]));
        alSourcePlay(audio->sources[NightVoice]);
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
    }
    destroyContext(audio->context);
    closeDevice(audio->device);
    delete audio;
}
