#include "support/Capture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include <sndfile.h>

void captureSoundTo(const std::string& folder, const std::string& wavPath) {
    const std::string config = folder + "/alsoft-capture.conf";
    std::ofstream out(config, std::ios::trunc);
    if (wavPath.empty()) {
        out << "[general]\ndrivers=nosuchdriver\n";
    } else {
        out << "[general]\ndrivers=wave\nchannels=stereo\nstereo-mode=speakers\nhrtf=false\n"
               "frequency=22050\n[wave]\nfile="
            << wavPath << "\n";
    }
    setenv("ALSOFT_CONF", config.c_str(), 1);
}

Capture readCapture(const std::string& wavPath) {
    Capture capture;
    SF_INFO info = {};
    SNDFILE* file = sf_open(wavPath.c_str(), SFM_READ, &info);
    std::vector<float> frames(info.channels == 2 ? size_t(info.frames) * 2 : 0);
    const sf_count_t read = frames.empty() ? 0 : sf_readf_float(file, frames.data(), info.frames);
    if (file != nullptr) {
        sf_close(file);
    }
    capture.rate = frames.empty() ? 0 : info.samplerate;
    for (sf_count_t i = 0; i < read; ++i) {
        capture.left.push_back(frames[size_t(i) * 2]);
        capture.right.push_back(frames[size_t(i) * 2 + 1]);
    }
    return capture;
}

std::vector<float> loudness(const Capture& capture, double window) {
    const size_t size = std::max<size_t>(1, size_t(window * capture.rate));
    std::vector<float> loud;
    for (size_t start = 0; start + size <= capture.left.size(); start += size) {
        double sum = 0.0;
        for (size_t i = start; i < start + size; ++i) {
            sum += capture.left[i] * capture.left[i] + capture.right[i] * capture.right[i];
        }
        loud.push_back(float(std::sqrt(sum / (2.0 * size))));
    }
    return loud;
}

std::vector<double> onsets(const std::vector<float>& loud, double window, float threshold,
                           double refractory) {
    std::vector<double> times;
    for (size_t i = 1; i < loud.size(); ++i) {
        const double t = i * window;
        if (loud[i] >= threshold && loud[i - 1] < threshold &&
            (times.empty() || t - times.back() >= refractory)) {
            times.push_back(t);
        }
    }
    return times;
}

namespace {

// The samples of [from, to) seconds, clipped to the channel.
std::pair<size_t, size_t> span(const std::vector<float>& channel, int rate, double from,
                               double to) {
    const auto at = [&](double t) {
        return std::min(channel.size(), size_t(std::max(0.0, t) * rate));
    };
    return {at(from), std::max(at(from), at(to))};
}

} // namespace

double rms(const std::vector<float>& channel, int rate, double from, double to) {
    const auto [begin, end] = span(channel, rate, from, to);
    double sum = 0.0;
    for (size_t i = begin; i < end; ++i) {
        sum += channel[i] * channel[i];
    }
    return end > begin ? std::sqrt(sum / double(end - begin)) : 0.0;
}

double crossingRate(const std::vector<float>& channel, int rate, double from, double to) {
    const auto [begin, end] = span(channel, rate, from, to);
    int crossings = 0;
    for (size_t i = begin + 1; i < end; ++i) {
        crossings += (channel[i - 1] < 0.0f) != (channel[i] < 0.0f);
    }
    return end > begin ? crossings * double(rate) / double(end - begin) : 0.0;
}

double balance(const Capture& capture, double from, double to) {
    const double left = rms(capture.left, capture.rate, from, to);
    const double right = rms(capture.right, capture.rate, from, to);
    return (right - left) / (right + left + 1e-9);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}
