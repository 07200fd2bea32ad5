#include "support/Capture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include <sndfile.h>

void captureSoundTo(const std::string& folder, const std::string& wavPath, bool dry) {
    const std::string config = folder + "/alsoft-capture.conf";
    std::ofstream out(config, std::ios::trunc);
    if (wavPath.empty()) {
        out << "[general]\ndrivers=alsa\n[alsa]\ndevice=nosuchcard\n";
    } else {
        out << "[general]\ndrivers=wave\nchannels=stereo\nstereo-mode=speakers\nhrtf=false\n"
               "frequency=48000\n"
            << (dry ? "excludefx=eaxreverb,reverb\n" : "") << "[wave]\nfile=" << wavPath << "\n";
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
                           double refractory, float rise) {
    std::vector<double> times;
    const size_t before = size_t(0.3 / window);
    for (size_t i = 1; i < loud.size(); ++i) {
        const double t = i * window;
        const float quietest = *std::min_element(&loud[i - std::min(i, before)], &loud[i]);
        const float level = std::max(threshold, rise * quietest);
        if (loud[i] >= level && loud[i - 1] < level &&
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

namespace {

// The two stages of the K-weighting, a high shelf and a high pass, designed for any rate.
struct Stage {
    double b[3], a[3];
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    double run(double x) {
        const double y = b[0] * x + b[1] * x1 + b[2] * x2 - a[1] * y1 - a[2] * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

std::vector<double> kWeightedPower(const Capture& capture, size_t begin, size_t end) {
    const double pi = 3.14159265358979323846;
    double k = std::tan(pi * 1681.974450955533 / capture.rate), q = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20.0),
                 vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q + k * k;
    const Stage shelf{
        {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0},
        {1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0}};
    k = std::tan(pi * 38.13547087602444 / capture.rate), q = 0.5003270373238773;
    a0 = 1.0 + k / q + k * k;
    const Stage high{{1.0, -2.0, 1.0}, {1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0}};
    std::vector<double> power(end - begin, 0.0);
    for (const std::vector<float>* channel : {&capture.left, &capture.right}) {
        Stage first = shelf, second = high;
        for (size_t i = begin; i < end; ++i) {
            const double y = second.run(first.run((*channel)[i]));
            power[i - begin] += y * y;
        }
    }
    return power;
}

double toLufs(double power) {
    return -0.691 + 10.0 * std::log10(std::max(power, 1e-20));
}

} // namespace

std::vector<double> blockLoudness(const Capture& capture, double from, double to, double window,
                                  double hop) {
    const auto [begin, end] = span(capture.left, capture.rate, from, to);
    const std::vector<double> power = kWeightedPower(capture, begin, end);
    const size_t size = size_t(window * capture.rate), step = size_t(hop * capture.rate);
    std::vector<double> blocks;
    for (size_t start = 0; start + size <= power.size(); start += step) {
        double sum = 0.0;
        for (size_t i = start; i < start + size; ++i) {
            sum += power[i];
        }
        blocks.push_back(toLufs(sum / double(size)));
    }
    return blocks;
}

double integratedLoudness(const Capture& capture, double from, double to) {
    const std::vector<double> blocks = blockLoudness(capture, from, to);
    const auto gatedMean = [&](double gate) {
        double sum = 0.0;
        int count = 0;
        for (double block : blocks) {
            if (block > gate) {
                sum += std::pow(10.0, (block + 0.691) / 10.0), count += 1;
            }
        }
        return count > 0 ? toLufs(sum / count) : -70.0;
    };
    return gatedMean(gatedMean(-70.0) - 10.0);
}

double truePeak(const Capture& capture, double from, double to) {
    // A windowed sinc of 12 taps per phase interpolates the three points between samples.
    constexpr int kTaps = 12, kFactor = 4;
    const double pi = 3.14159265358979323846;
    double taps[kFactor][kTaps];
    for (int p = 0; p < kFactor; ++p) {
        for (int t = 0; t < kTaps; ++t) {
            const double x = double(t - kTaps / 2 + 1) - double(p) / kFactor;
            const double window = 0.5 + 0.5 * std::cos(pi * x / (kTaps / 2 + 1));
            taps[p][t] = (x == 0.0 ? 1.0 : std::sin(pi * x) / (pi * x)) * window;
        }
    }
    const auto [begin, end] = span(capture.left, capture.rate, from, to);
    double peak = 1e-10;
    for (const std::vector<float>* channel : {&capture.left, &capture.right}) {
        for (size_t i = std::max<size_t>(begin, kTaps); i + kTaps < end; ++i) {
            for (int p = 0; p < kFactor; ++p) {
                double sum = 0.0;
                for (int t = 0; t < kTaps; ++t) {
                    sum += taps[p][t] * (*channel)[i + size_t(t) - kTaps / 2 + 1];
                }
                peak = std::max(peak, std::fabs(sum));
            }
        }
    }
    return 20.0 * std::log10(peak);
}

double autocorrelation(const std::vector<double>& series, size_t lag) {
    double mean = 0.0;
    for (double value : series) {
        mean += value / double(series.size());
    }
    double together = 0.0, alone = 1e-30;
    for (size_t i = 0; i < series.size(); ++i) {
        alone += (series[i] - mean) * (series[i] - mean);
        together += i + lag < series.size() ? (series[i] - mean) * (series[i + lag] - mean) : 0.0;
    }
    return together / alone;
}
