#pragma once
// OpenAL Soft's effects extension (ALC_EXT_EFX): one outdoor reverb that the world's voices send
// to, and a low-pass per voice that darkens it with distance. Its functions are looked up at
// start-up, so another OpenAL without it still runs the game, dry.
#include <AL/alc.h>
#include <AL/efx.h>

#include "audio/Sound.h"

constexpr int kEfxVoices = 16; // at least the number of voices

struct Efx {
    LPALGENEFFECTS genEffects = nullptr;
    LPALDELETEEFFECTS deleteEffects = nullptr;
    LPALEFFECTI effecti = nullptr;
    LPALEFFECTF effectf = nullptr;
    LPALGENAUXILIARYEFFECTSLOTS genSlots = nullptr;
    LPALDELETEAUXILIARYEFFECTSLOTS deleteSlots = nullptr;
    LPALAUXILIARYEFFECTSLOTI sloti = nullptr;
    LPALAUXILIARYEFFECTSLOTF slotf = nullptr;
    LPALGENFILTERS genFilters = nullptr;
    LPALDELETEFILTERS deleteFilters = nullptr;
    LPALFILTERI filteri = nullptr;
    LPALFILTERF filterf = nullptr;
    AlName reverb = 0;               // the effect
    AlName slot = 0;                 // 0: no effects, the sound plays dry
    AlName filters[kEfxVoices] = {}; // the direct path's low-pass per voice
    AlName sends[kEfxVoices] = {};   // how much of each voice reaches the reverb
};

// Whether the device offers the extension; asked before the context is made, so it can ask for
// a send per source.
bool deviceHasEfx(ALCdevice* device);
// Needs a current context. Leaves efx empty (slot 0) when anything is missing.
void createEfx(Efx& efx, ALCdevice* device, int voices);
void releaseEfx(Efx& efx);

// Sends a share of a voice to the reverb (with a null efx nothing happens).
void sendToReverb(const Efx& efx, int voice, AlName source, float share);
// The direct path through the voice's low-pass, keeping gainHF of the highs.
void muffle(const Efx& efx, int voice, AlName source, float gainHF);
