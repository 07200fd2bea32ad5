#include "audio/Mix.h"

#include <algorithm>
#include <cmath>

#include <AL/al.h>

namespace {

constexpr float kReleasePerSecond = 1.4125f; // the headroom recovers by 3 dB a second

constexpr float kLookBack = 0.05f;  // seconds of a sound around its play position that the
constexpr float kLookAhead = 0.25f; // listener's next gain may still meet

float largest(const std::vector<float>& envelope) {
    return envelope.empty() ? 0.0f : *std::max_element(envelope.begin(), envelope.end());
}

// The loudest sample a voice can send in the next moments, before the listener's gain: its
// sound's peaks round the play position, its gain, fade and distance.
float voicePeak(const Audio& audio, int voice, const glm::vec3& listener) {
    ALint state = 0, buffer = 0, relative = 0, looping = 0;
    const ALuint source = audio.sources[voice];
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) {
        return 0.0f;
    }
    float peak = 0.0f;
    if (voice == HeartVoice) {
        // Its queue holds any of the beats.
        for (int v = 0; v < kVariants; ++v) {
            peak = std::max(peak, largest(audio.envelopes[HeartbeatSound + v]));
        }
    } else {
        alGetSourcei(source, AL_BUFFER, &buffer);
        alGetSourcei(source, AL_LOOPING, &looping);
        const std::vector<float>* envelope = nullptr;
        for (int s = 0; s < kSoundCount; ++s) {
            envelope = audio.buffers[s] == AlName(buffer) ? &audio.envelopes[s] : envelope;
        }
        float offset = 0.0f, pitch = 1.0f;
        alGetSourcef(source, AL_SEC_OFFSET, &offset);
        alGetSourcef(source, AL_PITCH, &pitch);
        const long size = envelope != nullptr ? long(envelope->size()) : 0;
        const long from = long((offset - kLookBack * pitch) / kEnvelopeBlock);
        const long to = long((offset + kLookAhead * pitch) / kEnvelopeBlock) + 1;
        for (long b = from; b <= to && size > 0; ++b) {
            const long at = looping ? ((b % size) + size) % size : std::clamp(b, 0L, size - 1);
            peak = std::max(peak, (*envelope)[size_t(at)]);
        }
    }
    glm::vec3 position(0.0f);
    float reference = 1.0f;
    alGetSource3f(source, AL_POSITION, &position.x, &position.y, &position.z);
    alGetSourcei(source, AL_SOURCE_RELATIVE, &relative);
    alGetSourcef(source, AL_REFERENCE_DISTANCE, &reference);
    const float distance = glm::length(relative ? position : position - listener);
    const Hearing& hearing = audio.hearing;
    return peak * hearing.loudness[voice] * hearing.fades[voice].level *
           distanceGain(distance, reference);
}

} // namespace

void startVoice(Audio& audio, VoiceId voice, AlName buffer) {
    if (buffer == 0) {
        return;
    }
    const ALuint source = audio.sources[voice];
    audio.hearing.fades[voice] = Fade{};
    alSourceStop(source);
    alSourcef(source, AL_GAIN, audio.hearing.loudness[voice]);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcePlay(source);
}

void fadeOut(Audio& audio, VoiceId voice, float seconds) {
    Fade& fade = audio.hearing.fades[voice];
    if (voicePlaying(audio, voice) && fade.target > 0.0f) {
        fade.target = 0.0f;
        fade.perSecond = fade.level / seconds;
    }
}

bool voicePlaying(const Audio& audio, VoiceId voice) {
    ALint state = 0;
    alGetSourcei(audio.sources[voice], AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

float distanceGain(float distance, float referenceDistance) {
    const float clamped = std::clamp(distance, referenceDistance, 200.0f);
    return referenceDistance / clamped;
}

float highsAt(float distance) {
    return 1.0f / (1.0f + distance / 30.0f);
}

void mixVoices(Audio& audio, const glm::vec3& listener, float frameTime) {
    Hearing& hearing = audio.hearing;
    float squares = 0.0f;
    for (int v = 0; v < kVoiceCount; ++v) {
        const ALuint source = audio.sources[v];
        Fade& fade = hearing.fades[v];
        if (fade.level != fade.target) {
            fade.level = std::max(fade.target, fade.level - fade.perSecond * frameTime);
            if (fade.level <= 0.0f) {
                alSourceStop(source);
                fade = Fade{};
            }
        }
        alSourcef(source, AL_GAIN, hearing.loudness[v] * fade.level);
        ALint relative = 0;
        alGetSourcei(source, AL_SOURCE_RELATIVE, &relative);
        if (!relative) {
            glm::vec3 position(0.0f);
            alGetSource3f(source, AL_POSITION, &position.x, &position.y, &position.z);
            muffle(audio.efx, v, source, highsAt(glm::length(position - listener)));
        }
        const float voice = voicePeak(audio, v, listener);
        squares += voice * voice;
    }
    // The voices are unrelated, so their peaks add as powers do; the ceiling keeps room for the
    // rarer moments they meet and for the reverb. Down at once when the sum could reach it, back
    // up slowly so nothing pumps.
    const float peak = std::sqrt(squares);
    const float allowed = std::min(1.0f, kMixCeiling / std::max(1e-6f, peak));
    hearing.headroom = std::min(allowed, hearing.headroom * std::pow(kReleasePerSecond, frameTime));
    alListenerf(AL_GAIN, hearing.headroom);
}
