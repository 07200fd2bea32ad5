#include "tools/levelgen/Sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sndfile.h>

namespace {

constexpr float kTwoPi = 6.2831853f;

float timeAt(size_t i) {
    return static_cast<float>(i) / kSoundRate;
}

// Wind through a slowly wandering band, and a low drone beating against itself. Every
// modulation repeats a whole number of times in the four seconds of the loop.
Samples night() {
    const float length = 4.0f;
    Samples wind = silence(length + 0.5f);
    Biquad body = bandPass(320.0f, 0.8f);
    Biquad whistle = bandPass(900.0f, 6.0f);
    for (size_t i = 0; i < wind.size(); ++i) {
        const float t = timeAt(i);
        const float gust = 0.55f + 0.3f * std::sin(kTwoPi * t / length) +
                           0.15f * std::sin(kTwoPi * 3.0f * t / length + 1.0f);
        const float n = noiseAt(static_cast<int32_t>(i), 11u);
        wind[i] = gust * (body.run(n) + 0.5f * gust * whistle.run(n));
    }
    Samples loop = seamless(wind, static_cast<int>(length * kSoundRate));
    normalise(loop, 0.5f);
    for (size_t i = 0; i < loop.size(); ++i) {
        const float t = timeAt(i);
        loop[i] +=
            0.16f * std::sin(kTwoPi * 55.0f * t) + 0.12f * std::sin(kTwoPi * 55.25f * t) +
            0.08f * std::sin(kTwoPi * 82.5f * t) * (0.6f + 0.4f * std::sin(kTwoPi * t / 2.0f));
    }
    normalise(loop, 0.6f);
    return loop;
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

// Lub-dub: two low thumps whose pitch drops as they die away.
Samples heartbeat() {
    Samples out = silence(0.4f);
    float phase = 0.0f;
    Biquad click = lowPass(180.0f);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float lub = pluck(t, 0.008f, 0.05f);
        const float dub = 0.7f * pluck(t - 0.17f, 0.008f, 0.04f);
        const float hz = t < 0.17f ? 62.0f - 60.0f * t : 74.0f - 60.0f * (t - 0.17f);
        out[i] = (lub + dub) * (sweep(phase, hz) + 0.6f * click.run(noiseAt(int32_t(i), 7u)));
    }
    normalise(out, 0.9f);
    return out;
}

// Breath through the teeth in syllables: noise through two high formants.
Samples whisper() {
    const float length = 3.0f;
    Samples longer = silence(length + 0.3f);
    Biquad hiss = bandPass(2600.0f, 2.5f);
    Biquad breath = bandPass(1100.0f, 3.0f);
    const float syllables[] = {0.1f, 0.45f, 0.7f, 1.25f, 1.5f, 1.9f, 2.4f, 2.65f};
    for (size_t i = 0; i < longer.size(); ++i) {
        const float t = std::fmod(timeAt(i), length);
        float envelope = 0.0f;
        for (float start : syllables) {
            envelope += gate(t, start, start + 0.22f, 0.06f);
        }
        const float n = noiseAt(static_cast<int32_t>(i), 23u);
        longer[i] = (0.15f + envelope) * (hiss.run(n) + 0.8f * breath.run(n));
    }
    Samples loop = seamless(longer, static_cast<int>(length * kSoundRate));
    normalise(loop, 0.8f);
    return loop;
}

// A low voice sliding down through an "o", with a tremble.
Samples moan() {
    Samples out = silence(2.2f);
    Biquad first = bandPass(480.0f, 4.0f);
    Biquad second = bandPass(850.0f, 5.0f);
    Biquad breath = bandPass(650.0f, 1.0f);
    float phase = 0.0f;
    float vibrato = 0.0f;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float hz = (118.0f - 14.0f * t) * (1.0f + 0.02f * sweep(vibrato, 5.0f));
        phase += hz / kSoundRate;
        phase -= std::floor(phase);
        const float saw = 2.0f * phase - 1.0f;
        const float voice = first.run(saw) + 0.6f * second.run(saw);
        out[i] = gate(t, 0.0f, 2.2f, 0.7f) * (voice + 0.03f * breath.run(noiseAt(int32_t(i), 31u)));
    }
    normalise(out, 0.8f);
    return out;
}

// Small waves against the bank and a bubble now and then.
Samples pond() {
    const float length = 3.0f;
    Samples longer = silence(length + 0.3f);
    Biquad water = bandPass(420.0f, 1.5f);
    Biquad low = lowPass(900.0f);
    const float laps[] = {0.15f, 0.95f, 1.6f, 2.35f};
    float bubble = 0.0f;
    for (size_t i = 0; i < longer.size(); ++i) {
        const float t = std::fmod(timeAt(i), length);
        float envelope = 0.12f;
        for (float start : laps) {
            envelope += pluck(t - start, 0.08f, 0.18f);
        }
        const float n = noiseAt(static_cast<int32_t>(i), 41u);
        const float pop =
            pluck(t - 1.25f, 0.002f, 0.03f) * sweep(bubble, 500.0f + 9000.0f * (t - 1.25f));
        longer[i] = envelope * low.run(water.run(n)) + 0.15f * pop;
    }
    Samples loop = seamless(longer, static_cast<int>(length * kSoundRate));
    normalise(loop, 0.7f);
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
    Samples out = silence(1.4f);
    const float partials[][3] = {{1318.5f, 1.0f, 0.5f},
                                 {3639.0f, 0.45f, 0.25f},
                                 {7120.0f, 0.2f, 0.12f},
                                 {1975.5f, 0.35f, 0.4f}};
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        for (const auto& p : partials) {
            out[i] += p[1] * pluck(t, 0.002f, p[2]) * std::sin(kTwoPi * p[0] * t);
        }
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
    normalise(out, 0.7f);
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
    Samples out = silence(2.5f);
    const float notes[] = {261.63f, 329.63f, 392.0f, 523.25f};
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        const float envelope = std::min(1.0f, t / 0.15f) * std::exp(-t / 1.2f);
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
    Samples out = silence(2.5f);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeAt(i);
        out[i] = gate(t, 0.0f, 2.5f, 0.02f) * std::sin(kTwoPi * 880.0f * t);
    }
    normalise(out, 0.6f);
    return out;
}

} // namespace

std::vector<NamedSound> makeSounds() {
    std::vector<NamedSound> sounds = {{"night.wav", night()}};
    for (int variant = 0; variant < 4; ++variant) {
        sounds.push_back({"step" + std::to_string(variant + 1) + ".wav", step(variant)});
    }
    sounds.push_back({"heartbeat.wav", heartbeat()});
    sounds.push_back({"whisper.wav", whisper()});
    sounds.push_back({"moan.wav", moan()});
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
