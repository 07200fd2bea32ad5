#include "render/RenderScale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A decision needs a few frames and a quarter of a second: enough that one slow frame (the
// first one, a hitch) does not count, and quick enough that a slow machine settles within a
// second or two.
constexpr int kMinScaleSamples = 3;
constexpr float kMinSampledSeconds = 0.25f;
// Slower than this steps down. Above the target, so a display synchronised at 30 Hz, whose
// frames take 33.3 ms whatever is drawn, does not push the scale down for nothing.
constexpr float kSlowSeconds = kTargetFrameSeconds * 1.1f;
// A step up must promise at most this, taking the time to grow with the pixels.
constexpr float kRoomSeconds = kTargetFrameSeconds * 0.8f;
constexpr int kPatienceAfterStepDown = 4;

float median(float* values, int count) {
    std::nth_element(values, values + count / 2, values + count);
    return values[count / 2];
}

} // namespace

bool parseRenderScale(const std::string& text, ScaleSetting& setting) {
    setting = ScaleSetting();
    if (text.empty() || text == "auto") {
        return true;
    }
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(value) || value <= 0.0f ||
        value > 1.0f) {
        return false;
    }
    setting.automatic = false;
    setting.scale = value;
    return true;
}

bool adaptScale(ScaleController& controller, float frameSeconds) {
    if (!std::isfinite(frameSeconds) || frameSeconds < 0.0f) {
        return false;
    }
    controller.samples[controller.sampleCount++] = frameSeconds;
    controller.sampledSeconds += frameSeconds;
    if (controller.sampleCount < kMaxScaleSamples &&
        (controller.sampleCount < kMinScaleSamples ||
         controller.sampledSeconds < kMinSampledSeconds)) {
        return false;
    }
    const float typical = median(controller.samples, controller.sampleCount);
    controller.sampleCount = 0;
    controller.sampledSeconds = 0.0f;
    controller.patience = std::max(0, controller.patience - 1);

    const int before = controller.step;
    const float scale = kScaleSteps[before];
    if (typical > kSlowSeconds) {
        // The time falls with the pixels, about the square of the scale.
        const float wanted = scale * std::sqrt(kTargetFrameSeconds / typical);
        int step = before + 1;
        while (step + 1 < kScaleStepCount && kScaleSteps[step] > wanted) {
            ++step;
        }
        controller.step = std::min(step, kScaleStepCount - 1);
        controller.patience = kPatienceAfterStepDown;
    } else if (before > 0 && controller.patience == 0) {
        const float larger = kScaleSteps[before - 1] / scale;
        if (typical * larger * larger < kRoomSeconds) {
            controller.step = before - 1;
        }
    }
    return controller.step != before;
}

int32_t scaledSize(int32_t windowSize, float scale) {
    if (scale >= 1.0f) {
        return windowSize;
    }
    const int32_t half = static_cast<int32_t>(std::lround(windowSize * scale * 0.5f));
    return std::min(windowSize, 2 * std::max(1, half));
}
