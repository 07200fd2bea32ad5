#include "tools/levelgen/Synth.h"

#include <algorithm>
#include <cmath>

#include "tools/levelgen/Noise.h"

namespace {

Biquad fromCoefficients(float b0, float b1, float b2, float a0, float a1, float a2) {
    Biquad filter;
    filter.b0 = b0 / a0;
    filter.b1 = b1 / a0;
    filter.b2 = b2 / a0;
    filter.a1 = a1 / a0;
    filter.a2 = a2 / a0;
    return filter;
}

} // namespace

Samples silence(float seconds) {
    return Samples(static_cast<size_t>(seconds * kSoundRate), 0.0f);
}

float noiseAt(int32_t index, uint32_t seed) {
    return hashUnit(index, 0x50D, seed) * 2.0f - 1.0f;
}

float Biquad::run(float x) {
    const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}

Biquad bandPass(float centreHz, float q) {
    const float w = 2.0f * kPi * centreHz / kSoundRate;
    const float alpha = std::sin(w) / (2.0f * q);
    return fromCoefficients(alpha, 0.0f, -alpha, 1.0f + alpha, -2.0f * std::cos(w), 1.0f - alpha);
}

Biquad lowPass(float cutoffHz, float q) {
    const float w = 2.0f * kPi * cutoffHz / kSoundRate;
    const float alpha = std::sin(w) / (2.0f * q);
    const float c = std::cos(w);
    return fromCoefficients((1.0f - c) / 2.0f, 1.0f - c, (1.0f - c) / 2.0f, 1.0f + alpha, -2.0f * c,
                            1.0f - alpha);
}

Biquad highPass(float cutoffHz, float q) {
    const float w = 2.0f * kPi * cutoffHz / kSoundRate;
    const float alpha = std::sin(w) / (2.0f * q);
    const float c = std::cos(w);
    return fromCoefficients((1.0f + c) / 2.0f, -(1.0f + c), (1.0f + c) / 2.0f, 1.0f + alpha,
                            -2.0f * c, 1.0f - alpha);
}

float pluck(float t, float attack, float decay) {
    if (t < 0.0f) {
        return 0.0f;
    }
    if (t < attack) {
        return t / attack;
    }
    return std::exp(-(t - attack) / decay);
}

float gate(float t, float start, float end, float fade) {
    if (t <= start || t >= end) {
        return 0.0f;
    }
    return std::min({1.0f, (t - start) / fade, (end - t) / fade});
}

float sweep(float& phase, float hz) {
    phase += hz / kSoundRate;
    phase -= std::floor(phase);
    return std::sin(2.0f * kPi * phase);
}

Samples seamless(const Samples& longer, int length) {
    const int fade = static_cast<int>(longer.size()) - length;
    Samples loop(longer.begin(), longer.begin() + length);
    for (int i = 0; i < fade; ++i) {
        const float t = (static_cast<float>(i) + 0.5f) / static_cast<float>(fade);
        loop[i] =
            longer[i] * std::sin(t * kPi / 2.0f) + longer[length + i] * std::cos(t * kPi / 2.0f);
    }
    return loop;
}

void normalise(Samples& samples, float peak) {
    float largest = 0.0f;
    for (float s : samples) {
        largest = std::max(largest, std::fabs(s));
    }
    if (largest > 0.0f) {
        for (float& s : samples) {
            s *= peak / largest;
        }
    }
}

void mixInto(Samples& target, const Samples& source, int offset, float gain) {
    for (size_t i = 0; i < source.size() && offset + i < target.size(); ++i) {
        target[offset + i] += gain * source[i];
    }
}
