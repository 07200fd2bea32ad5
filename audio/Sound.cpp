#include "audio/Sound.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include <AL/al.h>
#include <sndfile.h>

#include "assets/NameList.h"

const char* const kSoundFolder = "../Resources/Sounds/";

std::vector<std::string> readSoundList(const std::string& folder, bool& ok) {
    std::vector<std::string> names;
    ok = tryReadNameList(folder + "Sounds", names);
    return names;
}

AlName loadSound(const std::string& path, std::vector<float>* envelope) {
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return 0;
    }
    // A sound longer than a minute is no sound of ours; refusing it bounds the memory.
    const bool usable = info.channels > 0 && info.frames > 0 && info.samplerate > 0 &&
                        info.frames <= sf_count_t(info.samplerate) * 60;
    std::vector<short> frames(usable ? size_t(info.frames) * size_t(info.channels) : 0);
    const sf_count_t read = usable ? sf_readf_short(file, frames.data(), info.frames) : 0;
    sf_close(file);
    if (read <= 0) {
        return 0;
    }
    std::vector<short> mono(static_cast<size_t>(read));
    const size_t block = std::max<size_t>(1, size_t(float(info.samplerate) * kEnvelopeBlock));
    std::vector<float> peaks(mono.size() / block + 1, 0.0f);
    for (size_t i = 0; i < mono.size(); ++i) {
        int sum = 0;
        for (int c = 0; c < info.channels; ++c) {
            sum += frames[i * size_t(info.channels) + size_t(c)];
        }
        mono[i] = static_cast<short>(sum / info.channels);
        peaks[i / block] = std::max(peaks[i / block], float(std::abs(int(mono[i]))) / 32768.0f);
    }
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, AL_FORMAT_MONO16, mono.data(), ALsizei(mono.size() * sizeof(short)),
                 info.samplerate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        return 0;
    }
    if (envelope != nullptr) {
        *envelope = std::move(peaks);
    }
    return buffer;
}

void releaseSound(AlName& buffer) {
    if (buffer != 0) {
        ALuint name = buffer;
        alDeleteBuffers(1, &name);
        buffer = 0;
    }
}
