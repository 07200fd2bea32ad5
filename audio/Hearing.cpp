// The per-frame listening: what the game shows this frame decides what sounds.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <AL/al.h>
#include <glm/gtc/type_ptr.hpp>

#include "app/GameState.h"
#include "assets/Scene.h"
#include "audio/Audio.h"
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

void play(ALuint source, AlName buffer) {
    if (buffer == 0) {
        return;
    }
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcePlay(source);
}

void placeAt(ALuint source, const glm::vec3& position) {
    alSource3f(source, AL_POSITION, position.x, position.y, position.z);
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
    play(audio.sources[EventVoice + hearing.eventCount % 2], audio.buffers[sound]);
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
            alSourceStop(audio.sources[voice]);
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
    if (state.gameOver || !hearing.walking) {
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
    play(source, audio.buffers[Step1Sound + variant]);
}

void hearHeart(Audio& audio, const GameState& state, float frameTime) {
    Hearing& hearing = audio.hearing;
    const float ratio = state.life / state.totalLife;
    const float rate = heartbeatRate(ratio);
    if (state.gameOver || rate == 0.0f) {
        hearing.heartTimer = 1e9f; // the first beat comes at once
        return;
    }
    const float interval = 60.0f / rate;
    hearing.heartTimer += frameTime;
    if (hearing.heartTimer < interval) {
        return;
    }
    hearing.heartTimer =
        hearing.heartTimer < 2.0f * interval ? hearing.heartTimer - interval : 0.0f;
    alSourcef(audio.sources[HeartVoice], AL_GAIN, heartbeatGain(ratio));
    play(audio.sources[HeartVoice], audio.buffers[HeartbeatSound]);
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

void hearCreatures(Audio& audio, const Scene& scene, const GameState& state,
                   const glm::vec3& listener, float frameTime) {
    Hearing& hearing = audio.hearing;
    const bool tilting = !state.gameOver && state.life / state.totalLife < kTiltBelow;
    int moaner = 0;
    for (const AnimatedModel* animated : scene.animatedModels) {
        const Model& model = *animated->model;
        if (animated->orbits) {
            const bool heard = !state.gameOver && model.visible;
            const ALuint source = audio.sources[WhisperVoice];
            if (heard) {
                placeAt(source, nearestPlacement(model, listener));
            }
            if (heard && !hearing.whispering && audio.buffers[WhisperSound] != 0) {
                play(source, audio.buffers[WhisperSound]);
            } else if (!heard && hearing.whispering) {
                alSourceStop(source);
            }
            hearing.whispering = heard && audio.buffers[WhisperSound] != 0;
            continue;
        }
        if (moaner == kMoaners) {
            continue;
        }
        const ALuint source = audio.sources[MoanVoice + moaner];
        float& timer = hearing.moanTimers[moaner++];
        if (!tilting) {
            timer = 0.0f;
            continue;
        }
        placeAt(source, nearestPlacement(model, listener));
        timer -= frameTime;
        if (timer <= 0.0f) {
            timer = 5.0f + 4.0f * unitAt(hearing.moanCount++);
            alSourcef(source, AL_PITCH, 0.85f + 0.3f * unitAt(hearing.moanCount + 99u));
            play(source, audio.buffers[MoanSound]);
        }
    }
}

// The pond sounds from the point of the water nearest to the listener.
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
    const ALuint source = audio.sources[PondVoice];
    placeAt(source, glm::vec3(std::clamp(listener.x, low.x, high.x), high.y,
                              std::clamp(listener.z, low.z, high.z)));
    if (!hearing.pondPlaying && audio.buffers[PondSound] != 0) {
        play(source, audio.buffers[PondSound]);
        hearing.pondPlaying = true;
    }
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
        hearing.heartTimer = 1e9f;
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
    hearHeart(audio, state, frameTime);
    hearCreatures(audio, scene, state, listener, frameTime);
    hearPond(audio, scene, listener);
}
