#pragma once
// The real mix of OpenAL Soft, written by its wave backend into a file, and what tests measure
// in it. OpenAL Soft reads its configuration once per process, so a process captures into one
// file, rewritten each time a device opens.
#include <string>
#include <vector>

struct Capture {
    int rate = 0;
    std::vector<float> left, right;
};

// Points ALSOFT_CONF at a configuration in folder that sends the mix to wavPath as plain stereo
// (no HRTF), dry if asked, as an OpenAL without reverb; with an empty wavPath it names only ALSA,
// on a card that does not exist.
void captureSoundTo(const std::string& folder, const std::string& wavPath, bool dry = false);
Capture readCapture(const std::string& wavPath);

// Loudness of both channels together: RMS over windows of the given seconds.
std::vector<float> loudness(const Capture& capture, double window);
// Seconds at which loudness rises through threshold, at least refractory seconds apart; with a
// rise, also to that many times the quietest of the 0.3 s before (an event over another's tail).
std::vector<double> onsets(const std::vector<float>& loud, double window, float threshold,
                           double refractory, float rise = 0.0f);
// Over [from, to) seconds of one channel: the RMS and the zero crossings per second.
double rms(const std::vector<float>& channel, int rate, double from, double to);
double crossingRate(const std::vector<float>& channel, int rate, double from, double to);
// Over [from, to) seconds: from -1 (only the left channel sounds) to 1 (only the right).
double balance(const Capture& capture, double from, double to);
double median(std::vector<double> values);

// Loudness as ITU-R BS.1770 measures it, over [from, to) seconds of both channels: K-weighted
// mean square in blocks of window seconds every hop seconds, in LUFS.
std::vector<double> blockLoudness(const Capture& capture, double from, double to,
                                  double window = 0.4, double hop = 0.1);
// Integrated loudness: 400 ms blocks gated at -70 LUFS, then 10 LU below their mean.
double integratedLoudness(const Capture& capture, double from, double to);
// The largest magnitude of either channel between the samples, found by 4x oversampling, in dBTP.
double truePeak(const Capture& capture, double from, double to);
// The sample autocorrelation of a series at a lag of lag values (1 for a copy of itself).
double autocorrelation(const std::vector<double>& series, size_t lag);
