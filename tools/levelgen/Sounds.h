#pragma once
// Every sound of the game, synthesised from noise, filters, envelopes and pitch.
#include <string>
#include <vector>

#include "tools/levelgen/Synth.h"

struct NamedSound {
    std::string name; // file name in the sound folder
    Samples samples;  // mono at kSoundRate
};

std::vector<NamedSound> makeSounds();

// 16-bit PCM WAV through libsndfile; fatal on failure.
void saveWav(const Samples& samples, const std::string& path);
