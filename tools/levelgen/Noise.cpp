#include "tools/levelgen/Noise.h"

#include <cmath>

uint32_t hashInts(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float hashUnit(int32_t x, int32_t y, uint32_t seed) {
    return static_cast<float>(hashInts(x, y, seed) >> 8) / 16777216.0f;
}

static int32_t wrap(int32_t value, int32_t period) {
    if (period <= 0) {
        return value;
    }
    int32_t r = value % period;
    return r < 0 ? r + period : r;
}

static float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float valueNoise(float x, float y, uint32_t seed, int32_t period) {
    float fx = std::floor(x);
    float fy = std::floor(y);
    int32_t ix = static_cast<int32_t>(fx);
    int32_t iy = static_cast<int32_t>(fy);
    float tx = fade(x - fx);
    float ty = fade(y - fy);
    int32_t x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    int32_t y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    float a = hashUnit(x0, y0, seed), b = hashUnit(x1, y0, seed);
    float c = hashUnit(x0, y1, seed), d = hashUnit(x1, y1, seed);
    float top = a + (b - a) * tx;
    float bottom = c + (d - c) * tx;
    return (top + (bottom - top) * ty) * 2.0f - 1.0f;
}

float fbm(float x, float y, int octaves, uint32_t seed, int32_t period) {
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u, period);
        total += amplitude;
        amplitude *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
        if (period > 0) {
            period *= 2;
        }
    }
    return sum / total;
}

CellDistances cellular(float x, float y, uint32_t seed, int32_t period) {
    int32_t ix = static_cast<int32_t>(std::floor(x));
    int32_t iy = static_cast<int32_t>(std::floor(y));
    CellDistances result;
    result.nearest = 1e9f;
    result.second = 1e9f;
    for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
            int32_t cx = ix + dx, cy = iy + dy;
            int32_t hx = wrap(cx, period), hy = wrap(cy, period);
            float px = static_cast<float>(cx) + hashUnit(hx, hy, seed);
            float py = static_cast<float>(cy) + hashUnit(hx, hy, seed + 7u);
            float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < result.nearest) {
                result.second = result.nearest;
                result.nearest = d;
                result.id = hashInts(hx, hy, seed + 13u);
            } else if (d < result.second) {
                result.second = d;
            }
        }
    }
    return result;
}

float Sequence::next() {
    return hashUnit(static_cast<int32_t>(counter++), 0x5EED, seed);
}
