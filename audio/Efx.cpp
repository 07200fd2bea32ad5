#include "audio/Efx.h"

#include <AL/al.h>
#include <AL/efx-presets.h>

namespace {

template <typename Function> void lookUp(Function& function, const char* name) {
    function = reinterpret_cast<Function>(alGetProcAddress(name));
}

bool complete(const Efx& efx) {
    return efx.genEffects && efx.deleteEffects && efx.effecti && efx.effectf && efx.genSlots &&
           efx.deleteSlots && efx.sloti && efx.slotf && efx.genFilters && efx.deleteFilters &&
           efx.filteri && efx.filterf;
}

// Open ground between cliffs: a long, dark tail; the standard reverb where EAX's is missing.
void setReverb(Efx& efx, ALuint effect) {
    const EFXEAXREVERBPROPERTIES r = EFX_REVERB_PRESET_OUTDOORS_DEEPCANYON;
    efx.effecti(effect, AL_EFFECT_TYPE, AL_EFFECT_EAXREVERB);
    const bool eax = alGetError() == AL_NO_ERROR;
    if (!eax) {
        efx.effecti(effect, AL_EFFECT_TYPE, AL_EFFECT_REVERB);
    }
    const ALenum density = eax ? AL_EAXREVERB_DENSITY : AL_REVERB_DENSITY;
    const ALenum settings[] = {density,
                               eax ? AL_EAXREVERB_DIFFUSION : AL_REVERB_DIFFUSION,
                               eax ? AL_EAXREVERB_GAIN : AL_REVERB_GAIN,
                               eax ? AL_EAXREVERB_GAINHF : AL_REVERB_GAINHF,
                               eax ? AL_EAXREVERB_DECAY_TIME : AL_REVERB_DECAY_TIME,
                               eax ? AL_EAXREVERB_DECAY_HFRATIO : AL_REVERB_DECAY_HFRATIO,
                               eax ? AL_EAXREVERB_REFLECTIONS_GAIN : AL_REVERB_REFLECTIONS_GAIN,
                               eax ? AL_EAXREVERB_LATE_REVERB_GAIN : AL_REVERB_LATE_REVERB_GAIN,
                               eax ? AL_EAXREVERB_LATE_REVERB_DELAY : AL_REVERB_LATE_REVERB_DELAY};
    // A louder tail than the preset's, so a bell or a far call hangs in the air for a second;
    // each voice sends its own share.
    const float values[] = {
        r.flDensity, r.flDiffusion,      0.5f, 0.5f, r.flDecayTime, 0.4f, r.flReflectionsGain,
        2.0f,        r.flLateReverbDelay};
    for (size_t i = 0; i < sizeof(values) / sizeof(values[0]); ++i) {
        efx.effectf(effect, settings[i], values[i]);
    }
    if (eax) {
        // The low end rings shorter, so a buzz or a thud does not boom.
        efx.effectf(effect, AL_EAXREVERB_GAINLF, 0.3f);
        efx.effectf(effect, AL_EAXREVERB_DECAY_LFRATIO, 0.5f);
    }
}

} // namespace

bool deviceHasEfx(ALCdevice* device) {
    return alcIsExtensionPresent(device, "ALC_EXT_EFX") == ALC_TRUE;
}

void createEfx(Efx& efx, ALCdevice* device, int voices) {
    efx = Efx{};
    ALCint sends = 0;
    alcGetIntegerv(device, ALC_MAX_AUXILIARY_SENDS, 1, &sends);
    if (!deviceHasEfx(device) || sends < 1 || voices > kEfxVoices) {
        return;
    }
    lookUp(efx.genEffects, "alGenEffects");
    lookUp(efx.deleteEffects, "alDeleteEffects");
    lookUp(efx.effecti, "alEffecti");
    lookUp(efx.effectf, "alEffectf");
    lookUp(efx.genSlots, "alGenAuxiliaryEffectSlots");
    lookUp(efx.deleteSlots, "alDeleteAuxiliaryEffectSlots");
    lookUp(efx.sloti, "alAuxiliaryEffectSloti");
    lookUp(efx.slotf, "alAuxiliaryEffectSlotf");
    lookUp(efx.genFilters, "alGenFilters");
    lookUp(efx.deleteFilters, "alDeleteFilters");
    lookUp(efx.filteri, "alFilteri");
    lookUp(efx.filterf, "alFilterf");
    if (!complete(efx)) {
        efx = Efx{};
        return;
    }
    alGetError();
    ALuint effect = 0, slot = 0;
    efx.genEffects(1, &effect);
    setReverb(efx, effect);
    efx.genSlots(1, &slot);
    efx.sloti(slot, AL_EFFECTSLOT_EFFECT, ALint(effect));
    ALuint filters[2 * kEfxVoices] = {};
    efx.genFilters(2 * voices, filters);
    for (int v = 0; v < voices; ++v) {
        efx.filteri(filters[v], AL_FILTER_TYPE, AL_FILTER_LOWPASS);
        efx.filteri(filters[voices + v], AL_FILTER_TYPE, AL_FILTER_LOWPASS);
        efx.filters[v] = filters[v];
        efx.sends[v] = filters[voices + v];
    }
    efx.reverb = effect;
    efx.slot = slot;
    if (alGetError() != AL_NO_ERROR) {
        releaseEfx(efx);
    }
}

void releaseEfx(Efx& efx) {
    if (efx.deleteSlots != nullptr) {
        ALuint slot = efx.slot, effect = efx.reverb;
        efx.deleteSlots(slot != 0 ? 1 : 0, &slot);
        efx.deleteEffects(effect != 0 ? 1 : 0, &effect);
        for (int v = 0; v < kEfxVoices; ++v) {
            ALuint names[2] = {efx.filters[v], efx.sends[v]};
            efx.deleteFilters(names[0] != 0 ? 2 : 0, names);
        }
    }
    efx = Efx{};
}

void sendToReverb(const Efx& efx, int voice, AlName source, float share) {
    if (efx.slot != 0 && share > 0.0f) {
        efx.filterf(efx.sends[voice], AL_LOWPASS_GAIN, share);
        efx.filterf(efx.sends[voice], AL_LOWPASS_GAINHF, 1.0f);
        alSource3i(source, AL_AUXILIARY_SEND_FILTER, ALint(efx.slot), 0, ALint(efx.sends[voice]));
    }
}

void muffle(const Efx& efx, int voice, AlName source, float gainHF) {
    if (efx.slot != 0) {
        efx.filterf(efx.filters[voice], AL_LOWPASS_GAINHF, gainHF);
        alSourcei(source, AL_DIRECT_FILTER, ALint(efx.filters[voice]));
    }
}
