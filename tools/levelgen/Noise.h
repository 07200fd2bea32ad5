#pragma once
// Seeded, platform-independent noise: integer hashing only, so every machine generates the
// same level and the same images.
#include <cstdint>

// Pi as every generator file rounds it, so the shipped files stay byte for byte the same.
constexpr float kPi = 3.14159265f;

uint32_t hashInts(int32_t x, int32_t y, uint32_t seed);

// Uniform in [0, 1) from a seed and two lattice coordinates.
float hashUnit(int32_t x, int32_t y, uint32_t seed);

// Smooth value noise in [-1, 1]. With period > 0 it repeats every period units on both axes.
float valueNoise(float x, float y, uint32_t seed, int32_t period = 0);

// Sum of octaves of value noise, each twice the frequency and half the amplitude of the last;
// normalised to about [-1, 1]. A period > 0 keeps the result tiling (it doubles per octave).
float fbm(float x, float y, int octaves, uint32_t seed, int32_t period = 0);

// Distance to the nearest and second-nearest feature point of a cellular pattern (one point per
// unit cell), for cracks, pebbles and scales. Tiles with period > 0.
struct CellDistances {
    float nearest = 0.0f;
    float second = 0.0f;
    uint32_t id = 0; // hash of the nearest cell, for per-cell colours
};
CellDistances cellular(float x, float y, uint32_t seed, int32_t period = 0);

// Deterministic sequence of numbers in [0, 1), for scattering props.
struct Sequence {
    uint32_t seed = 1;
    uint32_t counter = 0;
    float next();
    float range(float low, float high) { return low + (high - low) * next(); }
};
