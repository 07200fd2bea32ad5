#pragma once
// The render scale: the share of the window's width and height that the off-screen passes
// draw before the picture is stretched onto the window. It follows the measured frame time, or
// MORBANE_RENDER_SCALE fixes it.
#include <cstdint>
#include <string>

constexpr float kTargetFrameSeconds = 0.033f;
// Each step has about seven tenths of the pixels of the one above, down to a third of the
// width and height.
constexpr int kScaleStepCount = 7;
constexpr float kScaleSteps[kScaleStepCount] = {1.0f, 0.84f, 0.71f, 0.6f, 0.5f, 0.42f, 1.0f / 3.0f};
constexpr int kMaxScaleSamples = 16;

struct ScaleSetting {
    bool automatic = true;
    float scale = 1.0f; // the fixed scale when not automatic
};

// Empty (unset) and "auto" give the automatic scale, a number in (0, 1] a fixed one. Anything
// else is refused: false, and the setting stays automatic.
bool parseRenderScale(const std::string& text, ScaleSetting& setting);

// Steps down at once, as far as the measured time says, when frames are slower than the
// target allows; steps up one at a time, only when the larger scale should still leave a
// margin, and not soon after a step down. Between the two it holds, so it settles.
struct ScaleController {
    int step = 0;                         // into kScaleSteps
    float samples[kMaxScaleSamples] = {}; // frame times since the last decision, seconds
    int sampleCount = 0;
    float sampledSeconds = 0.0f;
    int patience = 0; // decisions to wait after a step down before trying a larger scale
};

// Takes the time of one frame; true when the scale changed.
bool adaptScale(ScaleController& controller, float frameSeconds);
inline float currentScale(const ScaleController& controller) {
    return kScaleSteps[controller.step];
}

// The size drawn at the given scale: the whole window at 1, else even (so the blur's half-size
// picture averages whole 2x2 blocks) and at least 2.
int32_t scaledSize(int32_t windowSize, float scale);
