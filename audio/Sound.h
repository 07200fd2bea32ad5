#pragma once
// Sound files: the "Sounds" name list and one file decoded by libsndfile into one OpenAL buffer.
#include <cstdint>
#include <string>
#include <vector>

using AlName = uint32_t; // an OpenAL buffer or source name; 0 is none

extern const char* const kSoundFolder; // "../Resources/Sounds/"

// The names of folder + "Sounds", under the token rule of the other lists. Unlike them a missing
// list is not fatal: ok is false and the game plays without sound.
std::vector<std::string> readSoundList(const std::string& folder, bool& ok);

// Decodes a file (mixed down to mono, so it can be placed in space) into a new buffer; 0 when
// the file is missing or unreadable. Needs a current context. envelope, where given, receives
// the largest magnitude (full scale is 1) of each kEnvelopeBlock seconds of the sound.
constexpr float kEnvelopeBlock = 0.01f;
AlName loadSound(const std::string& path, std::vector<float>* envelope = nullptr);
void releaseSound(AlName& buffer);
