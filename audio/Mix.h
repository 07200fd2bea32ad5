#pragma once
// The mix behind the listening: voices started at full level and faded out rather than cut,
// world voices darkened with distance, and the listener's gain kept low enough that what plays
// at once stays below full scale.
#include <glm/glm.hpp>

#include "audio/Audio.h"

// The mix's estimated peak may reach this (-1.5 dBFS); OpenAL Soft's own limiter stands behind
// it at full scale.
constexpr float kMixCeiling = 0.84f;

// Plays a buffer from its start on a voice, at the voice's full level.
void startVoice(Audio& audio, VoiceId voice, AlName buffer);
// Fades a playing voice to silence over the given seconds, then stops it.
void fadeOut(Audio& audio, VoiceId voice, float seconds);
bool voicePlaying(const Audio& audio, VoiceId voice);

// OpenAL's clamped inverse distance, as the mix hears a source of that reference distance.
float distanceGain(float distance, float referenceDistance);
// The share of the highs a world voice keeps at a distance.
float highsAt(float distance);

// Once per frame, after the listening: fades on, the world voices' low-passes follow their
// distance from the listener, and the listener's gain leaves headroom for what plays now.
void mixVoices(Audio& audio, const glm::vec3& listener, float frameTime);
