#pragma once
// Building blocks for sounds made in code: seeded noise, filters, envelopes and a seamless loop.
// Only integer hashing and the C library's maths, so every machine writes the same files.
#include <cstdint>
#include <vector>

constexpr int kSoundRate = 48000; // samples per second of every generated sound

using Samples = std::vector<float>; // mono, nominally in [-1, 1]

Samples silence(float seconds);

// White noise in [-1, 1), the same for the same seed.
float noiseAt(int32_t index, uint32_t seed);

// Second-order filter (RBJ cookbook), run sample by sample.
struct Biquad {
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
    float run(float x);
};
Biquad bandPass(float centreHz, float q);
Biquad lowPass(float cutoffHz, float q = 0.7071f);
Biquad highPass(float cutoffHz, float q = 0.7071f);

// Rises linearly over attack seconds, then decays by e every decay seconds.
float pluck(float t, float attack, float decay);
// 0 outside [start, end], 1 inside, with linear ramps of fade seconds.
float gate(float t, float start, float end, float fade);

// Sine of a frequency that changes over time: the caller keeps the phase (in cycles).
float sweep(float& phase, float hz);

// Makes a loop of the first length samples whose end runs into its start without a click: the
// samples past length are blended over the beginning with an equal-power crossfade.
Samples seamless(const Samples& longer, int length);

// Scales so the largest magnitude is peak.
void normalise(Samples& samples, float peak);

// Adds source into target from sample offset on, with a gain.
void mixInto(Samples& target, const Samples& source, int offset, float gain);
