#pragma once
// The game's sound: one OpenAL Soft device and context, a buffer per sound file, a fixed set
// of sources and, where the device has them, an outdoor reverb and a low-pass per world voice,
// all made at start-up. Once per frame it listens to the game (GameState, the Scene and the
// active camera); the rules never call it. Any failure leaves it silent (or dry) for what is
// missing, after one console line.
#include <cstddef>
#include <string>
#include <vector>

#include <AL/alc.h>
#include <glm/glm.hpp>

#include "audio/Efx.h"
#include "audio/Sound.h"

struct Scene;

// The sound files, by what they are for; their names are kSoundFiles. Variants follow the
// first of their set.
enum SoundId {
    NightSound,    // the bed: wind,
    NightAirSound, // a thin whistle above it
    DroneSound,    // and a low drone, three loops of unrelated lengths
    GustSound,     // the night's occasional sounds around the listener
    CreakSound,
    CallSound,
    Step1Sound,
    Step2Sound,
    Step3Sound,
    Step4Sound,
    HeartbeatSound,
    Heartbeat2Sound,
    Heartbeat3Sound,
    WhisperSound,
    Whisper2Sound,
    Whisper3Sound,
    MoanSound,
    Moan2Sound,
    Moan3Sound,
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
constexpr int kVariants = 3; // of the heartbeat, the whisper, the moan and the night's calls

// The sources, each with one job.
enum VoiceId {
    NightVoice, // the three layers of the bed, looped, around the listener
    NightAirVoice,
    DroneVoice,
    CallVoice,    // a gust, a creak or a call now and then, somewhere around the listener
    PondVoice,    // looped, at the shore nearest the listener
    StepVoice,    // at the player's feet
    HeartVoice,   // inside the listener's head, beats queued on the device's clock
    WhisperVoice, // at the apparition, spread so it never sits in one ear
    MoanVoice,    // at the first tilting model; the second has the next voice
    MoanVoice2,
    EventVoice, // pick-ups, the table and the end; two, so one does not cut the other
    EventVoice2,
    kVoiceCount
};
constexpr int kMoaners = 2;

enum class Notice { None, NotEnough, Mix }; // messages that have a sound

// A voice's gain on its way to a target; one that reaches zero is stopped.
struct Fade {
    float level = 1.0f;
    float target = 1.0f;
    float perSecond = 0.0f;
};

// What the last frame heard, so a frame can tell what changed.
struct Hearing {
    bool primed = false;
    unsigned medicineCount = 0;
    size_t drugCount = 0;
    Notice notice = Notice::None;
    bool gameOver = false;
    bool pondPlaying = false;
    bool whispering = false; // the apparition is heard: a phrase or a pause between two
    float whisperPause = 0.0f;
    int lastWhisper = -1;
    int lastBeat = -1;
    int lastMoan = -1;
    int lastCall = -1;
    glm::vec3 foot = glm::vec3(0.0f);
    bool walking = false;   // on the ground and moving, or between two physics steps of that
    float stepTimer = 0.0f; // seconds walked towards the next step
    float stillTime = 0.0f; // seconds without moving
    unsigned stepCount = 0;
    int lastStep = -1;
    float heartAhead = 0.0f; // seconds of beats and gaps queued and not yet unqueued
    unsigned beatCount = 0;
    float moanTimers[kMoaners] = {0.0f, 0.0f};
    unsigned moanCount = 0;
    float nightTime = 0.0f; // seconds of the night, for its swells
    float callTimer = 0.0f;
    unsigned callCount = 0;
    unsigned eventCount = 0;
    Fade fades[kVoiceCount];
    float gains[kVoiceCount] = {};    // each voice's place in the mix
    float loudness[kVoiceCount] = {}; // that, times what the game asks now (the heart's fear)
    float headroom = 1.0f;            // the listener's gain, lowered when the mix could clip
};

// Silent buffers of 1, 2, 4 ... 1024 ms that fill the gap between two queued heartbeats.
constexpr int kGapBuffers = 11;

struct Audio {
    ALCdevice* device = nullptr;   // null: no sound at all
    ALCcontext* context = nullptr; // null: no sound at all
    AlName buffers[kSoundCount] = {};
    std::vector<float> envelopes[kSoundCount]; // each sound's peaks, for the headroom
    AlName gaps[kGapBuffers] = {};
    AlName sources[kVoiceCount] = {};
    Efx efx; // empty without ALC_EXT_EFX: the sound plays dry
    Hearing hearing;
};

// Opens the default device as OpenAL Soft's configuration (alsoft.conf) chooses, loads every
// sound of folder + "Sounds" and makes the sources. Never fails; prints one upper-case line
// per thing that is missing. The libraries' own messages while the device opens are shown
// only when ALSOFT_LOGLEVEL asks for them.
Audio* createAudio(const std::string& folder = kSoundFolder);
void releaseAudio(Audio* audio);

// Once per frame, after the rules and whether or not the game is over.
void updateAudio(Audio& audio, const Scene& scene, float frameTime);
// Holds every sound where it is, or lets them all go on.
void pauseAudio(Audio& audio, bool paused);

// The heart from 70 % of life down: beats per minute (0 above) and loudness.
float heartbeatRate(float lifeRatio);
float heartbeatGain(float lifeRatio);
