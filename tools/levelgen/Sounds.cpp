#include "tools/levelgen/Sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sndfile.h>

#include "tools/levelgen/Noise.h"

namespace {

constexpr float kTwoPi = 6.2831853f;

float timeAt(size_t i) {
    return static_cast<float>(i) / kSoundRate;
}

// The night is three loops of unrelated lengths, so together they repeat only after minutes:
// wind through a wandering band, a thin whistle above it, and a low drone. Each wind layer
// wavers a little, following smooth noise whose period is its loop, so it joins without a seam;
// the game swells and calms them without a period of its own.
Samples windLayer(float length, float cell, float bodyHz, float whistleHz, uint32_t seed) {
    Samples out = silence(length);
    Biquad body = bandPass(bodyHz, 0.8f);
    Biquad whistle = bandPass(whistleHz, 6.0f);
    const int32_t cells = static_cast<int32_t>(std::lround(length / cell));
    // Filters settle over one loop before the samples that are kept.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < out.size(); ++i) {
            const float t = timeAt(i) / cell;
            const float gust = 0.85f + 0.1f * valueNoise(t, 0.5f, seed, cells) +
                               0.05f * valueNoise(2.0f * t, 1.5f, seed + 1u, 2 * cells);
            const float n = noiseAt(static_cast<int32_t>(i), seed);
            out[i] = gust * (body.run(n) + 0.5f * gust * whistle.run(n));
        }
    }
    return out;
}

Samples night() {
    Samples out = windLayer(4.7f, 0.94f, 320.0f, 900.0f, 11u);
    normalise(out, 0.6f);
    return out;
}

Samples nightAir() {
    Samples out = windLayer(3.1f, 0.775f, 1400.0f, 2300.0f, 13u);
    normalise(out, 0.5f);
    return out;
}

// Three low tones of one chord, steady so the loop has no beat to give it away; whole periods
// of the chord fill the loop.
Samples drone() {
    Samples out = silence(0.4f);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        out[i] = 0.16f * std::sin(kTwoPi * 55.0f * t) + 0.08f * std::sin(kTwoPi * 82.5f * t) +
                 0.05f * std::sin(kTwoPi * 110.0f * t + 1.0f);
    }
    normalise(out, 0.5f);
    return out;
}

// The night's occasional sounds, placed around the listener: a gust, a creaking branch and a
// far bird's two hoots.
Samples gust() {
    Samples out = silence(1.8f);
    Biquad body = bandPass(500.0f, 0.9f);
    Biquad whistle = bandPass(1300.0f, 5.0f);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float swell = std::sin(kPi * t / 1.8f);
        const float n = noiseAt(static_cast<int32_t>(i), 51u);
        out[i] = swell * swell * (body.run(n) + swell * whistle.run(n));
    }
    normalise(out, 0.7f);
    return out;
}

Samples creak() {
    Samples out = silence(0.8f);
    Biquad wood = bandPass(650.0f, 8.0f);
    Biquad grain = bandPass(1700.0f, 6.0f);
    float phase = 0.0f;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        // Stick and slip: a train of ticks whose rate bends up and down.
        const float rate = 35.0f + 40.0f * std::sin(kPi * t / 0.8f);
        phase += rate / kSoundRate;
        const float tick = phase >= 1.0f ? 1.0f : 0.0f;
        phase -= std::floor(phase);
        const float x = tick + 0.02f * noiseAt(static_cast<int32_t>(i), 53u);
        out[i] = gate(t, 0.0f, 0.8f, 0.15f) * (wood.run(x) + 0.5f * grain.run(x));
    }
    normalise(out, 0.6f);
    return out;
}

Samples call() {
    Samples out = silence(1.4f);
    Biquad far = lowPass(1200.0f);
    float phase = 0.0f;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float hoot = gate(t, 0.05f, 0.45f, 0.12f) + 0.8f * gate(t, 0.75f, 1.3f, 0.15f);
        const float hz = t < 0.6f ? 390.0f - 30.0f * t : 370.0f - 40.0f * (t - 0.75f);
        out[i] = far.run(hoot * (sweep(phase, hz) + 0.05f * noiseAt(int32_t(i), 57u)));
    }
    normalise(out, 0.5f);
    return out;
}

// A foot on gravel and grass: a soft thud, then heel and toe crunching through two bands of
// noise, the upper one the grit. Each variant moves the bands, the gap and the decay.
Samples step(int variant) {
    const uint32_t seed = 100u + static_cast<uint32_t>(variant);
    const float shift = static_cast<float>(variant);
    const float gap = 0.035f + 0.012f * static_cast<float>((variant * 3) % 4);
    const float decay = 0.022f + 0.006f * static_cast<float>(variant % 3);
    Samples out = silence(0.2f);
    Biquad crunch = bandPass(700.0f + 260.0f * shift, 1.2f);
    Biquad grit = bandPass(3200.0f + 450.0f * shift, 2.0f);
    float thud = 0.0f;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float envelope = pluck(t, 0.002f, decay) + 0.7f * pluck(t - gap, 0.002f, decay);
        const float n = noiseAt(static_cast<int32_t>(i), seed);
        out[i] = envelope * (crunch.run(n) + 0.7f * grit.run(n)) +
                 0.5f * pluck(t, 0.003f, 0.03f) * sweep(thud, 95.0f - 150.0f * t);
    }
    normalise(out, 0.8f);
    return out;
}

// Lub-dub: two low thumps whose pitch drops as they die away. The variants move the second
// thump, the pitch and the knock of the valves.
Samples heartbeat(int variant) {
    const float v = static_cast<float>(variant);
    const float second = 0.17f + 0.015f * v;
    Samples out = silence(0.45f);
    float phase = 0.0f;
    Biquad click = lowPass(180.0f + 30.0f * v);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float lub = pluck(t, 0.008f, 0.05f);
        const float dub = (0.7f - 0.1f * v) * pluck(t - second, 0.008f, 0.04f);
        const float hz = (t < second ? 62.0f - 60.0f * t : 74.0f - 60.0f * (t - second)) - 3.0f * v;
        const float knock = click.run(noiseAt(int32_t(i), 7u + static_cast<uint32_t>(variant)));
        out[i] = gate(t, 0.0f, 0.45f, 0.05f) * (lub + dub) * (sweep(phase, hz) + 0.6f * knock);
    }
    normalise(out, 0.9f);
    return out;
}

// Breath through the teeth in syllables: noise through two high formants, starting and ending in
// silence so the voice can pause between phrases.
Samples whisper(int variant) {
    const float syllables[3][5] = {{0.1f, 0.35f, 0.6f, 0.8f, -1.0f},
                                   {0.1f, 0.28f, 0.5f, 0.66f, 0.85f},
                                   {0.12f, 0.45f, 0.78f, -1.0f, -1.0f}};
    const float length = 1.2f;
    Samples out = silence(length);
    Biquad hiss = bandPass(2600.0f - 250.0f * static_cast<float>(variant), 2.5f);
    Biquad breath = bandPass(1100.0f + 150.0f * static_cast<float>(variant), 3.0f);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        float envelope = 0.0f;
        for (float start : syllables[variant]) {
            envelope += start < 0.0f ? 0.0f : gate(t, start, start + 0.22f, 0.06f);
        }
        const float n = noiseAt(static_cast<int32_t>(i), 23u + static_cast<uint32_t>(variant));
        out[i] =
            gate(t, 0.0f, length, 0.1f) * (0.15f + envelope) * (hiss.run(n) + 0.8f * breath.run(n));
    }
    normalise(out, 0.8f);
    return out;
}

// A low voice sliding through an "o", with a tremble; each variant slides its own way.
Samples moan(int variant) {
    const float from[3] = {118.0f, 96.0f, 132.0f}, slide[3] = {-14.0f, 9.0f, -22.0f};
    const float length = 1.2f + 0.1f * static_cast<float>(variant);
    Samples out = silence(length);
    Biquad first = bandPass(480.0f + 40.0f * static_cast<float>(variant), 4.0f);
    Biquad second = bandPass(850.0f, 5.0f);
    Biquad breath = bandPass(650.0f, 1.0f);
    float phase = 0.0f;
    float vibrato = 0.0f;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float hz =
            (from[variant] + slide[variant] * t) * (1.0f + 0.02f * sweep(vibrato, 5.0f));
        phase += hz / kSoundRate;
        phase -= std::floor(phase);
        const float saw = 2.0f * phase - 1.0f;
        const float voice = first.run(saw) + 0.6f * second.run(saw);
        out[i] =
            gate(t, 0.0f, length, 0.4f) * (voice + 0.03f * breath.run(noiseAt(int32_t(i), 31u)));
    }
    normalise(out, 0.8f);
    return out;
}

// Small waves against the bank and a bubble now and then.
Samples pond() {
    const float length = 3.5f;
    Samples longer = silence(length + 0.3f);
    Biquad water = bandPass(420.0f, 1.5f);
    Biquad low = lowPass(900.0f);
    const float laps[] = {0.15f, 0.7f, 1.6f, 1.95f, 2.6f, 3.1f};
    float bubble = 0.0f;
    for (size_t i = 0; i < longer.size(); ++i) {
        const float t = std::fmod(timeAt(i), length);
        float envelope = 0.45f;
        for (float start : laps) {
            envelope += pluck(t - start, 0.08f, 0.18f);
        }
        const float n = noiseAt(static_cast<int32_t>(i), 41u);
        const float pop =
            pluck(t - 1.25f, 0.002f, 0.03f) * sweep(bubble, 500.0f + 9000.0f * (t - 1.25f));
        longer[i] = envelope * low.run(water.run(n)) + 0.15f * pop;
    }
    Samples loop = seamless(longer, static_cast<int>(length * kSoundRate));
    normalise(loop, 0.95f);
    return loop;
}

// A swallow: a low bubble that drops, then a short rise.
Samples gulp() {
    Samples out = silence(0.35f);
    float phase = 0.0f;
    Biquad throat = lowPass(600.0f);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float hz = t < 0.15f ? 210.0f - 500.0f * t : 135.0f + 400.0f * (t - 0.15f);
        out[i] = throat.run((pluck(t, 0.01f, 0.06f) + 0.8f * pluck(t - 0.15f, 0.01f, 0.05f)) *
                            sweep(phase, hz));
    }
    normalise(out, 0.8f);
    return out;
}

// A small bell: inharmonic partials that ring out.
Samples chime() {
    Samples out = silence(1.3f);
    const float partials[][3] = {{1318.5f, 1.0f, 0.5f},
                                 {3639.0f, 0.45f, 0.25f},
                                 {7120.0f, 0.2f, 0.12f},
                                 {1975.5f, 0.35f, 0.4f}};
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        for (const auto& p : partials) {
            out[i] += p[1] * pluck(t, 0.002f, p[2]) * std::sin(kTwoPi * p[0] * t);
        }
        out[i] *= gate(t, -1.0f, 1.3f, 0.4f);
    }
    normalise(out, 0.8f);
    return out;
}

// A dull refusal: a muffled square wave at mains hum.
Samples buzz() {
    Samples out = silence(0.5f);
    Biquad muffle = lowPass(400.0f);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float square = std::sin(kTwoPi * 100.0f * t) >= 0.0f ? 1.0f : -1.0f;
        out[i] = gate(t, 0.0f, 0.5f, 0.02f) * muffle.run(square);
    }
    normalise(out, 0.35f);
    return out;
}

// Glittering tones sweeping up an octave and a half, trembling.
Samples shimmer() {
    Samples out = silence(1.3f);
    float phases[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float bases[4] = {420.0f, 630.0f, 840.0f, 1260.0f};
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float rise = std::pow(2.0f, 1.5f * t / 1.3f);
        float sum = 0.0f;
        for (int k = 0; k < 4; ++k) {
            sum += sweep(phases[k], bases[k] * rise) / static_cast<float>(k + 1);
        }
        const float tremolo = 0.7f + 0.3f * std::sin(kTwoPi * 12.0f * t);
        out[i] = gate(t, 0.0f, 1.3f, 0.4f) * tremolo * sum;
    }
    normalise(out, 0.7f);
    return out;
}

// A major chord that swells and settles.
Samples relief() {
    Samples out = silence(2.4f);
    const float notes[] = {261.63f, 329.63f, 392.0f, 523.25f};
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float envelope =
            gate(t, 0.0f, 2.4f, 0.15f) * std::min(1.0f, (2.4f - t) / 0.8f) * std::exp(-t / 1.2f);
        for (float hz : notes) {
            out[i] +=
                envelope * (std::sin(kTwoPi * hz * t) + 0.3f * std::sin(kTwoPi * 2.0f * hz * t));
        }
    }
    normalise(out, 0.8f);
    return out;
}

// The monitor's flat line when the heart stops.
Samples flatline() {
    Samples out = silence(1.5f);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        out[i] = gate(t, 0.0f, 1.5f, 0.03f) * std::sin(kTwoPi * 880.0f * t);
    }
    normalise(out, 0.25f);
    return out;
}

} // namespace

std::vector<NamedSound> makeSounds() {
    std::vector<NamedSound> sounds = {{"night.wav", night()}, {"nightair.wav", nightAir()},
                                      {"drone.wav", drone()}, {"gust.wav", gust()},
                                      {"creak.wav", creak()}, {"call.wav", call()}};
    for (int variant = 0; variant < 4; ++variant) {
        sounds.push_back({"step" + std::to_string(variant + 1) + ".wav", step(variant)});
    }
    // The first of each set keeps its old name.
    const auto numbered = [](const char* name, int variant) {
        return name + (variant == 0 ? std::string() : std::to_string(variant + 1)) + ".wav";
    };
    for (int variant = 0; variant < 3; ++variant) {
        sounds.push_back({numbered("heartbeat", variant), heartbeat(variant)});
    }
    for (int variant = 0; variant < 3; ++variant) {
        sounds.push_back({numbered("whisper", variant), whisper(variant)});
    }
    for (int variant = 0; variant < 3; ++variant) {
        sounds.push_back({numbered("moan", variant), moan(variant)});
    }
    sounds.push_back({"pond.wav", pond()});
    sounds.push_back({"gulp.wav", gulp()});
    sounds.push_back({"chime.wav", chime()});
    sounds.push_back({"buzz.wav", buzz()});
    sounds.push_back({"shimmer.wav", shimmer()});
    sounds.push_back({"relief.wav", relief()});
    sounds.push_back({"flatline.wav", flatline()});
    return sounds;
}

void saveWav(const Samples& samples, const std::string& path) {
    SF_INFO info = {};
    info.samplerate = kSoundRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "levelgen: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        std::exit(1);
    }
    // Rounded here rather than by the library, so the bytes never depend on its version.
    std::vector<short> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        const float clamped = std::fmax(-1.0f, std::fmin(1.0f, samples[i]));
        pcm[i] = static_cast<short>(std::lrint(clamped * 32767.0f));
    }
    const sf_count_t written =
        sf_write_short(file, pcm.data(), static_cast<sf_count_t>(pcm.size()));
    sf_close(file);
    if (written != static_cast<sf_count_t>(pcm.size())) {
        std::fprintf(stderr, "levelgen: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}
