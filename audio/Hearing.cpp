// The per-frame listening: what the game shows this frame decides what sounds.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <AL/al.h>
#include <AL/alext.h>
#include <glm/gtc/type_ptr.hpp>

#include "app/GameState.h"
#include "assets/Scene.h"
#include "audio/Audio.h"
#include "audio/Mix.h"
#include "gameplay/Camera.h"
#include "gameplay/FreeCamera.h"
#include "gameplay/Updater.h"
#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/Drugs.h"

namespace {

constexpr float kStepInterval = 0.5f;   // two steps a second, however fast the frames come
constexpr float kFirstStep = 0.1f;      // seconds from setting off to the first step
constexpr float kStandStill = 0.25f;    // seconds without moving that end a walk
constexpr float kTeleport = 3.0f;       // farther in one frame is no walk
constexpr float kGroundProbe = 0.3f;    // how far below the feet the ground may be
constexpr float kHeartFastest = 140.0f; // beats per minute at zero life
constexpr float kHeartSlowest = 60.0f;
constexpr float kHeartLead = 0.3f;     // seconds of beats queued beyond what plays
constexpr float kFadeSeconds = 0.25f;  // what stops fades out over this
constexpr float kWhisperSpread = 0.8f; // the whisper's radius against its distance
constexpr float kFirstCall = 3.0f;     // seconds from the start to the night's first call

uint32_t scramble(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

float unitAt(uint32_t x) {
    return static_cast<float>(scramble(x) >> 8) / 16777216.0f;
}

void placeAt(ALuint source, const glm::vec3& position) {
    alSource3f(source, AL_POSITION, position.x, position.y, position.z);
}

// One of a set of variants, never the one before when there is a choice; a variant whose file
// is missing gives way to the first.
AlName variantOf(const Audio& audio, SoundId first, int count, uint32_t pick, int& last) {
    int variant = static_cast<int>(pick % static_cast<uint32_t>(count));
    variant = variant == last ? (variant + 1) % count : variant;
    last = variant;
    const AlName buffer = audio.buffers[first + variant];
    return buffer != 0 ? buffer : audio.buffers[first];
}

float bufferSeconds(ALuint buffer) {
    ALint bytes = 0, rate = 0;
    alGetBufferi(buffer, AL_SIZE, &bytes);
    alGetBufferi(buffer, AL_FREQUENCY, &rate);
    return rate > 0 ? static_cast<float>(bytes) / (2.0f * static_cast<float>(rate)) : 0.0f;
}

const Camera* activeCamera(const Scene& scene, const GameState& state) {
    if (state.freeCamera) {
        return scene.freeCamera != nullptr ? scene.freeCamera->camera : nullptr;
    }
    return scene.player != nullptr ? scene.player->camera : nullptr;
}

// The listener stands where the view matrix puts the eye and faces the way it looks.
glm::vec3 placeListener(const Camera& camera) {
    const glm::mat4& view = camera.view;
    const glm::vec3 eye = glm::vec3(glm::inverse(view)[3]);
    const float orientation[6] = {-view[0][2], -view[1][2], -view[2][2],
                                  view[0][1],  view[1][1],  view[2][1]};
    alListener3f(AL_POSITION, eye.x, eye.y, eye.z);
    alListenerfv(AL_ORIENTATION, orientation);
    return eye;
}

Notice noticeOf(const std::string& message) {
    if (message == "NOT ENOUGH MEDICINE") {
        return Notice::NotEnough;
    }
    return message == "MIX" ? Notice::Mix : Notice::None;
}

void playEvent(Audio& audio, SoundId sound) {
    Hearing& hearing = audio.hearing;
    startVoice(audio, VoiceId(EventVoice + hearing.eventCount % 2), audio.buffers[sound]);
    hearing.eventCount += 1;
}

void hearEvents(Audio& audio, const Scene& scene, const GameState& state) {
    Hearing& hearing = audio.hearing;
    const size_t drugCount = scene.drugs != nullptr ? scene.drugs->drugs.size() : 0;
    const Notice notice = noticeOf(state.message);
    if (state.medicineCount > hearing.medicineCount) {
        playEvent(audio, ChimeSound);
    } else if (drugCount < hearing.drugCount) {
        playEvent(audio, GulpSound);
    }
    if (notice != hearing.notice && notice != Notice::None) {
        playEvent(audio, notice == Notice::Mix ? ShimmerSound : BuzzSound);
    }
    if (state.gameOver && !hearing.gameOver) {
        // The heart and the creatures fall silent; the night and the pond go on.
        for (VoiceId voice : {HeartVoice, StepVoice, WhisperVoice, MoanVoice, MoanVoice2}) {
            fadeOut(audio, voice, kFadeSeconds);
        }
        hearing.whispering = false;
        playEvent(audio, state.life <= 0.0f ? FlatlineSound : ReliefSound);
    }
    hearing.medicineCount = state.medicineCount;
    hearing.drugCount = drugCount;
    hearing.notice = notice;
    hearing.gameOver = state.gameOver;
}

bool onGround(const CharacterController& controller) {
    return controller.sweep(controller.centre, glm::vec3(0.0f, -kGroundProbe, 0.0f)).hit;
}

void hearSteps(Audio& audio, const Scene& scene, const GameState& state, float frameTime) {
    Hearing& hearing = audio.hearing;
    if (scene.player == nullptr || scene.player->controller == nullptr) {
        return;
    }
    const CharacterController& controller = *scene.player->controller;
    const glm::vec3 foot = glm::vec3(controller.getFootPosition());
    // Walking needs a key held: once it is released no new step starts, even while the capsule
    // still slides or the physics step has yet to catch up.
    const glm::vec4 velocity = scene.player->velocity;
    const bool striding = velocity.x != 0.0f || velocity.z != 0.0f;
    const float moved = glm::length(glm::vec2(foot.x - hearing.foot.x, foot.z - hearing.foot.z));
    hearing.foot = foot;
    if (moved > 0.0f) {
        hearing.stillTime = 0.0f;
        hearing.walking = moved <= kTeleport && onGround(controller);
    } else {
        // Physics steps at 60 Hz, so a faster frame may see no move in the middle of a walk.
        hearing.stillTime += frameTime;
        hearing.walking = hearing.walking && hearing.stillTime <= kStandStill;
    }
    if (state.gameOver || !hearing.walking || !striding) {
        hearing.stepTimer = kStepInterval - kFirstStep;
        return;
    }
    hearing.stepTimer += frameTime;
    if (hearing.stepTimer < kStepInterval) {
        return;
    }
    hearing.stepTimer = std::min(hearing.stepTimer - kStepInterval, kStepInterval - kFirstStep);
    // Never the same recording twice in a row, and never quite the same pitch.
    const uint32_t count = hearing.stepCount++;
    const int variant = static_cast<int>(
        (static_cast<uint32_t>(hearing.lastStep + 1) + scramble(count) % (kStepVariants - 1)) %
        kStepVariants);
    hearing.lastStep = variant;
    const ALuint source = audio.sources[StepVoice];
    placeAt(source, foot);
    alSourcef(source, AL_PITCH, 0.9f + 0.2f * unitAt(count + 7u));
    startVoice(audio, StepVoice, audio.buffers[Step1Sound + variant]);
}

// Beats go into the heart's queue with silent gaps behind them, so they fall on the device's
// clock and not on frames; the queue runs a little ahead of what plays.
void queueBeat(Audio& audio, float interval) {
    Hearing& hearing = audio.hearing;
    ALuint names[1 + kGapBuffers] = {};
    int count = 0;
    names[count++] = variantOf(audio, HeartbeatSound, kVariants, scramble(hearing.beatCount++ + 5u),
                               hearing.lastBeat);
    const float beat = bufferSeconds(names[0]);
    int gap = static_cast<int>(std::lround((interval - beat) * 1000.0f));
    for (int g = kGapBuffers - 1; g >= 0; --g) {
        if (gap >= (1 << g) && audio.gaps[g] != 0) {
            names[count++] = audio.gaps[g];
            gap -= 1 << g;
        }
    }
    alSourceQueueBuffers(audio.sources[HeartVoice], count, names);
    for (int n = 0; n < count; ++n) {
        hearing.heartAhead += bufferSeconds(names[n]);
    }
}

void hearHeart(Audio& audio, const GameState& state) {
    Hearing& hearing = audio.hearing;
    const ALuint source = audio.sources[HeartVoice];
    ALint processed = 0, queued = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0; --processed) {
        ALuint done = 0;
        alSourceUnqueueBuffers(source, 1, &done);
        hearing.heartAhead -= bufferSeconds(done);
    }
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    hearing.heartAhead = queued == 0 ? 0.0f : hearing.heartAhead;
    const float ratio = state.life / state.totalLife;
    const float rate = heartbeatRate(ratio);
    if (state.gameOver || rate == 0.0f || audio.buffers[HeartbeatSound] == 0) {
        return; // what is queued plays out, or fades at the end
    }
    hearing.loudness[HeartVoice] = hearing.gains[HeartVoice] * heartbeatGain(ratio);
    float played = 0.0f;
    alGetSourcef(source, AL_SEC_OFFSET, &played);
    while (hearing.heartAhead - played < kHeartLead) {
        queueBeat(audio, 60.0f / rate);
    }
    if (!voicePlaying(audio, HeartVoice)) {
        hearing.fades[HeartVoice] = Fade{};
        alSourcePlay(source);
    }
}

// The centre of the drawn placement of a model nearest to the listener.
glm::vec3 nearestPlacement(const Model& model, const glm::vec3& listener) {
    glm::vec4 centre(0.0f, 0.0f, 0.0f, 1.0f);
    if (model.bounds != nullptr) {
        centre = 0.5f * (model.bounds->corners[0] + model.bounds->corners[7]);
    }
    glm::vec3 best = glm::vec3(model.transform * centre);
    float bestDistance = -1.0f;
    for (const glm::mat4& instance : model.instances) {
        const glm::vec3 place = glm::vec3(instance * model.transform * centre);
        const float distance = glm::length(place - listener);
        if (bestDistance < 0.0f || distance < bestDistance) {
            best = place;
            bestDistance = distance;
        }
    }
    return best;
}

// The apparition whispers a phrase, pauses, and whispers another while it is in sight; it is
// spread over a part of the circle round the listener, so it never sits in one ear.
void hearApparition(Audio& audio, const Model& model, bool heard, const glm::vec3& listener,
                    float frameTime) {
    Hearing& hearing = audio.hearing;
    const ALuint source = audio.sources[WhisperVoice];
    if (!heard) {
        if (hearing.whispering) {
            fadeOut(audio, WhisperVoice, kFadeSeconds);
        }
        hearing.whispering = false;
        return;
    }
    const glm::vec3 place = nearestPlacement(model, listener);
    placeAt(source, place);
    alSourcef(source, AL_SOURCE_RADIUS, kWhisperSpread * glm::length(place - listener));
    if (!hearing.whispering) {
        hearing.whispering = true;
        hearing.whisperPause = 0.0f;
    }
    if (voicePlaying(audio, WhisperVoice)) {
        return;
    }
    hearing.whisperPause -= frameTime;
    if (hearing.whisperPause <= 0.0f) {
        const uint32_t count = hearing.stepCount + hearing.moanCount + hearing.beatCount;
        startVoice(audio, WhisperVoice,
                   variantOf(audio, WhisperSound, kVariants, scramble(count), hearing.lastWhisper));
        hearing.whisperPause = 0.8f + 2.2f * unitAt(count + 31u);
    }
}

void hearCreatures(Audio& audio, const Scene& scene, const GameState& state,
                   const glm::vec3& listener, float frameTime) {
    Hearing& hearing = audio.hearing;
    const bool tilting = !state.gameOver && state.life / state.totalLife < kTiltBelow;
    int moaner = 0;
    for (const AnimatedModel* animated : scene.animatedModels) {
        const Model& model = *animated->model;
        if (animated->orbits) {
            hearApparition(audio, model, !state.gameOver && model.visible, listener, frameTime);
            continue;
        }
        if (moaner == kMoaners) {
            continue;
        }
        const VoiceId voice = VoiceId(MoanVoice + moaner);
        float& timer = hearing.moanTimers[moaner++];
        if (!tilting) {
            timer = 0.0f;
            continue;
        }
        placeAt(audio.sources[voice], nearestPlacement(model, listener));
        timer -= frameTime;
        if (timer <= 0.0f) {
            timer = 5.0f + 4.0f * unitAt(hearing.moanCount++);
            alSourcef(audio.sources[voice], AL_PITCH,
                      0.85f + 0.3f * unitAt(hearing.moanCount + 99u));
            startVoice(audio, voice,
                       variantOf(audio, MoanSound, kVariants, scramble(hearing.moanCount + 3u),
                                 hearing.lastMoan));
        }
    }
}

// The pond sounds from the point of its shore nearest to the listener: the edge of the water's
// disc, the ellipse inside its bounding square.
void hearPond(Audio& audio, const Scene& scene, const glm::vec3& listener) {
    Hearing& hearing = audio.hearing;
    if (scene.water == nullptr || scene.water->bounds == nullptr) {
        return;
    }
    const Model& water = *scene.water;
    glm::vec3 low(1e30f), high(-1e30f);
    for (const glm::mat4& instance : water.instances) {
        for (const glm::vec4& corner : water.bounds->corners) {
            const glm::vec3 p = glm::vec3(instance * water.transform * corner);
            low = glm::min(low, p);
            high = glm::max(high, p);
        }
    }
    if (low.x > high.x) {
        return;
    }
    const glm::vec2 centre = 0.5f * glm::vec2(low.x + high.x, low.z + high.z);
    const glm::vec2 radii = glm::max(0.5f * glm::vec2(high.x - low.x, high.z - low.z), 1e-3f);
    const glm::vec2 away = (glm::vec2(listener.x, listener.z) - centre) / radii;
    const float length = glm::length(away);
    const glm::vec2 shore = centre + radii * (length > 1e-4f ? away / length : glm::vec2(1, 0));
    placeAt(audio.sources[PondVoice], glm::vec3(shore.x, high.y, shore.y));
    if (!hearing.pondPlaying && audio.buffers[PondSound] != 0) {
        startVoice(audio, PondVoice, audio.buffers[PondSound]);
        hearing.pondPlaying = true;
    }
}

// Smooth noise in [0, 1] over time, a new value every cell seconds, never repeating.
float driftAt(float t, float cell, uint32_t seed) {
    const float x = t / cell;
    const float start = std::floor(x), f = x - start;
    const uint32_t at = static_cast<uint32_t>(start) * 2u + seed;
    const float s = f * f * (3.0f - 2.0f * f);
    return unitAt(at) + (unitAt(at + 2u) - unitAt(at)) * s;
}

// The wind swells and calms on noise of its own, so its loops never sound the same twice.
void hearWind(Audio& audio, float frameTime) {
    Hearing& hearing = audio.hearing;
    hearing.nightTime += frameTime;
    const float t = hearing.nightTime;
    hearing.loudness[NightVoice] =
        hearing.gains[NightVoice] * (0.45f + 0.55f * driftAt(t, 1.3f, 1001u));
    hearing.loudness[NightAirVoice] =
        hearing.gains[NightAirVoice] * (0.3f + 0.7f * driftAt(t, 0.9f, 5003u));
}

// Now and then a gust, a creak or a far call, somewhere round the listener, never where the
// last one was.
void hearNight(Audio& audio, const glm::vec3& listener, float frameTime) {
    Hearing& hearing = audio.hearing;
    hearing.callTimer -= frameTime;
    if (hearing.callTimer > 0.0f) {
        return;
    }
    const uint32_t count = 3u * hearing.callCount++;
    hearing.callTimer = 4.0f + 9.0f * unitAt(count + 1u);
    const float angle = 6.2831853f * unitAt(count + 2u);
    const float distance = 15.0f + 25.0f * unitAt(count + 3u);
    const ALuint source = audio.sources[CallVoice];
    placeAt(source,
            listener + glm::vec3(distance * std::cos(angle), 2.0f, distance * std::sin(angle)));
    alSourcef(source, AL_PITCH, 0.85f + 0.3f * unitAt(count + 4u));
    startVoice(audio, CallVoice,
               variantOf(audio, GustSound, kVariants, scramble(count), hearing.lastCall));
}

} // namespace

float heartbeatRate(float lifeRatio) {
    if (lifeRatio > kTiltBelow) {
        return 0.0f;
    }
    const float fear = 1.0f - std::max(0.0f, lifeRatio) / kTiltBelow;
    return kHeartSlowest + (kHeartFastest - kHeartSlowest) * fear;
}

float heartbeatGain(float lifeRatio) {
    const float fear = 1.0f - std::clamp(lifeRatio / kTiltBelow, 0.0f, 1.0f);
    return 0.35f + 0.65f * fear;
}

void updateAudio(Audio& audio, const Scene& scene, float frameTime) {
    if (audio.context == nullptr) {
        return;
    }
    const GameState& state = gameState();
    Hearing& hearing = audio.hearing;
    if (!hearing.primed) {
        // What the game starts with is no event.
        hearing.primed = true;
        hearing.medicineCount = state.medicineCount;
        hearing.drugCount = scene.drugs != nullptr ? scene.drugs->drugs.size() : 0;
        hearing.gameOver = state.gameOver;
        hearing.callTimer = kFirstCall;
        hearing.stepTimer = kStepInterval - kFirstStep;
        if (scene.player != nullptr && scene.player->controller != nullptr) {
            hearing.foot = glm::vec3(scene.player->controller->getFootPosition());
        }
    }
    glm::vec3 listener(0.0f);
    if (const Camera* camera = activeCamera(scene, state)) {
        listener = placeListener(*camera);
    }
    hearEvents(audio, scene, state);
    hearSteps(audio, scene, state, frameTime);
    hearHeart(audio, state);
    hearCreatures(audio, scene, state, listener, frameTime);
    hearPond(audio, scene, listener);
    hearWind(audio, frameTime);
    hearNight(audio, listener, frameTime);
    mixVoices(audio, listener, frameTime);
}
