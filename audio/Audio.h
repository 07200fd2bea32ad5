#pragma once
// The game's sound: one OpenAL Soft device and context, a buffer per sound file and a fixed set
// of sources, all made at start-up. Once per frame it listens to the game (GameState, the Scene
// and the active camera); the rules never call it. Any failure leaves it silent for what is
// missing, after one console line.
#include <cstddef>
#include <string>

#include <AL/alc.h>
#include <glm/glm.hpp>

#include "audio/Sound.h"

struct Scene;

// The sound files, by what they are for; their names are kSoundFiles.
enum SoundId {
    NightSound,
    Step1Sound,
    Step2Sound,
    Step3Sound,
    Step4Sound,
    HeartbeatSound,
    WhisperSound,
    MoanSound,
    PondSound,
    GulpSound,
    ChimeSound,
    BuzzSound,
    ShimmerSound,
    ReliefSound,
    FlatlineSound,
    kSoundCount
};
extern const char* const kSoundFiles[kSoundCount];
constexpr int kStepVariants = 4;

// The sources, each with one job.
enum VoiceId {
    NightVoice,   // wind and drone, looped, around the listener
    PondVoice,    // looped, at the water nearest the listener
    StepVoice,    // at the player's feet
    HeartVoice,   // inside the listener's head
    WhisperVoice, // at the apparition
    MoanVoice,    // at the first tilting model; the second has the next voice
    MoanVoice2,
    EventVoice, // pick-ups, the table and the end; two, so one does not cut the other
    EventVoice2,
    kVoiceCount
};
constexpr int kMoaners = 2;

enum class Notice { None, NotEnough, Mix }; // messages that have a sound

// What the last frame heard, so a frame can tell what changed.
struct Hearing {
    bool primed = false;
    unsigned medicineCount = 0;
    size_t drugCount = 0;
    Notice notice = Notice::None;
    bool gameOver = false;
    bool pondPlaying = false;
    bool whispering = false;
    glm::vec3 foot = glm::vec3(0.0f);
    bool walking = false;   // on the ground and moving, or between two physics steps of that
    float stepTimer = 0.0f; // seconds walked towards the next step
    float stillTime = 0.0f; // seconds without moving
    unsigned stepCount = 0;
    int lastStep = -1;
    float heartTimer = 0.0f;
    float moanTimers[kMoaners] = {0.0f, 0.0f};
    unsigned moanCount = 0;
    unsigned eventCount = 0;
};

struct Audio {
    ALCdevice* device = nullptr;   // null: no sound at all
    ALCcontext* context = nullptr; // null: no sound at all
    AlName buffers[kSoundCount] = {};
    AlName sources[kVoiceCount] = {};
    Hearing hearing;
};

// Opens the default device as OpenAL Soft's configuration (alsoft.conf) chooses, loads every
// sound of folder + "Sounds" and makes the sources. Never fails; prints one upper-case line
// per thing that is missing.
Audio* createAudio(const std::string& folder = kSoundFolder);
void releaseAudio(Audio* audio);

// Once per frame, after the rules and whether or not the game is over.
void updateAudio(Audio& audio, const Scene& scene, float frameTime);
// Holds every sound where it is, or lets them all go on.
void pauseAudio(Audio& audio, bool paused);

// The heart from 70 % of life down: beats per minute (0 above) and loudness.
float heartbeatRate(float lifeRatio);
float heartbeatGain(float lifeRatio);
